// TempFolder: a fresh folder under the system's temporary folder for the life of a test,
// removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace testsupport {

class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "co-test")
      : path_(std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(std::random_device{}()))) {
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The path of a file in the folder.
  std::string PathOf(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace testsupport
