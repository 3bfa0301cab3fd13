// Level tables, thinnable controls and run tests of thinning.
#include "commonobjects/editing/Thinning.h"

#include <cstdlib>

#include "commonobjects/console/ControlModel.h"
#include "commonobjects/console/SlotAlignment.h"
#include "commonobjects/eventstore/AutomationEvent.h"

namespace {

constexpr const char* kWindowLevelNames[Thinning::kWindowLevels] = {
    "No Change", "8 Light", "7", "6", "5", "4", "3 Heavy"};
constexpr int32_t kWindowSizes[Thinning::kWindowLevels] = {0, 8, 7, 6, 5, 4, 3};
constexpr const char* kThresholdNames[Thinning::kThresholdLevels] = {
    "No Change", "1 (Light)", "2",  "3",  "4 (0.05 dB)",  "5",  "6",  "7",
    "8 (0.1 dB)", "9",       "10", "11", "12 (0.15 dB)", "13", "14", "15",
    "16 (0.2 dB) (Heavy)"};

// Small consoles thin the first five rows of the large consoles' slot-aligned table (which
// is not their own slot-aligned set): Proc 0 Control 0, 3, 4, 7; Proc 1..4 Control 0, 1, 3.
bool IsSmallThinnable(int32_t proc, int32_t control) {
  return proc < CControlModel::kSmallProcCount && IsSlotAlignedLowControl(proc, control);
}

// A step goes down when the value decreases; an unchanged value counts as up.
bool StepsDown(const CAutomationEvent& from, const CAutomationEvent& to) {
  return to.Value < from.Value;
}

}  // namespace

namespace Thinning {

const char* WindowLevelName(int32_t level) {
  return level >= 0 && level < kWindowLevels ? kWindowLevelNames[level] : nullptr;
}

int32_t WindowSize(int32_t level) {
  return level >= 0 && level < kWindowLevels ? kWindowSizes[level] : -1;
}

const char* ThresholdName(int32_t threshold) {
  return threshold >= 0 && threshold < kThresholdLevels ? kThresholdNames[threshold] : nullptr;
}

}  // namespace Thinning

bool IsThinnableControl(const CAutomationEvent& e, int32_t highBase) {
  if (CControlModel::ForCurrentConsole().IsSmallConsole()) {
    return IsSmallThinnable(e.Proc, e.Control);
  }
  if (e.Proc < CControlModel::kLowProcCount && e.Control < CControlModel::kControlsPerProc) {
    return IsSlotAlignedLowControl(e.Proc, e.Control);
  }
  // Every Proc from the base up thins, also beyond the 48 high-range blocks the console has.
  return e.Proc >= highBase && (e.Control == 1 || e.Control == 2);
}

bool IsThresholdFaderControl(const CAutomationEvent& e) {
  const int32_t faderProc = CControlModel::ForCurrentConsole().IsSmallConsole() ? 0 : 14;
  return e.Proc == faderProc && (e.Control == 0 || e.Control == 1);
}

bool IsMonotonicRun(const CAutomationEvent* first, int32_t n) {
  if (n <= 2) return true;
  const bool down = StepsDown(first[0], first[1]);
  for (int32_t j = 2; j < n; ++j) {
    if (!first[j].SameChannel(first[0])) return false;
    if (StepsDown(first[j - 1], first[j]) != down) return false;
  }
  return true;
}

bool SameChannelWithin(const CAutomationEvent& a, const CAutomationEvent& b, int32_t tolerance) {
  return a.SameChannel(b) && std::llabs(static_cast<long long>(a.Time) - b.Time) < tolerance;
}
