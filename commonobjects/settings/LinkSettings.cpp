#include "commonobjects/settings/LinkSettings.h"

#include "commonobjects/settings/RegistryAccess.h"
#include "commonobjects/settings/SharedNames.h"

namespace {

constexpr const char* kServerKey = SharedNames::kConsoleServerKey;

// The server's engine, enable and loopback values, in the order the server key is read.
void ReadServerValues(CRegistryAccess& registry, CLinkSettings& s) {
  int32_t debugMachine = 0;
  registry.ReadNumber(kServerKey, "DebugMachine", debugMachine, 0);
  registry.ReadNumber(kServerKey, "AutengXLinkType", s.AutoEngineLinkType, 0);
  registry.ReadBool(kServerKey, "AutengXReboot", s.AutoEngineReboot, false);
  registry.ReadBool(kServerKey, "AutengXEnable", s.AutoEngineEnable, false);
  registry.ReadBool(kServerKey, "AllocateXEnable", s.AllocatorEnable, false);
  registry.ReadBool(kServerKey, "AssignXEnable", s.AssignerEnable, false);
  registry.ReadNumber(kServerKey, "Timeout", s.Timeout, 213);
  registry.ReadBool(kServerKey, "SharedMemComms", s.SharedMemComms, true);
  registry.ReadBool(kServerKey, "AssignXLoopback", s.AssignerLoopback, false);
  // A loopback of the assigner is for development machines only.
  if (debugMachine == 0) s.AssignerLoopback = false;
}

// Links 1 and 0 as settings without "Version" name them.
void ReadOlderLinkNames(CRegistryAccess& registry, CLinkSettings& s) {
  registry.ReadNumber(kServerKey, "CardLinkType", s.LinkType[1], 0);
  registry.ReadBool(kServerKey, "AutoLoopbackMode", s.LinkLoopback[1], false);
  registry.ReadNumber(kServerKey, "AutoLinkNo", s.LinkNumber[1], 1);
  registry.ReadNumber(kServerKey, "CardFSSLinkType", s.LinkType[0], 0);
  registry.ReadBool(kServerKey, "FSSLoopbackMode", s.LinkLoopback[0], false);
  registry.ReadNumber(kServerKey, "FSSLinkNo", s.LinkNumber[0], 0);
}

// Defaults of the numbered values: links 0 and 1 type 0 without loopback, later links
// type 1 with loopback; the number of link i is i.
int32_t DefaultLinkType(int32_t link) { return link < 2 ? 0 : 1; }
bool DefaultLinkLoopback(int32_t link) { return link >= 2; }

void ReadNumberedLinks(CRegistryAccess& registry, CLinkSettings& s, int32_t firstLink) {
  for (int32_t i = firstLink; i < CLinkSettings::kLinkCount; ++i) {
    const std::string number = std::to_string(i);
    registry.ReadNumber(kServerKey, "Link Type " + number, s.LinkType[i], DefaultLinkType(i));
    registry.ReadBool(kServerKey, "Link Loopback " + number, s.LinkLoopback[i],
                      DefaultLinkLoopback(i));
    registry.ReadNumber(kServerKey, "Link Number " + number, s.LinkNumber[i], i);
  }
}

}  // namespace

CLinkSettings::CLinkSettings(const std::string& machineName) {
  CRegistryAccess registry(machineName);
  registry.SetRoot(HKEY_LOCAL_MACHINE);
  ReadServerValues(registry, *this);
  registry.ReadNumber(SharedNames::kTransputerDelayKey, "Value", TransputerDelay, 20);

  int32_t version = 0;
  registry.ReadNumber(kServerKey, "Version", version, 0);
  int32_t firstNumberedLink = 0;
  if (version == 0) {
    ReadOlderLinkNames(registry, *this);
    // Link 2 was never stored under the older names: it keeps the numbered defaults.
    LinkType[2] = DefaultLinkType(2);
    LinkLoopback[2] = DefaultLinkLoopback(2);
    LinkNumber[2] = 2;
    firstNumberedLink = 3;
  }
  ReadNumberedLinks(registry, *this, firstNumberedLink);
  registry.WriteNumber(kServerKey, "Version", 1);
}
