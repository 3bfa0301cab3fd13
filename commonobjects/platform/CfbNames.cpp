#include "commonobjects/platform/internal/CfbNames.h"

#include <array>

namespace commonobjects::platform::cfb {
namespace {

// Windows-1252 bytes 0x80 to 0x9F; the others equal their code point.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool InRange(char16_t unit, char16_t first, char16_t last) { return unit >= first && unit <= last; }

// Ranges where upper and lower case alternate unit by unit, each lower case following its
// upper case: the upper case is the even unit (evenIsUpper) or the odd one.
char16_t AlternatingUpper(char16_t unit, bool evenIsUpper) {
  const bool isEven = (unit % 2) == 0;
  return isEven == evenIsUpper ? unit : static_cast<char16_t>(unit - 1);
}

char16_t UpperLatin(char16_t unit) {
  if (InRange(unit, u'a', u'z')) return unit - 0x20;
  if (unit == 0x00B5) return 0x039C;
  if (InRange(unit, 0x00E0, 0x00FE) && unit != 0x00F7) return unit - 0x20;
  if (unit == 0x00FF) return 0x0178;
  if (unit == 0x0131) return u'I';
  if (unit == 0x017F) return u'S';
  if (InRange(unit, 0x0100, 0x0137) && unit != 0x0130) return AlternatingUpper(unit, true);
  if (InRange(unit, 0x0139, 0x0148)) return AlternatingUpper(unit, false);
  if (InRange(unit, 0x014A, 0x0177)) return AlternatingUpper(unit, true);
  if (InRange(unit, 0x0179, 0x017E)) return AlternatingUpper(unit, false);
  if (unit == 0x0192) return 0x0191;
  return unit;
}

char16_t UpperGreekCyrillic(char16_t unit) {
  if (unit == 0x03AC) return 0x0386;
  if (InRange(unit, 0x03AD, 0x03AF)) return unit - 0x25;
  if (unit == 0x03C2) return 0x03A3;
  if (InRange(unit, 0x03B1, 0x03CB)) return unit - 0x20;
  if (unit == 0x03CC) return 0x038C;
  if (InRange(unit, 0x03CD, 0x03CE)) return unit - 0x3F;
  if (InRange(unit, 0x0430, 0x044F)) return unit - 0x20;
  if (InRange(unit, 0x0450, 0x045F)) return unit - 0x50;
  if (InRange(unit, 0x0460, 0x0481) || InRange(unit, 0x048A, 0x04BF) || InRange(unit, 0x04D0, 0x052F)) {
    return AlternatingUpper(unit, true);
  }
  if (InRange(unit, 0x04C1, 0x04CE)) return AlternatingUpper(unit, false);
  if (unit == 0x04CF) return 0x04C0;
  return unit;
}

}  // namespace

std::u16string NameFromAnsi(std::string_view name) {
  std::u16string wide;
  wide.reserve(name.size());
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    wide.push_back(InRange(byte, 0x80, 0x9F) ? kHighControls[byte - 0x80] : static_cast<char16_t>(byte));
  }
  return wide;
}

std::string NameToAnsi(std::u16string_view name) {
  std::string narrow;
  narrow.reserve(name.size());
  for (char16_t unit : name) {
    if (unit < 0x80 || InRange(unit, 0xA0, 0xFF)) {
      narrow.push_back(static_cast<char>(unit));
      continue;
    }
    char byte = '?';
    for (size_t i = 0; i < kHighControls.size(); ++i) {
      if (kHighControls[i] == unit) byte = static_cast<char>(0x80 + i);
    }
    narrow.push_back(byte);
  }
  return narrow;
}

char16_t UpperCase(char16_t unit) {
  if (unit < 0x0370) return UpperLatin(unit);
  if (unit < 0x0530) return UpperGreekCyrillic(unit);
  if (InRange(unit, 0xFF41, 0xFF5A)) return unit - 0x20;
  return unit;
}

int CompareNames(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (size_t i = 0; i < a.size(); ++i) {
    const char16_t ua = UpperCase(a[i]);
    const char16_t ub = UpperCase(b[i]);
    if (ua != ub) return ua < ub ? -1 : 1;
  }
  return 0;
}

bool IsValidName(std::u16string_view name) {
  if (name.empty() || name.size() > kMaxNameLength) return false;
  for (char16_t unit : name) {
    if (unit == 0 || unit == u'/' || unit == u'\\' || unit == u':' || unit == u'!') return false;
  }
  return true;
}

}  // namespace commonobjects::platform::cfb
