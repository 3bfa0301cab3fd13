#include "commonobjects/presentation/EventNameTables.h"

namespace commonobjects::presentation {

// Row = Proc, column = Control.
const std::array<EventNameRow, kLargeConsoleNameRows> kLargeConsoleEventNames = {{
    // 0
    {"Input Trim", "Input Phase", "Input Phase", "Input Width", "Input Presence", "Input", "Input",
     "Input Drop-in Trim", "Surround Designator"},
    // 1
    {"EQ 1 Freq", "EQ 1 Gain", "EQ 1 Slope", "EQ 1 Q", "EQ 1 Ripple", "EQ 1 Resp", "EQ 1 Approx",
     "EQ 1", "EQ 1 Lstn On/Off"},
    // 2
    {"EQ 2 Freq", "EQ 2 Gain", "EQ 2 Slope", "EQ 2 Q", "EQ 2 Ripple", "EQ 2 Resp", "EQ 2 Approx",
     "EQ 2", "EQ 2 Lstn On/Off"},
    // 3
    {"EQ 3 Freq", "EQ 3 Gain", "EQ 3 Slope", "EQ 3 Q", "EQ 3 Ripple", "EQ 3 Resp", "EQ 3 Approx",
     "EQ 3", "EQ 3 Lstn On/Off"},
    // 4
    {"EQ 4 Freq", "EQ 4 Gain", "EQ 4 Slope", "EQ 4 Q", "EQ 4 Ripple", "EQ 4 Resp", "EQ 4 Approx",
     "EQ 4", "EQ 4 Lstn On/Off"},
    // 5
    {"EQ 5 Freq", "EQ 5 Gain", "EQ 5 Slope", "EQ 5 Q", "EQ 5 Ripple", "EQ 5 Resp", "EQ 5 Approx",
     "EQ 5", "EQ 5 Lstn On/Off"},
    // 6
    {"EQ 6 Freq", "EQ 6 Gain", "EQ 6 Slope", "EQ 6 Q", "EQ 6 Ripple", "EQ 6 Resp", "EQ 6 Approx",
     "EQ 6", "EQ 6 Lstn On/Off"},
    // 7
    {"EQ 7 Freq", "EQ 7 Gain", "EQ 7 Slope", "EQ 7 Q", "EQ 7 Ripple", "EQ 7 Resp", "EQ 7 Approx",
     "EQ 7", "EQ 7 Lstn On/Off"},
    // 8
    {"EQ 8 Freq", "EQ 8 Gain", "EQ 8 Slope", "EQ 8 Q", "EQ 8 Ripple", "EQ 8 Resp", "EQ 8 Approx",
     "EQ 8", "EQ 8 Lstn On/Off"},
    // 9
    {"Filter 1 Freq", "Filter 1 Slope", "Filter 1 Ripple", "Filter 1 Resp", "Filter 1 Approx",
     "Filter 1", "Filter 1 Ctrl 6", "Filter 1 Ctrl 7", "Filter 1 Ctrl 8"},
    // 10
    {"Filter 2 Freq", "Filter 2 Slope", "Filter 2 Ripple", "Filter 2 Resp", "Filter 2 Approx",
     "Filter 2", "Filter 2 Ctrl 6", "Filter 2 Ctrl 7", "Filter 2 Ctrl 8"},
    // 11
    {"Compressor", "Comp Thresh", "Comp Ratio", "Comp Attack", "Comp Release", "Comp Knee",
     "Comp MkUp Gain", "Comp Auto MkUp Gain", "Comp Pre-Delay"},
    // 12
    {"Limiter", "Lim Thresh", "Lim Ratio", "Lim Attack", "Lim Release", "Lim Knee", "Lim MkUp Gain",
     "Lim Auto MkUp Gain", "Lim Pre-Delay"},
    // 13
    {"Expander", "Expander Thresh", "Expander Ratio", "Expander Attack", "Expander Release",
     "Expander Knee", "Expander Depth", "Expander Ctrl 7", "Expander Pre-Delay"},
    // 14
    {"Fader Level", "Fader Trim", "Fader Mute", "Fader Gang Offset", "Fader Ctrl 4", "Fader Ctrl 5",
     "Fader Gang Null", "Fader Ctrl 7", "Fader Ctrl 8"},
    // 15
    {"Insert 1 Return", "Insert 1 Send", "Insert 1 Send Trim", "Insert 1 Retn Trim",
     "Insert 1 Retn Delay", "Insert 1 Send Delay", "Insert 1 Divert", "Insert 1 Ctrl 7",
     "Insert 1 Ctrl 8"},
    // 16
    {"Insert 2 Return", "Insert 2 Send", "Insert 2 Send Trim", "Insert 2 Retn Trim",
     "Insert 2 Retn Delay", "Insert 2 Send Delay", "Insert 2 Divert", "Insert 2 Ctrl 7",
     "Insert 2 Ctrl 8"},
    // 17
    {"Output Trim", "Output Width", "Output Presence", "Output", "Output", "Output Pan",
     "Output Delay", "Output Ctrl 7", "Output Ctrl 8"},
    // 18
    {"Output 2 Trim", "Output 2 Width", "Output 2 Presence", "Output", "Output", "Output 2 Pan",
     "Output 2 Delay", "Output 2 Ctrl 7", "Output 2 Ctrl 8"},
    // 19
    {"Gate", "Gate Thresh", "Gate Ratio", "Gate Attack", "Gate Release", "Gate Hysteresis",
     "Gate Depth", "Gate Ctrl 7", "Gate Pre-Delay"},
    // 20
    {"Sidechain EQ Freq", "Sidechain EQ Gain", "Sidechain EQ Slope", "Sidechain EQ Q",
     "Sidechain EQ Ripple", "Sidechain EQ Resp", "Sidechain EQ Approx", "Sidechain EQ",
     "Sidechain EQ Ctrl 8"},
    // 21
    {"Pan", "F/B Pan", "L/C/R Pan", "Divergence", "Input Delay", "Pan", "F/B Pan", "L/C/R Pan",
     "Divergence"},
    // 22
    {"DRC", "DRC Expand Thresh", "DRC Comp/Lim Thresh", "DRC Attack", "DRC Release", "DRC Ratio",
     "DRC Ctrl 6", "DRC Ctrl 7", "DRC Ctrl 8"},
    // 23
    {"Key Input", "Sidechain Listen", "Key Input Trim", "Dyn Ins Ctrl 3", "Dyn Ins Ctrl 4",
     "Dyn Ins Ctrl 5", "Dyn Ins Ctrl 6", "Dyn Ins Ctrl 7", "Dyn Ins Ctrl 8"},
    // 24
    {"Stem A Rte Path 1", "Stem A Rte Path 2", "Stem A Rte Path 3", "Stem A Rte Path 4",
     "Stem A Rte Path 5", "Stem A Rte Path 6", "Stem A Rte Path 7", "Stem A Rte Path 8",
     "Stem A Rte Path 9"},
    // 25
    {"Stem B Rte Path 1", "Stem B Rte Path 2", "Stem B Rte Path 3", "Stem B Rte Path 4",
     "Stem B Rte Path 5", "Stem B Rte Path 6", "Stem B Rte Path 7", "Stem B Rte Path 8",
     "Stem B Rte Path 9"},
    // 26
    {"Stem C Rte Path 1", "Stem C Rte Path 2", "Stem C Rte Path 3", "Stem C Rte Path 4",
     "Stem C Rte Path 5", "Stem C Rte Path 6", "Stem C Rte Path 7", "Stem C Rte Path 8",
     "Stem C Rte Path 9"},
    // 27
    {"Stem D Rte Path 1", "Stem D Rte Path 2", "Stem D Rte Path 3", "Stem D Rte Path 4",
     "Stem D Rte Path 5", "Stem D Rte Path 6", "Stem D Rte Path 7", "Stem D Rte Path 8",
     "Stem D Rte Path 9"},
    // 28
    {"Stem E Rte Path 1", "Stem E Rte Path 2", "Stem E Rte Path 3", "Stem E Rte Path 4",
     "Stem E Rte Path 5", "Stem E Rte Path 6", "Stem E Rte Path 7", "Stem E Rte Path 8",
     "Stem E Rte Path 9"},
    // 29
    {"Stem F Rte Path 1", "Stem F Rte Path 2", "Stem F Rte Path 3", "Stem F Rte Path 4",
     "Stem F Rte Path 5", "Stem F Rte Path 6", "Stem F Rte Path 7", "Stem F Rte Path 8",
     "Stem F Rte Path 9"},
    // 30
    {"Stem G Rte Path 1", "Stem G Rte Path 2", "Stem G Rte Path 3", "Stem G Rte Path 4",
     "Stem G Rte Path 5", "Stem G Rte Path 6", "Stem G Rte Path 7", "Stem G Rte Path 8",
     "Stem G Rte Path 9"},
    // 31 to 35: no names
    {}, {}, {}, {}, {},
}};

const std::array<EventNameRow, kSmallConsoleNameRows> kSmallConsoleEventNames = {{
    // 0
    {"Fader Level", "Fader Trim", "Fader Mute", "Fader Gang Offset", "N/A", "N/A",
     "Fader Gang Null", "N/A", "N/A"},
    // 1
    {"Small Fader Level", "Small Fader Trim", "Small Fader Mute", "Small Fader Gang Offset", "N/A",
     "N/A", "Small Fader Gang Null", "N/A", "N/A"},
    // 2
    {"EQ On/Off", "Insert On/Off", "Cut A", "Cut B", "Fader Cut", "Small fader Cut", "N/A", "N/A",
     "N/A"},
    // 3
    {"IP Sel", "Aux1", "Aux2", "Aux3", "Aux4", "Aux5", "Aux6", "Aux7", "Aux8"},
    // 4
    {"Pan", "F/B Pan", "L/C/R Pan", "Divergence", "Input Delay", "Pan", "F/B Pan", "L/C/R Pan",
     "Divergence"},
}};

}  // namespace commonobjects::presentation
