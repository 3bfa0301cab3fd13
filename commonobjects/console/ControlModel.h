// CControlModel: which (Proc, Control) pairs a path has on a console type, and which
// default-value table its channels start from.
//
//   console type   low range (Proc, Control)      high range (Proc, Control)         defaults
//   1, 6 (small)   Proc 0..4,  Control 0..8       none                               own table
//   2, 4           Proc 0..35, Control 0..8       Proc base..base+47, Control 0..3   variant 2
//   3              as 2, 4                        as 2, 4                            variant 0
//   5, 7           as 2, 4                        as 2, 4                            variant 1
// (all ranges inclusive). The high-control base is not the console's: each state-tracking
// operation takes it as an argument. A high-range Proc is also always 36 or more.
//
// A console type outside 1 to 7 tracks events as a large console does (IsLowRangeControl,
// IsHighRangeControl) but has no default state and no channels to visit (HasChannels).
// A model is an immutable value; safe to share between threads.
#pragma once

#include <cstdint>

class CControlModel {
 public:
  static constexpr int32_t kSmallProcCount = 5;      // small consoles: Proc [0, 5)
  static constexpr int32_t kLowProcCount = 36;       // large consoles: Proc [0, 36)
  static constexpr int32_t kControlsPerProc = 9;     // Control [0, 9) in either low range
  static constexpr int32_t kHighProcCount = 48;      // Proc [base, base + 48)
  static constexpr int32_t kControlsPerHighProc = 4;  // Control [0, 4)
  static constexpr int32_t kFirstHighProc = 36;      // a high-range Proc is never below this
  static constexpr int32_t kNoVariant = -1;

  explicit constexpr CControlModel(int32_t consoleType) : ConsoleType(consoleType) {}
  // The model of this process's console type (read once per process).
  static CControlModel ForCurrentConsole();

  constexpr int32_t GetConsoleType() const { return ConsoleType; }
  constexpr bool IsSmallConsole() const { return ConsoleType == 1 || ConsoleType == 6; }
  // Types 2 to 5 and 7.
  constexpr bool IsLargeConsole() const {
    return ConsoleType >= 2 && ConsoleType <= 7 && !IsSmallConsole();
  }
  // Whether the console has a default state and channels to visit (types 1 to 7).
  constexpr bool HasChannels() const { return IsSmallConsole() || IsLargeConsole(); }

  // Number of low-range Procs: 5 on types 1 and 6, else 36 (what the package records).
  constexpr int32_t GetNumLowControls() const {
    return IsSmallConsole() ? kSmallProcCount : kLowProcCount;
  }
  // Number of high-range Procs: 1 on types 1 and 6, else 48 (what the package records).
  constexpr int32_t GetNumHighControls() const { return IsSmallConsole() ? 1 : kHighProcCount; }

  // Row of the large consoles' default table: 0 on type 3, 1 on types 5 and 7, 2 on types
  // 2 and 4; kNoVariant on small consoles (they have their own table) and unknown types.
  int32_t GetDefaultVariant() const;

  // (proc, control) addresses a low-range channel: small consoles Proc < 5, others
  // Proc < 36; Control < 9 on both.
  constexpr bool IsLowRangeControl(int32_t proc, int32_t control) const {
    const int32_t procs = IsSmallConsole() ? kSmallProcCount : kLowProcCount;
    return proc >= 0 && proc < procs && control >= 0 && control < kControlsPerProc;
  }
  // (proc, control) addresses a high-range channel: never on small consoles; otherwise
  // Proc >= 36, base <= Proc < base + 48 and Control < 4. Its index is Proc - base.
  constexpr bool IsHighRangeControl(int32_t proc, int32_t control, int32_t highBase) const {
    if (IsSmallConsole() || proc < kFirstHighProc) return false;
    const int64_t offset = static_cast<int64_t>(proc) - highBase;
    return offset >= 0 && offset < kHighProcCount && control >= 0 && control < kControlsPerHighProc;
  }

 private:
  int32_t ConsoleType;
};
