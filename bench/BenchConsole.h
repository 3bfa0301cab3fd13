// BenchConsole: a type-3 console (2000 paths) in an in-memory registry for the life of one
// benchmark, so that figures never depend on the machine's registry file.
#pragma once

#include <memory>

#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/platform/MemoryRegistryStore.h"

class BenchConsole {
 public:
  BenchConsole() : guard_(MakeStore()) { CConsoleConfiguration::ResetForTesting(); }
  ~BenchConsole() { CConsoleConfiguration::ResetForTesting(); }
  BenchConsole(const BenchConsole&) = delete;
  BenchConsole& operator=(const BenchConsole&) = delete;

 private:
  static std::shared_ptr<commonobjects::platform::MemoryRegistryStore> MakeStore() {
    auto store = std::make_shared<commonobjects::platform::MemoryRegistryStore>();
    store->SetValue(HKEY_LOCAL_MACHINE, "Software\\QRX Tarn Tavmir\\Main", "TavmirConsoleType",
                    commonobjects::platform::RegistryValue::Dword(3));
    return store;
  }
  commonobjects::platform::ScopedRegistryOverride guard_;
};
