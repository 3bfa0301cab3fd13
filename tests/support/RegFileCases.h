// `.reg` files as the Windows registry editor reads them, written out in every form a file
// comes in. Shared by the reader's tests and the tool's import tests.
//
// Each case is the lines after a header, a blank line and the key [HKEY_CURRENT_USER\Cases]
// (so its first line is line 4). An accepted case names the plain lines that describe the
// same registry; a refused one names the line the reader stops at and part of its message.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct AcceptedRegFile {
  const char* what;
  std::string lines;  // joined by "\n"; each form writes its own line end
  std::string same;   // the plain lines that describe the same registry
  bool indentHeader = false;
};

struct RefusedRegFile {
  const char* what;
  std::string lines;
  int line;             // of the whole file
  const char* message;  // part of the error's text
};

inline const std::vector<AcceptedRegFile>& AcceptedRegFiles() {
  static const std::vector<AcceptedRegFile> cases = {
      {"blanks before the header", "\"A\"=dword:1", "\"A\"=dword:00000001", true},
      {"# and ; comment lines", "# note\n\"A\"=dword:1\n  # indented note\n\t; another\n\"B\"=\"x\" ; after a value",
       "\"A\"=dword:1\n\"B\"=\"x\""},
      {"blanks around =", "\"A\" \t= \"x\"\n@ =dword:2\n\"C\"=\t hex:01", "\"A\"=\"x\"\n@=dword:2\n\"C\"=hex:01"},
      {"blanks after dword:", "\"A\"=dword: \t0000001e\n\"B\"=dword:  ff ; note", "\"A\"=dword:1e\n\"B\"=dword:ff"},
      {"a comma after the last byte", "\"A\"=hex:aa,bb,\n\"B\"=hex(7):41,00,00,00,\n\"C\"=hex:aa,\\\n  bb,",
       "\"A\"=hex:aa,bb\n\"B\"=hex(7):41,00,00,00\n\"C\"=hex:aa,bb"},
      {"a comment after the continuing backslash", "\"A\"=hex:01,02,\\ ; more below\n  03,\\;\n  04",
       "\"A\"=hex:01,02,03,04"},
      {"blank and ; comment lines inside continued hex data",
       "\"A\"=hex:01,\\\n\n  ; note\n\n  02,\\\n;x\n\t03\n\"B\"=dword:1", "\"A\"=hex:01,02,03\n\"B\"=dword:1"},
      {"hex data continued from right after its type", "\"A\"=hex(2):\\\n  41,00,00,00", "\"A\"=hex(2):41,00,00,00"},
      {"a continuation at the end of the file", "\"B\"=dword:2\n\"A\"=hex:aa,bb,\\", "\"B\"=dword:2\n\"A\"=hex:aa,bb"},
      {"only blank and comment lines after the last continuation", "\"A\"=hex:aa,\\\n\n; the end\n",
       "\"A\"=hex:aa"},
  };
  return cases;
}

inline const std::vector<RefusedRegFile>& RefusedRegFiles() {
  static const std::vector<RefusedRegFile> cases = {
      {"a continued line starting with a comma", "\"A\"=hex:01,02,\\\n  ,03", 5, "must start with a hex byte"},
      {"a backslash right after a byte", "\"A\"=hex:01,02\\\n  03", 4, "expected ',' before the '\\'"},
      {"a line holding only a backslash inside hex data", "\"A\"=hex:01,\\\n  \\\n  02", 5,
       "must start with a hex byte"},
      {"a # comment line inside hex data", "\"A\"=hex:01,\\\n# note\n  02", 5, "must start with a hex byte"},
      {"hex data continued into the next key", "\"A\"=hex:01,\\\n\n[HKEY_CURRENT_USER\\Cases\\B]", 6,
       "must start with a hex byte"},
      {"an unterminated string", "\"B\"=dword:1\n\"A\"=\"x", 5, "missing closing quote"},
      {"an unterminated value name", "\"A=\"x\"", 4, "expected '='"},
      {"two commas in hex data", "\"A\"=hex:01,,02", 4, "expected a hex byte"},
      {"a # comment after a value", "\"A\"=dword:1 # note", 4, "unexpected text"},
  };
  return cases;
}

// The forms a file comes in: its line ends and its encoding.
enum class RegFileLineEnd { kCrLf, kLf, kCr };
enum class RegFileForm { kAnsi, kUtf8, kUtf16 };

inline const char* LineEndText(RegFileLineEnd end) {
  return end == RegFileLineEnd::kCrLf ? "\r\n" : end == RegFileLineEnd::kLf ? "\n" : "\r";
}

// The whole file: the header of the form (REGEDIT4 for ANSI files), a blank line, the key,
// then lines; every line ends with `end`. Text is ASCII, so encoding is widening.
inline std::string RegFileBytes(const std::string& lines, RegFileForm form, RegFileLineEnd end,
                                bool indentHeader = false) {
  std::string text = indentHeader ? " \t" : "";
  text += form == RegFileForm::kAnsi ? "REGEDIT4" : "Windows Registry Editor Version 5.00";
  text += "\n\n[HKEY_CURRENT_USER\\Cases]\n" + lines + "\n";
  std::string withEnds;
  for (char c : text) withEnds += c == '\n' ? std::string(LineEndText(end)) : std::string(1, c);
  if (form != RegFileForm::kUtf16) return withEnds;
  std::string utf16 = "\xFF\xFE";
  for (char c : withEnds) utf16 += {c, '\0'};
  return utf16;
}

}  // namespace testsupport
