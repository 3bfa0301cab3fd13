#include "commonobjects/settings/LinkSettings.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/TestConsole.h"

namespace {

using commonobjects::platform::RegistryValue;
using testsupport::kServerKey;

class LinkSettingsTest : public ::testing::Test {
 protected:
  void Put(const char* name, uint32_t number) { console.SetNumber(kServerKey, name, number); }

  testsupport::TestConsole console;
};

TEST_F(LinkSettingsTest, EmptyRegistryGivesDefaultsAndWritesVersionOne) {
  const CLinkSettings s;
  EXPECT_EQ(std::tuple(s.Timeout, s.TransputerDelay, s.SharedMemComms), std::tuple(213, 20, true));
  EXPECT_EQ(std::tuple(s.LinkType[2], s.LinkLoopback[2], s.LinkNumber[2]), std::tuple(1, true, 2));
  EXPECT_EQ(std::tuple(s.LinkType[11], s.LinkLoopback[11], s.LinkNumber[11]),
            std::tuple(1, true, 11));
  EXPECT_EQ(console.Store().QueryValue(HKEY_LOCAL_MACHINE, kServerKey, "Version"), RegistryValue::Dword(1));
}

TEST_F(LinkSettingsTest, OlderNamesAreReadOnceThenNumberedNamesOnly) {
  Put("CardLinkType", 4);
  Put("AutoLinkNo", 5);
  Put("CardFSSLinkType", 2);
  Put("FSSLinkNo", 7);
  Put("Link Type 1", 9);
  Put("Link Type 2", 6);
  Put("Link Type 3", 8);

  const CLinkSettings migrated;
  EXPECT_EQ(migrated.LinkType[1], 4);
  EXPECT_EQ(migrated.LinkNumber[1], 5);
  EXPECT_EQ(migrated.LinkType[0], 2);
  EXPECT_EQ(migrated.LinkNumber[0], 7);
  EXPECT_EQ(migrated.LinkType[2], 1);  // link 2 keeps its defaults, whatever is stored
  EXPECT_EQ(migrated.LinkType[3], 8);

  const CLinkSettings next;
  EXPECT_EQ(next.LinkType[1], 9);
  EXPECT_EQ(next.LinkNumber[1], 1);
  EXPECT_EQ(next.LinkType[0], 0);
  EXPECT_EQ(next.LinkType[2], 6);
}

TEST_F(LinkSettingsTest, AssignerLoopbackOnlyOnDebugMachines) {
  struct Case {
    uint32_t debugMachine, loopback;
    bool expected;
  };
  for (const Case c : {Case{0, 1, false}, Case{1, 1, true}, Case{7, 0, false}}) {
    Put("DebugMachine", c.debugMachine);
    Put("AssignXLoopback", c.loopback);
    EXPECT_EQ(CLinkSettings().AssignerLoopback, c.expected) << c.debugMachine << "," << c.loopback;
  }
}

}  // namespace
