// CLinkSettings: the console server's link and transport settings, read from the registry
// (HKEY_LOCAL_MACHINE "SOFTWARE\QRXTARN\QENSERVER" and "SOFTWARE\QRX Tarn\TransputerDelay")
// when the object is constructed.
//
// Construction reads every field, each with its default when the value is missing, and
// then writes "Version" = 1 to the server key. Settings written before "Version" existed
// (Version 0 or absent) keep links 0 and 1 under older value names; they are read from
// those names once, and the write of "Version" = 1 makes every later read use the
// numbered names ("Link Type %d", "Link Loopback %d", "Link Number %d") only. The
// numbered values themselves are never written here; the hosts write them.
// The assigner loopback is honoured only on a machine marked "DebugMachine".
// A plain value after construction; not thread-safe.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class CLinkSettings {
 public:
  static constexpr int32_t kLinkCount = 12;  // links 0 to 11

  // machineName: a remote machine's registry; the library always passes "".
  explicit CLinkSettings(const std::string& machineName = std::string());
  virtual ~CLinkSettings() = default;

  std::array<int32_t, kLinkCount> LinkType{};
  std::array<int32_t, kLinkCount> LinkNumber{};
  int32_t AutoEngineLinkType = 0;
  int32_t Timeout = 0;
  int32_t TransputerDelay = 0;
  std::array<bool, kLinkCount> LinkLoopback{};
  bool AutoEngineReboot = false;
  bool AutoEngineEnable = false;
  bool AllocatorEnable = false;
  bool AssignerEnable = false;
  bool SharedMemComms = false;
  bool AssignerLoopback = false;
};
