// mixauto timecode, run as a user runs it, on a registry file of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/RunTool.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// The exit status and output (stdout and stderr) of mixauto timecode ARGUMENTS.
testsupport::ToolResult RunTimecode(const fs::path& registry, const std::string& arguments) {
  return testsupport::RunTool("COMMONOBJECTS_REGISTRY='" + registry.string() + "' '" + MIXAUTO_PATH + "' timecode " +
                              arguments + " 2>&1");
}

// The table row of a time, its columns' padding squeezed to one space.
std::string RowOf(const std::string& output, const std::string& time) {
  const size_t start = output.find("\n  " + time + " ");
  std::string row;
  for (size_t i = start + 3; start != std::string::npos && i < output.size() && output[i] != '\n'; ++i) {
    if (output[i] != ' ' || row.back() != ' ') row += output[i];
  }
  return row;
}

TEST(TimecodeCommandTest, ConvertsEachFormUnderTheRegistrySettingsAndNamesABadTime) {
  const testsupport::TempFolder folder("timecode-command");
  const fs::path registry = folder.PathOf("registry.reg");
  std::ofstream(registry) << "Windows Registry Editor Version 5.00\n\n"
                             "[HKEY_CURRENT_USER\\SOFTWARE\\QRXTARN\\QRX Tarn Tavmir\\Timecode]\n"
                             "\"TavmirTimcodeRate\"=dword:00000003\n";
  const auto [status, output] = RunTimecode(registry, "01:00:10:00 120+08 '#4000' --units 100");
  EXPECT_EQ(status, 0) << output;
  EXPECT_NE(output.find("rate code     3: 30 fps"), std::string::npos) << output;
  EXPECT_EQ(RowOf(output, "01:00:10:00"), "01:00:10:00 361000 361000.001000 01:00:10 00") << output;
  EXPECT_EQ(RowOf(output, "120+08"), "120+08 8033 8033.333333 00:01:20 10");
  EXPECT_EQ(RowOf(output, "#4000"), "#4000 4000 - 00:00:40 00");
  EXPECT_EQ(RowOf(output, "#100"), "#100 100 - 00:00:01 00");

  const auto [badStatus, badOutput] = RunTimecode(registry, "01:00:10:30");
  EXPECT_EQ(badStatus, 1);
  EXPECT_NE(badOutput.find("\"01:00:10:30\": frames must be 0 to 29"), std::string::npos) << badOutput;
}

}  // namespace
