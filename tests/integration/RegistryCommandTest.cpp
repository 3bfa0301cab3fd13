// mixauto registry, run as a user runs it, on a registry file of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "commonobjects/platform/RegFileFormat.h"
#include "support/RegFileCases.h"
#include "support/RunTool.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

using CommandResult = testsupport::ToolResult;  // output holds stdout and stderr together

class RegistryCommandTest : public ::testing::Test {
 protected:
  CommandResult Run(const std::string& arguments) const {
    return testsupport::RunTool("COMMONOBJECTS_REGISTRY='" + registry_ + "' '" + MIXAUTO_PATH + "' registry " +
                                arguments + " 2>&1");
  }

  testsupport::TempFolder folder_{"registry-command"};
  std::string registry_ = folder_.PathOf("registry.reg");
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}


commonobjects::platform::RegistryTree TreeOf(const std::string& bytes) {
  commonobjects::platform::RegFileContents contents;
  EXPECT_FALSE(commonobjects::platform::ParseRegFile(bytes, contents).has_value());
  return contents.Tree();
}

TEST_F(RegistryCommandTest, CheckReportsTheLineOfAMalformedFileWhichWritesLeaveUntouched) {
  fs::copy_file(fs::path(COMMONOBJECTS_SOURCE_DIR) / "testdata/registry/malformed-console-settings.reg", registry_);
  const std::string before = ReadFile(registry_);

  const CommandResult check = Run("check");
  EXPECT_NE(check.status, 0);
  EXPECT_NE(check.output.find(registry_ + ":6: "), std::string::npos) << check.output;

  const CommandResult set = Run("set HKLM\\\\Software\\\\X Name 1 --type dword");
  EXPECT_NE(set.status, 0);
  EXPECT_NE(set.output.find(registry_ + ":6: "), std::string::npos) << set.output;
  EXPECT_EQ(ReadFile(registry_), before);
}

TEST_F(RegistryCommandTest, SetThenGetGivesTheValueBackAndAMissingValueExitsOne) {
  EXPECT_EQ(Run("set 'SOFTWARE\\QRX Tarn Tavmir\\Main' TavmirConsoleType 0x5 --type dword").status, 0);
  EXPECT_EQ(Run("set 'HKCU\\Software\\X' Studio 'Théâtre'").status, 0);

  const CommandResult dword = Run("get 'HKEY_LOCAL_MACHINE\\software\\qrx tarn tavmir\\main' tavmirconsoletype");
  EXPECT_EQ(dword.status, 0);
  EXPECT_EQ(dword.output, "5\n");
  EXPECT_EQ(Run("get 'HKEY_CURRENT_USER\\Software\\X' Studio").output, "Théâtre\n");
  EXPECT_EQ(Run("get 'HKCU\\Software\\X' Missing").status, 1);
  EXPECT_EQ(Run("check").status, 0);
}

TEST_F(RegistryCommandTest, ImportOfAConsoleExportThenExportGivesTheSameBytes) {
  const fs::path sample = fs::path(COMMONOBJECTS_SOURCE_DIR) / "testdata/registry/console-machine-export.reg";
  const CommandResult import = Run("import '" + sample.string() + "'");
  EXPECT_EQ(import.status, 0) << import.output;
  const fs::path exported = folder_.PathOf("exported.reg");
  EXPECT_EQ(Run("export '" + exported.string() + "'").status, 0);
  EXPECT_EQ(ReadFile(exported), ReadFile(sample));
}

// Each file the registry editor reads imports what it describes (the forms taken in turn);
// each file it gives up on is refused with its line, and the registry is not written.
TEST_F(RegistryCommandTest, ImportReadsFilesAsTheRegistryEditorDoesAndRefusesTheRestWhole) {
  using testsupport::RegFileForm;
  using testsupport::RegFileLineEnd;
  const RegFileForm forms[] = {RegFileForm::kUtf16, RegFileForm::kAnsi, RegFileForm::kUtf8};
  const RegFileLineEnd ends[] = {RegFileLineEnd::kCr, RegFileLineEnd::kCrLf, RegFileLineEnd::kLf, RegFileLineEnd::kCr};
  const fs::path file = folder_.PathOf("case.reg");
  const fs::path exported = folder_.PathOf("exported.reg");
  int k = 0;
  for (const auto& c : testsupport::AcceptedRegFiles()) {
    SCOPED_TRACE(c.what);
    fs::remove(registry_);
    testsupport::WriteBytes(file, testsupport::RegFileBytes(c.lines, forms[k % 3], ends[k % 4], c.indentHeader));
    ++k;
    const CommandResult import = Run("import '" + file.string() + "'");
    EXPECT_EQ(import.status, 0) << import.output;
    ASSERT_EQ(Run("export '" + exported.string() + "'").status, 0);
    EXPECT_EQ(TreeOf(ReadFile(exported)),
              TreeOf(testsupport::RegFileBytes(c.same, RegFileForm::kUtf8, RegFileLineEnd::kLf)));
  }

  ASSERT_EQ(Run("set 'HKCU\\Cases' Kept 1 --type dword").status, 0);
  const std::string before = ReadFile(registry_);
  for (const auto& c : testsupport::RefusedRegFiles()) {
    SCOPED_TRACE(c.what);
    testsupport::WriteBytes(file, testsupport::RegFileBytes(c.lines, forms[k % 3], ends[k % 4]));
    ++k;
    const CommandResult import = Run("import '" + file.string() + "'");
    EXPECT_NE(import.status, 0);
    EXPECT_NE(import.output.find(file.string() + ":" + std::to_string(c.line) + ": "), std::string::npos)
        << import.output;
    EXPECT_NE(import.output.find("nothing was imported"), std::string::npos) << import.output;
    EXPECT_EQ(ReadFile(registry_), before);
  }
}

}  // namespace
