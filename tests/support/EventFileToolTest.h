// EventFileToolTest: a fixture for tests that run mixauto on event-array files and mixes: a
// temporary folder with a registry file that is missing unless the test writes it (so the
// tool reads a console of type 3, 2000 paths, 1/100 s units) and a Windows drive of its own,
// and a writer of event files.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "support/RunTool.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace testsupport {

class EventFileToolTest : public ::testing::Test {
 protected:
  explicit EventFileToolTest(const char* folderName) : folder(folderName) {}

  TempFolder folder;
  TestConsole console{3};  // what the tool reads from the missing registry

  // Writes the registry file the tool reads: the .reg text after its first line.
  void WriteRegistry(const std::string& keys) {
    std::ofstream(folder.PathOf("registry.reg")) << "Windows Registry Editor Version 5.00\n\n" << keys;
  }

  // The exit status and output (stdout and stderr) of mixauto ARGUMENTS.
  ToolResult RunMixauto(const std::string& arguments) {
    return RunTool("COMMONOBJECTS_REGISTRY='" + folder.PathOf("registry.reg") + "' COMMONOBJECTS_ROOT='" +
                   folder.PathOf("root") + "' '" + MIXAUTO_PATH + "' " + arguments + " 2>&1");
  }

  // A file of the events, in the order given (Save keeps the array's order).
  std::string Write(const std::string& name, const std::vector<CAutomationEvent>& events) {
    CAutomationEventArray array;
    for (const CAutomationEvent& e : events) array.Add(e);
    const std::string path = folder.PathOf(name);
    EXPECT_EQ(array.Save(path), 1);
    return path;
  }
};

}  // namespace testsupport
