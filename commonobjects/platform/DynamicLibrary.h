// A loaded shared library, as LoadLibraryA and GetProcAddress give one.
//
// Name rule: a library is looked for first under its name as given, then, when that name
// ends in ".dll" (ASCII case ignored), as "lib<name without .dll>.so" in the same folder:
// "XCIRemoteClient.dll" -> "XCIRemoteClient.dll", then "libXCIRemoteClient.so". A name with
// no folder is searched along the system's library path; a Windows path is mapped first
// (WindowsDrive.h). The first candidate that loads wins.
//
// The object owns the library and unloads it on destruction; pointers from Symbol must not
// be used after that. A failed load leaves an empty object whose Error() says why (the
// loader's text for each candidate). Moving transfers ownership. Loading and lookups are
// thread-safe; one object is not changed by two threads at once.
#pragma once

#include <string>
#include <vector>

namespace commonobjects::platform {

// The files tried for `name`, in order (the name rule above).
std::vector<std::string> LibraryFileCandidates(const std::string& name);

class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  // Loads the library (the name rule above).
  explicit DynamicLibrary(const std::string& name);
  ~DynamicLibrary();
  DynamicLibrary(DynamicLibrary&& other) noexcept;
  DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  bool IsLoaded() const { return handle_ != nullptr; }
  // Why the load failed; empty after a successful load.
  const std::string& Error() const { return error_; }
  // The file the loader opened (with its folder), or empty when nothing is loaded.
  std::string LoadedPath() const;

  // The address of the exported symbol, or null (with the loader's text in *error when
  // given) when it is missing or nothing is loaded.
  void* Symbol(const char* name, std::string* error = nullptr) const;
  // Symbol cast to the function pointer type F.
  template <typename F>
  F Function(const char* name, std::string* error = nullptr) const {
    return reinterpret_cast<F>(Symbol(name, error));
  }

  // Unloads now; the object is then empty.
  void Unload();

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace commonobjects::platform
