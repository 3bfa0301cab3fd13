#include "commonobjects/eventstore/Archive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "commonobjects/eventstore/AutomationEventArray.h"

namespace {

using Bytes = std::vector<uint8_t>;

CAutomationEvent Event(int32_t time, int32_t path, int16_t value) {
  CAutomationEvent e;
  e.Proc = 0x81;
  e.Control = 2;
  e.Value = value;
  e.Path = path;
  e.Time = time;
  e.Flags = 1;
  e.OldValue = -300;
  return e;
}

Bytes Store(CAutomationEventArray& array) {
  Bytes buffer;
  CArchive ar(buffer, CArchive::store);
  EXPECT_TRUE(ar.IsStoring());
  array.Serialize(ar);
  return buffer;
}

void Load(CAutomationEventArray& array, Bytes buffer) {
  CArchive ar(buffer, CArchive::load);
  array.Serialize(ar);
}

TEST(ArchiveTest, EventsAreStoredAsSixteenLittleEndianBytesWithByteThirteenZero) {
  CAutomationEventArray array;
  array.Add(Event(0x01020304, -2, 0x1122));
  array.Add(Event(-1, 70000, -1));
  std::memset(reinterpret_cast<uint8_t*>(array.GetData()) + 13, 0xEE, 1);  // stray padding
  const Bytes expected = {
      2,    0,                                                                // count
      0x81, 2, 0x22, 0x11, 0xFE, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1, 1, 0, 0xD4, 0xFE,  // first
      0x81, 2, 0xFF, 0xFF, 0x70, 0x11, 1, 0,      0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0xD4, 0xFE};
  EXPECT_EQ(Store(array), expected);

  Bytes input = expected;
  input[2 + 13] = 0x5A;  // readers ignore byte 13
  CAutomationEventArray loaded;
  Load(loaded, input);
  ASSERT_EQ(loaded.GetSize(), 2);
  EXPECT_EQ(loaded[0], array[0]);
  EXPECT_EQ(loaded[1], array[1]);
}

TEST(ArchiveTest, CountIsSixteenBitsBelow65535AndWidensFromThereAndRoundTrips) {
  struct Case { int32_t events; Bytes header; };
  for (const Case& c : {Case{65534, {0xFE, 0xFF}}, Case{65535, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0}},
                        Case{70000, {0xFF, 0xFF, 0x70, 0x11, 1, 0}}, Case{0, {0, 0}}}) {
    CAutomationEventArray array;
    array.SetSize(c.events);
    for (int32_t i = 0; i < c.events; ++i) array[i] = Event(i, i % 300, static_cast<int16_t>(i));
    const Bytes stored = Store(array);
    ASSERT_EQ(stored.size(), c.header.size() + 16 * static_cast<size_t>(c.events));
    EXPECT_TRUE(std::equal(c.header.begin(), c.header.end(), stored.begin())) << c.events;
    CAutomationEventArray loaded;
    loaded.Add(Event(5, 5, 5));
    Load(loaded, stored);
    ASSERT_EQ(loaded.GetSize(), c.events);
    EXPECT_TRUE(std::equal(array.begin(), array.end(), loaded.begin())) << c.events;
    EXPECT_EQ(loaded.GetCapacity() == 0, c.events == 0);  // an empty load frees the buffer
  }
}

TEST(ArchiveTest, ShortOrImpossibleArchiveThrowsAndLeavesTheArrayAsItWas) {
  CAutomationEventArray source;
  for (int i = 0; i < 3; ++i) source.Add(Event(i, i, 7));
  const Bytes good = Store(source);
  const Bytes cases[] = {
      {},
      {3},
      {3, 0},
      Bytes(good.begin(), good.end() - 1),
      {0xFF, 0xFF, 1, 0},
      {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0},  // a count of 4 294 967 295
  };
  for (const Bytes& input : cases) {
    CAutomationEventArray array;
    array.Add(Event(9, 9, 9));
    EXPECT_THROW(Load(array, input), CArchiveException) << input.size() << " bytes";
    ASSERT_EQ(array.GetSize(), 1);
    EXPECT_EQ(array[0], Event(9, 9, 9));
  }
}

TEST(ArchiveTest, ArchiveReadsOnlyWhatItHoldsAndOnlyInItsDirection) {
  Bytes buffer = {1, 2, 3};
  CArchive in(buffer, CArchive::load);
  EXPECT_FALSE(in.IsStoring());
  EXPECT_THROW(in.ReadUInt32(), CArchiveException);
  EXPECT_EQ(in.ReadUInt16(), 0x0201);  // the failed read took nothing
  EXPECT_EQ(in.Remaining(), 1u);
  EXPECT_THROW(in.WriteUInt16(1), CArchiveException);
  Bytes out;
  CArchive store(out, CArchive::store);
  store.WriteUInt32(0xA1B2C3D4);
  EXPECT_EQ(out, (Bytes{0xD4, 0xC3, 0xB2, 0xA1}));
  EXPECT_THROW(store.ReadUInt16(), CArchiveException);
}

}  // namespace
