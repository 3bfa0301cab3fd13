#include "commonobjects/settings/RegistryAccess.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "support/TestConsole.h"

namespace {

using commonobjects::platform::RegistryValue;

constexpr const char* kKey = testsupport::kServerKey;

class RegistryAccessTest : public ::testing::Test {
 protected:
  void Put(const char* name, const RegistryValue& value) { console.Set(kKey, name, value); }

  testsupport::TestConsole console;
  commonobjects::platform::MemoryRegistryStore& store = console.Store();
  CRegistryAccess registry;
};

TEST_F(RegistryAccessTest, NumbersAcceptFourByteDwordsAndDecimalText) {
  const struct {
    RegistryValue stored;
    int32_t expected;
  } cases[] = {
      {RegistryValue::Dword(0xFFFFFFFFu), -1},
      {RegistryValue::String("213"), 213},
      {RegistryValue::String("  -12 frames"), -12},
      {RegistryValue::String("frames"), 0},
      {RegistryValue::String("99999999999"), INT32_MAX},
      {RegistryValue::Binary({'4', '2', 0}), -5},                  // another type: default
      {RegistryValue{REG_DWORD, {1, 0, 0, 0, 0, 0, 0, 0}}, -5},  // too long for a DWORD
  };
  for (const auto& c : cases) {
    Put("Value", c.stored);
    int32_t out = 99;
    EXPECT_EQ(registry.ReadNumber(kKey, "Value", out, -5), 1);
    EXPECT_EQ(out, c.expected) << "type " << c.stored.type;
  }
}

TEST_F(RegistryAccessTest, ReadsReportWhetherTheKeyOpenedAndTheTypeFitted) {
  std::string text;
  int32_t number = 0;
  EXPECT_EQ(registry.ReadNumber("SOFTWARE\\Nowhere", "Value", number, 17), 0);
  EXPECT_EQ(number, 17);
  Put("Bytes", RegistryValue::Binary({'a', 'b', 0, 'c'}));
  EXPECT_EQ(registry.ReadString(kKey, "Bytes", text, "def"), 1);
  EXPECT_EQ(text, "ab");
  // The key opened: an absent number is a success, an absent or DWORD string is not.
  EXPECT_EQ(registry.ReadNumber(kKey, "Absent", number, 18), 1);
  EXPECT_EQ(number, 18);
  Put("Number", RegistryValue::Dword(12));
  EXPECT_EQ(registry.ReadString(kKey, "Number", text, "def"), 0);
  EXPECT_EQ(text, "def");
  EXPECT_EQ(registry.ReadString(kKey, "Absent", text, "y"), 0);
}

TEST_F(RegistryAccessTest, WritesCreateKeysUnderTheChosenRootOnly) {
  const char* key = "SOFTWARE\\New\\Deeper";
  registry.SetRoot(HKEY_CURRENT_USER);
  EXPECT_EQ(registry.WriteString(key, "Name", std::string("Mix\0tail", 8)), 1);
  EXPECT_EQ(registry.WriteNumber(key, "Count", -2), 1);
  EXPECT_EQ(store.QueryValue(HKEY_CURRENT_USER, key, "Name"), RegistryValue::String("Mix"));
  EXPECT_EQ(store.QueryValue(HKEY_CURRENT_USER, key, "Count"), RegistryValue::Dword(0xFFFFFFFEu));
  EXPECT_FALSE(store.KeyExists(HKEY_LOCAL_MACHINE, key));

  store.SetReadOnly(true);
  EXPECT_EQ(registry.WriteString(key, "Name", "x"), 0);
  EXPECT_EQ(registry.WriteNumber(key, "Count", 1), 0);
  EXPECT_EQ(store.QueryValue(HKEY_CURRENT_USER, key, "Count"), RegistryValue::Dword(0xFFFFFFFEu));
}

}  // namespace
