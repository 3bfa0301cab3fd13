#include "commonobjects/platform/File.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/TempFolder.h"

namespace commonobjects::platform {
namespace {

namespace fs = std::filesystem;

class FileTest : public testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return folder_.PathOf(name); }
  std::string Contents(const std::string& name) const {
    std::string text = "(unreadable)";
    ReadWholeFile(PathOf(name), &text);
    return text;
  }

  testsupport::TempFolder folder_{"co-file"};
};

TEST_F(FileTest, OpenModesFindCreateOrEmptyAsTheirWindowsCounterparts) {
  ASSERT_TRUE(WriteFileAtomically(PathOf("old"), "old contents").IsOk());
  const std::tuple<std::string, FileMode, FileStatus::Code, std::string> cases[] = {
      {"missing", FileMode::kRead, FileStatus::kNotFound, "(unreadable)"},
      {"no folder/x", FileMode::kCreateAlways, FileStatus::kNotFound, "(unreadable)"},
      {"old", FileMode::kOpenAlways, FileStatus::kOk, "old contents"},
      {"old", FileMode::kCreateAlways, FileStatus::kOk, ""},
      {"new", FileMode::kOpenAlways, FileStatus::kOk, ""},
  };
  for (const auto& [name, mode, code, contentsAfter] : cases) {
    File file;
    FileStatus status = file.Open(PathOf(name), mode);
    EXPECT_EQ(status.code, code) << name << ": " << status.message;
    EXPECT_EQ(file.IsOpen(), status.IsOk());
    EXPECT_EQ(Contents(name), contentsAfter) << name;
    EXPECT_EQ(status.message.find(PathOf(name)) != std::string::npos, !status.IsOk()) << status.message;
  }
  File folder;
  EXPECT_EQ(folder.Open(folder_.Path().string(), FileMode::kRead).code, FileStatus::kAccessDenied);
}

TEST_F(FileTest, ReadWriteSeekAndSizeFollowThePosition) {
  File file;
  ASSERT_TRUE(file.Open(PathOf("f"), FileMode::kCreateAlways).IsOk());
  ASSERT_TRUE(file.Write("hello world", 11).IsOk());
  char buffer[16] = {};
  size_t got = 0;
  uint64_t position = 0, size = 0;
  ASSERT_TRUE(file.Seek(6, SeekOrigin::kBegin).IsOk());
  ASSERT_TRUE(file.Read(buffer, sizeof buffer, &got).IsOk());
  EXPECT_EQ(std::string(buffer, got), "world");  // short only at the end
  EXPECT_FALSE(file.Seek(-20, SeekOrigin::kCurrent).IsOk());
  ASSERT_TRUE(file.Seek(0, SeekOrigin::kCurrent, &position).IsOk());
  EXPECT_EQ(position, 11u);  // a failed seek moves nothing
  ASSERT_TRUE(file.Seek(2, SeekOrigin::kEnd).IsOk());
  ASSERT_TRUE(file.Write("!", 1).IsOk());
  ASSERT_TRUE(file.Size(&size).IsOk());
  EXPECT_EQ(Contents("f"), std::string("hello world\0\0!", size));

  ASSERT_TRUE(file.Open(PathOf("f"), FileMode::kRead).IsOk());
  EXPECT_EQ(file.Write("x", 1).code, FileStatus::kAccessDenied);
  EXPECT_EQ(Contents("f").size(), 14u);
}

TEST_F(FileTest, ExclusiveHandleRefusesOtherExclusiveOpeningsButNotReaders) {
  ASSERT_TRUE(WriteFileAtomically(PathOf("held"), "kept").IsOk());
  File holder;
  ASSERT_TRUE(holder.Open(PathOf("held"), FileMode::kOpenAlways, FileShare::kExclusive).IsOk());
  File other;
  for (FileMode mode : {FileMode::kRead, FileMode::kReadWrite, FileMode::kCreateAlways}) {
    EXPECT_EQ(other.Open(PathOf("held"), mode, FileShare::kExclusive).code, FileStatus::kInUse);
  }
  EXPECT_EQ(Contents("held"), "kept");  // the refused create-always emptied nothing
  EXPECT_EXIT(std::exit(other.Open(PathOf("held"), FileMode::kRead, FileShare::kExclusive).code ==
                                FileStatus::kInUse ? 0 : 1),
              testing::ExitedWithCode(0), "");  // another process is refused too
  File reader;
  EXPECT_TRUE(reader.Open(PathOf("held"), FileMode::kRead).IsOk());
  holder.Close();
  EXPECT_TRUE(other.Open(PathOf("held"), FileMode::kRead, FileShare::kExclusive).IsOk());
}

TEST_F(FileTest, FolderAndNameOperationsReportWhatIsThere) {
  FileAttributes attributes;
  ASSERT_TRUE(WriteFileAtomically(PathOf("a"), "12345").IsOk());
  ASSERT_TRUE(GetFileAttributes(PathOf("a"), &attributes).IsOk());
  EXPECT_EQ(attributes.size, 5u);
  EXPECT_EQ(GetFileAttributes(PathOf("none"), &attributes).code, FileStatus::kNotFound);
  EXPECT_TRUE(CreateDirectories(PathOf("x/y/z")).IsOk());
  EXPECT_TRUE(CreateDirectory(PathOf("x/y")).IsOk());  // already there
  EXPECT_EQ(CreateDirectory(PathOf("p/q")).code, FileStatus::kNotFound);
  EXPECT_FALSE(CreateDirectory(PathOf("a")).IsOk());  // a file is in the way
  EXPECT_TRUE(GetFileAttributes(PathOf("x/y/z"), &attributes).IsOk() && attributes.isDirectory);
  EXPECT_FALSE(FileExists(PathOf("x/y")));
  EXPECT_TRUE(RenameFile(PathOf("a"), PathOf("b")).IsOk());
  EXPECT_EQ(Contents("b"), "12345");
  EXPECT_EQ(DeleteFile(PathOf("x")).code, FileStatus::kAccessDenied);
  EXPECT_EQ(DeleteFile(PathOf("a")).code, FileStatus::kNotFound);
  EXPECT_TRUE(DeleteFile(PathOf("b")).IsOk() && !FileExists(PathOf("b")));
}

TEST_F(FileTest, AtomicWriteReplacesWholeFilesKeepsPermissionsAndLeavesNoTemporaries) {
  std::vector<uint8_t> big(300000), read;
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
  const fs::perms kPerms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  ASSERT_TRUE(WriteFileAtomically(PathOf("data"), "first version").IsOk());
  fs::permissions(PathOf("data"), kPerms);
  ASSERT_TRUE(WriteFileAtomically(PathOf("data"), big).IsOk());
  ASSERT_TRUE(ReadWholeFile(PathOf("data"), &read).IsOk());
  EXPECT_EQ(read, big);
  EXPECT_EQ(fs::status(PathOf("data")).permissions() & fs::perms::all, kPerms);
  fs::create_directory(PathOf("folder"));
  EXPECT_FALSE(WriteFileAtomically(PathOf("folder"), "x").IsOk());  // a folder is never replaced
  EXPECT_TRUE(fs::is_directory(PathOf("folder")));
  EXPECT_EQ(WriteFileAtomically(PathOf("none/f"), "x").code, FileStatus::kNotFound);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_.Path()), fs::directory_iterator()), 2);  // data, folder
}

}  // namespace
}  // namespace commonobjects::platform
