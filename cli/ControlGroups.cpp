#include "ControlGroups.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "Text.h"
#include "commonobjects/console/ControlModel.h"
#include "commonobjects/eventstore/EventFilter.h"

namespace mixauto {

namespace {

// A host's group selection by name: the flag TranslateFilter turns into controls.
struct ControlGroup {
  const char* name;
  uint32_t flag;
  const char* controls;
};

constexpr ControlGroup kLargeGroups[] = {
    {"input", 0x0001, "input, insert 1-2, output 1-2 and pan blocks"},
    {"fader", 0x0002, "fader level, trim, gang offset, gang null"},
    {"mute", 0x0004, "fader mute"},
    {"eq", 0x0008, "equaliser bands 1-8 and filters 1-2"},
    {"group-faders", 0x2000, "controls 0-3 of the 48 group faders (high-range blocks from --high-base)"},
    {"group-level", 0x0100, "control 0 of the group faders; ignored with group-faders"},
    {"group-mute", 0x0200, "control 3 of the group faders; ignored with group-faders"},
    {"dynamics", 0x0020, "compressor, limiter, expander, gate, side-chain EQ, DRC, key input"},
    {"eq-in", 0x0040, "the in/out of each equaliser band and filter"},
    {"dynamics-in", 0x0080, "the in/out of each dynamics section"},
    {"pan", 0x0400, "pan block without the input delay"},
    {"phase", 0x0800, "input phase"},
    {"input-6", 0x1000, "input control 6"},
    {"stems", 0x4000, "stem routing blocks 24-35"},
};

constexpr ControlGroup kSmallGroups[] = {
    {"fader", 0x0002, "fader level, trim, mute and every cut"},
    {"level", 0x8000, "fader level and trim; ignored with fader"},
    {"mute", 0x0004, "fader mute, fader cut, small fader mute; ignored with fader"},
    {"eq", 0x0008, "EQ on/off"},
    {"insert", 0x100000, "insert on/off"},
    {"small-fader", 0x10000, "small fader level, trim, mute"},
    {"cuts", 0x20000, "cut A, cut B"},
    {"input-select", 0x200000, "input select; type 6 only"},
    {"aux", 0x400000, "auxiliaries 1-7; type 6 only"},
    {"pan", 0x800000, "pan, F/B pan, L/C/R pan, divergence; type 6 only"},
};

// The groups of the console type: large consoles, small ones (the last three on type 6 only).
std::vector<ControlGroup> GroupsOf(int32_t consoleType) {
  const CControlModel model(consoleType);
  if (model.IsLargeConsole()) return {std::begin(kLargeGroups), std::end(kLargeGroups)};
  if (!model.IsSmallConsole()) return {};
  std::vector<ControlGroup> groups(std::begin(kSmallGroups), std::end(kSmallGroups));
  if (consoleType != 6) groups.resize(groups.size() - 3);
  return groups;
}

}  // namespace

std::string GroupList(const std::string& option) {
  std::string text = "Control groups for " + option + " (combine them: fader,mute; \"all\" is every control):\n";
  auto add = [&text](const char* family, const ControlGroup* first, const ControlGroup* last) {
    text += std::string("  ") + family + "\n";
    for (const ControlGroup* g = first; g != last; ++g) {
      text += "    " + std::string(g->name) + std::string(16 - std::string(g->name).size(), ' ') + g->controls + "\n";
    }
  };
  add("large consoles (types 2-5 and 7):", std::begin(kLargeGroups), std::end(kLargeGroups));
  add("small consoles (types 1 and 6):", std::begin(kSmallGroups), std::end(kSmallGroups));
  return text;
}

bool ParseGroups(const std::string& text, int32_t consoleType, std::optional<uint32_t>& flags, std::string& error) {
  flags.reset();
  if (Trimmed(text).empty() || Lowered(Trimmed(text)) == "all") return true;
  const std::vector<ControlGroup> groups = GroupsOf(consoleType);
  uint32_t selected = 0;
  for (size_t begin = 0; begin <= text.size();) {
    const size_t comma = std::min(text.find(',', begin), text.size());
    const std::string name = Lowered(Trimmed(text.substr(begin, comma - begin)));
    begin = comma + 1;
    const auto found =
        std::find_if(groups.begin(), groups.end(), [&](const ControlGroup& g) { return name == g.name; });
    if (found == groups.end()) {
      std::string known;
      for (const ControlGroup& g : groups) known += (known.empty() ? "" : ", ") + std::string(g.name);
      error = "\"" + name + "\" is not a control group of console type " + std::to_string(consoleType) +
              (known.empty() ? " (it has none; leave --groups out)" : "; give some of: " + known + " (or all alone)");
      return false;
    }
    selected |= found->flag;
  }
  flags = selected;
  return true;
}


std::vector<int32_t> ProcControlsOfGroups(uint32_t flags, int32_t highBase) {
  CEventFilter filter;
  filter.FirstGroupProc = highBase;  // the group faders are the high-range blocks
  filter.EndGroupProc = highBase + CControlModel::kHighProcCount;
  filter.TranslateFilter(AutomationEventFilterStructure{flags});
  std::vector<int32_t> pairs;
  for (int32_t i = 0; i < filter.ProcControls.GetSize(); ++i) {
    const int32_t word = filter.ProcControls[i];
    pairs.push_back((word & 0xFF) << 8 | (word >> 8 & 0xFF));
  }
  std::sort(pairs.begin(), pairs.end());
  pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
  return pairs;
}

}  // namespace mixauto
