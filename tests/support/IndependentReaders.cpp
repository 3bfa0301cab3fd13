#include "support/IndependentReaders.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testsupport {

namespace {

std::string Text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

ToolOutcome IndependentReaders::Run(const std::string& command) const {
  const std::string out = PathOf("stdout"), err = PathOf("stderr");
  const int status = std::system((command + " >'" + out + "' 2>'" + err + "'").c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Text(out), Text(err)};
}

void IndependentReaders::RequireTool(const char* path, const char* package) {
  ASSERT_EQ(access(path, X_OK), 0) << path << " is missing: install the Debian package " << package;
}

StreamContents IndependentReaders::ReadWithOlefile(const std::string& path) const {
  RequireTool("/usr/bin/python3", "python3-olefile");
  const std::string script = PathOf("dump.py");
  std::ofstream(script) << R"(import sys, olefile
ole = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)
out = open(sys.argv[2], 'wb')
for entry in ole.listdir(streams=True, storages=False):
    data = ole.openstream(entry).read()
    name = '/'.join(entry).encode('cp1252')
    out.write(b'%d %d ' % (len(name), len(data)) + name + data)
)";
  const ToolOutcome outcome = Run("/usr/bin/python3 '" + script + "' '" + path + "' '" + PathOf("dump") + "'");
  EXPECT_EQ(outcome.exitCode, 0) << path << ": olefile: " << outcome.err;
  StreamContents streams;
  std::istringstream in(Text(PathOf("dump")));
  size_t nameLength = 0, size = 0;
  while (in >> nameLength >> size && in.get()) {
    std::string name(nameLength, '\0');
    Bytes data(size);
    in.read(name.data(), static_cast<std::streamsize>(nameLength));
    in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(size));
    streams[name] = std::move(data);
  }
  return streams;
}

void IndependentReaders::ExpectGsfReads(const std::string& path, const std::string& stream, const Bytes& content) const {
  RequireTool("/usr/bin/gsf", "libgsf-bin");
  const ToolOutcome outcome = Run("/usr/bin/gsf cat '" + path + "' '" + stream + "'");
  EXPECT_EQ(outcome.exitCode, 0) << stream;
  EXPECT_EQ(outcome.err, "") << stream;
  EXPECT_TRUE(outcome.out == std::string(content.begin(), content.end())) << path << " " << stream << " differs in gsf";
}

void IndependentReaders::Expect7zPasses(const std::string& path) const {
  RequireTool("/usr/bin/7z", "p7zip-full");
  const ToolOutcome outcome = Run("/usr/bin/7z t '" + path + "'");
  EXPECT_EQ(outcome.exitCode, 0) << outcome.out << outcome.err;
  EXPECT_NE(outcome.out.find("Everything is Ok"), std::string::npos) << outcome.out;
}

void IndependentReaders::WriteWithGsf(const std::string& path, const StreamContents& streams) const {
  RequireTool("/usr/bin/gsf", "libgsf-bin");
  const std::filesystem::path inputs = PathOf("gsf-inputs-" + std::filesystem::path(path).filename().string());
  std::filesystem::create_directories(inputs);
  for (const auto& [name, content] : streams) {
    std::ofstream(inputs / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
  }
  const ToolOutcome outcome = Run("cd '" + inputs.string() + "' && /usr/bin/gsf createole '" + path + "' *");
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
}

}  // namespace testsupport
