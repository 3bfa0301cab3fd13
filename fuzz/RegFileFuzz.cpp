// Fuzz target: the .reg file reader (the registry file store, `mixauto registry import`).
//
// Besides the sanitizers: a file that fails to parse leaves nothing behind; a file that
// parses describes a registry that, written back in its own style and in regedit's,
// parses again to the same registry.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "commonobjects/platform/RegFileFormat.h"

namespace platform = commonobjects::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  platform::RegFileContents contents;
  if (platform::ParseRegFile(bytes, contents)) {
    if (!contents.edits.empty()) std::abort();  // a failed parse leaves the contents empty
    return 0;
  }
  const platform::RegistryTree tree = contents.Tree();
  for (const platform::RegFileStyle& style : {contents.style, platform::kRegeditStyle}) {
    const std::string written = platform::FormatRegFile(tree, style);
    platform::RegFileContents again;
    if (platform::ParseRegFile(written, again) || !(again.Tree() == tree)) std::abort();
  }
  return 0;
}
