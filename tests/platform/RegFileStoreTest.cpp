#include "commonobjects/platform/RegFileStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace commonobjects::platform {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}


class RegFileStoreTest : public ::testing::Test {
 protected:
  // Names in the folder other than the registry file and its lock file.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_.Path())) {
      const std::string name = entry.path().filename().string();
      if (name != "registry.reg" && name != "registry.reg.lock") names.push_back(name);
    }
    return names;
  }

  testsupport::TempFolder folder_{"regfilestore"};
  std::string file_ = folder_.PathOf("registry.reg");
};

TEST_F(RegFileStoreTest, MissingFileIsEmptyAndTheFirstWriteCreatesFolderAndRegeditFile) {
  const std::string nested = folder_.PathOf("new/folder/registry.reg");
  RegFileStore store(nested);
  EXPECT_FALSE(store.KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE"));
  EXPECT_FALSE(store.ParseError().has_value());

  ASSERT_TRUE(store.SetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\QRXTARN\\QENSERVER", "Version", RegistryValue::Dword(1)));
  RegFileContents contents;
  ASSERT_FALSE(LoadRegFile(nested, contents, false).has_value());
  EXPECT_EQ(contents.style, kRegeditStyle);
  EXPECT_EQ(*contents.Tree().FindValue(HKEY_LOCAL_MACHINE, "software\\qrxtarn\\qenserver", "version"),
            RegistryValue::Dword(1));
}

TEST_F(RegFileStoreTest, RewritingAFileKeepsItsEncodingHeaderAndLineEnds) {
  testsupport::WriteBytes(file_, "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"Studio\"=\"Th\xE9\xE2tre\"\n");
  RegFileStore store(file_);
  ASSERT_TRUE(store.SetValue(HKEY_CURRENT_USER, "K", "Added", RegistryValue::String("\xE9")));
  EXPECT_EQ(ReadFile(file_), "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"Added\"=\"\xE9\"\n\"Studio\"=\"Th\xE9\xE2tre\"\n\n");
}

TEST_F(RegFileStoreTest, ReadsOfAnUnchangedFileDoNotReparseAndSeeOtherWritersChanges) {
  RegFileStore writer(file_);
  RegFileStore reader(file_);
  ASSERT_TRUE(writer.SetValue(HKEY_LOCAL_MACHINE, "Main", "Max Paths Mode", RegistryValue::Dword(1)));
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(reader.QueryValue(HKEY_LOCAL_MACHINE, "Main", "Max Paths Mode"));
  EXPECT_EQ(reader.ParseCountForTesting(), 1u);
  EXPECT_EQ(writer.ParseCountForTesting(), 0u);  // the writer knows what it wrote

  ASSERT_TRUE(writer.SetValue(HKEY_LOCAL_MACHINE, "Main", "Max Paths Mode", RegistryValue::Dword(2)));
  EXPECT_EQ(*reader.QueryValue(HKEY_LOCAL_MACHINE, "Main", "Max Paths Mode"), RegistryValue::Dword(2));
  EXPECT_EQ(reader.ParseCountForTesting(), 2u);

  // Writing what is already there leaves the file alone.
  struct stat before {}, after {};
  ASSERT_EQ(::stat(file_.c_str(), &before), 0);
  EXPECT_TRUE(reader.SetValue(HKEY_LOCAL_MACHINE, "main", "MAX PATHS MODE", RegistryValue::Dword(2)));
  EXPECT_TRUE(reader.CreateKey(HKEY_LOCAL_MACHINE, "MAIN"));
  ASSERT_EQ(::stat(file_.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(RegFileStoreTest, MalformedFileReadsEmptyAndWritesFailLeavingItByteIdentical) {
  const std::string malformed =
      ReadFile(fs::path(COMMONOBJECTS_SOURCE_DIR) / "testdata" / "registry" / "malformed-console-settings.reg");
  testsupport::WriteBytes(file_, malformed);
  RegFileStore store(file_);
  EXPECT_FALSE(store.QueryValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\QRX Tarn Tavmir\\Main", "TavmirConsoleType"));
  ASSERT_TRUE(store.ParseError().has_value());
  EXPECT_EQ(store.ParseError()->line, 6);

  EXPECT_FALSE(store.SetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\QRX Tarn Tavmir\\Main", "X", RegistryValue::Dword(1)));
  EXPECT_FALSE(store.Merge(RegistryTree()));
  EXPECT_NE(store.LastWriteError().find(file_ + ":6: "), std::string::npos) << store.LastWriteError();
  EXPECT_EQ(ReadFile(file_), malformed);
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(RegFileStoreTest, AWriteFailingAtAnyStepLeavesTheOldFileAndNoTemporary) {
  RegFileStore store(file_);
  ASSERT_TRUE(store.SetValue(HKEY_CURRENT_USER, "K", "v", RegistryValue::Dword(1)));
  const std::string before = ReadFile(file_);
  for (auto step : {RegFileWriteStep::kWriteTemporary, RegFileWriteStep::kSyncTemporary, RegFileWriteStep::kRename}) {
    SCOPED_TRACE(static_cast<int>(step));
    store.SetWriteFaultForTesting(step);
    EXPECT_FALSE(store.SetValue(HKEY_CURRENT_USER, "K", "v", RegistryValue::Dword(2)));
    EXPECT_FALSE(store.LastWriteError().empty());
    EXPECT_EQ(ReadFile(file_), before);
    EXPECT_TRUE(Leftovers().empty());
    EXPECT_EQ(*store.QueryValue(HKEY_CURRENT_USER, "K", "v"), RegistryValue::Dword(1));
  }
  store.SetWriteFaultForTesting(std::nullopt);
  EXPECT_TRUE(store.SetValue(HKEY_CURRENT_USER, "K", "v", RegistryValue::Dword(2)));
  EXPECT_TRUE(store.LastWriteError().empty());
}

TEST_F(RegFileStoreTest, ImportAppliesAFilesDeletionsAndValuesInOneWrite) {
  RegFileStore store(file_);
  ASSERT_TRUE(store.SetValue(HKEY_LOCAL_MACHINE, "Old\\Sub", "x", RegistryValue::Dword(1)));
  ASSERT_TRUE(store.SetValue(HKEY_LOCAL_MACHINE, "Keep", "gone", RegistryValue::Dword(1)));
  RegFileContents contents;
  ASSERT_FALSE(ParseRegFile("REGEDIT4\n[-HKEY_LOCAL_MACHINE\\Old]\n[HKEY_LOCAL_MACHINE\\Keep]\n\"gone\"=-\n\"new\"=\"1\"\n",
                            contents));
  ASSERT_TRUE(store.Import(contents));
  RegistryTree expected;
  expected.SetValue(HKEY_LOCAL_MACHINE, "Keep", "new", RegistryValue::String("1"));
  EXPECT_EQ(RegFileStore(file_).Snapshot(), expected);
}

TEST(RegistryFilePathTest, EnvironmentChoosesTheFile) {
  const auto saved = [](const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::optional<std::string>() : std::string(value);
  };
  const auto registry = saved("COMMONOBJECTS_REGISTRY"), config = saved("XDG_CONFIG_HOME"), home = saved("HOME");
  ::setenv("HOME", "/home/mixer", 1);
  const struct {
    const char* registry;
    const char* config;
    const char* expected;
  } cases[] = {{"/tmp/r.reg", "/cfg", "/tmp/r.reg"},
               {"", "/cfg", "/cfg/commonobjects/registry.reg"},
               {nullptr, nullptr, "/home/mixer/.config/commonobjects/registry.reg"},
               {nullptr, "relative", "/home/mixer/.config/commonobjects/registry.reg"}};
  for (const auto& c : cases) {
    c.registry ? ::setenv("COMMONOBJECTS_REGISTRY", c.registry, 1) : ::unsetenv("COMMONOBJECTS_REGISTRY");
    c.config ? ::setenv("XDG_CONFIG_HOME", c.config, 1) : ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(DefaultRegistryFilePath(), c.expected);
  }
  const auto restore = [](const char* name, const std::optional<std::string>& value) {
    value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
  };
  restore("COMMONOBJECTS_REGISTRY", registry);
  restore("XDG_CONFIG_HOME", config);
  restore("HOME", home);
}

}  // namespace
}  // namespace commonobjects::platform
