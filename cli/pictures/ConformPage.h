// ConformPage: what a conform did, as one self-contained HTML page a person checks the
// conform with: the stretch table (kind, old range, new range, length, source mix), a timeline
// of the old and the new picture with each stretch joined from its old place to its new
// one, and the curves of the channels that changed most, before (grey) and after (blue),
// each stretch boundary marked.
//
//   old  |==1==|==2==|xxxx|==3==|            x removed
//          \      \       /
//   new  |==1==|==3==|==2==|....|            . inserted (console state only)
//
// Everything is inline (styles, SVG, one script line that marks the page loaded); a content
// security policy forbids the page any request. Pure: the caller writes the text.
#pragma once

#include <string>
#include <vector>

#include "ConformReport.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/timecode/TimecodeConverter.h"
#include "pictures/PlotModel.h"
#include "pictures/Scene.h"

namespace mixauto {

// The page of a finished conform; `before` and `after` are the mix's events either side.
std::string ConformPageHtml(const ConformReport& report, const CAutomationEventArray& before,
                            const CAutomationEventArray& after, const CTimecodeConverter& converter);

// Up to `count` channels whose played values differ most between before and after over
// [0, end), compared at 512 even times, each difference as a share of the control's range;
// channels that do not differ are left out. Ordered by how much they differ, most first.
std::vector<PlotChannel> ChannelsThatChangedMost(const CAutomationEventArray& before, const CAutomationEventArray& after,
                                                 int32_t end, size_t count);

// The old and the new picture as two bars, the stretches placed on them and joined.
Scene TimelineScene(const std::vector<ConformStretch>& stretches, const CTimecodeConverter& converter, double width);

}  // namespace mixauto
