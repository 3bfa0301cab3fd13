// The two forms of a change list below the reader: a whole file's bytes in, the changes and
// the old duration out. CCutListReader chooses the form and the text layout; these only
// parse. Private to conform/. Stateless functions; thread-safe on distinct buffers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "commonobjects/conform/CutListChange.h"

namespace commonobjects::conform::internal {

struct CutListParse {
  std::vector<std::unique_ptr<CCutListChange>> Changes;  // empty when the parse failed
  int32_t Stage = 0;  // CCutListReader::FailureStage; 0 when at least one change was kept
  int32_t OldDurationFeet = 0;
  int32_t OldDurationFrames = 0;
  std::string Wording;       // of the last change read (text)
  int32_t ChangeNumber = 0;  // the number the next change would have had (text)
};

// A text report in layout 0 or 1 (see CutListReader.h), footage counted at framesPerFoot.
CutListParse ParseCutListText(std::string_view bytes, int32_t layout, int32_t framesPerFoot);

// The binary form, bytes starting with the magic.
CutListParse ParseCutListBinary(std::string_view bytes);

}  // namespace commonobjects::conform::internal
