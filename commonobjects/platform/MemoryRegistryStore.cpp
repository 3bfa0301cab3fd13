#include "commonobjects/platform/MemoryRegistryStore.h"

namespace commonobjects::platform {

bool MemoryRegistryStore::KeyExists(HKEY root, std::string_view key) {
  std::lock_guard lock(mutex_);
  return tree_.KeyExists(root, key);
}

std::optional<RegistryValue> MemoryRegistryStore::QueryValue(HKEY root, std::string_view key,
                                                             std::string_view name) {
  std::lock_guard lock(mutex_);
  const RegistryValue* value = tree_.FindValue(root, key, name);
  if (value == nullptr) return std::nullopt;
  return *value;
}

bool MemoryRegistryStore::CreateKey(HKEY root, std::string_view key) {
  std::lock_guard lock(mutex_);
  if (readOnly_ || RootName(root).empty()) return false;
  tree_.CreateKey(root, key);
  return true;
}

bool MemoryRegistryStore::SetValue(HKEY root, std::string_view key, std::string_view name,
                                   const RegistryValue& value) {
  std::lock_guard lock(mutex_);
  if (readOnly_ || RootName(root).empty()) return false;
  tree_.SetValue(root, key, name, value);
  return true;
}

RegistryTree MemoryRegistryStore::Snapshot() {
  std::lock_guard lock(mutex_);
  return tree_;
}

void MemoryRegistryStore::SetReadOnly(bool readOnly) {
  std::lock_guard lock(mutex_);
  readOnly_ = readOnly;
}

}  // namespace commonobjects::platform
