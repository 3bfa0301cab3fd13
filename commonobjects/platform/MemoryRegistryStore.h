// A registry store that lives in memory only: what tests install instead of the file.
// Thread-safe; every operation takes the store's lock.
#pragma once

#include <mutex>

#include "commonobjects/platform/RegistryStore.h"
#include "commonobjects/platform/RegistryTree.h"

namespace commonobjects::platform {

class MemoryRegistryStore : public RegistryStore {
 public:
  MemoryRegistryStore() = default;
  explicit MemoryRegistryStore(RegistryTree tree) : tree_(std::move(tree)) {}

  bool KeyExists(HKEY root, std::string_view key) override;
  std::optional<RegistryValue> QueryValue(HKEY root, std::string_view key,
                                          std::string_view name) override;
  bool CreateKey(HKEY root, std::string_view key) override;
  bool SetValue(HKEY root, std::string_view key, std::string_view name,
                const RegistryValue& value) override;

  RegistryTree Snapshot();
  // When set, every write fails (for tests of write failures).
  void SetReadOnly(bool readOnly);

 private:
  std::mutex mutex_;
  RegistryTree tree_;
  bool readOnly_ = false;
};

}  // namespace commonobjects::platform
