// Fuzz target: the binary change list. The magic goes first, the input follows it. Counts
// and name lengths larger than the file must be refused, never allocated (ASan's allocation
// limit catches them). Checks: CutListFuzzing.h.
#include "CutListFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzzing::FuzzFile binary(".cut");
  fuzzing::CheckChangeList(binary.Write(CCutListReader::kMagic, data, size));
  return 0;
}
