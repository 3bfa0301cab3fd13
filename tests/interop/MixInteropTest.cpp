// A mix we save reads in python3-olefile with the streams of the mix file's table, and a mix
// that another compound-file writer (gsf) wrote loads in ours.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "commonobjects/package/AutomationPackage.h"
#include "support/IndependentReaders.h"
#include "support/SampleMix.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace {

using testsupport::StreamContents;

class MixInteropTest : public testing::Test {
 protected:
  testsupport::TestConsole console_{2, 1};  // 500 paths: a gang map of 500 x 500
  testsupport::TempFolder folder_{"mix-interop"};
  testsupport::IndependentReaders readers_{folder_.Path().string()};
};

TEST_F(MixInteropTest, OlefileListsTheMixStreamsWithTheirLengthsAndGsfWrittenMixesLoad) {
  CAutomationPackage mix;
  testsupport::FillSampleMix(mix, 1000, 500);
  mix.SetFileName(folder_.PathOf("ours.mix"));
  ASSERT_EQ(mix.Save(0), 1);

  const StreamContents streams = readers_.ReadWithOlefile(mix.GetFileName());
  std::map<std::string, size_t> lengths;
  for (const auto& [name, content] : streams) lengths[name] = content.size();
  EXPECT_EQ(lengths, testsupport::SampleMixStreamLengths(500, 1000, 500));
  readers_.Expect7zPasses(mix.GetFileName());

  // The same streams, written by gsf, make the same mix.
  const std::string theirs = folder_.PathOf("theirs.mix");
  readers_.WriteWithGsf(theirs, streams);
  CAutomationPackage loaded;
  loaded.SetFileName(theirs);
  loaded.Load();
  EXPECT_TRUE(loaded.GetLoadReport().Missing.empty());
  EXPECT_EQ(testsupport::MixMembers(loaded), testsupport::MixMembers(mix));
}

}  // namespace
