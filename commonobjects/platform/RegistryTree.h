// An in-memory registry: keys under the two roots, each with named values.
//
// The common data model of the in-memory store and the `.reg` file store: the file store
// parses a file into a RegistryTree and writes one back. Keys keep the spelling they were
// first created with; lookups ignore ASCII case. A key's parents exist implicitly once a
// child exists (as Windows creates them). Not thread-safe: its owners lock.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "commonobjects/platform/RegistryStore.h"

namespace commonobjects::platform {

// Orders strings as Windows compares key and value names: ASCII case ignored.
struct CaseInsensitiveLess {
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
  // Creates the key (and, implicitly, its parents) and returns it.
  Key& CreateKey(HKEY root, std::string_view key);
  // Creates a key given its full path ("HKEY_CURRENT_USER\Software\X"); null for a bad root.
  Key* CreateKeyByPath(std::string_view fullPath);
  void SetValue(HKEY root, std::string_view key, std::string_view name, RegistryValue value);

  // Every key in order of its full path (case ignored); parents that exist only
  // implicitly are not listed.
  std::vector<const Key*> Keys() const;
  bool Empty() const { return keys_.empty(); }
  bool operator==(const RegistryTree& other) const;

  // "HKEY_LOCAL_MACHINE\SOFTWARE\X" from a root and a key path (leading and trailing
  // backslashes dropped, runs of backslashes folded).
  static std::string FullPath(HKEY root, std::string_view key);

 private:
  std::map<std::string, Key, CaseInsensitiveLess> keys_;
};

}  // namespace commonobjects::platform
