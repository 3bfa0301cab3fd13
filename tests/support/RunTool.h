// RunTool: runs a shell command line, as a user would type it, and gives back its exit status
// and everything it wrote to the pipe. Callers that want stderr too append " 2>&1".
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace testsupport {

struct ToolResult {
  int status = -1;     // exit status; -1 when the shell could not start or the tool did not exit normally
  std::string output;  // what the command wrote to stdout (and stderr, when redirected)
};

inline ToolResult RunTool(const std::string& commandLine) {
  ToolResult result;
  FILE* pipe = ::popen(commandLine.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.output.append(buffer, n);
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace testsupport
