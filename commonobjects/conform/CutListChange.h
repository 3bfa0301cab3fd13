// CCutListChange: one numbered change of a picture change list (cut list): what changed,
// at which position of the new cut and over how many frames.
//
// Kinds: 0 unrecognised, 1 delete, 2 insert, 3 trim head, 4 trim middle, 5 trim tail,
// 6 lengthen head, 7 lengthen tail, 8 move (where the material leaves), 9 insert taken from
// another change (SourceChange), 10 a binary-file change with material from a named clip
// (Name) at a source position (Extra), 11 no change (never kept). A plain value.
#pragma once

#include <cstdint>
#include <string>

class CCutListChange {
 public:
  enum Kind : int32_t {
    kUnrecognised = 0,
    kDelete = 1,
    kInsert = 2,
    kTrimHead = 3,
    kTrimMiddle = 4,
    kTrimTail = 5,
    kLengthenHead = 6,
    kLengthenTail = 7,
    kMove = 8,
    kInsertFrom = 9,
    kClip = 10,
    kNoChange = 11,
  };
  // "unrecognised", "delete", "insert", ... "no change"; "?" out of range.
  static const char* KindName(int32_t kind);

  int32_t Reserved = -1;
  int32_t Kind = kUnrecognised;
  int32_t SourceChange = -1;  // kInsertFrom: the 1-based number of the moved change; a move
                              // pair number once conform pairs moves with their inserts
  int32_t Position = 0;       // frames
  int32_t Length = 0;         // frames
  int32_t Extra = 0;          // kClip: the clip's source start, frames
  int32_t Value2 = 0;
  std::string Name;           // kClip: the clip's reel
};
