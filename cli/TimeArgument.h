// Times on mixauto's command line and in its tables.
//
// Every option that takes a time accepts timecode ("01:00:10:00", "01:00:10 00", with
// ';' ',' or '.' between fields, "01:00:10:00.2" with the quarter-frame digit),
// feet+frames ("120+08", "00120.08") and raw automation units ("#4000"). Timecode and
// footage become units by the library's converter under the current timecode settings,
// rounded as edit lists are. Tables show units in the display form of those settings.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <string>

#include "commonobjects/timecode/TimecodeConverter.h"

namespace mixauto {

// The accepted forms, for help texts and error messages.
inline constexpr char kTimeForms[] =
    "timecode 01:00:10:00, feet+frames 120+08, or automation units #4000";

// The units of a time argument; nothing on failure, with `error` naming the text and the
// accepted forms.
std::optional<int32_t> ParseTimeArgument(const CTimecodeConverter& converter, const std::string& text,
                                         std::string& error);

// Units in the display form of the converter's settings, with the quarter-frame digit on
// the quarter-frame consoles; "--:--:-- --" where no position shows them.
std::string FormatTime(const CTimecodeConverter& converter, int32_t units);

// Adds an option that takes one time; its units land in `units` while the command line is
// parsed (the settings are read then). A bad time fails the parse with the message above.
CLI::Option* AddTimeOption(CLI::App& app, const std::string& name, int32_t& units, const std::string& help);

}  // namespace mixauto
