// The registry kept in one file in the Windows `.reg` text format, so that a user can
// import the export of a console machine.
//
// The file is named by COMMONOBJECTS_REGISTRY; unset, it is
// $XDG_CONFIG_HOME/commonobjects/registry.reg (~/.config/... without XDG_CONFIG_HOME).
// A missing file is an empty registry. Reads reload the file only when it changed on disk:
// each read costs one stat of the file while it is unchanged. Writes take an exclusive lock
// on "<file>.lock" (left in place), re-read the file, apply the change and replace the file
// atomically (temporary file in the same folder, fsync, rename, fsync of the folder), so
// concurrent writers in any process lose nothing and a crash leaves the old file. The
// parent folder is created when missing. A rewrite keeps the file's encoding, header and
// line ends; a new file is written as regedit writes one. A malformed file reads as empty,
// is never overwritten (writes fail), and its first error is reported by ParseError().
// Thread-safe: one lock per store serialises its operations.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "commonobjects/platform/RegFileFormat.h"
#include "commonobjects/platform/RegistryStore.h"
#include "commonobjects/platform/RegistryTree.h"

namespace commonobjects::platform {

// The steps of replacing a file, for tests that make one of them fail.
enum class RegFileWriteStep { kWriteTemporary, kSyncTemporary, kRename };

class RegFileStore : public RegistryStore {
 public:
  explicit RegFileStore(std::string path);
  ~RegFileStore() override;

  bool KeyExists(HKEY root, std::string_view key) override;
  std::optional<RegistryValue> QueryValue(HKEY root, std::string_view key,
                                          std::string_view name) override;
  // An existing key (also one that exists only as a parent) is left as it is, unwritten.
  bool CreateKey(HKEY root, std::string_view key) override;
  // Setting a value to what it already holds writes nothing and succeeds.
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
  // Applies a parsed file's edits (creations and deletions, in order) in one atomic write,
  // as importing it into regedit would. False as Merge.
  bool Import(const RegFileContents& contents);
  // Why this store's last failed write failed ("FILE:LINE: what" or "FILE: what"); empty
  // after a write that succeeded.
  std::string LastWriteError();

  // How many times the file was parsed (tests check that unchanged files are not).
  std::uint64_t ParseCountForTesting();
  // Makes every following write fail at `step` (nothing: writes work again).
  void SetWriteFaultForTesting(std::optional<RegFileWriteStep> step);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Reads and parses the `.reg` file at path. A missing file is an empty registry when
// missingIsEmpty, else an error. Errors on line 0 concern the file as a whole (it cannot
// be read). On error `out` is empty.
std::optional<RegFileError> LoadRegFile(const std::string& path, RegFileContents& out,
                                        bool missingIsEmpty);
// Replaces (or creates) the file at path with bytes atomically: a temporary file in the
// same folder, fsync, rename, fsync of the folder; an existing file's permissions are kept.
// On failure returns false with `error` saying what failed, and the old file is untouched.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error);
// "FILE:LINE: message", or "FILE: message" for an error on line 0.
std::string DescribeRegFileError(const std::string& path, const RegFileError& error);

// The file the process-wide store uses.
std::string DefaultRegistryFilePath();
// The process-wide default store: a RegFileStore on DefaultRegistryFilePath().
std::shared_ptr<RegistryStore> OpenDefaultRegistryFileStore();

}  // namespace commonobjects::platform
