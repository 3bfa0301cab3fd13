#include "Text.h"

#include <cctype>
#include <cstdio>

namespace mixauto {

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

size_t DisplayColumns(const std::string& text) {
  size_t n = 0;
  for (const unsigned char ch : text) n += (ch & 0xC0) != 0x80;
  return n;
}

std::string Lowered(std::string text) {
  for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return text;
}

std::string JoinedWithCommas(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

std::string JsonString(const std::string& text, JsonBytes high) {
  std::string out = "\"";
  for (const unsigned char ch : text) {
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += static_cast<char>(ch);
    } else if (ch < 0x20 || (high == JsonBytes::kLatin1 && ch >= 0x7F)) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", ch);
      out += escaped;
    } else {
      out += static_cast<char>(ch);
    }
  }
  return out + "\"";
}

std::string JsonLatin1String(const std::string& bytes) { return JsonString(bytes, JsonBytes::kLatin1); }

}  // namespace mixauto
