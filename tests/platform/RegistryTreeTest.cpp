#include "commonobjects/platform/RegistryTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace commonobjects::platform {
namespace {

std::vector<std::string> ListedPaths(const RegistryTree& tree) {
  std::vector<std::string> paths;
  for (const auto* key : tree.Keys()) paths.push_back(key->path);
  return paths;
}

TEST(RegistryTreeTest, KeysAreListedDepthFirstInWindowsOrder) {
  RegistryTree tree;
  for (const char* key : {"A-X", "A\\B", "Ab", "A_B", "A", "A\\B\\C", "a\\a"}) tree.CreateKey(HKEY_LOCAL_MACHINE, key);
  tree.CreateKey(HKEY_CURRENT_USER, "Z");
  // Subkeys follow their parent; '_' sorts after letters because Windows compares upper case.
  EXPECT_EQ(ListedPaths(tree), (std::vector<std::string>{
                                   "HKEY_CURRENT_USER\\Z", "HKEY_LOCAL_MACHINE\\A", "HKEY_LOCAL_MACHINE\\A\\a",
                                   "HKEY_LOCAL_MACHINE\\A\\B", "HKEY_LOCAL_MACHINE\\A\\B\\C",
                                   "HKEY_LOCAL_MACHINE\\A-X", "HKEY_LOCAL_MACHINE\\Ab", "HKEY_LOCAL_MACHINE\\A_B"}));
}

TEST(RegistryTreeTest, NamesIgnoreCaseAndNewKeysTakeTheSpellingOfExistingAncestors) {
  RegistryTree tree;
  tree.SetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\QRXTARN\\QENSERVER", "Timeout", RegistryValue::Dword(213));
  tree.SetValue(HKEY_LOCAL_MACHINE, "software\\qrxtarn\\Other", "x", RegistryValue::String("1"));
  tree.SetValue(HKEY_LOCAL_MACHINE, "\\software\\\\qrxtarn\\qenserver\\", "TIMEOUT", RegistryValue::Dword(20));

  EXPECT_EQ(ListedPaths(tree), (std::vector<std::string>{"HKEY_LOCAL_MACHINE\\SOFTWARE\\QRXTARN\\Other",
                                                         "HKEY_LOCAL_MACHINE\\SOFTWARE\\QRXTARN\\QENSERVER"}));
  ASSERT_NE(tree.FindValue(HKEY_LOCAL_MACHINE, "Software\\QrxTarn\\QenServer", "timeout"), nullptr);
  EXPECT_EQ(*tree.FindValue(HKEY_LOCAL_MACHINE, "Software\\QrxTarn\\QenServer", "timeout"), RegistryValue::Dword(20));
  EXPECT_EQ(tree.ValueCount(), 2u);
  EXPECT_TRUE(tree.KeyExists(HKEY_LOCAL_MACHINE, "software"));  // an implicit parent
  EXPECT_FALSE(tree.KeyExists(HKEY_LOCAL_MACHINE, "SOFT"));
  EXPECT_FALSE(tree.KeyExists(HKEY_CURRENT_USER, "SOFTWARE"));
}

TEST(RegistryTreeTest, DeleteKeyRemovesItsSubkeysOnlyAndKeepsItsParent) {
  RegistryTree tree;
  for (const char* key : {"P\\K", "P\\K\\Sub", "P\\K\\Sub\\Deeper", "P\\K2", "P\\K-1"}) {
    tree.SetValue(HKEY_LOCAL_MACHINE, key, "v", RegistryValue::Dword(1));
  }
  EXPECT_TRUE(tree.DeleteKey(HKEY_LOCAL_MACHINE, "p\\k"));
  EXPECT_EQ(ListedPaths(tree), (std::vector<std::string>{"HKEY_LOCAL_MACHINE\\P\\K-1", "HKEY_LOCAL_MACHINE\\P\\K2"}));
  EXPECT_FALSE(tree.DeleteKey(HKEY_LOCAL_MACHINE, "P\\K"));

  // A parent that existed only because of its deleted subkey still exists afterwards.
  tree.CreateKey(HKEY_CURRENT_USER, "Only\\Child");
  EXPECT_TRUE(tree.DeleteKey(HKEY_CURRENT_USER, "Only\\Child"));
  EXPECT_TRUE(tree.KeyExists(HKEY_CURRENT_USER, "Only"));

  EXPECT_TRUE(tree.DeleteValue(HKEY_LOCAL_MACHINE, "P\\K2", "V"));
  EXPECT_FALSE(tree.DeleteValue(HKEY_LOCAL_MACHINE, "P\\K2", "v"));
  EXPECT_TRUE(tree.DeleteKey(HKEY_LOCAL_MACHINE, ""));  // the whole root
  EXPECT_EQ(ListedPaths(tree), (std::vector<std::string>{"HKEY_CURRENT_USER\\Only"}));
}

}  // namespace
}  // namespace commonobjects::platform
