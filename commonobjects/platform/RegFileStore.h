// The registry kept in one file in the Windows `.reg` text format, so that a user can
// import the export of a console machine.
//
// The file is named by COMMONOBJECTS_REGISTRY; unset, it is
// $XDG_CONFIG_HOME/commonobjects/registry.reg (~/.config/... without XDG_CONFIG_HOME).
// A missing file is an empty registry. Reads reload the file only when it changed on disk.
// Writes take a lock on the file, re-read it, apply the change and replace the file
// atomically (temporary file, fsync, rename), so concurrent writers lose nothing and a
// crash leaves the old file. A malformed file reads as empty, is never overwritten (writes
// fail), and its first error is reported by ParseError(). Thread-safe.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "commonobjects/platform/RegistryStore.h"
#include "commonobjects/platform/RegistryTree.h"

namespace commonobjects::platform {

// Where the first error of a malformed `.reg` file is: 1-based line number and what was
// wrong there.
struct RegFileError {
  int line = 0;
  std::string message;
};

class RegFileStore : public RegistryStore {
 public:
  explicit RegFileStore(std::string path);
  ~RegFileStore() override;

  bool KeyExists(HKEY root, std::string_view key) override;
  std::optional<RegistryValue> QueryValue(HKEY root, std::string_view key,
                                          std::string_view name) override;
  bool CreateKey(HKEY root, std::string_view key) override;
  bool SetValue(HKEY root, std::string_view key, std::string_view name,
                const RegistryValue& value) override;

  const std::string& Path() const;
  // The error of the file as last read, or nothing when it parsed (or is missing).
  std::optional<RegFileError> ParseError();
  // The whole registry as the file holds it now.
  RegistryTree Snapshot();
  // Adds every key and value of tree to the file in one atomic write (values of the same
  // name are replaced). False when the file is malformed or cannot be written.
  bool Merge(const RegistryTree& tree);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The file the process-wide store uses.
std::string DefaultRegistryFilePath();
// The process-wide default store: a RegFileStore on DefaultRegistryFilePath().
std::shared_ptr<RegistryStore> OpenDefaultRegistryFileStore();

}  // namespace commonobjects::platform
