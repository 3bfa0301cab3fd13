// An in-memory registry: keys under the two roots, each with named values.
//
// The common data model of the in-memory store and the `.reg` file store: the file store
// parses a file into a RegistryTree and writes one back. Invariants:
//   1. Key and value names compare without regard to ASCII case, as on Windows.
//   2. Keys are ordered as regedit lists them: a key, then all its subkeys (depth first),
//      siblings in case-insensitive order.
//   3. A new key takes the spelling of its existing ancestors ("software\X" under an
//      existing "SOFTWARE" becomes "SOFTWARE\X"); an existing key keeps its spelling.
//   4. A key's parents exist implicitly once a child exists (as Windows creates them),
//      but only keys created explicitly are listed.
// Not thread-safe: its owners lock.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "commonobjects/platform/RegistryStore.h"

namespace commonobjects::platform {

// Orders strings as Windows compares key and value names: ASCII letters folded to upper case.
struct CaseInsensitiveLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

// Orders full key paths depth first: as CaseInsensitiveLess, with the separator '\' before
// every other character, so that a key's subkeys follow it directly.
struct KeyPathLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b);

class RegistryTree {
 public:
  struct Key {
    std::string path;  // full path with the root name first: "HKEY_LOCAL_MACHINE\SOFTWARE\..."
    std::map<std::string, RegistryValue, CaseInsensitiveLess> values;  // "" = default value
  };

  bool KeyExists(HKEY root, std::string_view key) const;
  const RegistryValue* FindValue(HKEY root, std::string_view key, std::string_view name) const;
  // Creates the key (and, implicitly, its parents) and returns it; an existing key is
  // returned unchanged.
  Key& CreateKey(HKEY root, std::string_view key);
  // Creates a key given its full path ("HKEY_CURRENT_USER\Software\X"); null for a bad root.
  Key* CreateKeyByPath(std::string_view fullPath);
  void SetValue(HKEY root, std::string_view key, std::string_view name, RegistryValue value);
  // Removes the key with all its subkeys and values. False when nothing was there.
  // Deleting a root key ("") empties that root.
  bool DeleteKey(HKEY root, std::string_view key);
  // Removes one value. False when it was not there.
  bool DeleteValue(HKEY root, std::string_view key, std::string_view name);

  // Every listed key in the order of invariant 2.
  std::vector<const Key*> Keys() const;
  std::size_t KeyCount() const { return keys_.size(); }
  std::size_t ValueCount() const;
  bool Empty() const { return keys_.empty(); }
  // Same keys and values, names compared without regard to case.
  bool operator==(const RegistryTree& other) const;

  // "HKEY_LOCAL_MACHINE\SOFTWARE\X" from a root and a key path (leading and trailing
  // backslashes dropped, runs of backslashes folded).
  static std::string FullPath(HKEY root, std::string_view key);

 private:
  using KeyMap = std::map<std::string, Key, KeyPathLess>;
  // The first listed key at or below fullPath (fullPath itself or a subkey), or end().
  KeyMap::const_iterator FirstAtOrBelow(std::string_view fullPath) const;
  // fullPath with the prefix that names an existing ancestor spelled as that ancestor is.
  std::string SpelledAsExisting(std::string fullPath) const;

  KeyMap keys_;
};

}  // namespace commonobjects::platform
