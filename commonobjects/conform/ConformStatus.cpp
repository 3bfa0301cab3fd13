#include "commonobjects/conform/ConformStatus.h"

const char* ConformStatusText(enConformStatus status) {
  switch (status) {
    case kConformDone:
      return "conform done";
    case kConformListFileFailed:
      return "the change list could not be opened, or the temporary edit list not written";
    case kConformChangeListHeadFailed:
      return "the change list failed before its first change";
    case kConformChangeListChangesFailed:
      return "the change list failed while its changes were read";
    case kConformEdlOpenFailed:
      return "the edit decision list could not be opened";
    case kConformSourcesFailed:
      return "the source mixes could not be prepared";
    case kConformAssemblyFailed:
      return "the conformed mix could not be built";
  }
  return "unknown conform status";
}
