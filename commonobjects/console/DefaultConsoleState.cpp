// The default console state tables, built once from the base pattern and its differences.
#include "commonobjects/console/DefaultConsoleState.h"

#include <array>

namespace DefaultConsoleState {
namespace {

constexpr int32_t kProcs = 36;
constexpr int32_t kControls = 9;
using Row = std::array<int16_t, kControls>;
using PathTable = std::array<Row, kProcs>;

// The base pattern (variants 0 and 1, and every group not changed below); Procs 0 and 24 to
// 35 are all 0.
constexpr PathTable BasePattern() {
  PathTable t{};
  const Row input1 = {5329, 0, 0, 0, 0, 3, 0, 0, 0};
  const Row input2 = {1233, 0, 0, 0, 0, 2, 0, 0, 0};
  const Row input3 = {-396, 0, 0, 0, 0, 2, 0, 0, 0};
  const Row input4 = {-2862, 0, 0, 0, 0, 1, 0, 0, 0};
  t[1] = t[5] = input1;
  t[2] = t[6] = input2;
  t[3] = t[7] = input3;
  t[4] = t[8] = input4;
  t[9] = {-2862, 0, 0, 0, 0, 0, 0, 0, 0};
  t[10] = {5329, 0, 0, 1, 0, 0, 0, 0, 0};
  t[11] = t[12] = {0, 640, 0, 100, 100, 80, 0, 0, 0};
  t[13] = {0, -1600, 0, 100, 100, 80, 2400, 0, 0};
  t[14] = {-8192, 0, 1, 0, 0, 0, 0, 0, 0};
  t[15] = t[16] = {0, 0, 0, 0, -32768, -32768, 1, 0, 0};
  t[17] = t[18] = {0, 0, 0, 0, 1, 0, -32768, 0, 0};
  t[19] = {0, -1600, 0, 100, 100, 1920, 2400, 0, 0};
  t[20] = {-396, 0, 0, 0, 0, 2, 0, 0, 0};
  t[21] = {0, 0, 0, 0, -32768, 0, 0, 0, 0};
  t[22] = {0, -1600, 640, 100, 100, 0, 0, 0, 0};
  t[23] = {0, 0, 0, 1, 0, 0, 0, 0, 0};
  return t;
}

// Variant 2 takes the four rows of Procs 1 to 4 (and 5 to 8) in reverse order.
constexpr void ReverseInputRows(PathTable& t) {
  const PathTable base = t;
  for (int32_t i = 0; i < 4; ++i) {
    t[1 + i] = base[4 - i];
    t[5 + i] = base[8 - i];
  }
}

// Group 1: a spread of Control 0 values over Procs 1 to 8, Control 3 = 1849, Control 5 = 2.
constexpr void SpreadGroupRows(PathTable& t) {
  const int16_t levels[8] = {6165, 4932, 3699, 2466, 1233, 0, -1233, -2466};
  for (int32_t i = 0; i < 8; ++i) {
    t[1 + i] = Row{};
    t[1 + i][0] = levels[i];
    t[1 + i][3] = 1849;
    t[1 + i][5] = 2;
  }
}

constexpr PathTable BuildPathTable(int32_t variant, int32_t group) {
  PathTable t = BasePattern();
  if (variant == 2) ReverseInputRows(t);
  if (group == 1) SpreadGroupRows(t);
  if (group == 3 || group == 9 || group == 10 || group == 11) t[14][0] = 0;  // fader level
  return t;
}

struct Tables {
  std::array<std::array<PathTable, kGroups>, kVariants> low{};
  std::array<int16_t, kHighValuesPerPath> high{};
  std::array<int16_t, kSmallValuesPerPath> small{};
  std::array<int16_t, kLowValuesPerPath> zeros{};
};

constexpr Tables BuildTables() {
  Tables tables{};
  for (int32_t v = 0; v < kVariants; ++v) {
    for (int32_t g = 0; g < kGroups; ++g) tables.low[v][g] = BuildPathTable(v, g);
  }
  for (int32_t p = 0; p < 48; ++p) tables.high[p * 4 + 3] = 1;
  // Small consoles: Proc 0 and 1 are the fader rows, Proc 4 starts Control 4 at -32768.
  const int16_t fader[kControls] = {-8192, 0, 1, 0, 0, 0, 0, 0, 0};
  for (int32_t c = 0; c < kControls; ++c) tables.small[c] = tables.small[kControls + c] = fader[c];
  tables.small[4 * kControls + 4] = -32768;
  return tables;
}

constexpr Tables kTables = BuildTables();

static_assert(sizeof(PathTable) == kLowValuesPerPath * sizeof(int16_t), "rows are packed");

}  // namespace

const int16_t* LowTable(int32_t variant, int32_t group) {
  return kTables.low[variant][group][0].data();
}
const int16_t* HighTable() { return kTables.high.data(); }
const int16_t* SmallTable() { return kTables.small.data(); }
const int16_t* ZeroTable() { return kTables.zeros.data(); }

}  // namespace DefaultConsoleState
