// Timestamp continuity of CAutomationEventArray: finds every event whose Time lies below the
// latest time before it, reports each to the file "<Windows drive>:\Tavmir\tcerr.txt", then
// repairs the order (same-time duplicates merged, sorted by time).
//
// The report is a Windows text file (every line ends in CR LF, as the console machines
// write it):
//   <"Last Revision Path" of the mix pass tree; empty when unset>
//   Number of Events:<size of the array>
//   Error on Event:<i> * Last TC:<latest time before i> * Current TC:<Time of i> * PPC: <Path> <Proc> <Control>
//   ... one line per out-of-order event; PPC names event i - 1.
// An out-of-order event does not become the latest time. Each call that finds a problem
// replaces the file; the folder is never created, and without it there is no report (the
// repair happens all the same).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "commonobjects/editing/SameTimeDuplicates.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/platform/File.h"
#include "commonobjects/platform/WindowsDrive.h"
#include "commonobjects/settings/RegistryAccess.h"

namespace {

namespace platform = commonobjects::platform;

constexpr char kPassTreeKey[] = "SOFTWARE\\QRXSettings\\QENSERVER\\Mix Pass Tree";
constexpr char kLastRevisionValue[] = "Last Revision Path";
constexpr char kReportFolderAndName[] = ":\\Tavmir\\tcerr.txt";
// Collected lines go to the file in pieces of about this size (one piece for most reports).
constexpr size_t kWriteBytes = size_t{1} << 20;

std::string ReportPath() {
  const std::string windows = platform::GetWindowsDirectory();
  if (windows.empty()) return {};
  return platform::MapWindowsPath(windows.substr(0, 1) + kReportFolderAndName);
}

std::string LastRevisionPath() {
  CRegistryAccess registry;
  registry.SetRoot(HKEY_CURRENT_USER);
  std::string path;
  registry.ReadString(kPassTreeKey, kLastRevisionValue, path, std::string());
  return path;
}

// The report file, written as a Windows text-mode file is: each line feed goes out as CR LF.
// A file that cannot be opened, or a failed write, silently ends the report.
class TimeStampReport {
 public:
  ~TimeStampReport() { Close(); }

  // Creates or empties the report and writes its header; false when it cannot be opened.
  bool Open(int32_t eventCount) {
    if (!file_.Open(ReportPath(), platform::FileMode::kCreateAlways).IsOk()) return false;
    Append(LastRevisionPath());
    Append("\n");
    char line[kLineBytes];
    AppendPrinted(line, std::snprintf(line, sizeof line, "Number of Events:%d\n", eventCount));
    return true;
  }

  // previous: the event just before the out-of-order one.
  void Error(int32_t index, int32_t last, int32_t time, const CAutomationEvent& previous) {
    if (!file_.IsOpen()) return;
    char line[kLineBytes];
    AppendPrinted(line, std::snprintf(line, sizeof line,
                                      "Error on Event:%d * Last TC:%d * Current TC:%d * PPC: %d %d %d\n",
                                      index, last, time, previous.Path, int{previous.Proc},
                                      int{previous.Control}));
  }

  void Close() {
    Flush();
    file_.Close();
  }

 private:
  // Longer than any line of six 32-bit numbers.
  static constexpr size_t kLineBytes = 160;

  // line: kLineBytes bytes that snprintf filled, returning length.
  void AppendPrinted(const char* line, int length) {
    if (length > 0) Append(std::string_view(line, std::min(size_t(length), kLineBytes - 1)));
  }

  void Append(std::string_view text) {
    for (char c : text) {
      if (c == '\n') pending_ += '\r';
      pending_ += c;
    }
    if (pending_.size() >= kWriteBytes) Flush();
  }

  void Flush() {
    if (file_.IsOpen() && !pending_.empty() && !file_.Write(pending_.data(), pending_.size()).IsOk()) {
      file_.Close();
    }
    pending_.clear();
  }

  platform::File file_;
  std::string pending_;
};

}  // namespace

bool CAutomationEventArray::MakeTimeStampsContinuous(int32_t /*unused*/) {
  const int32_t size = GetSize();
  bool found = false;
  {
    TimeStampReport report;
    int32_t last = 0;
    for (int32_t i = 0; i < size; ++i) {
      const int32_t time = (*this)[i].Time;
      if (i == 0 || last <= time) {
        last = time;
        continue;
      }
      if (!found) {
        found = true;
        report.Open(size);
      }
      report.Error(i, last, time, (*this)[i - 1]);
    }
  }
  if (!found) return false;
  RemoveSameTimeDuplicates(*this);
  Sort(SortByTime);
  return true;
}
