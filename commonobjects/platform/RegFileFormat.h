// The Windows `.reg` text format: parsing a file's bytes and writing a registry back.
//
// A file is a header line ("Windows Registry Editor Version 5.00" or "REGEDIT4"), then
// `[ROOT\key]` sections holding value lines: `"Name"="text"`, `"Name"=dword:0000001e`,
// `"Name"=hex:01,02`, `"Name"=hex(N):..` (N in hex, any type), `@=` for the default value,
// `"Name"=-` to delete a value, `[-ROOT\key]` to delete a key with its subkeys. Strings
// escape `\` and `"` with a backslash.
//
// Files are read as the Windows registry editor reads them: lines end in CR LF, LF or CR
// alone; blank lines and `;` or `#` comment lines are allowed, and `;` comments after a
// value; blanks may stand before the header, around `=` and after `dword:`; hex data may
// end in a comma, and continues after a `\` that follows a comma on the next line that is
// not blank or a `;` comment (that line starts with a hex byte); a continuation at the end
// of the file ends the data. Everything else that the editor would skip (a continued line
// starting with a comma or holding only `\`, an unterminated string, an unknown line)
// refuses the whole file with the line where it is.
//
// Text inside the library is Windows-1252. Files are UTF-16LE with BOM, UTF-8 with or
// without BOM, or (REGEDIT4 without BOM) Windows-1252 bytes; their text is converted on
// read and back on write. A character with no Windows-1252 form reads as '?', as Windows'
// ANSI registry functions give it, and is counted. In Version 5 files the data of
// `hex(1):` (a string) is UTF-16LE with a terminating zero, in REGEDIT4 files Windows-1252.
//
// Everything here is a pure function of its arguments; thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commonobjects/platform/RegistryStore.h"
#include "commonobjects/platform/RegistryTree.h"

namespace commonobjects::platform {

// Where the first error of a malformed `.reg` file is: 1-based line number (0 for the
// file as a whole, e.g. when it cannot be read) and what was wrong there.
struct RegFileError {
  int line = 0;
  std::string message;
};

enum class RegFileEncoding { kUtf16Le, kUtf8, kUtf8WithBom, kWindows1252 };
enum class RegFileHeader { kVersion5, kRegedit4 };

// How a file is written; rewriting a file keeps the style it was read with.
struct RegFileStyle {
  RegFileEncoding encoding = RegFileEncoding::kUtf16Le;
  RegFileHeader header = RegFileHeader::kVersion5;
  bool crlf = true;
  bool operator==(const RegFileStyle&) const = default;
};

// What regedit writes: UTF-16LE with BOM, "Windows Registry Editor Version 5.00", CRLF.
constexpr RegFileStyle kRegeditStyle{};

// One change a file's line makes, in file order. A section line `[key]` creates the key.
struct RegFileEdit {
  enum class Kind { kCreateKey, kDeleteKey, kSetValue, kDeleteValue };
  Kind kind = Kind::kCreateKey;
  HKEY root = HKEY_LOCAL_MACHINE;
  std::string key;    // path below the root
  std::string name;   // value name ("" = default value); kSetValue and kDeleteValue only
  RegistryValue value;  // kSetValue only
};

struct RegFileContents {
  RegFileStyle style;
  std::vector<RegFileEdit> edits;
  // Characters that had no Windows-1252 form and read as '?', and the line of the first.
  std::size_t unmappedCharacters = 0;
  int firstUnmappedLine = 0;

  // The registry the file describes: its edits applied to an empty registry.
  RegistryTree Tree() const;
};

// Applies edits in order to tree (what importing the file does).
void ApplyRegFileEdits(const std::vector<RegFileEdit>& edits, RegistryTree& tree);

// Parses a whole file. Zero bytes (or a byte-order mark alone) are an empty registry.
// Returns the first error; on error `out` is left empty (default style, no edits).
std::optional<RegFileError> ParseRegFile(std::string_view bytes, RegFileContents& out);

// The file's bytes for tree: the header, a blank line, then each listed key in tree order
// as `[path]`, its values in name order (`@` first) and a blank line. Hex data is wrapped
// as regedit wraps it: a line is broken after the comma that reaches column 77, with `\`,
// and continues after two spaces. A REG_SZ holding a zero byte, CR or LF is written as
// hex(1). Parsing the result gives tree back.
std::string FormatRegFile(const RegistryTree& tree, const RegFileStyle& style);

// Windows-1252 text to UTF-8 and back (for printing and command lines). Characters with
// no Windows-1252 form, and bytes that are not UTF-8, become '?'.
std::string Windows1252ToUtf8(std::string_view text);
std::string Utf8ToWindows1252(std::string_view text);

// "UTF-16LE", "UTF-8", "UTF-8 with BOM", "Windows-1252".
std::string_view EncodingName(RegFileEncoding encoding);
// The header line, e.g. "Windows Registry Editor Version 5.00".
std::string_view HeaderLine(RegFileHeader header);

}  // namespace commonobjects::platform
