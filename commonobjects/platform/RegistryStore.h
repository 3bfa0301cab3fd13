// The registry as the library sees it: two roots of case-insensitive keys holding typed values.
//
// RegistryStore is the seam between the settings code and where values really live: the
// `.reg` file store in normal use, the in-memory store in tests. Key paths use backslashes
// ("SOFTWARE\QRXTARN\QENSERVER"); key and value names compare without regard to ASCII case,
// as on Windows. The empty value name is the key's default value ("@" in `.reg` files).
//
// The process-wide store is created on first use from COMMONOBJECTS_REGISTRY (see
// RegFileStore.h); tests swap it with ScopedRegistryOverride. All stores are thread-safe.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Windows' predefined root keys. Only these two roots exist here.
enum HKEY : std::uint32_t {
  HKEY_CURRENT_USER = 0x80000001u,
  HKEY_LOCAL_MACHINE = 0x80000002u,
};

// Value types, with Windows' numbers.
constexpr std::uint32_t REG_NONE = 0;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;

namespace commonobjects::platform {

// One stored value: its type and its raw bytes (REG_SZ without a terminating zero,
// REG_DWORD as four little-endian bytes).
struct RegistryValue {
  std::uint32_t type = REG_NONE;
  std::vector<std::uint8_t> data;

  static RegistryValue String(std::string_view text);
  static RegistryValue Dword(std::uint32_t number);
  static RegistryValue Binary(std::vector<std::uint8_t> bytes);
  bool operator==(const RegistryValue&) const = default;
};

// "HKEY_LOCAL_MACHINE" / "HKEY_CURRENT_USER"; the empty string for anything else.
std::string_view RootName(HKEY root);
// The root named by text (also the short forms "HKLM" and "HKCU"), ignoring case.
std::optional<HKEY> RootFromName(std::string_view name);

class RegistryStore {
 public:
  virtual ~RegistryStore() = default;

  // Whether the key exists, i.e. opening it for reading would succeed.
  virtual bool KeyExists(HKEY root, std::string_view key) = 0;
  // The value, or nothing when the key or the value does not exist.
  virtual std::optional<RegistryValue> QueryValue(HKEY root, std::string_view key,
                                                  std::string_view name) = 0;
  // Creates the key and its parents if needed. False when the store cannot be written.
  virtual bool CreateKey(HKEY root, std::string_view key) = 0;
  // Creates the key if needed and sets the value. False when the store cannot be written;
  // the store is then unchanged.
  virtual bool SetValue(HKEY root, std::string_view key, std::string_view name,
                        const RegistryValue& value) = 0;
};

// The process-wide store: the override installed by a test, else the `.reg` file store.
RegistryStore& CurrentRegistry();

// Installs `store` as the process-wide store for the guard's lifetime (tests and tools).
class ScopedRegistryOverride {
 public:
  explicit ScopedRegistryOverride(std::shared_ptr<RegistryStore> store);
  ~ScopedRegistryOverride();
  ScopedRegistryOverride(const ScopedRegistryOverride&) = delete;
  ScopedRegistryOverride& operator=(const ScopedRegistryOverride&) = delete;

 private:
  std::shared_ptr<RegistryStore> previous_;
};

}  // namespace commonobjects::platform
