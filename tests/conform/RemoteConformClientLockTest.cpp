#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "commonobjects/conform/RemoteConformClient.h"
#include "support/RemoteClientRecorder.h"
#include "support/TestConsole.h"

namespace {

using commonobjects::platform::RegistryValue;

// The handle a logged call names (its first number), or -1.
int32_t HandleOf(const std::string& call) {
  std::istringstream words(call);
  std::string name, server;
  int32_t handle = -1;
  words >> name;
  if (name == "fnCreateXCIProjectClient") words >> server;
  words >> handle;
  return handle;
}

// Clients built on two threads at once reach the library one call at a time, and each
// client's connection (create, rates) and conform (initiate ... do the conform) arrive whole.
TEST(RemoteConformClientLockTest, ClientsOnTwoThreadsNeverInterleaveTheirCalls) {
  testsupport::TestConsole console;
  console.Store().SetValue(HKEY_CURRENT_USER, CRemoteConformClient::kReelvaneKey, "AutoConform",
                           RegistryValue::Dword(1));
  testsupport::RemoteClientRecorder recorder(false, 300);
  ASSERT_TRUE(recorder.IsLoaded()) << recorder.Error();
  constexpr int kClientsPerThread = 6;
  constexpr int kEntries = 4;
  CGrowableArray<CSourceDestItem> sources, destinations;
  for (int32_t i = 0; i < kEntries; ++i) {
    CSourceDestItem item;
    item.PairNumber = i;
    item.Start = i * 400;
    item.Length = 400;
    sources.Add(item);
    destinations.Add(item);
  }
  auto work = [&] {
    for (int i = 0; i < kClientsPerThread; ++i) CRemoteConformClient client(sources, destinations);
  };
  testing::internal::CaptureStdout();
  std::thread first(work), second(work);
  first.join();
  second.join();
  testing::internal::GetCapturedStdout();

  EXPECT_EQ(recorder.Overlaps(), 0);
  const std::vector<std::string> calls = recorder.TakeCalls();
  ASSERT_EQ(calls.size(), size_t{2 * kClientsPerThread * (3 + 1 + kEntries + 1 + 1)});
  for (size_t i = 0; i < calls.size(); ++i) {
    size_t whole = 0;  // calls of one client that must follow this one
    if (calls[i].rfind("fnCreateXCIProjectClient", 0) == 0) whole = 2;
    if (calls[i].rfind("fnInitiateReconform", 0) == 0) whole = kEntries + 1;
    for (size_t k = 1; k <= whole; ++k) {
      ASSERT_LT(i + k, calls.size());
      EXPECT_EQ(HandleOf(calls[i + k]), HandleOf(calls[i])) << calls[i] << " then " << calls[i + k];
    }
  }
}

}  // namespace
