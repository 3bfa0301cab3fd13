#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "commonobjects/eventstore/AutomationEvent.h"
#include "commonobjects/eventstore/GrowableArray.h"

namespace {

std::vector<int32_t> Values(const CIntArray& array) { return {array.begin(), array.end()}; }

// The capacities an array passes through while n elements are appended one at a time,
// by the growth rule told plainly.
std::vector<int32_t> RuleCapacities(int32_t n, int32_t growBy) {
  std::vector<int32_t> seen;
  int32_t capacity = 0;
  for (int32_t size = 0; size < n; ++size) {
    if (size + 1 > capacity) {
      const int32_t g = growBy != 0 ? growBy : std::clamp(size / 8, 4, 1024);
      capacity = std::max(size + 1, capacity + g);
      seen.push_back(capacity);
    }
  }
  return seen;
}

std::vector<int32_t> AppendCapacities(int32_t n, int32_t growBy) {
  CIntArray array;
  array.SetSize(0, growBy);
  std::vector<int32_t> seen;
  for (int32_t i = 0; i < n; ++i) {
    const int32_t before = array.GetCapacity();
    array.Add(i);
    if (array.GetCapacity() != before) seen.push_back(array.GetCapacity());
  }
  return seen;
}

TEST(GrowableArrayTest, CapacityFollowsTheGrowthRuleWhileAppending) {
  for (const int32_t growBy : {0, 1, 3, 100}) {
    SCOPED_TRACE(growBy);
    EXPECT_EQ(AppendCapacities(40000, growBy), RuleCapacities(40000, growBy));
  }
  const std::vector<int32_t> start = AppendCapacities(20, 0);
  EXPECT_EQ(start, (std::vector<int32_t>{4, 8, 12, 16, 20}));
}

TEST(GrowableArrayTest, SetSizeGrowsByTheRuleZeroesNewElementsAndFreesAtZero) {
  CIntArray array;
  array.SetSize(100);
  EXPECT_EQ(array.GetCapacity(), 100);  // max(100, 0 + 4)
  array.SetSize(101);
  EXPECT_EQ(array.GetCapacity(), 112);  // 100 + 100 / 8
  std::fill(array.begin(), array.end(), 7);
  array.SetSize(10);
  EXPECT_EQ(array.GetCapacity(), 112);  // shrinking keeps the buffer
  array.SetSize(50);
  EXPECT_EQ(array[9], 7);
  EXPECT_TRUE(std::all_of(array.begin() + 10, array.end(), [](int32_t v) { return v == 0; }));
  array.SetSize(60, 500);
  EXPECT_EQ(array.GetGrowBy(), 500);
  array.SetSize(113);
  EXPECT_EQ(array.GetCapacity(), 612);
  array.SetSize(0);
  EXPECT_EQ(array.GetCapacity(), 0);
  EXPECT_EQ(array.GetData(), nullptr);
}

TEST(GrowableArrayTest, InsertAndRemoveMoveTheRightElements) {
  CIntArray array;
  for (int32_t v : {1, 2, 3}) array.Add(v);
  array.InsertAt(1, 9, 2);
  EXPECT_EQ(Values(array), (std::vector<int32_t>{1, 9, 9, 2, 3}));
  array.InsertAt(7, 5);  // past the end: the gap is zero
  EXPECT_EQ(Values(array), (std::vector<int32_t>{1, 9, 9, 2, 3, 0, 0, 5}));
  array.RemoveAt(1, 3);
  EXPECT_EQ(Values(array), (std::vector<int32_t>{1, 3, 0, 0, 5}));
  array.SetAtGrow(6, 4);
  EXPECT_EQ(Values(array), (std::vector<int32_t>{1, 3, 0, 0, 5, 0, 4}));
}

TEST(GrowableArrayTest, ValuesTakenFromTheArrayItselfSurviveReallocation) {
  CGrowableArray<CAutomationEvent> array;
  CAutomationEvent e;
  e.Time = 42;
  array.Add(e);
  for (int i = 0; i < 2000; ++i) array.Add(array[0]);  // reallocates many times
  for (int i = 0; i < 50; ++i) array.InsertAt(0, array[array.GetSize() - 1]);
  array.SetAtGrow(array.GetSize() + 3000, array[5]);
  EXPECT_EQ(array.GetSize(), 5052);
  const auto at42 = [](const CAutomationEvent& x) { return x.Time == 42; };
  EXPECT_EQ(std::count_if(array.begin(), array.end(), at42), 2052);
}

TEST(GrowableArrayTest, CopiesAreIndependentAndKeepTheGrowBy) {
  CIntArray a;
  a.SetSize(3, 16);
  a[0] = 5;
  CIntArray b = a;
  b[0] = 6;
  EXPECT_EQ(a[0], 5);
  EXPECT_EQ(b.GetGrowBy(), 16);
  a = b;
  EXPECT_EQ(a[0], 6);
  a.Append(a);
  EXPECT_EQ(Values(a), (std::vector<int32_t>{6, 0, 0, 6, 0, 0}));
}

// An element that owns memory, as edit items do, and counts the living ones.
struct OwningItem {
  static inline int alive = 0;
  std::string name;
  std::unique_ptr<int32_t> value;
  OwningItem() { ++alive; }
  explicit OwningItem(int32_t v) : name("item " + std::to_string(v)), value(std::make_unique<int32_t>(v)) { ++alive; }
  OwningItem(const OwningItem& o) : name(o.name), value(o.value ? std::make_unique<int32_t>(*o.value) : nullptr) { ++alive; }
  OwningItem(OwningItem&& o) noexcept : name(std::move(o.name)), value(std::move(o.value)) { ++alive; }
  OwningItem& operator=(const OwningItem& o) { return *this = OwningItem(o); }
  OwningItem& operator=(OwningItem&&) noexcept = default;
  ~OwningItem() { --alive; }
  int32_t Get() const { return value ? *value : -1; }
};

std::vector<int32_t> Values(const CGrowableArray<OwningItem>& array) {
  std::vector<int32_t> out;
  for (const OwningItem& item : array) out.push_back(item.Get());
  return out;
}

TEST(GrowableArrayTest, ObjectElementsLiveExactlyWhileInTheArrayAndGrowByTheSameRule) {
  {
    CGrowableArray<OwningItem> items;
    items.Reserve(400);  // room beneath: nothing moves, the capacity still follows the rule
    const OwningItem* room = items.GetData();
    std::vector<int32_t> seen;
    for (int32_t i = 0; i < 300; ++i) {
      const int32_t before = items.GetCapacity();
      items.Add(OwningItem(i));
      if (items.GetCapacity() != before) seen.push_back(items.GetCapacity());
    }
    EXPECT_EQ(seen, RuleCapacities(300, 0));
    EXPECT_EQ(items.GetData(), room);
    EXPECT_EQ(OwningItem::alive, 300);
    EXPECT_EQ(items[299].name, "item 299");

    items.SetAtGrow(302, items[0]);  // from the array itself, across a reallocation
    items.InsertAt(1, items[2], 2);
    items.RemoveAt(0, 299);
    EXPECT_EQ(Values(items), (std::vector<int32_t>{297, 298, 299, -1, -1, 0}));
    EXPECT_EQ(OwningItem::alive, 6);

    CGrowableArray<OwningItem> copy = items;  // deep: the copy owns its own values
    *copy[0].value = 7;
    copy.Append(copy);
    EXPECT_EQ(items[0].Get(), 297);
    EXPECT_EQ(Values(copy), (std::vector<int32_t>{7, 298, 299, -1, -1, 0, 7, 298, 299, -1, -1, 0}));
    items.SetSize(2);
    EXPECT_EQ(OwningItem::alive, 14);
    items = std::move(copy);
    EXPECT_EQ(OwningItem::alive, 12);
  }
  EXPECT_EQ(OwningItem::alive, 0);
}

}  // namespace
