#include "commonobjects/settings/SharedNames.h"

namespace SharedNames {

std::string_view InputOutputSystemName(int32_t index) {
  if (index < 0 || index >= kInputOutputSystemCount) index = kUndefinedInputOutputSystem;
  return kInputOutputSystemNames[static_cast<size_t>(index)];
}

std::string_view SurroundFormatName(int32_t index) {
  if (index < 0 || index >= kSurroundFormatCount) return {};
  return kSurroundFormatNames[static_cast<size_t>(index)];
}

}  // namespace SharedNames
