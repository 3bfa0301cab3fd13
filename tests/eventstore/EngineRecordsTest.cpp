#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "support/TestConsole.h"

namespace {

using commonobjects::platform::RegistryValue;
using Bytes = std::vector<uint8_t>;

// A large console (type 2) with the given max paths mode and "CardLinkType" value.
class ScopedConsole : public testsupport::TestConsole {
 public:
  ScopedConsole(int32_t pathsMode, const RegistryValue& cardLink) : TestConsole(2, pathsMode) {
    Set(testsupport::kServerKey, "CardLinkType", cardLink);
  }
};

CAutomationEvent Sample() {
  CAutomationEvent e;
  e.Time = 0x01020304;
  e.Path = 300;
  e.Proc = 7;
  e.Control = 3;
  e.Value = 0x1122;
  e.OldValue = -2;
  e.Flags = 1;
  return e;
}

// The records of events [1, 1 + count) of a three-event array, with four guard
// bytes after them that must stay untouched.
Bytes RecordsOf(uint32_t pathsMode, const RegistryValue& cardLink, int32_t count) {
  ScopedConsole console(pathsMode, cardLink);
  CAutomationEventArray array;
  CAutomationEvent other;
  other.Time = -1;
  array.Add(other);
  array.Add(Sample());
  array.Add(Sample());
  Bytes out(static_cast<size_t>(std::max(count, 0) * array.RecordSize + 4), 0xAA);
  EXPECT_EQ(array.GetRecords(count, 1, out.data()), count);
  return out;
}

TEST(EngineRecordsTest, RecordLayoutsByPathsModeAndCardLink) {
  const Bytes guard = {0xAA, 0xAA, 0xAA, 0xAA};
  struct Case {
    const char* name;
    uint32_t pathsMode;
    RegistryValue cardLink;
    Bytes record;
  };
  const Bytes plain16 = {4, 3, 2, 1, 0x2C, 1, 0, 7, 3, 0, 0xFE, 0xFF, 0x22, 0x11, 0, 0};
  const Bytes cardLink = {7, 3, 0x22, 0x11, 0x2C, 1, 0, 7, 4, 3, 2, 1, 0, 0x11, 0xFE, 0xFF};
  const Bytes plain12 = {4, 3, 2, 1, 0, 44, 7, 3, 0xFE, 0xFF, 0x22, 0x11};  // path 300 as 44
  const auto dword = RegistryValue::Dword;
  const Case cases[] = {
      {"12-byte", 0, dword(0), plain12},
      {"12-byte ignores card link", 0, dword(4), plain12},
      {"16-byte", 1, dword(0), plain16},
      {"16-byte, card link 3", 2, dword(3), plain16},
      {"16-byte, card link 0x104", 2, dword(0x104), plain16},
      {"card link 4", 2, dword(4), cardLink},
      {"card link \"4\" as text", 1, RegistryValue::String("4"), cardLink},
  };
  for (const Case& c : cases) {
    Bytes expected = c.record;
    expected.insert(expected.end(), c.record.begin(), c.record.end());
    expected.insert(expected.end(), guard.begin(), guard.end());
    EXPECT_EQ(RecordsOf(c.pathsMode, c.cardLink, 2), expected) << c.name;
  }
  EXPECT_EQ(RecordsOf(1, RegistryValue::Dword(0), 0), guard);
  EXPECT_EQ(RecordsOf(1, RegistryValue::Dword(0), -3), guard);
}

TEST(EngineRecordsTest, BlockCountCoversEveryRecordInWholeRecordBlocks) {
  struct Case { uint32_t pathsMode; int32_t events, blockSize, blocks; };
  const Case cases[] = {
      {1, 100, 1000, 2},  // 1600 bytes in blocks of 992
      {1, 62, 1000, 1},   {1, 63, 1000, 2}, {0, 100, 1000, 2},  // blocks of 996 for 1200
      {0, 83, 1000, 1},   {0, 84, 1000, 2}, {2, 100, 16, 100},  {2, 0, 1000, 0},
      {2, 5, 15, 0},  // a block smaller than a record holds nothing
  };
  for (const Case& c : cases) {
    ScopedConsole console(c.pathsMode, RegistryValue::Dword(0));
    CAutomationEventArray array;
    array.SetSize(c.events);
    EXPECT_EQ(array.GetBlockCount(c.blockSize), c.blocks)
        << c.events << " events, mode " << c.pathsMode << ", block " << c.blockSize;
  }
}

}  // namespace
