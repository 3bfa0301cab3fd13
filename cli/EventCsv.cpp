#include "EventCsv.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace mixauto {
namespace {

bool ParseField(std::string_view text, long long low, long long high, long long& out) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) text.remove_suffix(1);
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size() && out >= low && out <= high;
}

// "time,path,proc,control,value" into an event; false names the bad field in why.
bool ParseLine(const std::string& line, CAutomationEvent& e, std::string& why) {
  static const char* const kNames[] = {"time", "path", "proc", "control", "value"};
  static const long long kLow[] = {INT32_MIN, 0, 0, 0, INT16_MIN};
  static const long long kHigh[] = {INT32_MAX, INT32_MAX, 255, 255, INT16_MAX};
  long long v[5];
  std::string_view rest(line);
  for (int i = 0; i < 5; ++i) {
    const auto comma = rest.find(',');
    if ((comma == std::string_view::npos) != (i == 4)) {
      why = "expected 5 comma-separated numbers: time,path,proc,control,value";
      return false;
    }
    if (!ParseField(rest.substr(0, comma), kLow[i], kHigh[i], v[i])) {
      why = std::string("bad ") + kNames[i] + " '" + std::string(rest.substr(0, comma)) + "'";
      return false;
    }
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  }
  e = CAutomationEvent{};
  e.Time = static_cast<int32_t>(v[0]);
  e.Path = static_cast<int32_t>(v[1]);
  e.Proc = static_cast<uint8_t>(v[2]);
  e.Control = static_cast<uint8_t>(v[3]);
  e.Value = static_cast<int16_t>(v[4]);
  return true;
}

}  // namespace

bool LoadEventCsv(const std::string& path, CAutomationEventArray& events, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = path + ": cannot open the file";
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#' || line == "\r") continue;
    CAutomationEvent e;
    std::string why;
    if (!ParseLine(line, e, why)) {
      error = path + ":" + std::to_string(number) + ": " + why;
      return false;
    }
    events.AddAtTime(e);
  }
  return true;
}

}  // namespace mixauto
