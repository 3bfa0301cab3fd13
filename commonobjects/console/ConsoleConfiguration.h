// CConsoleConfiguration: the console's type and fader counts, read from the registry once
// per process (HKEY_LOCAL_MACHINE "Software\QRX Tarn Tavmir\Main") and then fixed.
//
// The first construction (or the first static query) reads every value; later ones read
// nothing. ResetForTesting forgets what was read so that tests can change the console type.
// Each value may be stored as a 32-bit number or as decimal text; a missing key or value,
// or another type, gives the default. Values are kept as read (a console type outside 1 to
// 7 stays as stored; such a console has no controls in the control model).
//
// Thread-safety: the one read is serialised by a lock and published atomically, so the
// static queries may be called from any thread. ResetForTesting must not race with use.
#pragma once

#include <cstdint>
#include <string>

class CConsoleConfiguration {
 public:
  CConsoleConfiguration();  // reads the settings the first time in the process
  virtual ~CConsoleConfiguration() = default;

  // Names of the key and of the values it reads.
  std::string KeyPath;                // "Software\QRX Tarn Tavmir\Main"
  std::string ConsoleTypeName;        // "TavmirConsoleType"
  std::string NumberOfFadersName;     // "NumberOfFaders"
  std::string SideCarSizeName;        // "SideCarSize"
  std::string ChannelStripsName;      // "NumberOfChannelStrips"
  std::string GroupFadersStartName;   // "GroupFadersStartAt"
  std::string NumGroupFadersName;     // "NumGroupFaders"
  std::string OutputFadersStartName;  // "OutputFadersStartAt"
  std::string NumOutputFadersName;    // "NumOutputFaders"
  std::string CutABPathName;          // "CutABPath"
  std::string MuteABPathName;         // "MuteABPath"

  // The process-wide values (read on first use).
  static int32_t GetConsoleType();          // 1 to 7, default 3
  static int32_t GetNumberOfFaders();       // NumberOfFaders, default 0
  static int32_t GetSideCarSize();          // default 0
  static int32_t GetNumberOfChannelStrips();
  static int32_t GetGroupFadersStartAt();
  static int32_t GetNumGroupFaders();
  static int32_t GetOutputFadersStartAt();
  static int32_t GetNumOutputFaders();
  static int32_t GetCutABPath();            // default 128
  static int32_t GetMuteABPath();           // default 0

  // Types 1 and 6: 5 processing blocks of 9 controls and no high range.
  static bool IsSmallConsole();

  // Forgets the values read, so the next use reads the registry again. Tests only.
  static void ResetForTesting();
};
