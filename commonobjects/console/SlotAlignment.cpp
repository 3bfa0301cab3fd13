// Slot-aligned controls and the time-slot rule.
#include "commonobjects/console/SlotAlignment.h"

#include "commonobjects/console/ControlModel.h"

namespace {

// Bit c set: Control c of the low-range Proc is slot-aligned (large consoles).
constexpr uint16_t kAlignedControls[36] = {
    0b010011001,                                                  // 0: controls 0, 3, 4, 7
    0b000001011, 0b000001011, 0b000001011, 0b000001011,           // 1-4: 0, 1, 3
    0b000001011, 0b000001011, 0b000001011, 0b000001011,           // 5-8
    0b000000101, 0b000000101,                                     // 9, 10: 0, 2
    0b001111110, 0b001111110, 0b001111110,                        // 11-13: 1 to 6
    0b000001011,                                                  // 14: 0, 1, 3
    0b000111100, 0b000111100,                                     // 15, 16: 2 to 5
    0b001100111, 0b001100111,                                     // 17, 18: 0, 1, 2, 5, 6
    0b001111010,                                                  // 19: 1, 3 to 6
    0b000001011,                                                  // 20: 0, 1, 3
    0b000011111,                                                  // 21: 0 to 4
    0b001111110,                                                  // 22: 1 to 6
    0b000000100,                                                  // 23: 2
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                           // 24-35: none
};

bool IsSmallAligned(int32_t proc, int32_t control) {
  if (proc == 0 || proc == 1) return control == 0 || control == 1;
  if (proc == 4) return control >= 0 && control <= 4;
  return false;
}

}  // namespace

bool IsSlotAlignedControl(int32_t proc, int32_t control, int32_t highBase) {
  const CControlModel model = CControlModel::ForCurrentConsole();
  if (model.IsSmallConsole()) return IsSmallAligned(proc, control);
  if (!model.IsLargeConsole()) return false;
  if (proc >= 0 && proc < 36) return IsSlotAlignedLowControl(proc, control);
  const int64_t offset = static_cast<int64_t>(proc) - highBase;
  return offset >= 0 && offset < 48 && (control == 1 || control == 2);
}

bool IsSlotAlignedLowControl(int32_t proc, int32_t control) {
  return proc >= 0 && proc < 36 && control >= 0 && control < 9 &&
         ((kAlignedControls[proc] >> control) & 1) != 0;
}

int32_t AlignTimeToSlot(int32_t slotOffset, int32_t path, int32_t time, bool mayMoveBack) {
  if (time < 1 || CControlModel::ForCurrentConsole().IsSmallConsole()) return time;
  const int64_t slot = (static_cast<int64_t>(slotOffset) + path) % 4;
  const int64_t q = time % 4;
  const int64_t moved = mayMoveBack ? time + (slot - q) : time + ((slot - q + 4) % 4);
  // Near the top of the time range the slot time may not exist: keep the largest time.
  return moved > INT32_MAX ? INT32_MAX : static_cast<int32_t>(moved);
}
