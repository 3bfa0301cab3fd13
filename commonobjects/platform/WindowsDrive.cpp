#include "commonobjects/platform/WindowsDrive.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <vector>

namespace commonobjects::platform {

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::string HomeFolder() {
  std::string home = Environment("HOME");
  if (!home.empty()) return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] != '\0') {
    return found->pw_dir;
  }
  return ".";
}

std::string DataHome() {
  std::string dataHome = Environment("XDG_DATA_HOME");
  if (!dataHome.empty() && dataHome.front() == '/') return dataHome;
  return HomeFolder() + "/.local/share";
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char UpperCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// `rest` is a path relative to the drive's root folder; "." and ".." are resolved
// lexically and never leave the root.
std::string InsideRoot(std::string_view rest) {
  std::vector<std::string_view> components;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = start;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    std::string_view component = rest.substr(start, end - start);
    if (component == "..") {
      if (!components.empty()) components.pop_back();
    } else if (!component.empty() && component != ".") {
      components.push_back(component);
    }
    start = end + 1;
  }
  std::string native = WindowsDriveRoot();
  for (std::string_view component : components) {
    if (native.back() != '/') native += '/';
    native += component;
  }
  return native;
}

}  // namespace

std::string GetWindowsDirectory() { return "C:\\WINDOWS"; }

std::string WindowsDriveRoot() {
  std::string root = Environment("COMMONOBJECTS_ROOT");
  if (root.empty()) root = DataHome() + "/commonobjects/root";
  return WithoutTrailingSlashes(std::move(root));
}

std::string MapWindowsPath(const std::string& path) {
  if (path.size() >= 2 && path[0] == '\\' && IsSeparator(path[1])) return {};  // UNC
  if (path.size() >= 2 && IsLetter(path[0]) && path[1] == ':') {
    if (UpperCase(path[0]) != GetWindowsDirectory().front()) return {};
    return InsideRoot(std::string_view(path).substr(2));
  }
  if (!path.empty() && path[0] == '\\') return InsideRoot(std::string_view(path).substr(1));
  std::string native = path;
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

}  // namespace commonobjects::platform
