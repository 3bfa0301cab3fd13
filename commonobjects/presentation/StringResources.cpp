#include "commonobjects/presentation/StringResources.h"

#include <array>
#include <string_view>

namespace commonobjects::presentation {
namespace {

using ControlNames = std::array<std::string_view, kResourceControlsPerSection>;

// 10001 to 10020.
constexpr std::array<std::string_view, kResourceSections> kSectionNames = {
    "Input", "EQ 1", "EQ 2", "EQ 3", "EQ 4", "Filter 1", "Filter 2", "Compress/Limit 1",
    "Compress/Limit 2", "Expander", "Fader", "Insert 1", "Insert 2", "Output 1", "Output 2", "Gate",
    "Sidechain", "Miscellaneous", "DRC", "Dynamic Insert",
};

// 10021 to 10200, nine per section.
constexpr std::array<ControlNames, kResourceSections> kControlNames = {{
    // 10021: Input
    {"Input Trim", "Input Phase", "Input Phase", "Input Width", "Input Presence", "Input", "Input",
     "Input Drop-in Trim", "Surround Designation"},
    // 10030: EQ 1
    {"EQ 1 Freq", "EQ 1 Gain", "EQ 1 Slope", "EQ 1 Q", "EQ 1 Ripple", "EQ 1 Resp", "EQ 1 Approx",
     "EQ 1", "EQ 1 Ctrl 8"},
    // 10039: EQ 2
    {"EQ 2 Freq", "EQ 2 Gain", "EQ 2 Slope", "EQ 2 Q", "EQ 2 Ripple", "EQ 2 Resp", "EQ 2 Approx",
     "EQ 2", "EQ 2 Ctrl 8"},
    // 10048: EQ 3
    {"EQ 3 Freq", "EQ 3 Gain", "EQ 3 Slope", "EQ 3 Q", "EQ 3 Ripple", "EQ 3 Resp", "EQ 3 Approx",
     "EQ 3", "EQ 3 Ctrl 8"},
    // 10057: EQ 4
    {"EQ 4 Freq", "EQ 4 Gain", "EQ 4 Slope", "EQ 4 Q", "EQ 4 Ripple", "EQ 4 Resp", "EQ 4 Approx",
     "EQ 4", "EQ 4 Ctrl 8"},
    // 10066: Filter 1
    {"Filter 1 Freq", "Filter 1 Slope", "Filter 1 Ripple", "Filter 1 Resp", "Filter 1 Approx",
     "Filter 1", "Filter 1 Ctrl 6", "Filter 1 Ctrl 7", "Filter 1 Ctrl 8"},
    // 10075: Filter 2
    {"Filter 2 Freq", "Filter 2 Slope", "Filter 2 Ripple", "Filter 2 Resp", "Filter 2 Approx",
     "Filter 2", "Filter 2 Ctrl 6", "Filter 2 Ctrl 7", "Filter 2 Ctrl 8"},
    // 10084: Compress/Limit 1
    {"Comp/Lim 1", "Comp/Lim 1 Thresh", "Comp/Lim 1 Ratio", "Comp/Lim 1 Attack",
     "Comp/Lim 1 Release", "Comp/Lim 1 Knee", "Comp/Lim 1 MUG", "Comp/Lim 1 Auto MUG",
     "Comp/Lim 1 Pre-Delay"},
    // 10093: Compress/Limit 2
    {"Comp/Lim 2", "Comp/Lim 2 Thresh", "Comp/Lim 2 Ratio", "Comp/Lim 2 Attack",
     "Comp/Lim 2 Release", "Comp/Lim 2 Knee", "Comp/Lim 2 MUG", "Comp/Lim 2 Auto MUG",
     "Comp/Lim 2 Pre-Delay"},
    // 10102: Expander
    {"Expander", "Expander Thresh", "Expander Ratio", "Expander Attack", "Expander Release",
     "Expander Knee", "Expander Depth", "Expander Ctrl 7", "Expander Pre-Delay"},
    // 10111: Fader
    {"Fader Level", "Fader Trim", "Fader Mute", "Fader Gang Offset", "Fader Ctrl 4", "Fader Ctrl 5",
     "Fader Ctrl 6", "Fader Ctrl 7", "Fader Ctrl 8"},
    // 10120: Insert 1
    {"Insert 1 Return", "Insert 1 Send", "Insert 1 Send Trim", "Insert 1 Retn Trim",
     "Insert 1 Retn Delay", "Insert 1 Send Delay", "Insert 1 Divert", "Insert 1 Ctrl 7",
     "Insert 1 Ctrl 8"},
    // 10129: Insert 2
    {"Insert 2 Return", "Insert 2 Send", "Insert 2 Send Trim", "Insert 2 Retn Trim",
     "Insert 2 Retn Delay", "Insert 2 Send Delay", "Insert 2 Divert", "Insert 2 Ctrl 7",
     "Insert 2 Ctrl 8"},
    // 10138: Output 1
    {"Output Trim", "Output Width", "Output Presence", "Output", "Output", "Output Pan",
     "Output Delay", "Output Ctrl 7", "Output Ctrl 8"},
    // 10147: Output 2
    {"Output 2 Trim", "Output 2 Width", "Output 2 Presence", "Output 2", "Output 2", "Output 2 Pan",
     "Output 2 Delay", "Output 2 Ctrl 7", "Output 2 Ctrl 8"},
    // 10156: Gate
    {"Gate", "Gate Thresh", "Gate Ratio", "Gate Attack", "Gate Release", "Gate Hysteresis",
     "Gate Depth", "Gate Ctrl 7", "Gate Pre-Delay"},
    // 10165: Sidechain
    {"Sidechain EQ Freq", "Sidechain EQ Gain", "Sidechain EQ Slope", "Sidechain EQ Q",
     "Sidechain EQ Ripple", "Sidechain EQ Resp", "Sidechain EQ Approx", "Sidechain EQ",
     "Sidechain EQ Ctrl 8"},
    // 10174: Miscellaneous
    {"Pan", "F/B Pan", "L/C/R Pan", "Divergence", "Input Delay", "Pan", "F/B Pan", "L/C/R Pan",
     "Divergence"},
    // 10183: DRC
    {"DRC", "DRC Expand Thresh", "DRC Comp/Lim Thresh", "DRC Attack", "DRC Release", "DRC Ratio",
     "DRC Ctrl 6", "DRC Ctrl 7", "DRC Ctrl 8"},
    // 10192: Dynamic Insert
    {"Key Input", "Sidechain Listen", "Key Input Trim", "Dyn Ins Ctrl 3", "Dyn Ins Ctrl 4",
     "Dyn Ins Ctrl 5", "Dyn Ins Ctrl 6", "Dyn Ins Ctrl 7", "Dyn Ins Ctrl 8"},
}};

}  // namespace

std::string LoadResourceString(int32_t id) {
  if (id < kFirstStringResource || id > kLastStringResource) return std::string();
  const int32_t index = id - kFirstStringResource;
  if (index < kResourceSections) return std::string(kSectionNames[index]);
  const int32_t control = index - kResourceSections;
  return std::string(kControlNames[control / kResourceControlsPerSection]
                                  [control % kResourceControlsPerSection]);
}

}  // namespace commonobjects::presentation
