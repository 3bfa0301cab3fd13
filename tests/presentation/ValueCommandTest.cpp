// mixauto value, run as a user runs it, on a registry file of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/RunTool.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// Runs mixauto value on the registry file (absent: every setting has its default); returns
// the exit status and stdout and stderr together.
testsupport::ToolResult RunValue(const fs::path& registry, const std::string& arguments) {
  return testsupport::RunTool("COMMONOBJECTS_REGISTRY='" + registry.string() + "' '" + MIXAUTO_PATH + "' value " +
                              arguments + " 2>&1");
}

TEST(ValueCommandTest, ConvertsBothWaysUnderTheConsoleTypeAndExplainsFailures) {
  const testsupport::TempFolder folder("value-command");
  const fs::path registry = folder.PathOf("registry.reg");
  const struct {
    int consoleType;  // 0: no registry file (type 3)
    const char* arguments;
    bool ok;
    const char* lines[2];
  } cases[] = {
      {0, "--proc 14 --control 0 --text '-3.5 dB'", true, {"value         -280", "-3.5dB"}},
      {0, "--proc 14 --control 0 --value -8192", true, {"console type  3", "text          Cut"}},
      {0, "--proc 0 --control 2 --value 1", true, {"Input Phase", "text          R\xC3\x98" "A"}},
      {0, "--proc 1 --control 0 --value 4000 --raw-frequency 1", true, {"EQ 1 Freq", "4737Hz"}},
      {0, "--proc 1 --control 1 --value 320 --units 0", true, {"EQ 1 Gain", "text          1.0\n"}},
      {0, "--proc 14 --control 2 --text On", false, {"Fader Mute (Proc 14, Control 2) has no", ""}},
      {0, "--proc 14 --control 0", false, {"give either --text or --value", ""}},
      {0, "--proc 14 --control 0 --text 1 --value 2", false, {"excludes", ""}},
      {0, "--proc 256 --control 0 --value 1", false, {"--proc", ""}},
      {6, "--proc 3 --control 0 --value 0", true, {"console type  6", "text          Sel2"}},
  };
  for (const auto& c : cases) {
    if (c.consoleType != 0) {
      std::ofstream(registry) << "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\QRX Tarn Tavmir\\Main]"
                              << "\n\"TavmirConsoleType\"=dword:0000000" << c.consoleType << "\n";
    }
    const auto [status, output] = RunValue(registry, c.arguments);
    EXPECT_EQ(status == 0, c.ok) << c.arguments << "\n" << output;
    for (const char* line : c.lines) {
      EXPECT_NE(output.find(line), std::string::npos) << c.arguments << "\n" << output;
    }
  }
}

}  // namespace
