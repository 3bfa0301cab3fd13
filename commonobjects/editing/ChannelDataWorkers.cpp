// Extract and paste, the two halves of copy and merge.
//
// Which filter says what: the extract reads the source array's filter (the source path is
// the first of its Paths, its range is [StartTime, EndTime), and its IsProcControlInFilter
// picks the controls); the paste reads the target array's filter (ExtraList, ExtraValue,
// and StartTime/EndTime for the pasted length and the shift). A copy uses one array for
// both; a merge extracts by the other mix's filter and pastes by this mix's.
//
// The paste never moves an old event while it works: every rewritten channel is appended
// at the end of the target and the index range of its old events is only noted. One pass
// at the end drops the noted ranges, leaving the untouched old events in their order
// followed by the appended channels in the order they were appended -- the array that
// deleting each channel's old events at once would give, without a block move of the
// whole tail per channel (quadratic on a long mix).
#include "commonobjects/editing/ChannelDataWorkers.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>
#include <utility>
#include <vector>

#include "commonobjects/editing/AutomationChannel.h"
#include "commonobjects/editing/ChannelSearch.h"
#include "commonobjects/console/ControlModel.h"
#include "commonobjects/editing/EditPointList.h"
#include "commonobjects/console/PathMap.h"
#include "commonobjects/eventstore/Notifications.h"

namespace {

constexpr int32_t kExtractGrowBy = 5120;
constexpr uint32_t kExtractCode = 21;        // param: source path + 1
constexpr uint32_t kPasteCode = 22;          // param: lookup path + 1
constexpr uint32_t kPasteProgressCode = 23;  // param: percentage
constexpr int32_t kLastProc = 255;           // a Proc is 8-bit

// Last Control of each low-range Proc (the first is always 0); -1: the Proc has none.
constexpr int8_t kType1LastControl[] = {2, 2, 5, -1, -1};
constexpr int8_t kType6LastControl[] = {2, 2, 5, 8, 3};
constexpr int8_t kLargeLastControl[] = {7, 7, 7, 7, 7, 7, 7, 7, 7,  // 0-8
                                        5, 5, 8, 8, 8, 2, 7, 7,     // 9-16
                                        6, 6, 8, 7, 4, 5, 3,        // 17-23
                                        7, 7, 7, 7, 7, 7, 7, 3,     // 24-31
                                        0, 0, 0, 0};                // 32-35
static_assert(std::size(kLargeLastControl) == CControlModel::kLowProcCount);

int32_t ClampToTime(int64_t t) {
  return static_cast<int32_t>(std::clamp<int64_t>(t, INT32_MIN, INT32_MAX));
}

int32_t RangeLength(const CEventFilter& filter) {
  return ClampToTime(int64_t{filter.EndTime} - filter.StartTime);
}

// One pass of the extract: the source path's channels, one at a time, into the target.
class CChannelExtractor {
 public:
  CChannelExtractor(CAutomationEventArray& source, CAutomationEventArray& target,
                    int32_t highBase, const CPathMap& map, int32_t slotOffset)
      : source_(source), target_(target), highBase_(highBase), slotOffset_(slotOffset),
        path_(source.Filter.Paths[0]), group_(map.GetGroup(path_)) {
    pathLast_ = FindPathEvents(source_, path_, 0, source_.GetSize() - 1, pathFirst_, latest_);
  }

  void ExtractLowRange(const int8_t* lastControl, int32_t procCount) {
    for (int32_t proc = 0; proc < procCount; ++proc) {
      for (int32_t control = 0; control <= lastControl[proc]; ++control) {
        Extract(proc, control);
      }
    }
  }

  // A high-range Proc is 36 to 255: lower ones are low-range channels already visited, and
  // no event can hold a higher one.
  void ExtractHighRange() {
    const int32_t first = std::max(highBase_, CControlModel::kFirstHighProc);
    const int64_t end = std::min<int64_t>(int64_t{highBase_} + CControlModel::kHighProcCount,
                                          kLastProc + 1);
    for (int32_t proc = first; proc < end; ++proc) {
      for (int32_t control = 0; control < CControlModel::kControlsPerHighProc; ++control) {
        Extract(proc, control);
      }
    }
  }

 private:
  // The channel's part of [StartTime, EndTime); a channel with no events at all still gives
  // its default at StartTime, so the destination takes the value the source has there.
  void Extract(int32_t proc, int32_t control) {
    if (source_.Filter.IsProcControlInFilter(proc, control) == 0) return;
    channel_.Setup(group_, path_, proc, control, highBase_, latest_, slotOffset_);
    int32_t channelFirst = -1;
    const bool found = pathLast_ >= 0 && FindChannelEvents(source_, pathFirst_, pathLast_, path_,
                                                           proc, control, channel_, channelFirst);
    if (!found) {
      channel_.RemoveAt(0, channel_.GetSize());
      const int16_t value = channel_.DefaultValue;
      channel_.Add(channel_.MakeEvent(source_.Filter.StartTime, value, value));
    }
    channel_.CopyRange(target_, source_.Filter.StartTime, source_.Filter.EndTime, true);
  }

  CAutomationEventArray& source_;
  CAutomationEventArray& target_;
  CAutomationChannel channel_;
  int32_t highBase_;
  int32_t slotOffset_;
  int32_t path_;
  int32_t group_;
  int32_t pathFirst_ = -1;
  int32_t pathLast_ = -1;
  int32_t latest_ = -1;
};

struct PasteSettings {
  int32_t highBase;
  int32_t slotOffset;
  int32_t stepNumber;
  int32_t stepCount;
  bool sameSource;
};

// The lookup path's events among the target's old events, inclusive indices.
struct PathRange {
  int32_t first = -1;
  int32_t last = -1;
  int32_t latestTime = -1;
};

// One paste: every extracted channel onto every destination path of the target.
class CChannelPaster {
 public:
  CChannelPaster(CAutomationEventArray& target, const CAutomationEventArray& extracted,
                 const CPathMap& map, const PasteSettings& settings)
      : target_(target), extracted_(extracted), map_(map), settings_(settings),
        oldCount_(target.GetSize()) {}

  void Run(const CEditPointList& points) {
    points_ = &points;
    const CIntArray& destinations = target_.Filter.ExtraList;
    for (int32_t i = 0; i < destinations.GetSize(); ++i) PasteDestination(i);
    Compact();
  }

 private:
  // The same-source flag pastes the source path's channels as the lookup; without a source
  // path recorded there is nothing else to look up than the destination itself.
  int32_t LookupPath(int32_t destination) const {
    const CIntArray& sourcePaths = extracted_.Filter.Paths;
    return settings_.sameSource && !sourcePaths.IsEmpty() ? sourcePaths[0] : destination;
  }

  void ReportDestination(int32_t lookup, int32_t index) const {
    if (target_.GetStatusWnd() == nullptr) return;
    PostEventNotification(kPasteCode, ClampToTime(int64_t{lookup} + 1));
    int64_t percent;
    if (settings_.stepNumber != 0 && settings_.stepCount != 0) {
      percent = int64_t{settings_.stepNumber} * 100 / settings_.stepCount;
    } else {
      const int64_t count = std::max(target_.Filter.ExtraList.GetSize(), 1);
      percent = int64_t{index} * 100 / count;
    }
    PostEventNotification(kPasteProgressCode, ClampToTime(percent));
  }

  void PasteDestination(int32_t index) {
    const int32_t destination = target_.Filter.ExtraList[index];
    const int32_t lookup = LookupPath(destination);
    ReportDestination(lookup, index);
    // The whole range of old events is searched for every destination, so a list in any
    // order finds its paths. A path met again after its channels were rewritten must not
    // see their old events: the noted ranges are dropped first.
    if (touchedPaths_.contains(lookup)) Compact();
    PathRange range;
    range.last = FindPathEvents(target_, lookup, 0, oldCount_ - 1, range.first, range.latestTime);
    const int32_t group = map_.GetGroup(destination);
    const int32_t count = extracted_.GetSize();
    for (int32_t runFirst = 0; runFirst < count;) {
      int32_t runEnd = runFirst + 1;
      while (runEnd < count && extracted_[runEnd].Proc == extracted_[runFirst].Proc &&
             extracted_[runEnd].Control == extracted_[runFirst].Control) {
        ++runEnd;
      }
      PasteRun(destination, lookup, group, range, runFirst, runEnd);
      runFirst = runEnd;
    }
  }

  void PasteRun(int32_t destination, int32_t lookup, int32_t group, const PathRange& range,
                int32_t runFirst, int32_t runEnd) {
    const CEventFilter& filter = target_.Filter;
    const int32_t proc = extracted_[runFirst].Proc;
    const int32_t control = extracted_[runFirst].Control;
    source_.Setup(group, lookup, proc, control, settings_.highBase, range.latestTime,
                  settings_.slotOffset);
    source_.RemoveAt(0, source_.GetSize());
    for (int32_t i = runFirst; i < runEnd; ++i) source_.Add(extracted_[i]);

    dest_.Setup(group, destination, proc, control, settings_.highBase, range.latestTime,
                settings_.slotOffset);
    // Only the lookup path's range is searched: with the same-source flag a destination other
    // than the source path finds nothing there and keeps its own automation beside the
    // pasted events, since a range found for another path must never remove a destination's.
    int32_t oldFirst = -1;
    const bool found = range.last >= 0 && FindChannelEvents(target_, range.first, range.last,
                                                            destination, proc, control, dest_,
                                                            oldFirst);
    if (!found) dest_.RemoveAt(0, dest_.GetSize());
    const int32_t oldCount = dest_.GetSize();
    if (found) ClearPastedLength();
    dest_.PasteShifted(source_, filter.StartTime, filter.ExtraValue);
    if (!settings_.sameSource) JoinEdges();
    target_.Append(dest_);
    if (found) {
      removed_.emplace_back(oldFirst, oldCount);
      touchedPaths_.insert(destination);
    }
  }

  // The destination channel's events over the pasted length make room for the pasted ones
  // (with the same-source flag, those of the first length units of the mix).
  void ClearPastedLength() {
    const CEventFilter& filter = target_.Filter;
    const int32_t length = RangeLength(filter);
    if (settings_.sameSource) {
      dest_.RemoveRange(scratch_, 0, length, false);
    } else {
      dest_.RemoveRange(scratch_, filter.ExtraValue,
                        ClampToTime(int64_t{filter.ExtraValue} + length), false);
    }
  }

  // A direction pair that makes no edit points leaves the edges as they are: an invented
  // step at time 0 on every pasted channel would change the mix where nobody edited.
  void JoinEdges() {
    CEditPoint point;
    if (points_->GetEditPoint(0, point)) dest_.ApplyEditPoint(point);
    dest_.Sort(CAutomationEventArray::SortByTime);
    if (points_->GetEditPoint(1, point)) dest_.ApplyEditPoint(point);
  }

  // Drops the noted old channels; the untouched old events close up, then the appended ones.
  void Compact() {
    if (removed_.empty()) return;
    std::sort(removed_.begin(), removed_.end());
    CAutomationEvent* events = target_.GetData();
    int32_t write = 0;
    int32_t read = 0;
    int32_t dropped = 0;
    for (const auto& [first, count] : removed_) {
      std::copy(events + read, events + first, events + write);
      write += first - read;
      read = first + count;
      dropped += count;
    }
    const int32_t size = target_.GetSize();
    std::copy(events + read, events + size, events + write);
    target_.SetSize(size - dropped);
    oldCount_ -= dropped;
    removed_.clear();
    touchedPaths_.clear();
  }

  CAutomationEventArray& target_;
  const CAutomationEventArray& extracted_;
  const CPathMap& map_;
  PasteSettings settings_;
  const CEditPointList* points_ = nullptr;
  int32_t oldCount_;  // the old events are [0, oldCount_); appended channels follow
  std::vector<std::pair<int32_t, int32_t>> removed_;  // (first index, count) of old channels
  std::unordered_set<int32_t> touchedPaths_;          // paths with ranges in removed_
  CAutomationChannel source_;  // the extracted run, as the lookup path's channel
  CAutomationChannel dest_;    // the destination channel being rewritten
  CAutomationEventArray scratch_;
};

}  // namespace

void ExtractChannelData(CAutomationEventArray& source, CAutomationEventArray& target,
                        int32_t highBase, const CPathMap& map, int32_t slotOffset) {
  target.SetSize(0, kExtractGrowBy);
  if (source.Filter.Paths.IsEmpty()) return;
  if (source.GetStatusWnd() != nullptr) {
    PostEventNotification(kExtractCode, ClampToTime(int64_t{source.Filter.Paths[0]} + 1));
  }
  CChannelExtractor extractor(source, target, highBase, map, slotOffset);
  switch (CControlModel::ForCurrentConsole().GetConsoleType()) {
    case 1:
      extractor.ExtractLowRange(kType1LastControl, CControlModel::kSmallProcCount);
      break;
    case 6:
      extractor.ExtractLowRange(kType6LastControl, CControlModel::kSmallProcCount);
      break;
    default:
      extractor.ExtractLowRange(kLargeLastControl, CControlModel::kLowProcCount);
      extractor.ExtractHighRange();
      break;
  }
  target.Sort(CAutomationEventArray::SortByPathControl);
}

void PasteChannelData(CAutomationEventArray& target, CAutomationEventArray& extracted,
                      int16_t rampLength, int16_t rampStep,
                      CAutomationEventArray::TimeDirection startDirection,
                      CAutomationEventArray::TimeDirection endDirection, int32_t highBase,
                      const CPathMap& map, int32_t slotOffset, int32_t stepNumber,
                      int32_t stepCount, int32_t sameSource) {
  const CEventFilter& filter = target.Filter;
  CEditPointList points;
  points.BuildEditPoints(filter.ExtraValue, RangeLength(filter), startDirection, endDirection,
                         rampLength, rampStep);
  const PasteSettings settings{highBase, slotOffset, stepNumber, stepCount, sameSource != 0};
  CChannelPaster paster(target, extracted, map, settings);
  paster.Run(points);
}
