#include <gtest/gtest.h>

#include "commonobjects/platform/internal/CfbNames.h"

namespace commonobjects::platform::cfb {
namespace {

TEST(CompoundFileNamesTest, Windows1252MapsToUtf16AsWindowsMapsIt) {
  const std::pair<char, char16_t> bytes[] = {{'A', u'A'},     {'\x01', 0x0001}, {'\x80', 0x20AC}, {'\x81', 0x0081},
                                             {'\x8A', 0x0160}, {'\x9F', 0x0178}, {'\xA0', 0x00A0}, {'\xE9', 0x00E9},
                                             {'\xFF', 0x00FF}};
  for (const auto& [byte, unit] : bytes) {
    EXPECT_EQ(NameFromAnsi(std::string(1, byte)), std::u16string(1, unit)) << int(static_cast<unsigned char>(byte));
  }
  std::string everyByte;
  for (int b = 1; b < 256; ++b) everyByte.push_back(static_cast<char>(b));
  EXPECT_EQ(NameToAnsi(NameFromAnsi(everyByte)), everyByte);
  EXPECT_EQ(NameToAnsi(u"\u4E00x\u0100"), "?x?");
}

TEST(CompoundFileNamesTest, UpperCaseIsTheSimpleUnicodeMapping) {
  const std::pair<char16_t, char16_t> units[] = {
      {u'a', u'A'},     {u'Z', u'Z'},     {u'_', u'_'},     {0x00E9, 0x00C9}, {0x00F7, 0x00F7}, {0x00FF, 0x0178},
      {0x00B5, 0x039C}, {0x00DF, 0x00DF}, {0x0161, 0x0160}, {0x0153, 0x0152}, {0x017E, 0x017D}, {0x0192, 0x0191},
      {0x0131, u'I'},   {0x013A, 0x0139}, {0x03B1, 0x0391}, {0x03C2, 0x03A3}, {0x03CC, 0x038C}, {0x044F, 0x042F},
      {0x0451, 0x0401}, {0x0461, 0x0460}, {0x04C2, 0x04C1}, {0xFF41, 0xFF21}, {0x4E00, 0x4E00}};
  for (const auto& [unit, upper] : units) EXPECT_EQ(UpperCase(unit), upper) << std::hex << int(unit);
}

TEST(CompoundFileNamesTest, TreeOrderIsLengthFirstThenUpperCasedUnits) {
  EXPECT_LT(CompareNames(u"Z", u"AA"), 0);
  EXPECT_EQ(CompareNames(u"AutomationData", u"AUTOMATIONDATA"), 0);
  EXPECT_LT(CompareNames(u"ab", u"a_"), 0) << "'b' upper-cases to 'B', below '_'";
  EXPECT_GT(CompareNames(u"\u00E9", u"\u00C8"), 0);
  EXPECT_LT(CompareNames(u"\u0001CompObj", u"1Table12"), 0);
}

TEST(CompoundFileNamesTest, ValidNamesHaveOneTo31UnitsAndNoSeparators) {
  for (const char16_t* good : {u"a", u"Root Entry", u"\u0005SummaryInformation", u"0123456789012345678901234567890"}) {
    EXPECT_TRUE(IsValidName(good));
  }
  for (std::u16string bad : {u"", u"a/b", u"a\\b", u"a:b", u"a!", u"01234567890123456789012345678901"}) {
    EXPECT_FALSE(IsValidName(bad));
  }
  EXPECT_FALSE(IsValidName(std::u16string(u"a\0b", 3)));
}

}  // namespace
}  // namespace commonobjects::platform::cfb
