// CConsoleLayout: how many paths the console has, by its max paths mode (0, 1, 2 give
// 256, 500, 2000 paths). Every event array carries one.
//
// Construction reads the console configuration (once per process) and then "Max Paths Mode"
// under HKEY_LOCAL_MACHINE "SOFTWARE\QRX Tarn Tavmir\Main" (every time, default 0); on
// console type 3 the value is not read and the mode is 2. A stored mode outside 0 to 2
// counts as no value (mode 0). The layout is a plain value: copyable, not thread-safe.
#pragma once

#include <cstdint>

class CConsoleLayout {
 public:
  CConsoleLayout();
  CConsoleLayout(const CConsoleLayout&) = default;
  CConsoleLayout& operator=(const CConsoleLayout&) = default;
  virtual ~CConsoleLayout() = default;

  int32_t GetMaxPathsMode() const { return MaxPathsMode; }
  void SetMaxPathsMode(int32_t mode) { MaxPathsMode = mode; }
  // 256, 500 or 2000 by mode.
  int32_t GetMaxPaths() const;
  // The mode a stored mix of this snapshot version was written under: 0 below version 19,
  // 1 below 35, else this layout's own mode.
  int32_t GetPathsModeForVersion(int32_t version) const;
  // 5 on console types 1 and 6, 36 otherwise.
  int32_t GetNumLowControls() const;
  // 1 on console types 1 and 6, 48 otherwise.
  int32_t GetNumHighControls() const;

  // The path count of a max paths mode (256, 500, 2000; 256 for an unknown mode).
  static int32_t PathsForMode(int32_t mode);

 protected:
  int32_t MaxPathsMode = 0;
};
