#include "commonobjects/platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <link.h>

#include <utility>

#include "commonobjects/platform/WindowsDrive.h"

namespace commonobjects::platform {

namespace {

bool EndsWithDll(const std::string& name) {
  if (name.size() < 4) return false;
  std::string suffix = name.substr(name.size() - 4);
  for (char& c : suffix) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return suffix == ".dll";
}

std::string LoaderError(const std::string& fallback) {
  const char* text = dlerror();
  return text != nullptr ? std::string(text) : fallback;
}

}  // namespace

std::vector<std::string> LibraryFileCandidates(const std::string& name) {
  std::string native = MapWindowsPath(name);
  if (native.empty()) return {};
  std::vector<std::string> candidates{native};
  size_t slash = native.rfind('/');
  size_t fileStart = slash == std::string::npos ? 0 : slash + 1;
  if (EndsWithDll(native) && native.size() - fileStart > 4) {
    std::string stem = native.substr(fileStart, native.size() - fileStart - 4);
    candidates.push_back(native.substr(0, fileStart) + "lib" + stem + ".so");
  }
  return candidates;
}

DynamicLibrary::DynamicLibrary(const std::string& name) {
  std::vector<std::string> candidates = LibraryFileCandidates(name);
  if (candidates.empty()) error_ = "'" + name + "' names no file on this machine";
  for (const std::string& file : candidates) {
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ != nullptr) {
      error_.clear();
      return;
    }
    if (!error_.empty()) error_ += "; ";
    error_ += LoaderError(file + ": cannot be loaded");
  }
}

DynamicLibrary::~DynamicLibrary() { Unload(); }

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
  if (this != &other) {
    Unload();
    handle_ = std::exchange(other.handle_, nullptr);
    error_ = std::move(other.error_);
  }
  return *this;
}

std::string DynamicLibrary::LoadedPath() const {
  link_map* map = nullptr;
  if (handle_ == nullptr || dlinfo(handle_, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr ||
      map->l_name == nullptr) {
    return {};
  }
  return map->l_name;
}

void* DynamicLibrary::Symbol(const char* name, std::string* error) const {
  if (handle_ == nullptr) {
    if (error != nullptr) *error = "no library is loaded";
    return nullptr;
  }
  dlerror();  // forget any earlier failure, so that a null result can be told from a miss
  void* address = dlsym(handle_, name);
  if (address == nullptr && error != nullptr) *error = LoaderError(std::string(name) + ": not found");
  return address;
}

void DynamicLibrary::Unload() {
  if (handle_ != nullptr) dlclose(std::exchange(handle_, nullptr));
}

}  // namespace commonobjects::platform
