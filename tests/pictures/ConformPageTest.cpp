// The conform report page: the channels it picks, the timeline that joins each stretch's old
// and new place, and a page that needs nothing from outside and escapes what it quotes.
#include "pictures/ConformPage.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "support/Events.h"
#include "support/TestConsole.h"

namespace {

using mixauto::ConformStretch;
using mixauto::PlotChannel;
using mixauto::Shape;
using testsupport::MakeEvent;

TEST(ConformPageTest, ChannelsThatChangedMostAreOrderedByHowMuchTheyPlayDifferently) {
  testsupport::TestConsole console(3);
  CAutomationEventArray before, after;
  for (int32_t path = 0; path < 4; ++path) {
    before.AddAtTime(MakeEvent(path, 14, 0, 0, 0));
    after.AddAtTime(MakeEvent(path, 14, 0, 0, 0));
  }
  after.AddAtTime(MakeEvent(1, 14, 0, 500, -4000));  // path 1 drops for the second half
  after.AddAtTime(MakeEvent(2, 14, 0, 900, -4000));  // path 2 only for the last tenth
  after.AddAtTime(MakeEvent(3, 14, 2, 100, 1));      // a mute that only the new cut has
  const std::vector<PlotChannel> chosen = mixauto::ChannelsThatChangedMost(before, after, 1000, 5);
  // The mute differs by its whole range for 90 % of the time, path 1's fader by 44 % of its
  // range for half of it, path 2's for a tenth; path 0 does not differ.
  EXPECT_EQ(chosen, (std::vector<PlotChannel>{{3, 14, 2}, {1, 14, 0}, {2, 14, 0}}));
  EXPECT_EQ(mixauto::ChannelsThatChangedMost(before, after, 1000, 1).size(), 1u);
}

TEST(ConformPageTest, TheTimelineJoinsEachPlacedStretchFromItsOldPlaceToItsNewOne) {
  testsupport::TestConsole console(3);
  const std::vector<ConformStretch> stretches = {{ConformStretch::kKept, 0, 0, 100},
                                                 {ConformStretch::kRemoved, 100, -1, 100},
                                                 {ConformStretch::kMoved, 300, 100, 100},
                                                 {ConformStretch::kInserted, -1, 200, 200}};
  const mixauto::Scene scene = mixauto::TimelineScene(stretches, CTimecodeConverter(), 1090);
  // 400 units over the 980 columns between the margins (90 and 20).
  const auto x = [](double t) { return 90 + 980 * t / 400; };
  std::vector<const Shape*> joins, bars;
  for (const Shape& s : scene.shapes) {
    if (s.role.rfind("join", 0) == 0) joins.push_back(&s);
    if (s.role.rfind("stretch-", 0) == 0 && s.kind == Shape::kRect) bars.push_back(&s);
  }
  ASSERT_EQ(joins.size(), 2u);  // the kept and the moved stretch
  EXPECT_EQ(joins[1]->role, "join moved");
  EXPECT_DOUBLE_EQ(joins[1]->points[0].x, x(300));  // its old start, on the old bar
  EXPECT_DOUBLE_EQ(joins[1]->points[3].x, x(100));  // its new start, on the new bar
  ASSERT_EQ(bars.size(), 6u);  // two each for the placed ones, one each for the others
  EXPECT_EQ(bars[2]->role, "stretch-old removed");
  EXPECT_EQ(bars[5]->role, "stretch-new inserted");
  EXPECT_DOUBLE_EQ(bars[5]->points[1].x, x(400));
}

TEST(ConformPageTest, ThePageIsSelfContainedAndEscapesWhatItQuotes) {
  testsupport::TestConsole console(3);
  mixauto::ConformReport report;
  report.title = "Conform of <a&b>.aut to \"cut\".edl";
  report.stretches = {{ConformStretch::kKept, 0, 0, 100, -1}, {ConformStretch::kMoved, 200, 100, 100, 1}};
  report.sources = {{"a&b.aut", true}, {"REEL2.aut", false}};
  CAutomationEventArray before, after;
  before.AddAtTime(MakeEvent(0, 14, 0, 250, -500));
  after.AddAtTime(MakeEvent(0, 14, 0, 150, -500));
  const std::string page = mixauto::ConformPageHtml(report, before, after, CTimecodeConverter());

  EXPECT_NE(page.find("<title>Conform of &lt;a&amp;b&gt;.aut to &quot;cut&quot;.edl</title>"), std::string::npos);
  EXPECT_NE(page.find("Content-Security-Policy\" content=\"default-src 'none'"), std::string::npos);
  // Nothing to fetch: the only address is the SVG namespace.
  const std::regex address(R"((https?:|src=|href=|@import|url\())");
  std::string rest = page;
  for (std::smatch m; std::regex_search(rest, m, address); rest = m.suffix()) {
    EXPECT_EQ(rest.substr(static_cast<size_t>(m.position()), 26), "http://www.w3.org/2000/svg");
  }
  // One row per stretch, each naming the mix its events came from by the stretch's reel.
  const std::regex row(R"re(<tr class="(\w+)"><td>(\d+)</td><td>\w+</td>.*?<td>([^<]*)</td></tr>)re");
  std::vector<std::string> sources;
  for (auto it = std::sregex_iterator(page.begin(), page.end(), row); it != std::sregex_iterator(); ++it) {
    sources.push_back((*it)[1].str() + ":" + (*it)[3].str());
  }
  EXPECT_EQ(sources, (std::vector<std::string>{"kept:a&amp;b.aut", "moved:REEL2.aut"}));
  EXPECT_NE(page.find("<svg xmlns=\"http://www.w3.org/2000/svg\" id=\"timeline\""), std::string::npos);
  EXPECT_NE(page.find("id=\"curves\""), std::string::npos);
  EXPECT_NE(page.find("class=\"stretch-boundary\""), std::string::npos);
}

}  // namespace
