// Small text helpers shared by mixauto's argument parsers and reports. Pure functions;
// thread-safe.
#pragma once

#include <string>
#include <vector>

namespace mixauto {

// text without the blanks (spaces and tabs) at either end; all blanks give "".
std::string Trimmed(const std::string& text);
// The display width of UTF-8 text: one column per character.
size_t DisplayColumns(const std::string& text);
// The text with A-Z as a-z.
std::string Lowered(std::string text);
// The names joined by ", "; no names give "".
std::string JoinedWithCommas(const std::vector<std::string>& names);

// The bytes of a file's text (edit lists and change lists are Latin-1) as a quoted JSON
// string: each byte is the character of its Latin-1 meaning, written \u00XX from 0x80 on,
// control characters as \uXXXX, '"' and '\' escaped; the result is plain ASCII and always
// valid JSON, whatever the bytes.
std::string JsonLatin1String(const std::string& bytes);
// A JSON string of text: '"', '\' and control characters escaped; bytes from 0x7F on kept
// as they are (UTF-8 text), or written as their Latin-1 characters.
enum class JsonBytes { kUtf8, kLatin1 };
std::string JsonString(const std::string& text, JsonBytes high = JsonBytes::kUtf8);

}  // namespace mixauto
