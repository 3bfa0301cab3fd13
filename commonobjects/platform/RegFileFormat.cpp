#include "commonobjects/platform/RegFileFormat.h"

#include <array>
#include <cstdio>

namespace commonobjects::platform {
namespace {

constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRegedit4Header = "REGEDIT4";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr const char* kMissingHeader =
    "expected the header \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\"";

// ---- Windows-1252 <-> Unicode ---------------------------------------------------------

// Bytes 0x80 to 0x9F; the five that Windows-1252 leaves undefined map to the C1 controls
// of the same number, as Windows maps them, so every byte has a character and back.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t FromWindows1252(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 0x80 && b < 0xA0) ? kHighControls[b - 0x80] : b;
}

// The Windows-1252 byte of c, or nothing.
std::optional<char> ToWindows1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
  }
  return std::nullopt;
}

// Reads one UTF-8 character at text[i], advancing i. False (i unchanged) for a byte that
// does not start a valid, shortest-form character of at most U+10FFFF outside surrogates.
bool NextUtf8(std::string_view text, std::size_t& i, char32_t& c) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
  if (length == 0 || i + length > text.size()) return false;
  c = length == 1 ? lead : lead & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) return false;
    c = (c << 6) | (b & 0x3F);
  }
  constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  i += length;
  return true;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// ---- Decoding a file to Windows-1252 text --------------------------------------------

struct DecodedText {
  std::string text;
  RegFileEncoding encoding = RegFileEncoding::kUtf16Le;
  std::size_t unmapped = 0;
  int firstUnmappedLine = 0;
  int line = 1;
  bool afterCr = false;  // the last character was a CR (a following LF ends no new line)

  void Append(char32_t c) {
    const auto byte = ToWindows1252(c);
    text += byte.value_or('?');
    if (!byte && unmapped++ == 0) firstUnmappedLine = line;
    if (c == '\r' || (c == '\n' && !afterCr)) ++line;
    afterCr = c == '\r';
  }
};

std::optional<RegFileError> DecodeUtf16Le(std::string_view bytes, DecodedText& out) {
  const auto unit = [&](std::size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      return RegFileError{out.line, "unpaired UTF-16 surrogate"};
    }
    out.Append(c);
  }
  if (bytes.size() % 2 != 0) return RegFileError{out.line, "odd number of bytes in a UTF-16 file"};
  return std::nullopt;
}

std::optional<RegFileError> DecodeUtf8(std::string_view bytes, DecodedText& out) {
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t c = 0;
    if (!NextUtf8(bytes, i, c)) return RegFileError{out.line, "invalid UTF-8"};
    out.Append(c);
  }
  return std::nullopt;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

// Chooses the encoding by byte-order mark, else by header, and decodes.
std::optional<RegFileError> Decode(std::string_view bytes, DecodedText& out) {
  if (bytes.starts_with(kUtf16LeBom)) return DecodeUtf16Le(bytes.substr(2), out);
  if (bytes.starts_with(kUtf16BeBom)) return RegFileError{1, "UTF-16 big-endian files are not supported"};
  if (bytes.starts_with(kUtf8Bom)) {
    out.encoding = RegFileEncoding::kUtf8WithBom;
    return DecodeUtf8(bytes.substr(3), out);
  }
  if (TrimLeft(bytes).starts_with(kRegedit4Header)) {  // the header may be indented
    out.encoding = RegFileEncoding::kWindows1252;
    out.text = bytes;
    return std::nullopt;
  }
  if (bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0) {
    return RegFileError{1, "UTF-16 file without a byte-order mark"};
  }
  if (!TrimLeft(bytes).starts_with(kVersion5Header)) return RegFileError{1, kMissingHeader};
  out.encoding = RegFileEncoding::kUtf8;
  return DecodeUtf8(bytes, out);
}

// ---- Parsing lines -----------------------------------------------------------------

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Nothing but blanks and perhaps a comment.
bool RestIsBlank(std::string_view rest) {
  rest = TrimLeft(rest);
  return rest.empty() || rest.front() == ';';
}

// A line (without its leading blanks) that says nothing: empty, or a `;` or `#` comment.
bool IsEmptyOrComment(std::string_view line) { return line.empty() || line.front() == ';' || line.front() == '#'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads 1 to maxDigits hex digits from the front of s.
std::optional<std::uint32_t> TakeHex(std::string_view& s, std::size_t maxDigits) {
  std::uint32_t number = 0;
  std::size_t digits = 0;
  while (digits < s.size() && HexDigit(s[digits]) >= 0) {
    number = (number << 4) | static_cast<std::uint32_t>(HexDigit(s[digits]));
    if (++digits > maxDigits) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  s.remove_prefix(digits);
  return number;
}

bool TakePrefixIgnoringCase(std::string_view& s, std::string_view prefix) {
  if (s.size() < prefix.size() || !EqualsIgnoringCase(s.substr(0, prefix.size()), prefix)) return false;
  s.remove_prefix(prefix.size());
  return true;
}

// Lines end at CR LF, LF or CR alone. crlf: the file's first line end is not a lone LF (a
// file of lone CRs is written back with CR LF, as regedit writes).
std::vector<std::string_view> SplitLines(std::string_view text, bool& crlf) {
  std::vector<std::string_view> lines;
  const std::size_t firstBreak = text.find_first_of("\r\n");
  crlf = firstBreak == std::string_view::npos || text[firstBreak] == '\r';
  while (!text.empty()) {
    const std::size_t end = text.find_first_of("\r\n");
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    const bool pair = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    text.remove_prefix(end + (pair ? 2 : 1));
  }
  return lines;
}

class Parser {
 public:
  Parser(std::vector<std::string_view> lines, RegFileContents& out) : lines_(std::move(lines)), out_(out) {}

  std::optional<RegFileError> Run() {
    if (!ParseHeader()) return error_;
    for (index_ = 1; index_ < lines_.size(); ++index_) {
      if (!ParseLine(TrimLeft(lines_[index_]))) return error_;
    }
    return std::nullopt;
  }

 private:
  bool Fail(std::string message) {
    error_ = RegFileError{static_cast<int>(index_ + 1), std::move(message)};
    return false;
  }

  // Text after complete value data: only blanks and a comment may follow.
  bool RequireBlankRest(std::string_view rest, std::string_view after) {
    if (RestIsBlank(rest)) return true;
    return Fail("unexpected text \"" + std::string(TrimRight(TrimLeft(rest))) + "\" after the " + std::string(after));
  }

  bool ParseHeader() {
    const std::string_view first = lines_.empty() ? std::string_view() : TrimRight(TrimLeft(lines_[0]));
    if (first == kVersion5Header) {
      out_.style.header = RegFileHeader::kVersion5;
    } else if (first == kRegedit4Header) {
      out_.style.header = RegFileHeader::kRegedit4;
    } else {
      return Fail(kMissingHeader);
    }
    return true;
  }

  bool ParseLine(std::string_view line) {
    if (line.find('\0') != std::string_view::npos) return Fail("NUL character in the text");
    if (IsEmptyOrComment(line)) return true;
    if (line.front() == '[') return ParseSection(line);
    if (line.front() == '"' || line.front() == '@') return ParseValueLine(line);
    return Fail("expected a [key] section, a \"name\"= or @= value line, or a ; or # comment");
  }

  bool ParseSection(std::string_view line) {
    line = TrimRight(line);
    if (line.back() != ']') return Fail("missing ']' at the end of the key name");
    std::string_view path = line.substr(1, line.size() - 2);
    const bool deleting = !path.empty() && path.front() == '-';
    if (deleting) path.remove_prefix(1);
    const std::string_view rootName = path.substr(0, path.find('\\'));
    const auto root = RootFromName(rootName);
    if (!root) {
      return Fail("unsupported root \"" + std::string(rootName) +
                  "\" (only HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER exist here)");
    }
    inKey_ = !deleting;
    root_ = *root;
    key_ = RegistryTree::FullPath(*root, path.substr(rootName.size())).substr(RootName(*root).size());
    if (!key_.empty()) key_.erase(0, 1);
    out_.edits.push_back({deleting ? RegFileEdit::Kind::kDeleteKey : RegFileEdit::Kind::kCreateKey, root_, key_, {}, {}});
    return true;
  }

  // Reads a quoted string whose opening quote has been taken; un-escapes `\\` and `\"`.
  bool TakeQuoted(std::string_view& s, std::string& text, std::string_view what) {
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] == '"') {
        s.remove_prefix(i + 1);
        return true;
      }
      if (s[i] == '\\') {
        if (i + 1 == s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) {
          return Fail("unknown escape \"" + std::string(s.substr(i, 2)) + "\" in the " + std::string(what) +
                      " (only \\\\ and \\\" are allowed; write a backslash as \\\\)");
        }
        ++i;
      }
      text += s[i];
    }
    return Fail("missing closing quote of the " + std::string(what));
  }

  bool ParseValueLine(std::string_view line) {
    RegFileEdit edit{RegFileEdit::Kind::kSetValue, root_, key_, {}, {}};
    const bool defaultValue = line.front() == '@';
    line.remove_prefix(1);
    if (!defaultValue && !TakeQuoted(line, edit.name, "value name")) return false;
    line = TrimLeft(line);
    if (line.empty() || line.front() != '=') return Fail("expected '=' after the value name");
    line = TrimLeft(line.substr(1));
    if (!inKey_) {
      return Fail(out_.edits.empty() ? "value line before the first [key] section" : "value line in a deleted key's section");
    }
    if (!ParseData(line, edit)) return false;
    out_.edits.push_back(std::move(edit));
    return true;
  }

  bool ParseData(std::string_view data, RegFileEdit& edit) {
    if (!data.empty() && data.front() == '-') {
      edit.kind = RegFileEdit::Kind::kDeleteValue;
      return RequireBlankRest(data.substr(1), "'-' that deletes the value");
    }
    if (!data.empty() && data.front() == '"') {
      std::string text;
      data.remove_prefix(1);
      if (!TakeQuoted(data, text, "string")) return false;
      edit.value = RegistryValue::String(text);
      return RequireBlankRest(data, "closing quote");
    }
    if (TakePrefixIgnoringCase(data, "dword:")) {
      data = TrimLeft(data);
      const auto number = TakeHex(data, 8);
      if (!number) return Fail("dword: needs 1 to 8 hex digits");
      edit.value = RegistryValue::Dword(*number);
      return RequireBlankRest(data, "dword");
    }
    if (TakePrefixIgnoringCase(data, "hex:")) return ParseHexValue(data, REG_BINARY, edit.value);
    if (TakePrefixIgnoringCase(data, "hex(")) {
      const auto type = TakeHex(data, 8);
      if (!type || !data.starts_with("):")) return Fail("hex(N): needs a type number N of 1 to 8 hex digits");
      return ParseHexValue(data.substr(2), *type, edit.value);
    }
    return Fail("unknown value data (expected \"text\", dword:, hex:, hex(N): or -)");
  }

  bool ParseHexValue(std::string_view data, std::uint32_t type, RegistryValue& value) {
    value.type = type;
    if (!TakeHexBytes(data, value.data)) return false;
    if (type == REG_SZ) return StringFromHex(value.data);
    return true;
  }

  // Where a hex byte list stands: at its start, after a byte, or after a comma.
  enum class HexState { kStart, kAfterByte, kAfterComma };

  // Comma-separated bytes of one or two hex digits, perhaps with a comma after the last.
  // A `\` after a comma (or alone after the type) continues the data on the next line that
  // is not blank or a `;` comment, and that line starts with a byte; the data ends with the
  // file. Errors name the line where they are.
  bool TakeHexBytes(std::string_view segment, std::vector<std::uint8_t>& bytes) {
    HexState state = HexState::kStart;
    for (;;) {
      segment = TrimRight(segment.substr(0, segment.find(';')));
      const bool continues = !segment.empty() && segment.back() == '\\';
      if (continues) segment.remove_suffix(1);
      if (!TakeHexSegment(TrimLeft(segment), bytes, state)) return false;
      if (!continues) return true;
      if (state == HexState::kAfterByte) return Fail("expected ',' before the '\\' that continues the hex data");
      switch (NextHexLine(segment)) {
        case NextLine::kFound: break;
        case NextLine::kEndOfFile: return true;
        case NextLine::kMalformed: return false;
      }
    }
  }

  enum class NextLine { kFound, kEndOfFile, kMalformed };

  // The next line of continued hex data, past blank and `;` comment lines, into segment.
  NextLine NextHexLine(std::string_view& segment) {
    while (index_ + 1 < lines_.size()) {
      const std::string_view line = TrimLeft(lines_[++index_]);
      if (line.empty() || line.front() == ';') continue;
      if (HexDigit(line.front()) < 0) {
        Fail("a continued line of hex data must start with a hex byte, not \"" + std::string(line.substr(0, 8)) + "\"");
        return NextLine::kMalformed;
      }
      segment = line;
      return NextLine::kFound;
    }
    return NextLine::kEndOfFile;
  }

  bool TakeHexSegment(std::string_view s, std::vector<std::uint8_t>& bytes, HexState& state) {
    while (!s.empty()) {
      if (state == HexState::kAfterByte) {
        if (s.front() != ',') return Fail("expected ',' between hex bytes");
        s = TrimLeft(s.substr(1));
        state = HexState::kAfterComma;
        continue;
      }
      const auto byte = TakeHex(s, 2);
      if (!byte) return Fail("expected a hex byte (two hex digits) at \"" + std::string(s.substr(0, 8)) + "\"");
      bytes.push_back(static_cast<std::uint8_t>(*byte));
      s = TrimLeft(s);
      state = HexState::kAfterByte;
    }
    return true;
  }

  // hex(1) data is the string as Windows stores it: UTF-16LE in Version 5 files, the
  // code page's bytes in REGEDIT4 files, with a terminating zero that is dropped here.
  bool StringFromHex(std::vector<std::uint8_t>& data) {
    std::string text;
    if (out_.style.header == RegFileHeader::kVersion5) {
      if (data.size() % 2 != 0) return Fail("hex(1) string data has an odd number of bytes");
      DecodedText decoded;
      decoded.line = static_cast<int>(index_ + 1);
      if (auto error = DecodeUtf16Le(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), decoded)) {
        return Fail("hex(1) string data: " + error->message);
      }
      if (decoded.unmapped > 0 && out_.unmappedCharacters == 0) out_.firstUnmappedLine = decoded.firstUnmappedLine;
      out_.unmappedCharacters += decoded.unmapped;
      text = std::move(decoded.text);
    } else {
      text.assign(data.begin(), data.end());
    }
    if (!text.empty() && text.back() == '\0') text.pop_back();
    data.assign(text.begin(), text.end());
    return true;
  }

  std::vector<std::string_view> lines_;
  RegFileContents& out_;
  RegFileError error_;
  std::size_t index_ = 0;  // of the line being parsed
  bool inKey_ = false;     // a [key] section (not a [-key] one) is open
  HKEY root_ = HKEY_LOCAL_MACHINE;
  std::string key_;
};

// ---- Formatting --------------------------------------------------------------------

constexpr std::size_t kHexWrapColumn = 77;

std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

bool QuotableString(const std::vector<std::uint8_t>& data) {
  for (std::uint8_t b : data) {
    if (b == 0 || b == '\r' || b == '\n') return false;
  }
  return true;
}

// `prefix` then the bytes, wrapped as regedit wraps them (see FormatRegFile).
void AppendHexData(std::string& out, std::string_view prefix, const std::vector<std::uint8_t>& data, std::string_view eol) {
  out += prefix;
  std::size_t column = prefix.size();
  char hex[3];
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(hex, sizeof hex, "%02x", data[i]);
    out += hex;
    if (i + 1 == data.size()) break;
    out += ',';
    column += 3;
    if (column >= kHexWrapColumn) {
      out += '\\';
      out += eol;
      out += "  ";
      column = 2;
    }
  }
}

// The bytes of a string as hex(1) data holds them, terminating zero included.
std::vector<std::uint8_t> StringAsHexData(const std::vector<std::uint8_t>& text, RegFileHeader header) {
  std::vector<std::uint8_t> out;
  if (header == RegFileHeader::kRegedit4) {
    out = text;
    out.push_back(0);
    return out;
  }
  for (std::uint8_t b : text) {
    const char16_t c = FromWindows1252(static_cast<char>(b));
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  out.insert(out.end(), {0, 0});
  return out;
}

void AppendValue(std::string& out, std::string_view name, const RegistryValue& value, const RegFileStyle& style,
                 std::string_view eol) {
  std::string prefix = name.empty() ? std::string("@=") : '"' + Escaped(name) + "\"=";
  if (value.type == REG_SZ && QuotableString(value.data)) {
    out += prefix + '"' + Escaped(std::string(value.data.begin(), value.data.end())) + '"';
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    char number[16];
    std::snprintf(number, sizeof number, "dword:%08x",
                  value.data[0] | value.data[1] << 8 | value.data[2] << 16 | static_cast<unsigned>(value.data[3]) << 24);
    out += prefix + number;
  } else if (value.type == REG_BINARY) {
    AppendHexData(out, prefix + "hex:", value.data, eol);
  } else {
    char type[24];
    std::snprintf(type, sizeof type, "hex(%x):", value.type);
    AppendHexData(out, prefix + type, value.type == REG_SZ ? StringAsHexData(value.data, style.header) : value.data, eol);
  }
  out += eol;
}

std::string Encode(std::string_view text, RegFileEncoding encoding) {
  std::string out;
  if (encoding == RegFileEncoding::kWindows1252) return std::string(text);
  if (encoding == RegFileEncoding::kUtf16Le) {
    out.reserve(2 * text.size() + 2);
    out += kUtf16LeBom;
    for (char c : text) {
      const char16_t unit = FromWindows1252(c);
      out += static_cast<char>(unit & 0xFF);
      out += static_cast<char>(unit >> 8);
    }
    return out;
  }
  if (encoding == RegFileEncoding::kUtf8WithBom) out += kUtf8Bom;
  return out + Windows1252ToUtf8(text);
}

}  // namespace

RegistryTree RegFileContents::Tree() const {
  RegistryTree tree;
  ApplyRegFileEdits(edits, tree);
  return tree;
}

void ApplyRegFileEdits(const std::vector<RegFileEdit>& edits, RegistryTree& tree) {
  for (const RegFileEdit& edit : edits) {
    switch (edit.kind) {
      case RegFileEdit::Kind::kCreateKey: tree.CreateKey(edit.root, edit.key); break;
      case RegFileEdit::Kind::kDeleteKey: tree.DeleteKey(edit.root, edit.key); break;
      case RegFileEdit::Kind::kSetValue: tree.SetValue(edit.root, edit.key, edit.name, edit.value); break;
      case RegFileEdit::Kind::kDeleteValue: tree.DeleteValue(edit.root, edit.key, edit.name); break;
    }
  }
}

std::optional<RegFileError> ParseRegFile(std::string_view bytes, RegFileContents& out) {
  out = RegFileContents{};
  if (bytes.empty() || bytes == kUtf16LeBom || bytes == kUtf8Bom) return std::nullopt;
  DecodedText decoded;
  std::optional<RegFileError> error = Decode(bytes, decoded);
  if (!error) {
    out.style.encoding = decoded.encoding;
    out.unmappedCharacters = decoded.unmapped;
    out.firstUnmappedLine = decoded.firstUnmappedLine;
    error = Parser(SplitLines(decoded.text, out.style.crlf), out).Run();
  }
  if (error) out = RegFileContents{};
  return error;
}

std::string FormatRegFile(const RegistryTree& tree, const RegFileStyle& style) {
  const std::string_view eol = style.crlf ? "\r\n" : "\n";
  std::string text(HeaderLine(style.header));
  text += eol;
  for (const RegistryTree::Key* key : tree.Keys()) {
    text += eol;
    text += '[' + key->path + ']';
    text += eol;
    for (const auto& [name, value] : key->values) AppendValue(text, name, value, style, eol);
  }
  text += eol;
  return Encode(text, style.encoding);
}

std::string Windows1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) AppendUtf8(out, FromWindows1252(c));
  return out;
}

std::string Utf8ToWindows1252(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = 0;
    if (!NextUtf8(text, i, c)) {
      c = U'?';
      ++i;
    }
    out += ToWindows1252(c).value_or('?');
  }
  return out;
}

std::string_view EncodingName(RegFileEncoding encoding) {
  switch (encoding) {
    case RegFileEncoding::kUtf16Le: return "UTF-16LE";
    case RegFileEncoding::kUtf8: return "UTF-8";
    case RegFileEncoding::kUtf8WithBom: return "UTF-8 with BOM";
    case RegFileEncoding::kWindows1252: return "Windows-1252";
  }
  return {};
}

std::string_view HeaderLine(RegFileHeader header) {
  return header == RegFileHeader::kVersion5 ? kVersion5Header : kRegedit4Header;
}

}  // namespace commonobjects::platform
