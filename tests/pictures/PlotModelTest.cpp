// The plot's drawing model: curves as the console plays them (holds, steps, ramps, spans),
// lanes and their order, value ticks in the control's own text, and time ticks in timecode.
#include "pictures/PlotModel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/timecode/TimecodeText.h"
#include "support/Events.h"
#include "support/TestConsole.h"

namespace {

using mixauto::LaneSegment;
using mixauto::TimedValue;
using testsupport::MakeEvent;
constexpr auto kHold = LaneSegment::kHold;
constexpr auto kStep = LaneSegment::kStep;
constexpr auto kRamp = LaneSegment::kRamp;
constexpr auto kSpan = LaneSegment::kSpan;

TEST(PlotModelTest, CurvesHoldStepAndRampAsTheConsolePlaysThem) {
  // 100 held from before; two events at 10 (steps), one 2 units later (a ramp within the
  // gap of 4), a repeat of the same value (nothing), a change 10 units later (a step).
  const std::vector<TimedValue> events = {{10, 200}, {10, 300}, {12, 320}, {20, 320}, {30, 0}};
  const std::vector<LaneSegment> expected = {
      {kHold, 0, 10, 100, 100}, {kStep, 10, 10, 100, 200}, {kStep, 10, 10, 200, 300}, {kRamp, 10, 12, 300, 320},
      {kHold, 12, 30, 320, 320}, {kStep, 30, 30, 320, 0},   {kHold, 30, 40, 0, 0}};
  EXPECT_EQ(mixauto::CurveOf(events, 100, 0, 40, 4, 1000), expected);

  // Without a value held before, the curve starts at the first event; a run of ramp events
  // makes one ramp segment per pair; a value that holds throughout is one hold.
  const std::vector<LaneSegment> ramp = {{kHold, 5, 6, 1, 1}, {kRamp, 6, 10, 1, 5}, {kRamp, 10, 14, 5, 9},
                                         {kHold, 14, 20, 9, 9}};
  EXPECT_EQ(mixauto::CurveOf({{5, 1}, {6, 1}, {10, 5}, {14, 9}}, std::nullopt, 0, 20, 4, 1000), ramp);
  EXPECT_EQ(mixauto::CurveOf({}, -7, 0, 20, 4, 1000), (std::vector<LaneSegment>{{kHold, 0, 20, -7, -7}}));
  EXPECT_TRUE(mixauto::CurveOf({}, std::nullopt, 0, 20, 4, 1000).empty());
}

TEST(PlotModelTest, ColumnsWithMoreEventsThanTheyCanShowBecomeSpans) {
  // 10 columns of 10 units: column 2 holds five events (a span with the value held into it),
  // column 5 two (drawn one by one).
  const std::vector<TimedValue> events = {{21, 5}, {23, -4}, {24, 9}, {26, 2}, {29, 3}, {50, 8}, {57, 3}};
  const std::vector<LaneSegment> expected = {{kHold, 0, 20, 0, 0},  {kSpan, 20, 30, -4, 9}, {kHold, 30, 50, 3, 3},
                                             {kStep, 50, 50, 3, 8}, {kHold, 50, 57, 8, 8},  {kStep, 57, 57, 8, 3},
                                             {kHold, 57, 100, 3, 3}};
  EXPECT_EQ(mixauto::CurveOf(events, 0, 0, 100, 1, 10), expected);
  // Uneven columns (7 over 100 units) still tile the range without gaps or overlaps.
  std::vector<TimedValue> dense;
  for (int32_t t = 0; t < 100; ++t) dense.push_back({t, (t * 37) % 11});
  int32_t reached = 0;
  for (const LaneSegment& s : mixauto::CurveOf(dense, 0, 0, 100, 1, 7)) {
    EXPECT_EQ(s.t0, reached);
    reached = s.t1;
  }
  EXPECT_EQ(reached, 100);
}

TEST(PlotModelTest, LanesFollowThePathOrderWithTitlesTicksAndSwitches) {
  testsupport::TestConsole console(3);
  CAutomationEventArray events;
  events.AddAtTime(MakeEvent(3, 14, 0, 10, -100));   // path 3 changes only before the range
  events.AddAtTime(MakeEvent(1, 14, 0, 100, -300));
  events.AddAtTime(MakeEvent(1, 14, 2, 150, 1));     // mute off
  events.AddAtTime(MakeEvent(1, 14, 0, 200, -800));
  events.AddAtTime(MakeEvent(1, 9, 0, 200, 5));      // not among the controls asked for
  events.AddAtTime(MakeEvent(7, 14, 0, 300, 0));     // not among the paths asked for
  mixauto::PlotRequest request;
  request.paths = {3, 1, 2};
  request.controls = {14 << 8 | 0, 14 << 8 | 2};
  request.from = 50;
  request.to = 400;
  const CTimecodeConverter converter;
  const mixauto::PlotModel model = mixauto::BuildPlot(events, request, converter);

  ASSERT_EQ(model.lanes.size(), 4u);
  EXPECT_EQ(model.eventsRead, 6);  // the five events from 50 on, and the one before it
  const mixauto::PlotLane& held = model.lanes[0];
  EXPECT_EQ(held.title, "Path 3  Fader Level (14:0)");
  EXPECT_EQ(held.events, 0);
  EXPECT_EQ(held.segments, (std::vector<LaneSegment>{{kHold, 50, 400, -100, -100}}));

  const mixauto::PlotLane& level = model.lanes[1];
  EXPECT_EQ(level.title, "Path 1  Fader Level (14:0)");
  EXPECT_FALSE(level.isSwitch);
  EXPECT_EQ(level.lowest, -8192);
  EXPECT_EQ(level.highest, 800);
  ASSERT_GE(level.ticks.size(), 3u);
  EXPECT_EQ(level.ticks.front().label, "Cut");
  EXPECT_EQ(level.ticks.back().label, "10.0dB");
  for (const mixauto::ValueTick& tick : level.ticks) {
    // Every inner tick falls on a whole number of decibels.
    if (tick.label == "Cut") continue;
    const double db = std::strtod(tick.label.c_str(), nullptr);
    EXPECT_EQ(db, static_cast<int>(db)) << tick.label;
  }
  EXPECT_EQ(level.segments.front(), (LaneSegment{kHold, 50, 100, 0, 0}));  // the first event's old value

  const mixauto::PlotLane& mute = model.lanes[2];
  EXPECT_EQ(mute.title, "Path 1  Fader Mute (14:2)");
  EXPECT_TRUE(mute.isSwitch);
  EXPECT_EQ(mute.onValue, 0);  // the value whose text is "On"
  EXPECT_EQ(mute.ticks, (std::vector<mixauto::ValueTick>{{0, "On"}, {1, "Off"}}));

  EXPECT_TRUE(model.lanes[3].placeholder);
  EXPECT_EQ(model.lanes[3].title, "Path 2");
}

TEST(PlotModelTest, LooksBackOnlyUntilEveryChannelAskedForIsKnown) {
  testsupport::TestConsole console(3);
  CAutomationEventArray events;
  events.AddAtTime(MakeEvent(1, 14, 0, 10, -100));
  events.AddAtTime(MakeEvent(1, 14, 0, 60, -200));
  events.AddAtTime(MakeEvent(1, 14, 0, 70, -300));  // the level held at 100
  events.AddAtTime(MakeEvent(1, 14, 2, 80, 1));     // the mute held at 100
  events.AddAtTime(MakeEvent(5, 14, 0, 90, 0));     // another path
  events.AddAtTime(MakeEvent(1, 14, 0, 150, -400));
  mixauto::PlotRequest request;
  request.paths = {1};
  request.controls = {14 << 8 | 0, 14 << 8 | 2, 14 << 8 | 0};  // a repeat counts once
  request.from = 100;
  request.to = 200;
  const CTimecodeConverter converter;
  const mixauto::PlotModel model = mixauto::BuildPlot(events, request, converter);

  EXPECT_EQ(model.eventsRead, 4);  // the one in range, then back from 90 to 70
  ASSERT_EQ(model.lanes.size(), 2u);
  EXPECT_EQ(model.lanes[0].segments.front(), (LaneSegment{kHold, 100, 150, -300, -300}));
  EXPECT_EQ(model.lanes[1].segments, (std::vector<LaneSegment>{{kHold, 100, 200, 1, 1}}));

  request.controls.clear();  // every control: any earlier event may be another's, so all are read
  EXPECT_EQ(mixauto::BuildPlot(events, request, converter).eventsRead, 6);
}

TEST(PlotModelTest, ValueTicksFallOnRoundValuesOfEachControlsText) {
  testsupport::TestConsole console(3);
  const auto labels = [](int proc, int control, int lo, int hi) {
    std::string text;
    for (const mixauto::ValueTick& t : mixauto::ValueTicksOf(proc, control, lo, hi, 5)) {
      text += (text.empty() ? "" : " | ") + t.label;
    }
    return text;
  };
  EXPECT_EQ(labels(1, 0, -6635, 6563), "12Hz | 100Hz | 500Hz | 5.0kHz | 20.0kHz");     // EQ frequency
  EXPECT_EQ(labels(21, 0, -8128, 8128), "Left | -20 | Center | +20 | Right");            // pan
  EXPECT_EQ(labels(1, 2, 0, 2), "Flat | 6 dB | 12 dB");                                 // every value of a short range
}

TEST(PlotModelTest, TimeTicksAreWholeTimecodeStepsThatFitTheirLabels) {
  testsupport::TestConsole console(3);
  const CTimecodeConverter converter;
  const double second = mixauto::UnitsPerLabelSecond(converter);
  const int32_t minute = static_cast<int32_t>(60 * second);
  // One minute over 1000 columns, 100 per label: at most 10 labels, so every 10 seconds.
  const std::vector<mixauto::TimeTick> ticks = mixauto::TimeTicksOf(0, minute, 1000, 100, converter);
  ASSERT_EQ(ticks.size(), 6u);
  for (size_t i = 0; i < ticks.size(); ++i) {
    EXPECT_EQ(ticks[i].units, static_cast<int32_t>(i * 10 * second + 0.5));
    EXPECT_EQ(ticks[i].label, TimecodeText::TextFromTime(converter, ticks[i].units));
  }
  EXPECT_EQ(ticks[1].label, "00:00:10 00");
  // A range that starts between steps begins at the next whole step.
  const auto late = mixauto::TimeTicksOf(minute + 5, 2 * minute, 1000, 100, converter);
  ASSERT_FALSE(late.empty());
  EXPECT_EQ(late.front().label, "00:01:10 00");
  // Feet and frames when the settings say so: 10 seconds of film are 15 feet.
  CTimecodeConverter film;
  film.SetFeetFramesMode(1);
  const auto feet = mixauto::TimeTicksOf(0, static_cast<int32_t>(60 * mixauto::UnitsPerLabelSecond(film)), 1000, 100, film);
  ASSERT_EQ(feet.size(), 6u);
  EXPECT_EQ(feet[1].label, "00015.00");
}

}  // namespace
