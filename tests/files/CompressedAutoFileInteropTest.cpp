// The compressed automation file against an independent reader and writer: Python's zlib.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/files/internal/ChunkCodec.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using commonobjects::files::internal::ChunkCodecName;

constexpr char kPython[] = "/usr/bin/python3";

// decode FILE DIR: every block of FILE into DIR/block-N.bin.
// encode FILE V1..V6 N:DATA...: a version-2 file with the six header values and the blocks,
// chunked at 256 KiB with zlib level 1 above 1000 bytes. Then the zlib version into ./zlib.txt.
constexpr char kScript[] = R"(import os, struct, sys, zlib
def decode(path, outdir):
    d = open(path, 'rb').read()
    assert d[:8] == b'AUTXFILE'
    n_at = 32 if struct.unpack_from('<I', d, 8)[0] == 1 else 36
    for i in range(struct.unpack_from('<I', d, n_at)[0]):
        num, off, length, chunks = struct.unpack_from('<iIII', d, n_at + 4 + 16 * i)
        out = d[off:off + length] if chunks == 0 else b''
        for c in range(chunks):
            no, size, packed = struct.unpack_from('<III', d, off)
            part = zlib.decompress(d[off + 12:off + 12 + packed])
            assert no == c + 1 and len(part) == size
            out += part
            off += 12 + packed
        assert len(out) == length
        open(os.path.join(outdir, 'block-%d.bin' % num), 'wb').write(out)
def encode(path, values, blocks):
    body, slots = b'', b''
    for entry in blocks:
        num, name = entry.split(':', 1)
        data, off, chunks = open(name, 'rb').read(), 1024 + len(body), 0
        if len(data) <= 1000:
            body += data
        for i in range(0, len(data) if len(data) > 1000 else 0, 262144):
            z = zlib.compress(data[i:i + 262144], 1)
            chunks += 1
            body += struct.pack('<III', chunks, len(data[i:i + 262144]), len(z)) + z
        slots += struct.pack('<iIII', int(num), off, len(data), chunks)
    head = b'AUTXFILE' + struct.pack('<8I', 2, *values, len(blocks)) + slots
    open(path, 'wb').write(head + b'\xbb' * (1024 - len(head)) + body)
if sys.argv[1] == 'decode':
    decode(sys.argv[2], sys.argv[3])
else:
    encode(sys.argv[2], [int(v) for v in sys.argv[3:9]], sys.argv[9:])
open('zlib.txt', 'w').write(zlib.ZLIB_RUNTIME_VERSION)
)";

Bytes Load(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Save(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

class CompressedAutoFileInteropTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kPython)) GTEST_SKIP() << kPython << " is not installed";
    std::ofstream(folder.Path() / "autx.py") << kScript;
    std::mt19937 rng(11);
    for (size_t size : {600000, 1000, 1001, 0, 3000000}) {  // 3 chunks, raw, 1 chunk, empty, 12 chunks
      Bytes b(size);
      for (size_t i = 0; i < size; ++i) b[i] = static_cast<uint8_t>(i % 16 < 4 ? i / 4096 : rng() % 8);
      blocks.push_back(b);
    }
  }

  int Python(const std::string& args) const {
    const std::string command = "cd '" + folder.Path().string() + "' && " + kPython + " autx.py " + args;
    return std::system(command.c_str());
  }

  testsupport::TempFolder folder{"co-cauto-interop"};
  std::vector<Bytes> blocks;
  testsupport::TestConsole console;  // an empty registry: every setting has its default
};

TEST_F(CompressedAutoFileInteropTest, PythonAndWeDecodeEachOthersFilesToTheSameBytes) {
  std::string blockArgs;
  {
    CCompressedAutoFile ours;
    ASSERT_TRUE(ours.OpenFile(folder.PathOf("ours.aut")));
    for (size_t i = 0; i < blocks.size(); ++i) {
      ours.WriteBlock(static_cast<int32_t>(i + 1), blocks[i].data(), blocks[i].size());
      Save(folder.Path() / ("data-" + std::to_string(i + 1)), blocks[i]);
      blockArgs += " " + std::to_string(i + 1) + ":data-" + std::to_string(i + 1);
    }
    std::tie(ours.FrameRate, ours.CutAB, ours.MixPassA, ours.MixPassB, ours.EventCount, ours.PathsMode) =
        std::tuple(30, 5, 1, 2, 37500, 2);
    ours.CloseFile();
  }
  ASSERT_EQ(Python("decode ours.aut ."), 0);
  for (size_t i = 0; i < blocks.size(); ++i) {
    EXPECT_EQ(Load(folder.Path() / ("block-" + std::to_string(i + 1) + ".bin")), blocks[i]) << "block " << i + 1;
  }

  ASSERT_EQ(Python("encode theirs.aut 30 5 1 2 37500 2" + blockArgs), 0);
  CCompressedAutoFile theirs;
  ASSERT_TRUE(theirs.OpenFile(folder.PathOf("theirs.aut")));
  EXPECT_EQ(std::tuple(theirs.FrameRate, theirs.EventCount, theirs.PathsMode), std::tuple(30, 37500, 2));
  for (size_t i = 0; i < blocks.size(); ++i) {
    Bytes out(blocks[i].size());
    EXPECT_TRUE(theirs.ReadBlock(static_cast<int32_t>(i + 1), out.data(), out.size())) << "block " << i + 1;
    EXPECT_EQ(out, blocks[i]) << "block " << i + 1;
  }
  theirs.CloseFile();
  // One zlib makes one stream of the same bytes at level 1: then the two files are identical.
  const Bytes version = Load(folder.Path() / "zlib.txt");
  if (std::string(ChunkCodecName()) == "zlib" &&
      std::string(version.begin(), version.end()) == zlibVersion()) {
    EXPECT_TRUE(Load(folder.Path() / "ours.aut") == Load(folder.Path() / "theirs.aut"));
  }
}

}  // namespace
