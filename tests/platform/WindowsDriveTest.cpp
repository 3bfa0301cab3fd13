#include "commonobjects/platform/WindowsDrive.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

namespace commonobjects::platform {
namespace {

// Each test sets the variables it needs; the old values come back afterwards.
class WindowsDriveTest : public testing::Test {
 protected:
  static constexpr const char* kNames[] = {"HOME", "XDG_DATA_HOME", "COMMONOBJECTS_ROOT"};
  WindowsDriveTest() {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  ~WindowsDriveTest() override {
    for (size_t i = 0; i < saved_.size(); ++i) Set(kNames[i], saved_[i] ? saved_[i]->c_str() : nullptr);
  }
  static void Set(const char* name, const char* value) { value ? setenv(name, value, 1) : unsetenv(name); }
  std::vector<std::optional<std::string>> saved_;
};

TEST_F(WindowsDriveTest, RootComesFromTheFirstUsableVariable) {
  const std::tuple<const char*, const char*, std::string> cases[] = {
      {"/srv/console/", "/data", "/srv/console"},
      {"", "/data", "/data/commonobjects/root"},
      {nullptr, "/data", "/data/commonobjects/root"},
      {nullptr, "not/absolute", "/home/mixer/.local/share/commonobjects/root"},
      {nullptr, nullptr, "/home/mixer/.local/share/commonobjects/root"},
  };
  Set("HOME", "/home/mixer");
  for (const auto& [root, dataHome, expected] : cases) {
    Set("COMMONOBJECTS_ROOT", root);
    Set("XDG_DATA_HOME", dataHome);
    EXPECT_EQ(WindowsDriveRoot(), expected) << (root ? root : "(unset)");
  }
}

TEST_F(WindowsDriveTest, DrivePathsLandInsideTheRootAndOthersOnlyChangeSeparators) {
  EXPECT_EQ(GetWindowsDirectory(), "C:\\WINDOWS");
  Set("COMMONOBJECTS_ROOT", "/srv/root");
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\Tavmir\\tcerr.txt", "/srv/root/Tavmir/tcerr.txt"},
      {"c:/tavmir/edl files/QRX RESERVED TEMP.edl", "/srv/root/tavmir/edl files/QRX RESERVED TEMP.edl"},
      {"C:\\", "/srv/root"},
      {"C:Mixes\\a.mix", "/srv/root/Mixes/a.mix"},
      {"\\Tavmir\\\\x\\.\\y\\", "/srv/root/Tavmir/x/y"},
      {"C:\\a\\..\\..\\etc\\passwd", "/srv/root/etc/passwd"},
      {"D:\\Mixes\\a.mix", ""},
      {"\\\\server\\share\\a.mix", ""},
      {"edl files\\reel 1.edl", "edl files/reel 1.edl"},
      {"/home/mixer/a.mix", "/home/mixer/a.mix"},
  };
  for (const auto& [windows, native] : cases) EXPECT_EQ(MapWindowsPath(windows), native) << windows;
  EXPECT_EQ(MapWindowsPath(GetWindowsDirectory().substr(0, 2) + "\\x"), "/srv/root/x");
  EXPECT_FALSE(std::filesystem::exists("/srv/root"));  // mapping creates no folder
  Set("COMMONOBJECTS_ROOT", "/");
  EXPECT_EQ(MapWindowsPath("C:\\a\\b"), "/a/b");
}

}  // namespace
}  // namespace commonobjects::platform
