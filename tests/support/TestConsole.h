// TestConsole: an in-memory registry for the life of a test, describing the console the test
// wants. The process-wide console configuration is forgotten on the way in and on the way
// out, so the test reads its own console and later tests read theirs (the default, type 3,
// when they set none). Construct event arrays after the TestConsole: they read the layout
// when they are built.
#pragma once

#include <cstdint>
#include <memory>

#include "commonobjects/platform/MemoryRegistryStore.h"

namespace testsupport {

inline constexpr char kMainKey[] = "Software\\QRX Tarn Tavmir\\Main";
inline constexpr char kServerKey[] = "SOFTWARE\\QRXTARN\\QENSERVER";

class TestConsole {
 public:
  TestConsole();
  // A console of the given type; "Max Paths Mode" is stored when maxPathsMode >= 0.
  explicit TestConsole(int32_t consoleType, int32_t maxPathsMode = -1);
  ~TestConsole();
  TestConsole(const TestConsole&) = delete;
  TestConsole& operator=(const TestConsole&) = delete;

  void Set(const char* key, const char* name, const commonobjects::platform::RegistryValue& value);
  void SetNumber(const char* key, const char* name, uint32_t number);
  commonobjects::platform::MemoryRegistryStore& Store() { return *store_; }

 private:
  std::shared_ptr<commonobjects::platform::MemoryRegistryStore> store_;
  commonobjects::platform::ScopedRegistryOverride guard_;
};

}  // namespace testsupport
