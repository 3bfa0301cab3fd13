// The umbrella header must name every public header, so that an outside project that
// includes commonobjects.h sees the whole library. Headers in folders named "internal"
// are the library's own business and stay out.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "commonobjects/commonobjects.h"

namespace fs = std::filesystem;

TEST(UmbrellaHeader, IncludesEveryPublicHeader) {
  const fs::path root = fs::path(COMMONOBJECTS_SOURCE_DIR);
  std::ifstream in(root / "commonobjects" / "commonobjects.h");
  std::stringstream umbrella;
  umbrella << in.rdbuf();
  for (const auto& entry : fs::recursive_directory_iterator(root / "commonobjects")) {
    if (entry.path().extension() != ".h" || entry.path().filename() == "commonobjects.h") continue;
    const fs::path relative = fs::relative(entry.path(), root);
    if (relative.parent_path().filename() == "internal") continue;
    EXPECT_NE(umbrella.str().find("#include \"" + relative.generic_string() + "\""), std::string::npos)
        << relative << " is missing from commonobjects.h";
  }
}
