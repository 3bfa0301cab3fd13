#include "commonobjects/conform/VadicConform.h"

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "commonobjects/conform/ConformEngine.h"
#include "commonobjects/conform/EDLReader.h"
#include "commonobjects/conform/ReelTable.h"
#include "commonobjects/conform/internal/DayLength.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/timecode/TimecodeConverter.h"

namespace {

// One written edit: the material at Source.Start goes to Dest.Start for Dest.Length.
struct Pair {
  CSourceDestItem Source;
  CSourceDestItem Dest;
};

// Lengths and sums wrap as the edit list's 32-bit fields do.
int32_t Wrap(int64_t value) { return static_cast<int32_t>(value); }

class ConsoleStyleConform {
 public:
  explicit ConsoleStyleConform(CAutomationPackage* mix) : Mix(mix) {
    PrepareOwnReel();
    Day = commonobjects::conform::DayInUnits(Converter);
  }

  int32_t Day = 0;  // the end of the day, automation units

  void Add(int64_t sourceStart, int64_t sourceLength, int64_t destStart, int64_t destLength) {
    Pair& pair = Pairs.emplace_back();
    pair.Source.Start = Wrap(sourceStart);
    pair.Source.Length = Wrap(sourceLength);
    pair.Dest.Start = Wrap(destStart);
    pair.Dest.Length = Wrap(destLength);
    pair.Dest.EnsureDetail().ReelName = ReelName;
  }

  // Writes the pairs as the temporary edit list and conforms the mix to it.
  enConformStatus ConformFromPairs() {
    const std::string path = TemporaryEDLPath();
    for (Pair& pair : Pairs) pair.Dest.Detail->ReelIndex = Reels.Find(pair.Dest.Detail->ReelName);
    CEDLReader writer(path, CEDLReader::kQrx);
    if (!writer.Create()) return kConformListFileFailed;
    writer.WriteHeader(CTimecodeSettings(), Reels);
    for (const Pair& pair : Pairs) {
      if (pair.Source.Length != 0) writer.WriteEvent(pair.Source, pair.Dest);
    }
    if (!writer.Close()) return kConformListFileFailed;
    CConformEngine engine;
    return engine.ConformFromEDL(Mix, path, true);
  }

 private:
  // The mix's own file is the only reel: its name without the extension.
  void PrepareOwnReel() {
    Reels.RemoveAll();
    const std::string& file = Mix->GetFileName();
    ReelName = file.size() >= 4 ? file.substr(0, file.size() - 4) : std::string();
    Reels.Add(ReelName);
    Reels.UseOwnNames();
  }

  CAutomationPackage* Mix;
  CTimecodeConverter Converter;
  CReelTable Reels;
  std::string ReelName;
  std::vector<Pair> Pairs;
};

template <typename Build>
enConformStatus Run(CAutomationPackage* mix, Build build) {
  if (mix == nullptr) return kConformListFileFailed;
  try {
    ConsoleStyleConform conform(mix);
    build(conform, int64_t{conform.Day});
    return conform.ConformFromPairs();
  } catch (const std::exception&) {
    return kConformListFileFailed;  // nothing was conformed
  }
}

}  // namespace

enConformStatus DeleteConformVadicStyle(CAutomationPackage* mix, const CSourceDestItem& source) {
  const int64_t s = source.Start;
  const int64_t e = s + source.Length;
  return Run(mix, [&](ConsoleStyleConform& c, int64_t t) {
    c.Add(0, s, 0, s);
    c.Add(e, t - s, e, t - s);
  });
}

enConformStatus CopyConformVadicStyle(CAutomationPackage* mix, const CSourceDestItem& source,
                                      const CSourceDestItem& destination) {
  const int64_t s = source.Start;
  const int64_t l = source.Length;
  const int64_t d = destination.Start;
  const int64_t m = destination.Length;
  const bool later = static_cast<uint32_t>(d) > static_cast<uint32_t>(s);
  return Run(mix, [&](ConsoleStyleConform& c, int64_t t) {
    const int64_t written = later ? l : m;
    c.Add(0, d, 0, d);
    c.Add(s, l, d, written);
    c.Add(d + written, t - (d + written), d + written, t - (d + written));
  });
}

enConformStatus MoveConformVadicStyle(CAutomationPackage* mix, const CSourceDestItem& source,
                                      const CSourceDestItem& destination) {
  const int64_t s = source.Start;
  const int64_t l = source.Length;
  const int64_t e = s + l;
  const int64_t d = destination.Start;
  const bool later = static_cast<uint32_t>(d) > static_cast<uint32_t>(s);
  return Run(mix, [&](ConsoleStyleConform& c, int64_t t) {
    if (later) {
      c.Add(0, s, 0, s);
      c.Add(e, d, e, d);
      c.Add(s, l, d + e, l);
      c.Add(d + e + l, t - (d + e + l), d + e + l, t - (d + e + l));
      return;
    }
    c.Add(0, d, 0, d);
    c.Add(s, l, d, l);
    // A stretch moved earlier by less than its length overlaps its old place: nothing of the
    // old material lies between its new end and its old start, so that pair is left out
    // (the old place beyond the new end stays empty).
    const int64_t between = s - (d + l);
    if (between > 0) c.Add(d + l, between, d + l, between);
    c.Add(e, t - (d + l), e, t - (d + l));
  });
}
