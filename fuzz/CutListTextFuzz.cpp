// Fuzz target: the change list as a text report, in both layouts.
//
// The first byte picks the name: even a report named ".cut" (layout 0 tried first), odd one
// named ".TXT" (layout 1 first); the rest is the file. Checks: CutListFuzzing.h.
#include "CutListFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzzing::FuzzFile layout0(".cut");
  static fuzzing::FuzzFile layout1(".TXT");
  if (size < 1) return 0;
  fuzzing::FuzzFile& file = (data[0] & 1) == 0 ? layout0 : layout1;
  fuzzing::CheckChangeList(file.Write("", data + 1, size - 1));
  return 0;
}
