#include "commonobjects/conform/RemoteConformClient.h"

#include <cstdio>
#include <iterator>
#include <tuple>
#include <unordered_map>

#include "commonobjects/platform/CriticalSection.h"
#include "commonobjects/settings/RegistryAccess.h"
#include "commonobjects/timecode/TimecodeConverter.h"

using commonobjects::platform::CriticalSection;
using commonobjects::platform::CriticalSectionLock;
using commonobjects::platform::DynamicLibrary;

namespace {

constexpr int32_t kDefaultSampleRate = 48000;
constexpr int32_t kAllTracks = -1;

// The one lock of every remote client in the process: the library is called by one client
// at a time. Made on first use; never destroyed before the last client.
CriticalSection& RemoteClientSection() {
  static CriticalSection section;
  return section;
}

struct RemoteFrameRate {
  int32_t Code = 0;
  int32_t DropFrame = 0;
};

// The picture system's frame-rate code for the console's timecode rate code
// (CTimecodeConverter's codes). Feet and frames (6) goes as 29.97; 23.976 (7) and any
// unknown code as 0.
RemoteFrameRate RemoteFrameRateFor(int32_t rateCode) {
  switch (rateCode) {
    case 1: return {1, 0};
    case 2: return {2, 0};
    case 3: return {4, 0};
    case 4: return {4, 1};
    case 5: return {3, 0};
    case 6: return {3, 0};
    default: return {0, 0};
  }
}

// Automation time units to whole frames: an unsigned shift right by 2, as the picture
// system counts (so a negative value becomes a large count, not a negative one).
int32_t FramesOf(int32_t units) { return static_cast<int32_t>(static_cast<uint32_t>(units) >> 2); }

}  // namespace

CRemoteConformClient::CRemoteConformClient(const CGrowableArray<CSourceDestItem>& sources,
                                           const CGrowableArray<CSourceDestItem>& destinations) {
  CRegistryAccess registry;
  registry.SetRoot(HKEY_CURRENT_USER);
  int32_t autoConform = 0;
  registry.ReadNumber(kReelvaneKey, "AutoConform", autoConform, 0);
  if (autoConform == 0) return;
  if (Connect()) SendConform(sources, destinations);
}

CRemoteConformClient::~CRemoteConformClient() {
  if (ClientHandle == 0) return;
  CriticalSectionLock lock(RemoteClientSection());
  if (Entries.DestroyProjectClient != nullptr) Entries.DestroyProjectClient(ClientHandle);
}

bool CRemoteConformClient::Connect() {
  CriticalSectionLock lock(RemoteClientSection());
  Library.Unload();
  ClientHandle = 0;
  ReadServerName();
  Library = DynamicLibrary(kLibraryName);
  if (!Library.IsLoaded()) return false;
  LookUpEntryPoints();
  if (Entries.CreateProjectClient != nullptr) {
    CreateResult = Entries.CreateProjectClient(&ClientHandle, ServerName.c_str(), Message.data());
  }
  SetSampleRate();
  SetFrameRate();
  return true;
}

// A machine that has never named its server gets the default stored, so that the operator
// finds the value to change; its feature values are read then too.
void CRemoteConformClient::ReadServerName() {
  CRegistryAccess registry;
  registry.SetRoot(HKEY_LOCAL_MACHINE);
  if (registry.ReadString(kReelvaneKey, "ServerName", ServerName, kDefaultServerName) != 0) return;
  ServerName = kDefaultServerName;
  registry.WriteString(kReelvaneKey, "ServerName", ServerName);
  registry.ReadNumber(kFeatureKey, "Trim", Trim, Trim);
  registry.ReadNumber(kFeatureKey, "Edit", Edit, Edit);
}

void CRemoteConformClient::LookUpEntryPoints() {
  Entries.CreateProjectClient = Library.Function<PFN_XCI_CREATE_PROJECT_CLIENT>("fnCreateXCIProjectClient");
  Entries.DestroyProjectClient = Library.Function<PFN_XCI_DESTROY_PROJECT_CLIENT>("fnDestroyXCIProjectClient");
  Entries.SetSystemSampleRate = Library.Function<PFN_XCI_SET_SYSTEM_SAMPLE_RATE>("fnSetSystemSampleRate");
  Entries.SetSystemFrameRate = Library.Function<PFN_XCI_SET_SYSTEM_FRAME_RATE>("fnSetSystemFrameRate");
  Entries.InitiateReconform = Library.Function<PFN_XCI_INITIATE_RECONFORM>("fnInitiateReconform");
  Entries.AddConformEntry = Library.Function<PFN_XCI_ADD_CONFORM_ENTRY>("fnAddConformEntry");
  Entries.DoTheConform = Library.Function<PFN_XCI_DO_THE_CONFORM>("fnDoTheConform");
  static constexpr const char* kOtherClients[] = {
      "fnCreateXCIControlClient",  "fnDestroyXCIControlClient",  "fnCreateXCIMeteringClient",
      "fnDestroyXCIMeteringClient", "fnCreateXCIThinEditClient", "fnDestroyXCIThinEditClient",
      "fnCreateXCIFullEditClient"};
  static_assert(std::size(kOtherClients) == std::tuple_size_v<decltype(Entries.OtherClients)>);
  for (size_t i = 0; i < Entries.OtherClients.size(); ++i) {
    Entries.OtherClients[i] = Library.Function<PFN_XCI_OTHER_CLIENT>(kOtherClients[i]);
  }
}

void CRemoteConformClient::SetSampleRate() {
  CriticalSectionLock lock(RemoteClientSection());
  CRegistryAccess registry;
  registry.SetRoot(HKEY_CURRENT_USER);
  int32_t rate = kDefaultSampleRate;
  registry.ReadNumber(kPreferenceKey, "SampleRatePref", rate, kDefaultSampleRate);
  std::printf("Set Reelvane Sample Rate %d", static_cast<int>(rate));
  std::fflush(stdout);
  if (Entries.SetSystemSampleRate != nullptr) Entries.SetSystemSampleRate(ClientHandle, rate, Message.data());
}

void CRemoteConformClient::SetFrameRate() {
  CriticalSectionLock lock(RemoteClientSection());
  const RemoteFrameRate rate = RemoteFrameRateFor(CTimecodeConverter().GetRateCode());
  std::printf("Set Reelvane Frame Rate = %d, Drop frames = %d\n", static_cast<int>(rate.Code),
              static_cast<int>(rate.DropFrame));
  std::fflush(stdout);
  if (Entries.SetSystemFrameRate != nullptr) {
    Entries.SetSystemFrameRate(ClientHandle, rate.Code, rate.DropFrame, Message.data());
  }
}

// Without a client handle there is no one to send to: nothing is sent.
void CRemoteConformClient::SendConform(const CGrowableArray<CSourceDestItem>& sources,
                                       const CGrowableArray<CSourceDestItem>& destinations) {
  CriticalSectionLock lock(RemoteClientSection());
  if (ClientHandle == 0) return;
  if (Entries.InitiateReconform != nullptr) Entries.InitiateReconform(ClientHandle);
  std::unordered_map<int32_t, int32_t> firstDestination;  // pair number -> index
  for (int32_t i = 0; i < destinations.GetSize(); ++i) {
    firstDestination.try_emplace(destinations.ElementAt(i).PairNumber, i);
  }
  for (int32_t i = 0; i < sources.GetSize() && Entries.AddConformEntry != nullptr; ++i) {
    const CSourceDestItem& source = sources.ElementAt(i);
    const auto found = firstDestination.find(source.PairNumber);
    if (found == firstDestination.end()) continue;
    const CSourceDestItem& dest = destinations.ElementAt(found->second);
    const int32_t sourceIn = FramesOf(source.Start);
    const int32_t destIn = FramesOf(dest.Start);
    Entries.AddConformEntry(ClientHandle, kAllTracks, sourceIn, sourceIn + FramesOf(source.Length), destIn,
                            destIn + FramesOf(dest.Length), Message.data());
    ++EntriesSent;
  }
  if (EntriesSent > 0 && Entries.DoTheConform != nullptr) Entries.DoTheConform(ClientHandle, Message.data());
}
