// CRemoteConformClient: forwards one conform to the picture-editing system through its
// remote conform client library (RemoteConformClientApi.h), so that the picture conforms in
// step with the mix.
//
// All the work is done by the constructor: when "AutoConform" is set it loads the library,
// creates a project client on the configured server, sets the system's sample and frame
// rates, and sends one conform entry per source item that has a destination item. The
// destructor destroys the project client, then unloads the library. Nothing here fails the
// caller: a zero "AutoConform", a missing library or entry point, or no client handle only
// leave out what they prevent (see doc/remote-conform-client.md for each case).
//
// Every call into the library is made under one process-wide lock shared by all clients:
// a connection (create, sample rate, frame rate), a conform (initiate, entries, do the
// conform) and a destruction each reach the library whole, never interleaved with another
// client's calls. A client object itself is used by one thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "commonobjects/conform/RemoteConformClientApi.h"
#include "commonobjects/conform/SourceDestItem.h"
#include "commonobjects/eventstore/GrowableArray.h"
#include "commonobjects/platform/DynamicLibrary.h"

class CRemoteConformClient {
 public:
  static constexpr char kLibraryName[] = "XCIRemoteClient.dll";
  static constexpr char kDefaultServerName[] = "localhost";
  // "AutoConform" under HKEY_CURRENT_USER and "ServerName" under HKEY_LOCAL_MACHINE.
  static constexpr char kReelvaneKey[] = "Software\\QRXTARN\\Reelvane";
  // "Trim" and "Edit" under HKEY_LOCAL_MACHINE.
  static constexpr char kFeatureKey[] = "SOFTWARE\\QRXTARN\\REELVANE\\Feature Settings";
  // "SampleRatePref" under HKEY_CURRENT_USER.
  static constexpr char kPreferenceKey[] = "Software\\QRXSettings\\QENSERVER\\PrefereceArea\\";

  // sources: the source items in source-list order; destinations: the destination items.
  // Starts and lengths are automation time units; PairNumber links a source to its
  // destination. The lists are read during construction only.
  CRemoteConformClient(const CGrowableArray<CSourceDestItem>& sources,
                       const CGrowableArray<CSourceDestItem>& destinations);
  ~CRemoteConformClient();
  CRemoteConformClient(const CRemoteConformClient&) = delete;
  CRemoteConformClient& operator=(const CRemoteConformClient&) = delete;

  // True once the library was loaded (it stays loaded for the client's life).
  bool IsConnected() const { return Library.IsLoaded(); }
  // The project client's handle; 0 when there is none.
  int32_t GetClientHandle() const { return ClientHandle; }
  // What "fnCreateXCIProjectClient" returned (0 when it was not called).
  int32_t GetCreateResult() const { return CreateResult; }
  // The number of conform entries sent.
  int32_t GetEntriesSent() const { return EntriesSent; }
  const std::string& GetServerName() const { return ServerName; }
  // The "Trim" and "Edit" feature values, read (default 0) when no server name was stored.
  int32_t GetTrimFeature() const { return Trim; }
  int32_t GetEditFeature() const { return Edit; }

 private:
  struct EntryPoints {
    PFN_XCI_CREATE_PROJECT_CLIENT CreateProjectClient = nullptr;
    PFN_XCI_DESTROY_PROJECT_CLIENT DestroyProjectClient = nullptr;
    PFN_XCI_SET_SYSTEM_SAMPLE_RATE SetSystemSampleRate = nullptr;
    PFN_XCI_SET_SYSTEM_FRAME_RATE SetSystemFrameRate = nullptr;
    PFN_XCI_INITIATE_RECONFORM InitiateReconform = nullptr;
    PFN_XCI_ADD_CONFORM_ENTRY AddConformEntry = nullptr;
    PFN_XCI_DO_THE_CONFORM DoTheConform = nullptr;
    // The control, metering, thin-edit and full-edit clients' functions: looked up only.
    std::array<PFN_XCI_OTHER_CLIENT, 7> OtherClients{};
  };

  // Loads the library, creates the project client and sets the rates; false when the
  // library cannot be loaded.
  bool Connect();
  void ReadServerName();
  void LookUpEntryPoints();
  void SetSampleRate();
  void SetFrameRate();
  void SendConform(const CGrowableArray<CSourceDestItem>& sources,
                   const CGrowableArray<CSourceDestItem>& destinations);

  commonobjects::platform::DynamicLibrary Library;
  std::array<char, XCI_MESSAGE_BYTES> Message{};
  std::string ServerName;
  int32_t ClientHandle = 0;
  int32_t Trim = 0;
  int32_t Edit = 0;
  EntryPoints Entries;
  int32_t CreateResult = 0;
  int32_t EntriesSent = 0;
};
