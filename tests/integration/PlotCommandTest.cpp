// mixauto plot, run as a user runs it on an event-array file and on mixes of either form: the
// picture it writes, and the messages for arguments it cannot use.
#include <gtest/gtest.h>

#include <string>

#include "support/Events.h"
#include "support/MixToolTest.h"

namespace {

using testsupport::FileBytes;
using testsupport::Has;
using testsupport::MakeEvent;

class PlotCommandTest : public testsupport::MixToolTest {
 protected:
  PlotCommandTest() : MixToolTest("plot-command") {}
};

TEST_F(PlotCommandTest, DrawsEventFilesAndMixesOfEitherForm) {
  const std::string events = Write("events.dat", {MakeEvent(3, 14, 0, 100, -300), MakeEvent(3, 14, 2, 200, 1),
                                                  MakeEvent(3, 14, 0, 400, 200)});
  const std::string structured = SaveMix("structured.mix", false);
  const std::string compressed = SaveMix("compressed.mix", true);
  const struct {
    std::string file, arguments, picture, said;
  } kPlots[] = {
      {events, "--paths 3,4", "a.png", "3 lanes, 3 events"},  // fader, mute, and path 4's empty lane
      {events, "--paths 3 --controls mute", "b.svg", "1 lane, 1 events"},
      {structured, "--paths 0-3 --controls fader,14:2", "c.pdf", "lanes"},
      {compressed, "--paths 0 --from '#0' --to 00:00:30:00", "d.png", "from 00:00:00 00 to 00:00:30 00"},
  };
  for (const auto& plot : kPlots) {
    const std::string picture = folder.PathOf(plot.picture);
    const auto [status, output] = RunMixauto("plot '" + plot.file + "' " + plot.arguments + " -o '" + picture + "'");
    ASSERT_EQ(status, 0) << output;
    EXPECT_TRUE(Has(output, "Wrote " + picture + ": ")) << output;
    EXPECT_TRUE(Has(output, plot.said)) << output;
    const std::string bytes = FileBytes(picture);
    const std::string magic = plot.picture.back() == 'g' && plot.picture[2] == 'p' ? "\x89PNG"
                              : plot.picture.back() == 'f'                         ? "%PDF"
                                                                                   : "<?xm";
    EXPECT_EQ(bytes.substr(0, 4), magic) << plot.picture;
  }
}

TEST_F(PlotCommandTest, ArgumentsItCannotUseAreNamedAndNothingIsWritten) {
  const std::string events = Write("events.dat", {MakeEvent(0, 14, 0, 100, 0)});
  const struct {
    std::string arguments, message;
  } kBad[] = {
      {"'" + events + "' --paths 0 --controls faders -o x.png", "\"faders\" is not a control group"},
      {"'" + events + "' --paths 0 --controls 300:1 -o x.png", "--controls"},
      {"'" + events + "' --paths 0 -o x.jpg", "must end in .svg, .png or .pdf"},
      {"'" + events + "' --paths 0 --from '#50' --to '#10' -o x.png", "--to must come after --from"},
      {"'" + events + "' --paths 9999 -o x.png", "--paths"},
      {"'" + folder.PathOf("missing.dat") + "' --paths 0 -o x.png", "no such file"},
  };
  for (const auto& bad : kBad) {
    const auto [status, output] = RunMixauto("plot " + bad.arguments);
    EXPECT_NE(status, 0) << bad.arguments;
    EXPECT_TRUE(Has(output, bad.message)) << output;
  }
  EXPECT_TRUE(FileBytes("x.png").empty());
}

}  // namespace
