#include "commonobjects/conform/CutListChange.h"

const char* CCutListChange::KindName(int32_t kind) {
  static constexpr const char* kNames[] = {
      "unrecognised",  "delete",        "insert", "trim head",   "trim middle", "trim tail",
      "lengthen head", "lengthen tail", "move",   "insert from", "clip",        "no change",
  };
  if (kind < 0 || kind > kNoChange) return "?";
  return kNames[kind];
}
