#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <vector>

#include "commonobjects/eventstore/AutomationEventArray.h"

namespace {

CAutomationEvent Ev(int32_t time, int32_t path, int32_t proc = 0, int32_t control = 0) {
  CAutomationEvent e;
  e.Time = time;
  e.Path = path;
  e.Proc = static_cast<uint8_t>(proc);
  e.Control = static_cast<uint8_t>(control);
  return e;
}

// Events 0..49 at times 0, 10, ..., 490 on paths 0 and 1 in turn: 25 events on path 0.
void FillAlternatingPaths(CAutomationEventArray& array) {
  for (int32_t i = 0; i < 50; ++i) array.Add(Ev(i * 10, i % 2));
}

// The selection tested entry by entry over the scan range, as plainly as it can be said.
std::vector<int32_t> PlainMatches(const CAutomationEventArray& a, const CEventFilter& f) {
  const int32_t n = a.GetSize();
  int32_t i = 0;
  if (f.StartTime != -1) {
    while (i < n - 1 && a[i].Time < f.StartTime) ++i;
  }
  const int32_t end = f.EndTime == -1 ? a[n - 1].Time : f.EndTime;
  std::vector<int32_t> found;
  for (; i < n && a[i].Time <= end; ++i) {
    const bool pathOk = f.Paths.IsEmpty() || std::count(f.Paths.begin(), f.Paths.end(), a[i].Path);
    const uint16_t pair = static_cast<uint16_t>(a[i].Proc | (a[i].Control << 8));
    const bool pairOk =
        f.ProcControls.IsEmpty() || std::count(f.ProcControls.begin(), f.ProcControls.end(), pair);
    if (pathOk && pairOk) found.push_back(i);
  }
  return found;
}

TEST(FilteredQueriesTest, QueriesAgreeWithThePlainListTestOnRandomSelections) {
  std::mt19937 rng(12345);
  const std::vector<int32_t> pathPool = {0, 1, 2, 7, 255, 300, 1999, -4, 70000, INT_MIN, INT_MAX};
  const auto pick = [&](int32_t lo, int32_t hi) {
    return std::uniform_int_distribution<int32_t>(lo, hi)(rng);
  };
  for (int round = 0; round < 300; ++round) {
    CAutomationEventArray array;
    int32_t time = pick(0, 5);
    for (int32_t i = pick(1, 200); i > 0; --i) {
      time += pick(0, 3);
      array.Add(Ev(time, pathPool[pick(0, 10)], pick(0, 40), pick(0, 9)));
    }
    CEventFilter filter;
    // Odd rounds mix paths too far apart for one bit set.
    for (int32_t k = pick(-3, 4); k > 0; --k) filter.Paths.Add(pathPool[pick(0, round % 2 ? 10 : 7)]);
    for (int32_t k = pick(-3, 40); k > 0; --k) {
      filter.ProcControls.Add(static_cast<uint16_t>(pick(0, 40) | pick(0, 9) << 8));
    }
    filter.StartTime = pick(0, 3) == 0 ? -1 : pick(0, time + 5);
    filter.EndTime = pick(0, 3) == 0 ? -1 : pick(0, time + 5);
    SCOPED_TRACE(testing::Message() << "round " << round);
    const std::vector<int32_t> expected = PlainMatches(array, filter);

    CEventFilter forTotal(filter), forAll(filter), forPages(filter);
    CIntArray indices;
    EXPECT_EQ(array.GetFilteredTotal(forTotal, &indices), expected.size());
    EXPECT_EQ(std::vector<int32_t>(indices.begin(), indices.end()), expected);
    CAutomationEventArray all;
    ASSERT_EQ(array.GetAllFilteredEvents(forAll, all), static_cast<int32_t>(expected.size()));
    for (size_t k = 0; k < expected.size(); ++k) {
      EXPECT_EQ(all[static_cast<int32_t>(k)], array[expected[k]]);
    }

    std::vector<int32_t> paged;
    const int32_t max = pick(1, 7);
    int32_t first = -7, resume = 0;
    CAutomationEventArray page;
    for (int guard = 0; guard < 1000 && resume < array.GetSize(); ++guard) {
      const int32_t before = resume;
      const int32_t got = array.GetFilteredEvents(forPages, max, first, resume, page, 1);
      for (int32_t k = 0; k < got; ++k) paged.push_back(page[k].Time);
      if (got < max || resume == before) break;
    }
    std::vector<int32_t> expectedTimes;
    for (int32_t i : expected) expectedTimes.push_back(array[i].Time);
    EXPECT_EQ(paged, expectedTimes);
  }
}

TEST(FilteredQueriesTest, EndTimeMinusOneBecomesTheLastTimeAndStartPastTheEndStillExaminesLast) {
  CAutomationEventArray array;
  for (int32_t t : {10, 20, 30}) array.Add(Ev(t, 1));
  CEventFilter filter;
  EXPECT_EQ(array.GetFilteredTotal(filter, nullptr), 3u);
  EXPECT_EQ(filter.EndTime, 30);

  filter.StartTime = 40;  // every event is earlier: the search lands on the last one
  filter.EndTime = 35;
  CIntArray indices;
  EXPECT_EQ(array.GetFilteredTotal(filter, &indices), 1u);
  EXPECT_EQ(indices[0], 2);
  filter.EndTime = 25;
  EXPECT_EQ(array.GetFilteredTotal(filter, &indices), 0u);
  EXPECT_EQ(indices.GetCapacity(), 0);  // a count of 0 frees the list
}

TEST(FilteredQueriesTest, EmptyArrayLeavesReferencesListAndEndTimeUntouched) {
  CAutomationEventArray empty, out;
  out.Add(Ev(5, 5));
  CEventFilter filter;
  CIntArray indices;
  indices.Add(99);
  int32_t first = 4, resume = 6;
  EXPECT_EQ(empty.GetFilteredTotal(filter, &indices), 0u);
  EXPECT_EQ(empty.GetFilteredEvents(filter, 10, first, resume, out, 0), 0);
  EXPECT_EQ(std::vector<int32_t>({indices.GetSize(), out.GetSize(), first, resume, filter.EndTime}),
            std::vector<int32_t>({1, 1, 4, 6, -1}));
  EXPECT_EQ(empty.GetAllFilteredEvents(filter, out), 0);
  EXPECT_TRUE(out.IsEmpty());
}

TEST(FilteredQueriesTest, ForwardPagesGoOnFromTheReturnedResume) {
  CAutomationEventArray array, out;
  FillAlternatingPaths(array);
  CEventFilter filter;
  filter.Paths.Add(0);
  struct Page { int32_t count, first, resume; };
  const Page pages[] = {{10, 0, 19}, {10, 20, 39}, {5, 40, 50}, {0, 40, 50}};
  int32_t first = -1, resume = 0;
  for (const Page& p : pages) {
    EXPECT_EQ(array.GetFilteredEvents(filter, 10, first, resume, out, 1), p.count);
    EXPECT_EQ(out.GetSize(), p.count);
    EXPECT_EQ(first, p.first);
    EXPECT_EQ(resume, p.resume);
  }
  // A max of 0 still examines one event.
  resume = 1;
  EXPECT_EQ(array.GetFilteredEvents(filter, 0, first, resume, out, 1), 0);
  EXPECT_EQ(resume, 2);
  EXPECT_EQ(first, 40);  // nothing found: first stays as given
  EXPECT_EQ(array.GetFilteredEvents(filter, 0, first, resume, out, 1), 1);
  EXPECT_EQ(resume, 3);
  EXPECT_EQ(first, 2);
}

TEST(FilteredQueriesTest, BackwardPagesAreAscendingAndHandBackTheLowerEnd) {
  CAutomationEventArray array, out;
  FillAlternatingPaths(array);
  CEventFilter filter;
  filter.Paths.Add(0);
  int32_t first = -1, resume = 49;
  std::vector<int32_t> seen;
  for (int guard = 0; guard < 100; ++guard) {
    const int32_t got = array.GetFilteredEvents(filter, 3, first, resume, out, 0);
    for (int32_t k = 0; k < got; ++k) seen.push_back(out[k].Time);
    if (first < 0) break;
    resume = first;
  }
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen.size(), 25u);
  EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end());

  for (int32_t i : {46, 47}) array.ElementAt(i).Time = 480;  // a tie with event 48...
  array.ElementAt(46).Proc = 3;  // ...that time order breaks by Proc: 48 before 46
  resume = 49;
  EXPECT_EQ(array.GetFilteredEvents(filter, 10, first, resume, out, 0), 10);
  EXPECT_EQ(resume, 48);  // the first found
  EXPECT_EQ(first, 29);   // where the scan stopped: the next backward page starts there
  for (int32_t k = 0; k < 8; ++k) EXPECT_EQ(out[k].Time, 300 + 20 * k);
  EXPECT_EQ(out[8].Proc, 0);
  EXPECT_EQ(out[9].Proc, 3);

  first = 77;
  resume = 1;  // a path-1 event: max 0 examines it alone and finds nothing
  EXPECT_EQ(array.GetFilteredEvents(filter, 0, first, resume, out, 0), 0);
  EXPECT_EQ(resume, 77);
  EXPECT_EQ(first, 0);
}

TEST(FilteredQueriesTest, ResumeOnlyFormKeepsResumeWhenABackwardPageFindsNothing) {
  CAutomationEventArray array, out;
  FillAlternatingPaths(array);
  CEventFilter filter;
  filter.Paths.Add(0);
  int32_t resume = 0;
  EXPECT_EQ(array.GetFilteredEvents(filter, 10, resume, out, 1), 10);
  EXPECT_EQ(resume, 19);
  resume = 45;
  EXPECT_EQ(array.GetFilteredEvents(filter, 2, resume, out, 0), 2);
  EXPECT_EQ(resume, 44);  // the highest index found
  resume = 45;
  EXPECT_EQ(array.GetFilteredEvents(filter, 0, resume, out, 0), 0);
  EXPECT_EQ(resume, 45);
}

}  // namespace
