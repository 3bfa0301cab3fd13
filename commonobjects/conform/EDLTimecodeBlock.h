// CEDLTimecodeBlock: the timecodes of one text edit list event as its line gives them.
//
// Each timecode is hours, minutes, seconds, frames; hours -1 means the field was too short
// to be a timecode (fewer than 4 characters). The source out timecode is not kept.
#pragma once

#include <cstdint>

class CEDLTimecodeBlock {
 public:
  int32_t SourceIn[4] = {0, 0, 0, 0};
  int32_t RecordIn[4] = {0, 0, 0, 0};
  int32_t RecordOut[4] = {0, 0, 0, 0};
};
