#include "commonobjects/files/CompressedAutoFile.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <functional>
#include <random>
#include <tuple>
#include <vector>

#include "commonobjects/files/internal/ChunkCodec.h"
#include "support/FaultInjectingFile.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace {

using commonobjects::files::internal::ChunkCodecName;
using commonobjects::platform::MemoryFile;
using Bytes = std::vector<uint8_t>;
using testsupport::FaultInjectingFile;

uint32_t Le32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t{b[at + 3]} << 24;
}
void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Fader-ride-like bytes: compressible, never constant.
Bytes Data(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i % 16 < 8 ? i / 16 : rng() % 4);
  return b;
}

class CompressedAutoFileTest : public testing::Test {
 protected:
  CompressedAutoFileTest() { Set("CompressedAutoPauseMs", 0); }
  void Set(const char* name, uint32_t v) { console.SetNumber(testsupport::kServerKey, name, v); }
  // Opens the object over the shared bytes.
  static void Open(CCompressedAutoFile& f, const std::shared_ptr<Bytes>& bytes) {
    ASSERT_TRUE(f.OpenFile(std::make_unique<MemoryFile>(bytes)));
  }
  // Writes the blocks into a new file and closes it.
  std::shared_ptr<Bytes> Written(const std::vector<std::pair<int32_t, Bytes>>& blocks) {
    auto bytes = std::make_shared<Bytes>();
    CCompressedAutoFile f;
    Open(f, bytes);
    for (const auto& [number, data] : blocks) f.WriteBlock(number, data.data(), data.size());
    f.CloseFile();
    return bytes;
  }
  static std::pair<bool, Bytes> Read(const std::shared_ptr<Bytes>& bytes, int32_t number, size_t size) {
    CCompressedAutoFile f;
    Bytes out(size);
    if (!f.OpenFile(std::make_unique<MemoryFile>(bytes))) return {false, out};
    return {f.ReadBlock(number, out.data(), out.size()), out};
  }

  testsupport::TestConsole console;
};

TEST_F(CompressedAutoFileTest, NewFileHoldsHeaderValuesSlotTableFillerThenBlocks) {
  auto bytes = std::make_shared<Bytes>();
  const Bytes a = Data(10, 1), b = Data(1000, 2), c = Data(7, 3);
  {
    CCompressedAutoFile f;
    Open(f, bytes);
    f.WriteBlock(4, a.data(), a.size());
    f.WriteBlock(1, b.data(), b.size());
    f.WriteBlock(9, c.data(), c.size());
    std::tie(f.FrameRate, f.CutAB, f.MixPassA, f.MixPassB, f.EventCount, f.PathsMode) =
        std::tuple(25, -3, 7, 8, 1234, 2);
    EXPECT_TRUE(f.CloseFile());
    EXPECT_FALSE(f.CloseFile());
  }
  const Bytes& d = *bytes;
  ASSERT_EQ(d.size(), 1024u + 1017u);
  EXPECT_EQ(std::string(d.begin(), d.begin() + 8), "AUTXFILE");
  const uint32_t header[] = {2, 25, uint32_t(-3), 7,    8, 1234, 2,    3, 4, 1024, 10,
                             0, 1,  1034,         1000, 0, 9,    2034, 7, 0};
  for (size_t i = 0; i < std::size(header); ++i)
    EXPECT_EQ(Le32(d, 8 + 4 * i), header[i]) << "offset " << 8 + 4 * i;
  EXPECT_EQ(std::count(d.begin() + 88, d.begin() + 1024, 0xBB), 1024 - 88);
  EXPECT_EQ(Bytes(d.begin() + 1034, d.begin() + 2034), b);

  CCompressedAutoFile r;
  Open(r, bytes);
  EXPECT_EQ(std::tuple(r.HeaderVersion, r.FrameRate, r.CutAB, r.EventCount, r.PathsMode, r.ConsoleType),
            std::tuple(2, 25, -3, 1234, 2, 0));
  EXPECT_EQ(std::tuple(r.FindSlot(9), r.FindSlot(5), r.Slots[3].BlockNumber), std::tuple(2, 3, -1));
  EXPECT_EQ(Read(bytes, 9, 7), std::pair(true, c));
}

TEST_F(CompressedAutoFileTest, BlocksAboveThousandBytesBecomeLevelOneChunksOf256KiB) {
  struct Case {
    size_t length;
    bool compress;
    std::vector<uint32_t> chunks;  // uncompressed length of each chunk; none: raw
  };
  const Case cases[] = {{1000, true, {}},
                        {1001, true, {1001}},
                        {600000, true, {262144, 262144, 75712}},
                        {600000, false, {}},
                        {262144, true, {262144}}};
  for (const Case& c : cases) {
    Set("CompressedAuto", c.compress);
    const Bytes data = Data(c.length, 7);
    auto bytes = Written({{3, data}});
    const Bytes& d = *bytes;
    ASSERT_EQ(Le32(d, 52), c.chunks.size()) << c.length;
    EXPECT_EQ(Le32(d, 48), c.length);
    size_t at = 1024, done = 0;
    for (size_t i = 0; i < c.chunks.size(); ++i) {
      EXPECT_EQ(std::tuple(Le32(d, at), Le32(d, at + 4)), std::tuple(i + 1, c.chunks[i]));
      // A zlib stream marked level 1 that zlib expands to the chunk; with zlib as the codec,
      // exactly compress2's stream.
      const Bytes stream(d.begin() + at + 12, d.begin() + at + 12 + Le32(d, at + 8));
      Bytes expanded(c.chunks[i]), expected(compressBound(c.chunks[i]));
      uLongf n = expanded.size(), m = expected.size();
      EXPECT_EQ(
          std::tuple(stream[0], stream[1], uncompress(expanded.data(), &n, stream.data(), stream.size())),
          std::tuple(0x78, 0x01, Z_OK));
      EXPECT_EQ(expanded, Bytes(data.begin() + done, data.begin() + done + c.chunks[i]));
      compress2(expected.data(), &m, data.data() + done, c.chunks[i], 1);
      if (std::string(ChunkCodecName()) == "zlib") {
        EXPECT_EQ(stream, Bytes(expected.begin(), expected.begin() + m));
      }
      at += 12 + Le32(d, at + 8);
      done += c.chunks[i];
    }
    EXPECT_EQ(d.size(), c.chunks.empty() ? 1024 + c.length : at);
    EXPECT_EQ(Read(bytes, 3, c.length), std::pair(true, data)) << c.length;
  }
}

TEST_F(CompressedAutoFileTest, RewrittenBlockMovesPastLaterDataAndOldBytesStay) {
  const Bytes first = Data(5000, 1), other = Data(300, 2), second = Data(2000, 3);
  auto bytes = Written({{5, first}, {6, other}});
  const uint32_t oldOffset = Le32(*bytes, 44), sixEnd = Le32(*bytes, 60) + 300;
  {
    CCompressedAutoFile f;
    Open(f, bytes);
    f.WriteBlock(5, second.data(), second.size());
    f.CloseFile();
  }
  EXPECT_EQ(std::tuple(Le32(*bytes, 36), Le32(*bytes, 40), Le32(*bytes, 44), Le32(*bytes, 48)),
            std::tuple(2u, 5u, sixEnd, 2000u));
  EXPECT_EQ(Le32(*bytes, oldOffset), 1u);  // the old first chunk is still there, unreferenced
  EXPECT_EQ(Read(bytes, 5, 2000), std::pair(true, second));
  EXPECT_EQ(Read(bytes, 6, 300), std::pair(true, other));

  // A slot that a damaged header left unused (here the first) is closed up when the header
  // is rewritten: the block after it stays listed.
  Put32(*bytes, 40, 0xFFFFFFFF);
  {
    CCompressedAutoFile f;
    Open(f, bytes);
    f.WriteBlock(6, other.data(), other.size());
    f.CloseFile();
  }
  EXPECT_EQ(std::tuple(Le32(*bytes, 36), Le32(*bytes, 40)), std::tuple(1u, 6u));
  EXPECT_EQ(Read(bytes, 6, 300), std::pair(true, other));
}

TEST_F(CompressedAutoFileTest, TwentyEightBlocksFitAndANewTwentyNinthIsNotStored) {
  std::vector<std::pair<int32_t, Bytes>> blocks;
  for (int32_t n = 0; n < 29; ++n) blocks.emplace_back(n * 3, Data(20, n));
  blocks.emplace_back(0, Data(30, 99));  // a rewrite still finds its slot
  auto bytes = Written(blocks);
  EXPECT_EQ(Le32(*bytes, 36), 28u);
  EXPECT_EQ(Read(bytes, 84, 20).first, false);
  EXPECT_EQ(Read(bytes, 81, 20), std::pair(true, Data(20, 27)));
  EXPECT_EQ(Read(bytes, 0, 30), std::pair(true, Data(30, 99)));
}

TEST_F(CompressedAutoFileTest, VersionOneHeaderHasNoPathsModeAndIsRewrittenAsVersionTwo) {
  auto bytes = std::make_shared<Bytes>(1024 + 4, 0xBB);
  std::copy_n("AUTXFILE", 8, bytes->begin());
  const uint32_t v1[] = {1, 30, 2, 3, 4, 99, /*N*/ 1, /*slot*/ 7, 1024, 4, 0};
  for (size_t i = 0; i < std::size(v1); ++i) Put32(*bytes, 8 + 4 * i, v1[i]);
  Put32(*bytes, 1024, 0xA1B2C3D4);
  {
    CCompressedAutoFile f;
    f.PathsMode = 2;
    Open(f, bytes);
    EXPECT_EQ(std::tuple(f.HeaderVersion, f.FrameRate, f.EventCount, f.PathsMode), std::tuple(1, 30, 99, 1));
    f.WriteBlock(8, v1, 4);
    f.CloseFile();
  }
  EXPECT_EQ(std::tuple(Le32(*bytes, 8), Le32(*bytes, 32), Le32(*bytes, 36), Le32(*bytes, 40)),
            std::tuple(2u, 1u, 2u, 7u));
  EXPECT_EQ(Read(bytes, 7, 4), std::pair(true, Bytes{0xD4, 0xC3, 0xB2, 0xA1}));
}

TEST_F(CompressedAutoFileTest, ClosingUnwrittenFileKeepsForeignBytesAndHeadsANewOne) {
  auto foreign = std::make_shared<Bytes>(Data(3000, 5));
  const Bytes before = *foreign;
  CCompressedAutoFile f;
  Open(f, foreign);
  EXPECT_FALSE(f.HeaderValid);
  f.CloseFile();
  EXPECT_EQ(*foreign, before);

  auto fresh = std::make_shared<Bytes>();
  Open(f, fresh);
  f.CloseFile();
  ASSERT_EQ(fresh->size(), 1024u);
  EXPECT_EQ(Le32(*fresh, 36), 0u);
  EXPECT_EQ(std::count(fresh->begin() + 40, fresh->end(), 0xBB), 1024 - 40);
}

TEST_F(CompressedAutoFileTest, DamagedFilesFailWithoutOverrunningTheDestination) {
  const Bytes big = Data(600000, 1), small = Data(100, 2);
  const auto good = Written({{1, big}, {2, small}});
  const size_t chunk2 = 1024 + 12 + Le32(*good, 1024 + 8), chunk3 = chunk2 + 12 + Le32(*good, chunk2 + 8);
  const size_t end = good->size();
  struct Case {
    const char* what;
    std::function<void(Bytes&)> damage;
    bool header, block1, block2;
  };
  const Case cases[] = {
      {"intact", [](Bytes&) {}, true, true, true},
      {"lower-case magic", [](Bytes& b) { b[0] = 'a'; }, false, false, false},
      {"29 slots", [](Bytes& b) { Put32(b, 36, 29); }, false, false, false},
      {"slot count -1", [](Bytes& b) { Put32(b, 36, 0xFFFFFFFF); }, false, false, false},
      {"header cut", [](Bytes& b) { b.resize(1023); }, false, false, false},
      {"last block cut", [&](Bytes& b) { b.resize(end - 1); }, true, true, false},
      {"chunk cut", [&](Bytes& b) { b.resize(chunk2 + 20); }, true, false, false},
      {"offset past end", [](Bytes& b) { Put32(b, 60, 0x7FFFFFFF); }, true, true, false},
      {"compressed length huge", [&](Bytes& b) { Put32(b, chunk2 + 8, 0xFFFFFFF0); }, true, false, true},
      {"compressed length one too many", [&](Bytes& b) { Put32(b, chunk2 + 8, 288371); }, true, false, true},
      {"chunk expands too far", [&](Bytes& b) { Put32(b, chunk2 + 4, 262145); }, true, false, true},
      {"chunk numbers repeat", [&](Bytes& b) { Put32(b, chunk2, 1); }, true, false, true},
      {"chunk numbers skip", [&](Bytes& b) { Put32(b, chunk3, 9); }, true, true, true},
      {"more chunks than present", [](Bytes& b) { Put32(b, 44 + 8, 9); }, true, false, true},
      {"zlib bytes flipped", [&](Bytes& b) { b[chunk2 + 400] ^= 0xFF; }, true, true, true},
  };
  for (const Case& c : cases) {
    auto bytes = std::make_shared<Bytes>(*good);
    c.damage(*bytes);
    CCompressedAutoFile f;
    Open(f, bytes);
    EXPECT_EQ(f.HeaderValid, c.header) << c.what;
    Bytes out(600000 + 64, 0xEE);
    EXPECT_EQ(f.ReadBlock(1, out.data(), 600000), c.block1) << c.what;
    EXPECT_EQ(std::count(out.begin() + 600000, out.end(), 0xEE), 64) << c.what;
    EXPECT_EQ(f.ReadBlock(2, out.data(), 100), c.block2) << c.what;
  }
  // A damaged chunk leaves exactly what zlib's uncompress recovers, whichever codec reads.
  auto damaged = std::make_shared<Bytes>(*good);
  (*damaged)[chunk2 + 400] ^= 0xFF;
  Bytes expected(big.begin(), big.end());
  std::fill(expected.begin() + 262144, expected.begin() + 524288, 0);
  uLongf room = 262144;
  uncompress(expected.data() + 262144, &room, damaged->data() + chunk2 + 12, Le32(*damaged, chunk2 + 8));
  EXPECT_EQ(Read(damaged, 1, 600000), std::pair(true, expected));
  // A destination shorter than the block is filled exactly.
  Bytes out(300000 + 8, 0xEE);
  EXPECT_FALSE(Read(good, 1, 0).first);
  CCompressedAutoFile f;
  Open(f, good);
  EXPECT_FALSE(f.ReadBlock(1, out.data(), 300000));
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 300000), Bytes(big.begin(), big.begin() + 300000));
  EXPECT_EQ(std::count(out.begin() + 300000, out.end(), 0xEE), 8);
  // A destination longer than a raw block takes only the block's bytes, never the next block's.
  const Bytes five = Data(300, 5), six = Data(300, 6);
  const auto raw = Written({{5, five}, {6, six}});
  Bytes expectedFive = five;
  expectedFive.resize(400, 0);
  EXPECT_EQ(Read(raw, 5, 400), std::pair(true, expectedFive));
}

TEST_F(CompressedAutoFileTest, ArraysRoundTripAndMissingOrImpossibleBlocksLeaveThemEmpty) {
  CWordArray words;
  CIntArray ints;
  for (int32_t i = 0; i < 100000; ++i) {
    words.Add(static_cast<uint16_t>(i * 7));
    ints.Add(-i);
  }
  auto bytes = std::make_shared<Bytes>();
  CCompressedAutoFile f;
  Open(f, bytes);
  f.WriteArray(17, words);
  f.WriteArray(20, ints);
  f.WriteBlock(21, "abcdefg", 7);
  f.Slots[27] = {26, 1024, 0xFFFFFFFC, 0};  // a raw block longer than the file
  f.Slots[26] = {25, 1024, 0xFFFFFFFC, 2};  // two chunks cannot expand that far
  f.CloseFile();
  CCompressedAutoFile r;
  Open(r, bytes);
  CWordArray w(words);
  CIntArray n;
  EXPECT_TRUE(r.ReadArray(17, w));
  EXPECT_TRUE(r.ReadArray(20, n));
  EXPECT_TRUE(std::equal(w.begin(), w.end(), words.begin(), words.end()));
  EXPECT_TRUE(std::equal(n.begin(), n.end(), ints.begin(), ints.end()));
  EXPECT_TRUE(r.ReadArray(21, n));
  EXPECT_EQ(std::tuple(n.GetSize(), n[0]), std::tuple(1, 0x64636261));
  for (int32_t missing : {3, 25, 26}) {
    EXPECT_FALSE(r.ReadArray(missing, w)) << missing;
    EXPECT_TRUE(w.IsEmpty());
  }
}

TEST_F(CompressedAutoFileTest, RegistryTurnsCompressionOffAndMayOnlyShortenThePause) {
  testsupport::TestConsole fresh;  // without the fixture's pause
  EXPECT_EQ(std::tuple(CCompressedAutoFile().Compress, CCompressedAutoFile().GetPauseMilliseconds()),
            std::tuple(true, 10));
  const std::tuple<uint32_t, uint32_t, bool, int32_t> cases[] = {
      {0, 3, false, 3}, {5, 50, true, 10}, {1, uint32_t(-4), true, 0}};
  for (const auto& [on, pause, compress, ms] : cases) {
    fresh.SetNumber(testsupport::kServerKey, "CompressedAuto", on);
    fresh.SetNumber(testsupport::kServerKey, "CompressedAutoPauseMs", pause);
    const CCompressedAutoFile f;
    EXPECT_EQ(std::tuple(f.Compress, f.GetPauseMilliseconds()), std::tuple(compress, ms))
        << on << "," << pause;
  }
}

// compress2 fails `failures` times in a row from its first call, then works.
int failures = 0;
int FlakyCompress(unsigned char* d, unsigned long* dl, const unsigned char* s, unsigned long sl, int level) {
  return failures-- > 0 ? Z_MEM_ERROR : compress2(d, dl, s, sl, level);
}

TEST_F(CompressedAutoFileTest, FailingCompressionIsTriedThreeTimesThenTheBlockIsStoredRaw) {
  const Bytes data = Data(600000, 4);
  const std::tuple<int, uint32_t, uint32_t> cases[] = {
      {1, 3, 2}, {2, 3, 3}, {3, 0, 0}};  // chunks, first number
  for (const auto& [fail, chunks, firstNumber] : cases) {
    failures = fail;
    auto bytes = std::make_shared<Bytes>();
    CCompressedAutoFile f;
    f.SetCompressFunctionForTesting(&FlakyCompress);
    Open(f, bytes);
    f.WriteBlock(1, data.data(), data.size());
    f.CloseFile();
    EXPECT_EQ(Le32(*bytes, 52), chunks) << fail;
    EXPECT_EQ(chunks > 0 ? Le32(*bytes, 1024) : 0, firstNumber) << fail;
    EXPECT_EQ(Read(bytes, 1, data.size()), std::pair(true, data)) << fail;
  }
}

// Every write or sync of a session that rewrites block 1 and adds block 3 fails or tears (at
// a sector) in turn: the file must still open and give every block it lists, old or new, intact.
TEST_F(CompressedAutoFileTest, FailedOrTornWriteLeavesAFileWhoseListedBlocksRead) {
  using Mode = FaultInjectingFile::Mode;
  const Bytes one = Data(700000, 1), two = Data(5000, 2), newOne = Data(300000, 3), three = Data(50, 4);
  const auto before = Written({{1, one}, {2, two}});
  const auto session = [&](const std::shared_ptr<Bytes>& bytes, Mode mode, int k) {
    CCompressedAutoFile f;
    EXPECT_TRUE(
        f.OpenFile(std::make_unique<FaultInjectingFile>(std::make_unique<MemoryFile>(bytes), mode, k, 512)));
    const uint32_t oldOffset = f.Slots[0].Offset;
    f.WriteBlock(1, newOne.data(), newOne.size());
    EXPECT_EQ(f.Slots[0].Offset != oldOffset, !f.WriteFailed()) << "a failed block keeps its old slot";
    f.WriteBlock(3, three.data(), three.size());
    f.CloseFile();
    return f.WriteFailed();
  };
  const std::tuple<Mode, int> faults[] = {{Mode::kFailWrite, 4}, {Mode::kCutWrite, 4}, {Mode::kFailSync, 2}};
  for (const auto& [mode, last] : faults) {  // 4 writes: 2 chunks, block 3, header; a sync either side of it
    for (int k = 1; k <= last + 1; ++k) {
      auto bytes = std::make_shared<Bytes>(*before);
      EXPECT_EQ(session(bytes, mode, k), k <= last) << k;
      const auto [ok1, got1] = Read(bytes, 1, 700000);
      EXPECT_TRUE(ok1 && (got1 == one || Bytes(got1.begin(), got1.begin() + 300000) == newOne)) << k;
      EXPECT_EQ(Read(bytes, 2, 5000), std::pair(true, two)) << k;
      const auto [ok3, got3] = Read(bytes, 3, 50);
      EXPECT_TRUE(!ok3 || got3 == three) << k;
      EXPECT_EQ(ok3, k > last || (mode != Mode::kFailWrite && k == last))
          << k;  // a torn header keeps its first sector
    }
  }
}

TEST_F(CompressedAutoFileTest, DiskFileIsHeldForOneWriterAndRecognisedByItsMagicInAnyCase) {
  const testsupport::TempFolder folder("co-cauto");
  const std::string name = folder.PathOf("mix.aut");
  EXPECT_FALSE(IsCompressedAutoFile(name));
  CCompressedAutoFile writer, second;
  ASSERT_TRUE(writer.OpenFile(name));
  EXPECT_FALSE(second.OpenFile(name));
  writer.WriteBlock(1, "x", 1);
  writer.CloseFile();
  EXPECT_TRUE(IsCompressedAutoFile(name));
  MemoryFile lower(std::make_shared<Bytes>(Bytes{'a', 'u', 't', 'x', 'F', 'i', 'l', 'e'}));
  EXPECT_TRUE(IsCompressedAutoFile(lower));
  MemoryFile shortFile(std::make_shared<Bytes>(Bytes{'A', 'U', 'T', 'X'}));
  EXPECT_FALSE(IsCompressedAutoFile(shortFile));
}

}  // namespace
