// The independent readers of compound files that the interoperability tests compare ours
// with: python3-olefile (strict: defects raise), gsf and 7z, run as programs in a scratch
// folder. Each check fails the test (with the Debian package to install) when its tool is
// missing.
#pragma once

#include <string>

#include "support/CfbBuilder.h"

namespace testsupport {

struct ToolOutcome {
  int exitCode = -1;
  std::string out, err;
};

class IndependentReaders {
 public:
  // Scratch files go into `folder`.
  explicit IndependentReaders(std::string folder) : folder_(std::move(folder)) {}

  // Runs a shell command; standard output and error are collected.
  ToolOutcome Run(const std::string& command) const;
  static void RequireTool(const char* path, const char* package);
  // Every stream of the file as python3-olefile reads it with defects raised.
  StreamContents ReadWithOlefile(const std::string& path) const;
  // gsf's "cat" of one stream equals content.
  void ExpectGsfReads(const std::string& path, const std::string& stream, const Bytes& content) const;
  void Expect7zPasses(const std::string& path) const;
  // A compound file written by gsf ("createole") holding `streams`, at `path`.
  void WriteWithGsf(const std::string& path, const StreamContents& streams) const;

 private:
  std::string PathOf(const std::string& name) const { return folder_ + "/" + name; }

  std::string folder_;
};

}  // namespace testsupport
