// TempFolder: a fresh folder under the system's temporary folder for the life of a test,
// removed with everything in it at the end; and WriteBytes, any bytes put in a file.
#pragma once

#include <filesystem>
#include <fstream>
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

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testsupport
