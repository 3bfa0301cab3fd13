// FileReplacement: a new version of a file written beside it and put in its place in one
// step, so that a crash or a failure at any moment leaves either the old file or the new one,
// whole. The writer writes the temporary file through the RandomAccessFile it takes; Commit
// syncs it, renames it over the file and syncs the folder. Without a successful Commit the
// destructor removes the temporary file and the old file is untouched.
//
// The temporary file lies in the file's folder (so the rename stays on one file system),
// is held exclusively, and takes an existing file's permissions. Temporary files that
// earlier writers of the same file left when they died are removed first. One thread per
// object.
#pragma once

#include <memory>
#include <string>

#include "commonobjects/platform/File.h"
#include "commonobjects/platform/RandomAccessFile.h"

namespace commonobjects::platform {

class FileReplacement {
 public:
  // Creates the temporary file beside the native path `path`; *file receives it for writing
  // (empty, read-write). Fails as creating a file there fails (kNotFound for a missing folder,
  // kAccessDenied for a read-only one).
  static FileStatus Begin(const std::string& path, std::unique_ptr<FileReplacement>* out,
                          std::unique_ptr<RandomAccessFile>* file);
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Puts the temporary file in the file's place (the writer must have closed its handle). A
  // failure before the rename leaves the old file and removes the temporary one; a failure to
  // sync the folder afterwards is reported with the new file in place.
  FileStatus Commit();
  const std::string& TemporaryPath() const { return temporary_; }

 private:
  FileReplacement(std::string path, std::string temporary);

  std::string path_;
  std::string temporary_;
  bool pending_ = true;  // the temporary file is still there to remove
};

}  // namespace commonobjects::platform
