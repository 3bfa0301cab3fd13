// Two processes writing the same registry file at once lose nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "commonobjects/platform/RegFileStore.h"
#include "support/TempFolder.h"

namespace commonobjects::platform {
namespace {

constexpr int kValuesPerWriter = 200;
constexpr const char* kKey = "SOFTWARE\\QRX Tarn Tavmir\\Concurrency";

// Runs in the child: waits until the parent lets all writers go, then sets its values as
// fast as it can. Exits 0 when every write succeeded.
[[noreturn]] void WriteValues(const std::string& file, int writer, int startPipe) {
  char go = 0;
  const bool started = ::read(startPipe, &go, 1) == 0;  // end of file: the parent closed it
  RegFileStore store(file);
  bool ok = started;
  for (int i = 0; i < kValuesPerWriter && ok; ++i) {
    ok = store.SetValue(HKEY_LOCAL_MACHINE, kKey, "Writer " + std::to_string(writer) + " value " + std::to_string(i),
                        RegistryValue::Dword(static_cast<std::uint32_t>(writer * 1000 + i)));
  }
  ::_exit(ok ? 0 : 1);
}

TEST(RegistryConcurrencyTest, TwoProcessesSettingTwoHundredValuesEachLeaveAllFourHundred) {
  const testsupport::TempFolder folder("registry-concurrency");
  const std::string file = folder.PathOf("settings/registry.reg");  // the writers make its folder too
  int start[2];
  ASSERT_EQ(::pipe(start), 0);
  pid_t children[2];
  for (int writer = 0; writer < 2; ++writer) {
    children[writer] = ::fork();
    ASSERT_GE(children[writer], 0);
    if (children[writer] == 0) {
      ::close(start[1]);
      WriteValues(file, writer, start[0]);
    }
  }
  ::close(start[0]);
  ::close(start[1]);  // both writers start now
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed";
  }

  RegFileContents contents;
  ASSERT_FALSE(LoadRegFile(file, contents, false).has_value());
  const RegistryTree tree = contents.Tree();
  EXPECT_EQ(tree.ValueCount(), 2u * kValuesPerWriter);
  for (int writer = 0; writer < 2; ++writer) {
    for (int i = 0; i < kValuesPerWriter; ++i) {
      const std::string name = "Writer " + std::to_string(writer) + " value " + std::to_string(i);
      const RegistryValue* value = tree.FindValue(HKEY_LOCAL_MACHINE, kKey, name);
      ASSERT_NE(value, nullptr) << name;
      EXPECT_EQ(*value, RegistryValue::Dword(static_cast<std::uint32_t>(writer * 1000 + i)));
    }
  }
}

}  // namespace
}  // namespace commonobjects::platform
