// Names of streams and storages: the narrow names the system uses are Windows-1252 (the
// ANSI code page); the file stores UTF-16LE. The directory tree orders a storage's children
// by name length first, then by the upper-cased UTF-16 units one by one; lookups by name
// ignore case in the same way.
// Pure functions, thread-safe.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace commonobjects::platform::cfb {

constexpr size_t kMaxNameLength = 31;  // UTF-16 units, not counting the terminating zero

// Windows-1252 to UTF-16, as MultiByteToWideChar gives it (the five unassigned bytes map to
// the control characters of the same number).
std::u16string NameFromAnsi(std::string_view name);
// UTF-16 to Windows-1252; a unit with no Windows-1252 byte becomes '?'.
std::string NameToAnsi(std::u16string_view name);

// The simple upper-case of one unit: Latin (Basic, Latin-1, Extended-A, the Latin letters of
// Windows-1252 in Extended-B), Greek, Cyrillic and full-width Latin letters; other units are
// their own upper case.
char16_t UpperCase(char16_t unit);
// <0, 0 or >0 as a sorts before, with or after b in a storage's tree.
int CompareNames(std::u16string_view a, std::u16string_view b);
// 1 to 31 units, no zero unit and none of '/', '\\', ':', '!'.
bool IsValidName(std::u16string_view name);

}  // namespace commonobjects::platform::cfb
