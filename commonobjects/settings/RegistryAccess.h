// CRegistryAccess: reads and writes settings with defaults.
//
// Every read first stores the default in the output, so a missing key, a missing value or
// a value of another type leaves the default in place; nothing is reported beyond the
// result. Each operation opens and closes its own key. The root starts at
// HKEY_LOCAL_MACHINE. Values live in the process-wide registry store (platform/).
// Key paths, value names and strings are bytes in the Windows-1252 code page.
// An accessor is used by one thread; it holds no shared state.
#pragma once

#include <cstdint>
#include <string>

#include "commonobjects/platform/RegistryStore.h"

class CRegistryAccess {
 public:
  // machineName: a remote machine's registry; the library always passes "" (the local
  // one). A remote connection is not available here, so the local root stays.
  explicit CRegistryAccess(const std::string& machineName = std::string());
  virtual ~CRegistryAccess() = default;

  void SetRoot(HKEY root) { Root = root; }
  HKEY GetRoot() const { return Root; }

  // REG_SZ or REG_BINARY data up to its first zero byte. Returns 1 when the key opened and
  // the type was accepted, else 0 (out holds the default, e.g. for a REG_DWORD value).
  int ReadString(const std::string& key, const std::string& name, std::string& out,
                 const std::string& def);
  // A four-byte REG_DWORD, or REG_SZ read as C's decimal conversion reads it (leading
  // digits; 0 when none; saturating at the 32-bit limits). Any other type or size leaves
  // the default. Returns 1 when the key opened (whether or not the value exists), else 0.
  int ReadNumber(const std::string& key, const std::string& name, int32_t& out, int32_t def);
  // As ReadNumber with the default's low byte; true when the number is nonzero.
  int ReadBool(const std::string& key, const std::string& name, bool& out, bool def);
  // REG_SZ of the text up to its first zero byte, without a terminating zero; creates the
  // key and its parents as needed. 1 on success; 0 when the store cannot be written.
  int WriteString(const std::string& key, const std::string& name, const std::string& value);
  // REG_DWORD of four bytes; creates the key as needed. 1 on success, else 0.
  int WriteNumber(const std::string& key, const std::string& name, int32_t value);

 protected:
  HKEY Root = HKEY_LOCAL_MACHINE;
};
