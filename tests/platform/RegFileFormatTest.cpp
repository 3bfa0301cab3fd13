#include "commonobjects/platform/RegFileFormat.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "support/RegFileCases.h"

namespace commonobjects::platform {
namespace {

using namespace std::string_literals;

std::string ReadTestData(const std::string& name) {
  std::ifstream in(std::string(COMMONOBJECTS_SOURCE_DIR) + "/testdata/registry/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Utf16Le(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (char16_t c : text) out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return out;
}

RegistryValue Bytes(std::uint32_t type, std::vector<std::uint8_t> data) { return RegistryValue{type, std::move(data)}; }

TEST(RegFileFormatTest, ConsoleExportRoundTripsByteForByte) {
  const std::string bytes = ReadTestData("console-machine-export.reg");
  RegFileContents contents;
  ASSERT_FALSE(ParseRegFile(bytes, contents).has_value());
  EXPECT_EQ(contents.style, kRegeditStyle);
  const RegistryTree tree = contents.Tree();
  const std::string main = "SOFTWARE\\QRX Tarn Tavmir\\Main";
  EXPECT_EQ(*tree.FindValue(HKEY_LOCAL_MACHINE, main, "TavmirConsoleType"), RegistryValue::Dword(5));
  EXPECT_EQ(*tree.FindValue(HKEY_LOCAL_MACHINE, main, "MixFolder"), RegistryValue::String("D:\\Mixes\\Stage \"B\""));
  EXPECT_EQ(tree.FindValue(HKEY_LOCAL_MACHINE, main, "FaderCalibration")->data.size(), 62u);
  EXPECT_EQ(tree.FindValue(HKEY_LOCAL_MACHINE, main, "IOSystems")->type, 7u);
  EXPECT_EQ(*tree.FindValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\QRXTARN\\QENSERVER", ""), RegistryValue::String("Console server"));
  EXPECT_EQ(*tree.FindValue(HKEY_CURRENT_USER, "Software\\QRX Tarn Tavmir\\Preferences", "Operator"),
            RegistryValue::String("Stage B \x96 mixer"));  // the en dash in Windows-1252
  EXPECT_EQ(FormatRegFile(tree, contents.style), bytes);
}

TEST(RegFileFormatTest, EveryEncodingRoundTripsByValueAndKeepsItsStyle) {
  RegistryTree tree;
  tree.SetValue(HKEY_LOCAL_MACHINE, "K\\\xC9t\xE9", "Name \"q\" \\", RegistryValue::String("Th\xE9\xE2tre \x80 ;x"));
  tree.SetValue(HKEY_LOCAL_MACHINE, "K", "", RegistryValue::String("two\r\nlines\0and a zero"s));
  tree.SetValue(HKEY_LOCAL_MACHINE, "K", "empty", RegistryValue::Binary({}));
  tree.SetValue(HKEY_LOCAL_MACHINE, "K", "short dword", Bytes(REG_DWORD, {1, 2}));
  tree.SetValue(HKEY_LOCAL_MACHINE, "K", "qword", Bytes(0xB, {1, 2, 3, 4, 5, 6, 7, 8}));
  tree.SetValue(HKEY_CURRENT_USER, "K", "long", RegistryValue::Binary(std::vector<std::uint8_t>(300, 0xAB)));
  tree.CreateKey(HKEY_CURRENT_USER, "Empty");
  const RegFileStyle styles[] = {kRegeditStyle,
                                 {RegFileEncoding::kUtf8, RegFileHeader::kVersion5, false},
                                 {RegFileEncoding::kUtf8WithBom, RegFileHeader::kRegedit4, true},
                                 {RegFileEncoding::kWindows1252, RegFileHeader::kRegedit4, true},
                                 {RegFileEncoding::kUtf16Le, RegFileHeader::kRegedit4, false}};
  for (const RegFileStyle& style : styles) {
    SCOPED_TRACE(std::string(EncodingName(style.encoding)) + " / " + std::string(HeaderLine(style.header)));
    RegFileContents contents;
    const std::string bytes = FormatRegFile(tree, style);
    ASSERT_FALSE(ParseRegFile(bytes, contents).has_value());
    EXPECT_EQ(contents.style, style);
    EXPECT_EQ(contents.Tree(), tree);
    EXPECT_EQ(FormatRegFile(contents.Tree(), style), bytes);
  }
}

TEST(RegFileFormatTest, HexDataWrapsAfterTheCommaThatReachesColumn77) {
  RegistryTree tree;
  std::vector<std::uint8_t> data(50);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
  tree.SetValue(HKEY_CURRENT_USER, "K", "ShellState", RegistryValue::Binary(data));
  const std::string text = FormatRegFile(tree, {RegFileEncoding::kUtf8, RegFileHeader::kVersion5, false});
  EXPECT_EQ(text,
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\K]\n"
            "\"ShellState\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,\\\n"
            "  14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,\\\n"
            "  2d,2e,2f,30,31\n\n");
}

TEST(RegFileFormatTest, Regedit4FileAppliesDeletionsContinuationsAndWindows1252Text) {
  RegFileContents contents;
  ASSERT_FALSE(ParseRegFile(ReadTestData("legacy-regedit4.reg"), contents).has_value());
  EXPECT_EQ(contents.style, (RegFileStyle{RegFileEncoding::kWindows1252, RegFileHeader::kRegedit4, true}));
  RegistryTree tree;
  const std::string main = "SOFTWARE\\QRX Tarn Tavmir\\Main";
  tree.SetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\QRX Tarn Tavmir\\Obsolete\\Sub", "x", RegistryValue::Dword(1));
  tree.SetValue(HKEY_LOCAL_MACHINE, main, "OldSetting", RegistryValue::Dword(1));
  tree.SetValue(HKEY_LOCAL_MACHINE, main, "Kept", RegistryValue::Dword(1));
  ApplyRegFileEdits(contents.edits, tree);

  EXPECT_FALSE(tree.KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\QRX Tarn Tavmir\\Obsolete"));
  EXPECT_EQ(tree.FindValue(HKEY_LOCAL_MACHINE, main, "OldSetting"), nullptr);
  EXPECT_NE(tree.FindValue(HKEY_LOCAL_MACHINE, main, "Kept"), nullptr);
  EXPECT_EQ(*tree.FindValue(HKEY_LOCAL_MACHINE, main, "Studio"), RegistryValue::String("Th\xE9\xE2tre 2"));
  EXPECT_EQ(*tree.FindValue(HKEY_LOCAL_MACHINE, main, "Meter"), RegistryValue::Binary({1, 2, 3, 4, 5}));
}

TEST(RegFileFormatTest, MalformedFilesReportTheFirstBadLine) {
  const std::string v5 = "Windows Registry Editor Version 5.00\r\n\r\n";
  const std::string key = "[HKEY_LOCAL_MACHINE\\K]\r\n";
  const struct {
    std::string bytes;
    int line;
    std::string message;
  } cases[] = {
      {"Windows Registry Editor Version 4.00\r\n", 1, "expected the header"},
      {v5 + key + "\"A\"=dword:0000006O\r\n", 4, "unexpected text \"O\" after the dword"},
      {v5 + key + "\"A\"=dword:123456789\r\n", 4, "1 to 8 hex digits"},
      {v5 + key + "\"A\"=\"C:\\path\"\r\n", 4, "unknown escape"},
      {v5 + key + "\"A=\"x\"\r\n", 4, "expected '='"},
      {v5 + key + "\"A\"=\"x\r\n", 4, "missing closing quote"},
      {v5 + key + "\"A\"=str:x\r\n", 4, "unknown value data"},
      {v5 + key + "\"A\"=hex:01,02,\\\r\n  03,zz\r\n", 5, "expected a hex byte"},
      {v5 + key + "\"A\"=hex:01 02\r\n", 4, "expected ','"},
      {v5 + key + "\"A\"=hex(1):41\r\n", 4, "odd number of bytes"},
      {v5 + "\"A\"=dword:1\r\n", 3, "before the first [key]"},
      {v5 + "[-HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=dword:1\r\n", 4, "deleted key"},
      {v5 + "[HKEY_USERS\\.DEFAULT]\r\n", 3, "unsupported root \"HKEY_USERS\""},
      {v5 + "[HKEY_LOCAL_MACHINE\\K\r\n", 3, "missing ']'"},
      {v5 + "HKEY_LOCAL_MACHINE\\K\r\n", 3, "expected a [key] section"},
      {v5 + key + "\"A\"=\"x\0\"\r\n"s, 4, "NUL character"},
      {v5 + key + "\"A\"=\"\xC3\x28\"\r\n", 4, "invalid UTF-8"},
      {"\xFE\xFFW", 1, "big-endian"},
      {"W\0i\0"s, 1, "without a byte-order mark"},
      {Utf16Le(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\\xD800K]"), 3, "unpaired"},
      {Utf16Le(u"REGEDIT4\r\n") + "x", 2, "odd number of bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    RegFileContents contents;
    const auto error = ParseRegFile(c.bytes, contents);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->line, c.line);
    EXPECT_NE(error->message.find(c.message), std::string::npos) << error->message;
    EXPECT_TRUE(contents.edits.empty());
  }
}

// Every case in every encoding with every line end: CR alone counts as a line end (also in
// error line numbers), and a file of CRs is written back with CR LF, as regedit writes.
TEST(RegFileFormatTest, FilesAreReadAsTheRegistryEditorReadsThemInEveryForm) {
  using testsupport::RegFileForm;
  using testsupport::RegFileLineEnd;
  for (RegFileForm form : {RegFileForm::kAnsi, RegFileForm::kUtf8, RegFileForm::kUtf16}) {
    for (RegFileLineEnd end : {RegFileLineEnd::kCrLf, RegFileLineEnd::kLf, RegFileLineEnd::kCr}) {
      SCOPED_TRACE("form " + std::to_string(static_cast<int>(form)) + ", line end " +
                   std::to_string(static_cast<int>(end)));
      for (const auto& c : testsupport::AcceptedRegFiles()) {
        SCOPED_TRACE(c.what);
        RegFileContents contents;
        RegFileContents same;
        const auto error = ParseRegFile(testsupport::RegFileBytes(c.lines, form, end, c.indentHeader), contents);
        ASSERT_FALSE(error.has_value()) << error->line << ": " << error->message;
        ASSERT_FALSE(ParseRegFile(testsupport::RegFileBytes(c.same, form, RegFileLineEnd::kCrLf), same).has_value());
        EXPECT_EQ(contents.Tree(), same.Tree());
        EXPECT_FALSE(contents.Tree().Empty());
        EXPECT_EQ(contents.style.crlf, end != RegFileLineEnd::kLf);
      }
      for (const auto& c : testsupport::RefusedRegFiles()) {
        SCOPED_TRACE(c.what);
        RegFileContents contents;
        const auto error = ParseRegFile(testsupport::RegFileBytes(c.lines, form, end), contents);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->line, c.line);
        EXPECT_NE(error->message.find(c.message), std::string::npos) << error->message;
        EXPECT_TRUE(contents.edits.empty());
      }
    }
  }
}

TEST(RegFileFormatTest, CharactersWithoutAWindows1252FormReadAsQuestionMarksAndAreCounted) {
  RegFileContents contents;
  const std::string file = "\xEF\xBB\xBFREGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"A\"=\"\xE2\x86\x92 \xF0\x9F\x8E\x9A \xE2\x80\x93\"\n";
  ASSERT_FALSE(ParseRegFile(file, contents).has_value());
  EXPECT_EQ(*contents.Tree().FindValue(HKEY_CURRENT_USER, "K", "A"), RegistryValue::String("? ? \x96"));
  EXPECT_EQ(contents.unmappedCharacters, 2u);
  EXPECT_EQ(contents.firstUnmappedLine, 4);
  EXPECT_EQ(contents.style.crlf, false);

  for (const std::string empty : {"", "\xFF\xFE", "\xEF\xBB\xBF"}) {
    EXPECT_FALSE(ParseRegFile(empty, contents).has_value());
    EXPECT_TRUE(contents.Tree().Empty());
  }
}

TEST(RegFileFormatTest, EveryWindows1252ByteSurvivesUtf8AndBack) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
  EXPECT_EQ(Windows1252ToUtf8("\x80\x81\x9F"), "\xE2\x82\xAC\xC2\x81\xC5\xB8");
  EXPECT_EQ(Utf8ToWindows1252("\xE2\x86\x92\xFF"), "??");
}

}  // namespace
}  // namespace commonobjects::platform
