#include "commonobjects/platform/DynamicLibrary.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "commonobjects/platform/WindowsDrive.h"
#include "support/TempFolder.h"

namespace commonobjects::platform {
namespace {

namespace fs = std::filesystem;

TEST(DynamicLibraryTest, WindowsNamesAreAlsoTriedAsSharedObjects) {
  std::string root = WindowsDriveRoot();
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"XCIRemoteClient.dll", {"XCIRemoteClient.dll", "libXCIRemoteClient.so"}},
      {"Remote.DLL", {"Remote.DLL", "libRemote.so"}},
      {"/opt/x/Remote.dll", {"/opt/x/Remote.dll", "/opt/x/libRemote.so"}},
      {"C:\\Tavmir\\Remote.dll", {root + "/Tavmir/Remote.dll", root + "/Tavmir/libRemote.so"}},
      {"libz.so.1", {"libz.so.1"}},
      {".dll", {".dll"}},
      {"D:\\Remote.dll", {}},
  };
  for (const auto& [name, candidates] : cases) EXPECT_EQ(LibraryFileCandidates(name), candidates) << name;
}

TEST(DynamicLibraryTest, DllNameLoadsTheSharedObjectBesideItOrFailsWithTheLoaderText) {
  DynamicLibrary missing("NoSuchRemoteClient.dll");
  EXPECT_FALSE(missing.IsLoaded());
  EXPECT_NE(missing.Error().find("libNoSuchRemoteClient.so"), std::string::npos) << missing.Error();
  EXPECT_EQ(missing.Symbol("anything"), nullptr);

  DynamicLibrary zlib("libz.so.1");
  ASSERT_TRUE(zlib.IsLoaded()) << zlib.Error();
  const testsupport::TempFolder folder("co-dl");
  fs::copy_file(zlib.LoadedPath(), folder.PathOf("libRemoteStub.so"));

  DynamicLibrary stub(folder.PathOf("RemoteStub.dll"));
  ASSERT_TRUE(stub.IsLoaded()) << stub.Error();
  EXPECT_EQ(fs::path(stub.LoadedPath()).filename(), "libRemoteStub.so");
  auto version = stub.Function<const char* (*)()>("zlibVersion");
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version()[0], '1');
  std::string error;
  EXPECT_EQ(stub.Symbol("fnNoSuchEntry", &error), nullptr);
  EXPECT_NE(error.find("fnNoSuchEntry"), std::string::npos) << error;

  DynamicLibrary moved = std::move(stub);
  EXPECT_NE(moved.Symbol("zlibVersion"), nullptr);
}

}  // namespace
}  // namespace commonobjects::platform
