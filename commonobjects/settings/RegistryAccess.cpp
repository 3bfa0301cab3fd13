#include "commonobjects/settings/RegistryAccess.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

using commonobjects::platform::CurrentRegistry;
using commonobjects::platform::RegistryValue;

namespace {

constexpr size_t kDwordSize = 4;

// The bytes of a REG_SZ or REG_BINARY value as C text: up to the first zero byte.
std::string TextOf(const RegistryValue& value) {
  const auto* bytes = reinterpret_cast<const char*>(value.data.data());
  return std::string(bytes, strnlen(bytes, value.data.size()));
}

// C's decimal conversion of a 32-bit long: leading white space, an optional sign, then
// digits; 0 when there are none; beyond the range it saturates at the nearest limit.
int32_t DecimalValueOf(const std::string& text) {
  const long long wide = std::strtoll(text.c_str(), nullptr, 10);
  if (wide > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (wide < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(wide);
}

}  // namespace

CRegistryAccess::CRegistryAccess(const std::string& /*machineName*/) {}

int CRegistryAccess::ReadString(const std::string& key, const std::string& name, std::string& out,
                                const std::string& def) {
  out = def;
  auto& registry = CurrentRegistry();
  if (!registry.KeyExists(Root, key)) return 0;
  const std::optional<RegistryValue> value = registry.QueryValue(Root, key, name);
  if (!value || (value->type != REG_SZ && value->type != REG_BINARY)) return 0;
  out = TextOf(*value);
  return 1;
}

int CRegistryAccess::ReadNumber(const std::string& key, const std::string& name, int32_t& out,
                                int32_t def) {
  out = def;
  auto& registry = CurrentRegistry();
  if (!registry.KeyExists(Root, key)) return 0;
  const std::optional<RegistryValue> value = registry.QueryValue(Root, key, name);
  if (!value) return 1;
  if (value->type == REG_SZ) {
    out = DecimalValueOf(TextOf(*value));
  } else if (value->type == REG_DWORD && value->data.size() == kDwordSize) {
    // A DWORD of any other size does not fit the four-byte read, which then fails and
    // leaves the default.
    uint32_t number = 0;
    std::memcpy(&number, value->data.data(), kDwordSize);
    out = static_cast<int32_t>(number);
  }
  return 1;
}

int CRegistryAccess::ReadBool(const std::string& key, const std::string& name, bool& out,
                              bool def) {
  int32_t number = 0;
  const int result = ReadNumber(key, name, number, def ? 1 : 0);
  out = number != 0;
  return result;
}

int CRegistryAccess::WriteString(const std::string& key, const std::string& name,
                                 const std::string& value) {
  // The value is C text: it ends at its first zero byte, which is not stored.
  const std::string text(value.c_str());
  return CurrentRegistry().SetValue(Root, key, name, RegistryValue::String(text)) ? 1 : 0;
}

int CRegistryAccess::WriteNumber(const std::string& key, const std::string& name, int32_t value) {
  const RegistryValue dword = RegistryValue::Dword(static_cast<uint32_t>(value));
  return CurrentRegistry().SetValue(Root, key, name, dword) ? 1 : 0;
}
