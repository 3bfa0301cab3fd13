// The file a fuzz target hands to a reader that reads from a path: one per process, in the
// temporary folder, overwritten by each input and removed at exit.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fuzzing {

class FuzzFile {
 public:
  explicit FuzzFile(const std::string& suffix)
      : path_((std::filesystem::temp_directory_path() /
               ("co-fuzz-" + std::to_string(std::random_device{}()) + suffix)).string()) {}
  ~FuzzFile() { std::remove(path_.c_str()); }

  const std::string& Write(const std::string& prefix, const uint8_t* data, size_t size) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << prefix;
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path_;
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace fuzzing
