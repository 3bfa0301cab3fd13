// CTranslationPairArray: the path renumbering of DoTranslatePaths, a list of (from, to) path
// pairs. Order matters: an event takes the "to" of the first pair whose "from" is its path,
// and is translated once (pairs 1->2 and 2->3 move path 1 to 2, not 3).
// A plain growable array; owns its elements; not thread-safe.
#pragma once

#include <cstdint>

#include "commonobjects/eventstore/GrowableArray.h"

struct CTranslationPair {
  int32_t From = 0;  // the path to replace
  int32_t To = 0;    // its replacement
};

class CTranslationPairArray : public CGrowableArray<CTranslationPair> {
 public:
  int32_t AddPair(int32_t from, int32_t to) { return Add(CTranslationPair{from, to}); }
};
