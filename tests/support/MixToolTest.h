// MixToolTest: a fixture for tests that run mixauto on mixes. The tool (through its registry
// file) and the test process (through its TestConsole) both run a console of type 2 in max
// paths mode 0 (256 paths: small maps, fast saves), and compressed saves do not pause. It
// writes the sample mix in either form, loads mixes back, and damages compressed blocks.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/package/AutomationPackage.h"
#include "support/EventFileToolTest.h"
#include "support/SampleMix.h"

namespace testsupport {

class MixToolTest : public EventFileToolTest {
 protected:
  static constexpr int kPaths = 256;

  explicit MixToolTest(const char* folderName) : EventFileToolTest(folderName) {
    console.SetNumber(kMainKey, "TavmirConsoleType", 2);
    console.SetNumber(kMainKey, "Max Paths Mode", 0);
    console.SetNumber(kServerKey, "CompressedAutoPauseMs", 0);
    WriteRegistry("[HKEY_LOCAL_MACHINE\\Software\\QRX Tarn Tavmir\\Main]\n"
                  "\"TavmirConsoleType\"=dword:00000002\n\"Max Paths Mode\"=dword:00000000\n\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QRXTARN\\QENSERVER]\n\"CompressedAutoPauseMs\"=dword:00000000\n");
  }

  // The sample mix (200 events, 10 records per slot, path groups 0:16,16:8), changed by
  // `change`, saved in the given form.
  std::string SaveMix(const std::string& name, bool compressed,
                      const std::function<void(CAutomationPackage&)>& change = nullptr) {
    CAutomationPackage mix;
    FillSampleMix(mix, 200, 10);
    if (change) change(mix);
    mix.SetFileName(folder.PathOf(name));
    EXPECT_NE(mix.Save(compressed ? 1 : 0), 0) << name;
    return mix.GetFileName();
  }
};

using Members = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The mix at `path`, loaded; its events must load.
inline std::unique_ptr<CAutomationPackage> LoadMix(const std::string& path) {
  auto mix = std::make_unique<CAutomationPackage>();
  mix->SetNotifyOnDestruction(false);
  mix->SetFileName(path);
  mix->Load();
  EXPECT_TRUE(mix->GetLoadReport().EventsLoaded) << path;
  return mix;
}

// Every member of the mix at `path` but its events.
inline Members OtherMembers(const std::string& path) {
  Members members = MixMembers(*LoadMix(path));
  members.erase(members.begin());  // "events"
  return members;
}

inline bool Has(const std::string& output, const std::string& text) {
  return output.find(text) != std::string::npos;
}

// Whether some line of the output, its runs of blanks squeezed to one, contains `text`.
inline bool HasSqueezed(const std::string& output, const std::string& text) {
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    std::string squeezed;
    for (const char ch : line) {
      if (ch != ' ' || (!squeezed.empty() && squeezed.back() != ' ')) squeezed += ch;
    }
    if (squeezed.find(text) != std::string::npos) return true;
  }
  return false;
}

// Damages the first chunk of compressed block `number`: its number becomes 0, so that the
// reader refuses the block, or (`inData`) a byte of its zlib data flips, which the reader
// passes over with what it can recover.
inline void DamageBlock(const std::string& path, int32_t number, bool inData = false) {
  uint32_t offset = 0;
  {
    CCompressedAutoFile file;
    ASSERT_TRUE(file.OpenFile(path));
    const int32_t slot = file.FindSlot(number);
    ASSERT_GE(slot, 0);
    ASSERT_GT(file.Slots[slot].ChunkCount, 0u) << "block " << number << " is stored raw";
    offset = file.Slots[slot].Offset + (inData ? 12 + 4 : 0);  // past the chunk and zlib headers
    file.CloseFile();
  }
  std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  out.seekg(offset);
  const char flipped = static_cast<char>(out.get() ^ 0x5A);
  out.seekp(offset);
  if (inData) {
    out.put(flipped);
  } else {
    out.write("\0\0\0\0", 4);
  }
}

}  // namespace testsupport
