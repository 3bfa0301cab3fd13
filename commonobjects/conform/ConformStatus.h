// enConformStatus: the result of every conform entry point (DoConform, ConformFromEDL and
// the console-style conforms): 0 when the conform was done, else the stage that failed.
// Values outside 0 to 6 are never returned; ConformStatusText still names them.
#pragma once

#include <cstdint>

enum enConformStatus : int32_t {
  kConformDone = 0,
  // The change list could not be opened; or (console-style conform) the temporary edit
  // decision list could not be created or written.
  kConformListFileFailed = 1,
  kConformChangeListHeadFailed = 2,     // before the first change could be read
  kConformChangeListChangesFailed = 3,  // while the changes were read
  kConformEdlOpenFailed = 4,            // the edit decision list could not be opened
  kConformSourcesFailed = 5,            // preparing the source mixes failed
  kConformAssemblyFailed = 6,           // building the conformed mix failed
};

// A short lower-case text for the status, for a person to read ("conform done", ...);
// "unknown conform status" for a value outside 0 to 6. The text is static.
const char* ConformStatusText(enConformStatus status);
