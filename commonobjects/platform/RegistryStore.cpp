#include "commonobjects/platform/RegistryStore.h"

#include <mutex>

#include "commonobjects/platform/RegFileStore.h"
#include "commonobjects/platform/RegistryTree.h"

namespace commonobjects::platform {

RegistryValue RegistryValue::String(std::string_view text) {
  return RegistryValue{REG_SZ, std::vector<std::uint8_t>(text.begin(), text.end())};
}

RegistryValue RegistryValue::Dword(std::uint32_t number) {
  return RegistryValue{REG_DWORD,
                       {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                        static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)}};
}

RegistryValue RegistryValue::Binary(std::vector<std::uint8_t> bytes) {
  return RegistryValue{REG_BINARY, std::move(bytes)};
}

std::string_view RootName(HKEY root) {
  switch (root) {
    case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
  }
  return {};
}

std::optional<HKEY> RootFromName(std::string_view name) {
  if (EqualsIgnoringCase(name, "HKEY_LOCAL_MACHINE") || EqualsIgnoringCase(name, "HKLM")) return HKEY_LOCAL_MACHINE;
  if (EqualsIgnoringCase(name, "HKEY_CURRENT_USER") || EqualsIgnoringCase(name, "HKCU")) return HKEY_CURRENT_USER;
  return std::nullopt;
}

namespace {

// The one process-wide store pointer, guarded; the default is made on first use.
std::mutex g_storeMutex;
std::shared_ptr<RegistryStore> g_store;

std::shared_ptr<RegistryStore> Exchange(std::shared_ptr<RegistryStore> next) {
  std::lock_guard lock(g_storeMutex);
  g_store.swap(next);
  return next;
}

}  // namespace

RegistryStore& CurrentRegistry() {
  std::lock_guard lock(g_storeMutex);
  if (!g_store) g_store = OpenDefaultRegistryFileStore();
  return *g_store;
}

ScopedRegistryOverride::ScopedRegistryOverride(std::shared_ptr<RegistryStore> store)
    : previous_(Exchange(std::move(store))) {}

ScopedRegistryOverride::~ScopedRegistryOverride() { Exchange(std::move(previous_)); }

}  // namespace commonobjects::platform
