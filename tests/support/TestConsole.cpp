#include "support/TestConsole.h"

#include "commonobjects/console/ConsoleConfiguration.h"

namespace testsupport {

using commonobjects::platform::MemoryRegistryStore;
using commonobjects::platform::RegistryValue;

TestConsole::TestConsole() : store_(std::make_shared<MemoryRegistryStore>()), guard_(store_) {
  CConsoleConfiguration::ResetForTesting();
}

TestConsole::TestConsole(int32_t consoleType, int32_t maxPathsMode) : TestConsole() {
  SetNumber(kMainKey, "TavmirConsoleType", static_cast<uint32_t>(consoleType));
  if (maxPathsMode >= 0) SetNumber(kMainKey, "Max Paths Mode", static_cast<uint32_t>(maxPathsMode));
}

TestConsole::~TestConsole() { CConsoleConfiguration::ResetForTesting(); }

void TestConsole::Set(const char* key, const char* name, const RegistryValue& value) {
  store_->SetValue(HKEY_LOCAL_MACHINE, key, name, value);
  CConsoleConfiguration::ResetForTesting();
}

void TestConsole::SetNumber(const char* key, const char* name, uint32_t number) {
  Set(key, name, RegistryValue::Dword(number));
}

}  // namespace testsupport
