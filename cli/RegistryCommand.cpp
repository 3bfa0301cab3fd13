// mixauto registry: shows and edits the registry file that the library reads its settings
// from, and imports or checks the `.reg` export of a console machine.
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Commands.h"
#include "commonobjects/platform/RegFileFormat.h"
#include "commonobjects/platform/RegFileStore.h"

namespace mixauto {
namespace {

namespace platform = commonobjects::platform;

constexpr const char* kRegistryHelp =
    "Show and edit the registry file that holds the system's settings: the .reg file named by "
    "COMMONOBJECTS_REGISTRY, else $XDG_CONFIG_HOME/commonobjects/registry.reg (~/.config/... "
    "without XDG_CONFIG_HOME).\n"
    "KEY begins with HKEY_LOCAL_MACHINE\\, HKLM\\, HKEY_CURRENT_USER\\ or HKCU\\; a KEY without "
    "a root is under HKEY_LOCAL_MACHINE, where the system's settings live. NAME \"\" is the key's "
    "default value (@ in .reg files).";

struct RegistryOptions {
  std::string file;  // --file; empty: the default registry file
  std::string key;
  std::string name;
  std::string value;
  std::string type = "sz";
  std::string otherFile;  // of import, export and check
};

std::string RegistryFile(const RegistryOptions& options) {
  return options.file.empty() ? platform::DefaultRegistryFilePath() : options.file;
}

// Command-line text (UTF-8) as the library's Windows-1252 text; refuses what has no form.
std::string ToLibraryText(const std::string& text, const char* what) {
  std::string converted = platform::Utf8ToWindows1252(text);
  if (platform::Windows1252ToUtf8(converted) != text) {
    FailCommand("registry", std::string(what) + " \"" + text + "\" has characters that Windows-1252 cannot hold");
  }
  return converted;
}

struct KeyName {
  HKEY root = HKEY_LOCAL_MACHINE;
  std::string path;  // below the root
  std::string Display() const { return std::string(platform::RootName(root)) + (path.empty() ? "" : "\\" + path); }
};

KeyName ParseKey(const std::string& text) {
  KeyName key{HKEY_LOCAL_MACHINE, ToLibraryText(text, "KEY")};
  const std::size_t slash = key.path.find('\\');
  if (auto root = platform::RootFromName(key.path.substr(0, slash))) {
    key.root = *root;
    key.path = slash == std::string::npos ? std::string() : key.path.substr(slash + 1);
  }
  return key;
}

// The store's file must parse; else the registry reads as empty and every write fails.
void RequireParsedFile(platform::RegFileStore& store) {
  if (auto error = store.ParseError()) {
    FailCommand("registry", platform::DescribeRegFileError(store.Path(), *error) +
         "\n(the registry reads as empty until the file is mended; run 'mixauto registry check')");
  }
}

// "1 key", "3 keys".
std::string Count(std::size_t n, const char* noun) {
  return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

std::string HexBytes(const std::vector<std::uint8_t>& data) {
  std::string out;
  char hex[4];
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(hex, sizeof hex, i == 0 ? "%02x" : ",%02x", data[i]);
    out += hex;
  }
  return out;
}

std::string ValueText(const platform::RegistryValue& value) {
  if (value.type == REG_SZ) return platform::Windows1252ToUtf8(std::string(value.data.begin(), value.data.end()));
  if (value.type == REG_DWORD && value.data.size() == 4) {
    return std::to_string(value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                          static_cast<std::uint32_t>(value.data[3]) << 24);
  }
  if (value.type == REG_BINARY) return HexBytes(value.data);
  char type[24];
  std::snprintf(type, sizeof type, "hex(%x):", value.type);
  return type + HexBytes(value.data);
}

std::uint32_t ParseDword(const std::string& text) {
  std::string_view digits = text;
  int base = 10;
  if (digits.starts_with("0x") || digits.starts_with("0X")) {
    digits.remove_prefix(2);
    base = 16;
  }
  std::int64_t number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number, base);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || number < INT32_MIN ||
      number > UINT32_MAX || (base == 16 && number < 0)) {
    FailCommand("registry", "\"" + text + "\" is not a dword: give a number from -2147483648 to 4294967295, or 0x and 1 to 8 hex digits");
  }
  return static_cast<std::uint32_t>(number);
}

std::vector<std::uint8_t> ParseBinary(const std::string& text) {
  std::vector<std::uint8_t> bytes;
  std::string digits;
  for (char c : text) {
    if (c == ',' || c == ' ') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) FailCommand("registry", "\"" + text + "\" is not hex bytes (e.g. 01,02,ff)");
    digits += c;
  }
  if (digits.size() % 2 != 0) FailCommand("registry", "\"" + text + "\" has an odd number of hex digits");
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

platform::RegistryValue ParseValue(const RegistryOptions& options) {
  if (options.type == "dword") return platform::RegistryValue::Dword(ParseDword(options.value));
  if (options.type == "binary") return platform::RegistryValue::Binary(ParseBinary(options.value));
  return platform::RegistryValue::String(ToLibraryText(options.value, "VALUE"));
}

void Show(const RegistryOptions& options) {
  platform::RegFileStore store(RegistryFile(options));
  RequireParsedFile(store);
  const platform::RegFileStyle utf8{platform::RegFileEncoding::kUtf8, platform::RegFileHeader::kVersion5, false};
  std::string text = platform::FormatRegFile(store.Snapshot(), utf8);
  text.insert(text.find('\n') + 1, "; " + store.Path() + "\n");
  std::fwrite(text.data(), 1, text.size(), stdout);
}

void Get(const RegistryOptions& options) {
  platform::RegFileStore store(RegistryFile(options));
  RequireParsedFile(store);
  const KeyName key = ParseKey(options.key);
  const auto value = store.QueryValue(key.root, key.path, ToLibraryText(options.name, "NAME"));
  if (!value) FailCommand("registry", "no value \"" + options.name + "\" under " + options.key + " in " + store.Path());
  std::printf("%s\n", ValueText(*value).c_str());
}

void Set(const RegistryOptions& options) {
  platform::RegFileStore store(RegistryFile(options));
  const KeyName key = ParseKey(options.key);
  const std::string name = ToLibraryText(options.name, "NAME");
  const platform::RegistryValue value = ParseValue(options);
  if (!store.SetValue(key.root, key.path, name, value)) FailCommand("registry", store.LastWriteError());
  std::printf("%s: set %s \"%s\" = %s\n", store.Path().c_str(), platform::Windows1252ToUtf8(key.Display()).c_str(),
              options.name.c_str(), ValueText(value).c_str());
}

// A warning for characters of a file that read as '?'.
void WarnUnmapped(const std::string& file, const platform::RegFileContents& contents) {
  if (contents.unmappedCharacters == 0) return;
  std::printf("%s:%d: warning: %zu characters have no Windows-1252 form and read as '?'\n", file.c_str(),
              contents.firstUnmappedLine, contents.unmappedCharacters);
}

void Import(const RegistryOptions& options) {
  platform::RegFileContents contents;
  if (auto error = platform::LoadRegFile(options.otherFile, contents, false)) {
    FailCommand("registry", platform::DescribeRegFileError(options.otherFile, *error) + "\nnothing was imported");
  }
  WarnUnmapped(options.otherFile, contents);
  platform::RegFileStore store(RegistryFile(options));
  if (!store.Import(contents)) FailCommand("registry", store.LastWriteError() + "\nnothing was imported");
  const platform::RegistryTree imported = contents.Tree();
  std::printf("imported %s and %s from %s into %s\n", Count(imported.KeyCount(), "key").c_str(),
              Count(imported.ValueCount(), "value").c_str(), options.otherFile.c_str(), store.Path().c_str());
}

void Export(const RegistryOptions& options) {
  platform::RegFileStore store(RegistryFile(options));
  RequireParsedFile(store);
  const platform::RegistryTree tree = store.Snapshot();
  std::string error;
  if (!platform::WriteFileAtomically(options.otherFile, platform::FormatRegFile(tree, platform::kRegeditStyle), error)) {
    FailCommand("registry", error);
  }
  std::printf("exported %s and %s from %s to %s (UTF-16LE)\n", Count(tree.KeyCount(), "key").c_str(),
              Count(tree.ValueCount(), "value").c_str(), store.Path().c_str(), options.otherFile.c_str());
}

void Check(const RegistryOptions& options) {
  const std::string file = options.otherFile.empty() ? RegistryFile(options) : options.otherFile;
  platform::RegFileContents contents;
  if (auto error = platform::LoadRegFile(file, contents, options.otherFile.empty())) {
    std::printf("%s\n", platform::DescribeRegFileError(file, *error).c_str());
    throw CLI::RuntimeError(1);
  }
  if (!std::filesystem::exists(file)) {
    std::printf("%s: ok, no file yet (an empty registry)\n", file.c_str());
    return;
  }
  const platform::RegistryTree tree = contents.Tree();
  std::printf("%s: ok, %s, %s (%s, \"%s\")\n", file.c_str(), Count(tree.KeyCount(), "key").c_str(),
              Count(tree.ValueCount(), "value").c_str(),
              std::string(platform::EncodingName(contents.style.encoding)).c_str(),
              std::string(platform::HeaderLine(contents.style.header)).c_str());
  WarnUnmapped(file, contents);
}

}  // namespace

void AddRegistryCommand(CLI::App& app) {
  auto options = std::make_shared<RegistryOptions>();
  CLI::App* registry = app.add_subcommand("registry", kRegistryHelp);
  registry->require_subcommand(1);
  registry->add_option("--file", options->file, "registry file to use instead of the default one");

  registry->add_subcommand("show", "print the registry as .reg text in UTF-8 (Version 5.00 header)")
      ->callback([options] { Show(*options); });

  CLI::App* get = registry->add_subcommand("get", "print a value: text, a dword in decimal, binary as hex bytes; exit 1 when missing");
  get->add_option("KEY", options->key, "key path")->required();
  get->add_option("NAME", options->name, "value name")->required();
  get->callback([options] { Get(*options); });

  CLI::App* set = registry->add_subcommand("set", "set a value, creating its key");
  set->add_option("KEY", options->key, "key path")->required();
  set->add_option("NAME", options->name, "value name")->required();
  set->add_option("VALUE", options->value, "text; a dword in decimal or 0x hex; binary as hex bytes (01,02,ff)")
      ->required();
  set->add_option("--type", options->type, "sz (default), dword or binary")
      ->check(CLI::IsMember({"sz", "dword", "binary"}));
  set->callback([options] { Set(*options); });

  CLI::App* import = registry->add_subcommand("import", "merge a .reg file into the registry (all or nothing)");
  import->add_option("FILE", options->otherFile, ".reg file to import")->required();
  import->callback([options] { Import(*options); });

  CLI::App* exportCommand = registry->add_subcommand("export", "write the registry to a .reg file in UTF-16LE, as regedit does");
  exportCommand->add_option("FILE", options->otherFile, ".reg file to write")->required();
  exportCommand->callback([options] { Export(*options); });

  CLI::App* check = registry->add_subcommand("check", "check that the registry file (or FILE) parses; prints FILE:LINE: message and exits 1 when not");
  check->add_option("FILE", options->otherFile, ".reg file to check instead of the registry file");
  check->callback([options] { Check(*options); });
}

}  // namespace mixauto
