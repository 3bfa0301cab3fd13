// mixauto timecode TIME... | --units N...: each time as automation units and back in the
// display form of the current settings, after a summary of the settings that decide them.
#include "TimecodeCommand.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Commands.h"
#include "Table.h"
#include "TimeArgument.h"
#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/platform/RegFileStore.h"
#include "commonobjects/timecode/TimecodeText.h"

namespace mixauto {
namespace {

constexpr const char* kTimecodeHelp =
    "Convert times to automation units and back under the current timecode settings (the "
    "registry's HKEY_CURRENT_USER\\SOFTWARE\\QRXTARN\\QRX Tarn Tavmir\\Timecode and the console "
    "type). A TIME is timecode (01:00:10:00, 01:00:10 00, 01;00;10;00, 01:00:10:00.2 with the "
    "quarter-frame digit), feet+frames (120+08, 00120.08) or units (#4000); units are the "
    "converter's rounded result, as edit lists take it.";

struct TimecodeOptions {
  std::vector<std::string> times;
  std::vector<int32_t> units;
};

std::string RateText(int32_t code) {
  static const char* const kRates[] = {"24 fps", "25 fps", "30 fps", "30 fps drop-frame",
                                       "29.97 fps non-drop", "feet and frames (converts as 24 fps)",
                                       "23.976 fps"};
  if (code >= 1 && code <= 7) return kRates[code - 1];
  return "out of range, converts as 24 fps";
}

std::string DisplayText(const CTimecodeConverter& converter) {
  static const char* const kModes[] = {"timecode without hours", "timecode without frames",
                                       "minutes and seconds", "timecode", "feet and frames", "feet"};
  const int32_t mode = converter.GetDisplayMode();
  std::string text = std::to_string(mode) + ", " + kModes[mode] + " (" + FormatTime(converter, 0) + ")";
  if (converter.IsFeetFrames()) {
    const CTimecodeSettings& s = converter.GetSettings();
    text += ", film at " + std::to_string(s.FilmFramesPerSecond) + " frames/s, " +
            std::to_string(s.FilmFramesPerFoot) + " frames/foot";
  }
  return text;
}

void PrintSettings(const CTimecodeConverter& converter) {
  const CTimecodeSettings& s = converter.GetSettings();
  CTimecodeConverter probe = converter;
  probe.TimeFromTimecode(1, 0, 0, 0, 0);
  const std::string unit = converter.IsQuarterFrameConsole() ? "a quarter-frame" : "1/100 s";
  std::printf("Timecode settings from %s:\n", commonobjects::platform::DefaultRegistryFilePath().c_str());
  std::printf("  rate code     %d: %s\n", s.RateCode, RateText(s.RateCode).c_str());
  std::printf("  sample rate   %d Hz, %s\n", s.SampleRate,
              converter.IsPulledDown() ? "pulled down" : "not pulled down");
  std::printf("  console type  %d: a unit is %s; one hour of timecode is %.6f units\n",
              CConsoleConfiguration::GetConsoleType(), unit.c_str(), probe.GetExactTime());
  std::printf("  display mode  %s\n", DisplayText(converter).c_str());
}

struct Converted {
  int32_t units = 0;
  std::string exact = "-";  // the converter's exact result; raw units have none
};

Converted Convert(const CTimecodeConverter& converter, const std::string& time) {
  std::string error;
  const std::optional<int32_t> units = ParseTimeArgument(converter, time, error);
  if (!units) FailCommand("timecode", error);
  Converted converted{*units};
  const auto position = TimecodeText::ParsePosition(converter, time, error);
  if (position) {
    CTimecodeConverter probe = converter;
    TimecodeText::TimeFromPosition(probe, *position);
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", probe.GetExactTime());
    converted.exact = text;
  }
  return converted;
}

void Run(const TimecodeOptions& options) {
  const CTimecodeConverter converter;
  Table table;
  table.AddColumn("time", Table::Left);
  table.AddColumn("units");
  table.AddColumn("exact");
  table.AddColumn("shown as", Table::Left);
  for (const std::string& time : options.times) {
    const Converted c = Convert(converter, time);
    table.AddRow({time, std::to_string(c.units), c.exact, FormatTime(converter, c.units)});
  }
  for (int32_t units : options.units) {
    table.AddRow({"#" + std::to_string(units), std::to_string(units), "-", FormatTime(converter, units)});
  }
  PrintSettings(converter);
  std::printf("\n");
  table.Print();
}

}  // namespace

void AddTimecodeCommand(CLI::App& app) {
  auto options = std::make_shared<TimecodeOptions>();
  CLI::App* command = app.add_subcommand("timecode", kTimecodeHelp);
  command->add_option("TIME", options->times, std::string("times to convert: ") + kTimeForms);
  command->add_option("--units", options->units, "automation units to show in the display form");
  command->callback([options, command] {
    if (options->times.empty() && options->units.empty()) {
      FailCommand("timecode", "give one or more times (" + std::string(kTimeForms) + "), or --units N\n" + command->help());
    }
    Run(*options);
  });
}

}  // namespace mixauto
