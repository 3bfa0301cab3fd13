#include "commonobjects/eventstore/EventFilter.h"

#include <initializer_list>

#include "commonobjects/console/ConsoleConfiguration.h"

namespace {

// (processing block, control mask) for every group the hosts can select; see EventFilter.h.
constexpr int32_t kGroupTable[CEventFilter::kGroupTableSize][2] = {
    // 0-5: input, inserts, outputs, pan
    {0, 0x1FF}, {15, 0x7F}, {16, 0x7F}, {17, 0x7F}, {18, 0x7F}, {21, 0x1FF},
    // 6: fader level, trim, gang offset, gang null; 7: fader mute
    {14, 0x4B}, {14, 0x04},
    // 8-17: equaliser bands 1-8, filters 1-2
    {1, 0x1AF}, {2, 0x1AF}, {3, 0x1AF}, {4, 0x1AF}, {5, 0x1AF}, {6, 0x1AF}, {7, 0x1AF},
    {8, 0x1AF}, {9, 0x2B}, {10, 0x2B},
    // 18-24: dynamics, side-chain equaliser, dynamic range control, key input
    {11, 0xFF}, {12, 0xFF}, {13, 0xFF}, {19, 0xFF}, {20, 0x1AF}, {22, 0x3F}, {23, 0x07},
    // 25-27: kept for the hosts
    {0, 0x20}, {17, 0x08}, {18, 0x08},
    // 28-37: the in/out control of each equaliser band and filter
    {1, 0x80}, {2, 0x80}, {3, 0x80}, {4, 0x80}, {5, 0x80}, {6, 0x80}, {7, 0x80}, {8, 0x80},
    {9, 0x20}, {10, 0x20},
    // 38-43: the in/out control of each dynamics section
    {11, 0x01}, {12, 0x01}, {13, 0x01}, {19, 0x01}, {20, 0x80}, {22, 0x01},
    // 44: input phase; 45: input control 6; 46: pan block without the input delay
    {0, 0x06}, {0, 0x40}, {21, 0x1EF},
    // 47-58: stem routing blocks
    {24, 0x1FF}, {25, 0x1FF}, {26, 0x1FF}, {27, 0x1FF}, {28, 0x1FF}, {29, 0x1FF},
    {30, 0x1FF}, {31, 0x1FF}, {32, 0x1FF}, {33, 0x1FF}, {34, 0x1FF}, {35, 0x1FF},
    // 59-69: small consoles (type 1)
    {0, 0x07}, {0, 0x03}, {0, 0x04}, {2, 0x10}, {1, 0x04}, {2, 0x01}, {2, 0x02}, {1, 0x07},
    {2, 0x0C}, {2, 0x1F}, {3, 0x00},
    // 70-80: small consoles (type 6), the same groups
    {0, 0x07}, {0, 0x03}, {0, 0x04}, {2, 0x10}, {1, 0x04}, {2, 0x01}, {2, 0x02}, {1, 0x07},
    {2, 0x0C}, {2, 0x1F}, {3, 0x00},
    // 81-83: type 6 input select, auxiliaries, panning
    {3, 0x01}, {3, 0xFE}, {4, 0x0F},
};

// A flag and the group-table entries it selects, first to last inclusive.
struct FlagGroups {
  uint32_t flag;
  int first;
  int last;
};

// The groups of the large consoles, in the order they are added. The group-fader flags
// (0x2000, 0x0100, 0x0200) work on FirstGroupProc..EndGroupProc and are handled apart.
constexpr FlagGroups kLargeBefore[] = {
    {0x0001, 0, 5}, {0x0002, 6, 6}, {0x0004, 7, 7}, {0x0008, 8, 17}};
constexpr FlagGroups kLargeAfter[] = {{0x0020, 18, 24}, {0x0040, 28, 37}, {0x0080, 38, 43},
                                      {0x0400, 46, 46}, {0x0800, 44, 44}, {0x1000, 45, 45},
                                      {0x4000, 47, 58}};

// Small-console flags that need no rule beyond "set: add the entries"; entries are relative
// to the first small-console entry (59 on type 1, 70 on type 6).
constexpr FlagGroups kSmallPlain[] = {
    {0x0008, 5, 5}, {0x100000, 6, 6}, {0x10000, 7, 7}, {0x20000, 8, 8}};
constexpr FlagGroups kType6Extra[] = {{0x200000, 81, 81}, {0x400000, 82, 82}, {0x800000, 83, 83}};

constexpr uint32_t kGroupFaders = 0x2000;
constexpr uint32_t kGroupFaderLevel = 0x0100;
constexpr uint32_t kGroupFaderMute = 0x0200;
constexpr uint32_t kSmallFader = 0x0002;
constexpr uint32_t kSmallFaderLevel = 0x8000;
constexpr uint32_t kSmallFaderMute = 0x0004;

}  // namespace

CEventFilter::CEventFilter() { Setup(); }

CEventFilter::CEventFilter(const CEventFilter& other) { CopyFrom(other); }

CEventFilter& CEventFilter::operator=(const CEventFilter& other) {
  if (this != &other) CopyFrom(other);
  return *this;
}

void CEventFilter::CopyFrom(const CEventFilter& other) {
  for (int i = 0; i < kGroupTableSize; ++i) {
    GroupTable[i][0] = other.GroupTable[i][0];
    GroupTable[i][1] = other.GroupTable[i][1];
  }
  StartTime = other.StartTime;
  EndTime = other.EndTime;
  ExtraValue = other.ExtraValue;
  Paths = other.Paths;
  ExtraList = other.ExtraList;
  ProcControls = other.ProcControls;
  FirstGroupProc = other.FirstGroupProc;
  EndGroupProc = other.EndGroupProc;
}

void CEventFilter::Setup() {
  for (int i = 0; i < kGroupTableSize; ++i) {
    GroupTable[i][0] = kGroupTable[i][0];
    GroupTable[i][1] = kGroupTable[i][1];
  }
}

void CEventFilter::Clear() {
  StartTime = -1;
  EndTime = -1;
  ExtraValue = -1;
  Paths.RemoveAll();
  ExtraList.RemoveAll();
  ProcControls.RemoveAll();
}

void CEventFilter::AddPairs(int32_t proc, uint32_t mask) {
  for (uint32_t bit = 0; bit < 32; ++bit) {
    if ((mask >> bit) & 1u) {
      ProcControls.Add(static_cast<uint16_t>((proc & 0xFF) | ((bit & 0xFF) << 8)));
    }
  }
}

void CEventFilter::AddEntries(int first, int last) {
  for (int entry = first; entry <= last; ++entry) {
    AddPairs(GroupTable[entry][0], static_cast<uint32_t>(GroupTable[entry][1]));
  }
}

void CEventFilter::AddGroupFaders(uint32_t mask) {
  for (int32_t proc = FirstGroupProc; proc < EndGroupProc; ++proc) AddPairs(proc, mask);
}

void CEventFilter::TranslateLarge(uint32_t flags) {
  for (const FlagGroups& g : kLargeBefore) {
    if (flags & g.flag) AddEntries(g.first, g.last);
  }
  if (flags & kGroupFaders) {
    AddGroupFaders(0x0F);  // level, trim, mute, gang: the level-only and mute-only flags give way
  } else {
    if (flags & kGroupFaderLevel) AddGroupFaders(0x01);
    if (flags & kGroupFaderMute) AddGroupFaders(0x08);
  }
  for (const FlagGroups& g : kLargeAfter) {
    if (flags & g.flag) AddEntries(g.first, g.last);
  }
}

void CEventFilter::TranslateSmall(uint32_t flags, int base) {
  if (flags & kSmallFader) {
    AddEntries(base, base);          // level, trim, mute
    AddEntries(base + 2, base + 4);  // every mute and cut, even when the mute is already in
  } else {
    if (flags & kSmallFaderLevel) AddEntries(base + 1, base + 1);
    if (flags & kSmallFaderMute) AddEntries(base + 2, base + 4);
  }
  for (const FlagGroups& g : kSmallPlain) {
    if (flags & g.flag) AddEntries(base + g.first, base + g.last);
  }
}

void CEventFilter::TranslateFilter(AutomationEventFilterStructure selection) {
  ProcControls.RemoveAll();
  const uint32_t flags = selection.FilterFlags;
  switch (CConsoleConfiguration::GetConsoleType()) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 7:
      TranslateLarge(flags);
      break;
    case 1:
      TranslateSmall(flags, 59);
      break;
    case 6:
      TranslateSmall(flags, 70);
      for (const FlagGroups& g : kType6Extra) {
        if (flags & g.flag) AddEntries(g.first, g.last);
      }
      break;
    default:
      break;  // no pairs: every control passes
  }
}

int CEventFilter::IsProcControlInFilter(int32_t proc, int32_t control) const {
  const int32_t count = ProcControls.GetSize();
  if (count == 0) return 1;
  for (int32_t i = 0; i < count; ++i) {
    const uint16_t pair = ProcControls[i];
    if ((pair & 0xFF) == proc && (pair >> 8) == control) return 1;
  }
  return 0;
}
