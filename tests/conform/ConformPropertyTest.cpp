// Random mixes conformed to random edit lists of kept, removed, inserted and moved stretches:
// whatever the list, the material of every stretch plays at its new place from the console
// state it had at its old start, and nothing else survives.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "commonobjects/conform/ConformEngine.h"
#include "commonobjects/conform/EDLReader.h"
#include "commonobjects/console/SlotAlignment.h"
#include "commonobjects/editing/ChannelStateTracker.h"
#include "commonobjects/package/AutomationPackage.h"
#include "support/ConformFixture.h"
#include "support/Events.h"

namespace {

using Channel = std::tuple<int32_t, int, int>;  // path, proc, control

struct Stretch {
  int32_t SourceStart, DestStart, Length;
};

constexpr int32_t kMixLength = 3000;
constexpr int32_t kHighBase = 2000;  // a mix without a first automation route

// Channels that are never moved into a time slot, so state events lie exactly at the cuts.
std::vector<Channel> UnalignedChannels() {
  std::vector<Channel> channels;
  for (int proc = 0; proc < 30 && channels.size() < 8; proc += 3) {
    for (int control = 0; control < 9; control += 4) {
      if (!IsSlotAlignedControl(proc, control, kHighBase)) channels.emplace_back(proc % 7 + 1, proc, control);
    }
  }
  return channels;
}

void FillRandomMix(std::mt19937& random, const std::vector<Channel>& channels, CAutomationEventArray& mix) {
  std::vector<CAutomationEvent> events;
  for (const Channel& c : channels) {
    std::set<int32_t> times;  // one event per channel and time
    const int count = std::uniform_int_distribution<int>(0, 40)(random);
    for (int i = 0; i < count; ++i) times.insert(std::uniform_int_distribution<int32_t>(0, kMixLength)(random));
    for (const int32_t t : times) {
      events.push_back(testsupport::MakeEvent(std::get<0>(c), std::get<1>(c), std::get<2>(c), t,
                                              std::uniform_int_distribution<int>(-500, 500)(random)));
    }
  }
  std::stable_sort(events.begin(), events.end(), [](const auto& a, const auto& b) { return a.Time < b.Time; });
  for (const CAutomationEvent& e : events) mix.Add(e);
}

// Kept (old place = new place once earlier changes are counted), removed, inserted (blank)
// and moved (from anywhere in the old mix) stretches, in new-time order.
std::vector<Stretch> RandomList(std::mt19937& random) {
  std::vector<Stretch> pairs;
  int32_t oldTime = 0;
  int32_t newTime = 0;
  auto length = [&] { return std::uniform_int_distribution<int32_t>(1, 400)(random); };
  while (oldTime < kMixLength) {
    const int32_t n = length();
    switch (std::uniform_int_distribution<int>(0, 3)(random)) {
      case 0:  // kept
        pairs.push_back({oldTime, newTime, n});
        oldTime += n, newTime += n;
        break;
      case 1:  // removed
        oldTime += n;
        break;
      case 2:  // inserted
        newTime += n;
        break;
      default:  // moved here
        pairs.push_back({std::uniform_int_distribution<int32_t>(0, kMixLength)(random), newTime, n});
        newTime += n;
        break;
    }
  }
  return pairs;
}

void WriteList(const std::string& path, const std::vector<Stretch>& pairs) {
  CEDLReader writer(path, CEDLReader::kQrx);
  ASSERT_TRUE(writer.Create());
  writer.WriteHeader(CTimecodeSettings(), CReelTable());
  for (const Stretch& p : pairs) {
    CSourceDestItem source, destination;
    source.Start = p.SourceStart;
    destination.Start = p.DestStart;
    source.Length = destination.Length = p.Length;
    destination.EnsureDetail();
    writer.WriteEvent(source, destination);
  }
  ASSERT_TRUE(writer.Close());
}

TEST(ConformPropertyTest, EveryStretchPlaysAtItsNewPlaceFromItsOldState) {
  testsupport::TestConsole console;
  testsupport::ScopedWindowsDrive drive;
  const std::vector<Channel> channels = UnalignedChannels();
  ASSERT_GE(channels.size(), 4u);
  std::mt19937 random(20261206);
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    CAutomationPackage mix;  // never saved: conformed from itself
    FillRandomMix(random, channels, mix);
    CAutomationEventArray old;
    for (int32_t i = 0; i < mix.GetSize(); ++i) old.Add(mix[i]);
    const std::vector<Stretch> pairs = RandomList(random);
    WriteList(drive.PathOf("random.edl"), pairs);

    CConformEngine engine;
    ASSERT_EQ(engine.ConformFromEDL(&mix, drive.PathOf("random.edl"), true), kConformDone);

    for (int32_t i = 1; i < mix.GetSize(); ++i) ASSERT_LE(mix[i - 1].Time, mix[i].Time);
    // Each new event is either an old event of a stretch at its new time, or a state event
    // at the start of a stretch (or at 0, the mix's own starting state).
    std::multiset<std::tuple<int32_t, int32_t, int, int, int16_t>> expected, extra;
    std::set<int32_t> cuts = {0};
    for (const Stretch& p : pairs) {
      cuts.insert(p.DestStart);
      for (int32_t i = 0; i < old.GetSize(); ++i) {
        const CAutomationEvent& e = old[i];
        if (e.Time > p.SourceStart && e.Time <= p.SourceStart + p.Length - 1) {
          expected.emplace(e.Time - p.SourceStart + p.DestStart, e.Path, e.Proc, e.Control, e.Value);
        }
      }
    }
    for (int32_t i = 0; i < mix.GetSize(); ++i) {
      const CAutomationEvent& e = mix[i];
      auto key = std::make_tuple(e.Time, e.Path, int{e.Proc}, int{e.Control}, e.Value);
      auto found = expected.find(key);
      if (found != expected.end()) {
        expected.erase(found);
      } else {
        EXPECT_TRUE(cuts.count(e.Time)) << "an event at " << e.Time << " that no stretch put there";
      }
    }
    EXPECT_TRUE(expected.empty()) << expected.size() << " events of the stretches are missing";

    // The console state at every stretch's new start is the old state at its old start.
    const CPathMap map;
    for (const Stretch& p : pairs) {
      CChannelStateTracker before(&old, kHighBase, &map, 0, nullptr);
      CChannelStateTracker after(&mix, kHighBase, &map, 0, nullptr);
      before.StepToTime(p.SourceStart, false);
      after.StepToTime(p.DestStart, false);
      for (const Channel& c : channels) {
        const auto [path, proc, control] = c;
        EXPECT_EQ(after.GetValue(path, proc, control), before.GetValue(path, proc, control))
            << "path " << path << " proc " << proc << " control " << control << " at " << p.DestStart;
      }
    }
  }
}

}  // namespace
