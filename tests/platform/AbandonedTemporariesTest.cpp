// Temporary files of saves whose process died are swept by the next save of the same file.
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "commonobjects/platform/File.h"
#include "commonobjects/platform/FileReplacement.h"
#include "support/TempFolder.h"

namespace commonobjects::platform {
namespace {

// No process ever has this number: process numbers stay below 2^22.
constexpr const char* kDeadWriter = "99999999";

void Touch(const std::string& path) { std::ofstream(path) << "part of a save"; }

TEST(AbandonedTemporariesTest, TheNextSaveRemovesOnlyTheFilesOfDeadWritersThatNobodyHolds) {
  testsupport::TempFolder folder;
  const std::string mix = folder.PathOf("reel 1.mix");
  Touch(mix);
  const std::string dead1 = mix + ".tmp-" + kDeadWriter + "-0";
  const std::string dead2 = mix + ".tmp-" + kDeadWriter + "-17";
  const std::string heldDead = mix + ".tmp-" + kDeadWriter + "-3";
  const std::string live = mix + ".tmp-" + std::to_string(::getppid()) + "-0";
  const std::string ours = TemporaryNameBeside(mix);
  const std::string otherFile = folder.PathOf("reel 1.mi.tmp-") + kDeadWriter + "-0";
  const std::string notOurName = mix + ".tmp-" + kDeadWriter;
  const std::string notOurName2 = mix + ".tmp-x" + kDeadWriter + "-1";
  for (const auto& path : {dead1, dead2, heldDead, live, ours, otherFile, notOurName, notOurName2}) Touch(path);
  // A writer on another machine, or one whose process number came back: it holds its file.
  const int holder = ::open(heldDead.c_str(), O_RDONLY);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);

  std::unique_ptr<FileReplacement> replacement;
  std::unique_ptr<RandomAccessFile> file;
  ASSERT_TRUE(FileReplacement::Begin(mix, &replacement, &file).IsOk());
  EXPECT_FALSE(std::filesystem::exists(dead1));
  EXPECT_FALSE(std::filesystem::exists(dead2));
  for (const auto& path : {heldDead, live, ours, otherFile, notOurName, notOurName2, mix}) {
    EXPECT_TRUE(std::filesystem::exists(path)) << path;
  }
  ::close(holder);
  // Released, the dead writer's file goes at the next sweep; the live writer's never does.
  EXPECT_EQ(RemoveAbandonedTemporaries(mix), 1);
  EXPECT_FALSE(std::filesystem::exists(heldDead));
  EXPECT_TRUE(std::filesystem::exists(live));
  EXPECT_EQ(RemoveAbandonedTemporaries(folder.PathOf("no such folder/x.mix")), 0);
}

}  // namespace
}  // namespace commonobjects::platform
