// A change list as a binary edit list: the new cut as pairs of old material (source) put in
// place in the new cut (destination), so that conform can treat a change list as an EDL.
//
// Three running values walk the changes in list order: p, the old position; q, the new
// position; k, the material removed so far minus the material added so far. A change's
// position P is in the new cut, so the unchanged lead-in before it is n = P - p + k frames.
//
//   old  |---A---|--X--|---B---------->        a delete of X (length L) at P = |A|
//   new  |---A---|---B---------->
//   pairs  (old 0, |A|) -> (new 0), then the tail (old |A|+L, T-|A|-L) -> (new |A|)
//
// Additions (inserts, lengthened heads and tails) get no pair: the new material has no
// automation. A move leaves a note where its material left the old cut; the insert paired
// with it (same pair number) takes its source from the note, the last one when several
// notes have its number. The tail runs to T, 24 hours of film frames. A lead-in that comes
// out negative (changes out of order) is written as it is.
#include <cstdint>
#include <string>
#include <vector>

#include "commonobjects/conform/CutListReader.h"
#include "commonobjects/conform/EDLReader.h"
#include "commonobjects/conform/ReelTable.h"
#include "commonobjects/conform/SourceDestItem.h"
#include "commonobjects/conform/internal/DayLength.h"

namespace {

using commonobjects::conform::DayOfFilmFrames;

// 32-bit arithmetic as the edit list stores it: sums wrap.
int32_t Wrap(int64_t value) { return static_cast<int32_t>(value); }

struct MoveNote {
  int32_t PairNumber;
  int32_t Start;  // old position, frames
  int32_t Length;
};

struct Pair {
  CSourceDestItem Source;
  CSourceDestItem Dest;
  bool FromMove = false;  // Source.Number is a pair number; its start comes from a move note
};

class PairBuilder {
 public:
  explicit PairBuilder(std::string reel) : Reel(std::move(reel)) { Reels.Add(Reel); }

  void Walk(const std::vector<std::unique_ptr<CCutListChange>>& changes, int32_t day);
  void PlaceMovedMaterial();
  void NumberReels();

  std::vector<Pair> Pairs;
  CReelTable Reels;

 private:
  Pair& AddPair(int32_t sourceStart, int32_t length, int32_t destStart, const std::string& reel);
  void Step(const CCutListChange& change, int32_t n);

  std::string Reel;
  std::vector<MoveNote> Notes;
  int32_t P = 0, Q = 0, K = 0;
};

Pair& PairBuilder::AddPair(int32_t sourceStart, int32_t length, int32_t destStart, const std::string& reel) {
  Pair& pair = Pairs.emplace_back();
  pair.Source.Start = sourceStart;
  pair.Source.Length = length;
  pair.Dest.Start = destStart;
  pair.Dest.Length = length;
  pair.Dest.EnsureDetail().ReelName = reel;
  return pair;
}

void PairBuilder::Walk(const std::vector<std::unique_ptr<CCutListChange>>& changes, int32_t day) {
  for (const auto& change : changes) {
    const int32_t n = Wrap(int64_t{change->Position} - P + K);
    if (n != 0) AddPair(P, n, Q, Reel);
    Q = Wrap(int64_t{Q} + n);
    Step(*change, n);
  }
  const int32_t tail = Wrap(int64_t{day} - P);
  if (tail != 0) AddPair(P, tail, Q, Reel);
}

// What one change does after its lead-in of n frames.
void PairBuilder::Step(const CCutListChange& change, int32_t n) {
  const int32_t length = change.Length;
  switch (change.Kind) {
    case CCutListChange::kMove:
      Notes.push_back({change.SourceChange, Wrap(int64_t{P} + n), length});
      [[fallthrough]];
    case CCutListChange::kDelete:
    case CCutListChange::kTrimHead:
    case CCutListChange::kTrimMiddle:
    case CCutListChange::kTrimTail:
      P = Wrap(int64_t{P} + n + length);
      K = Wrap(int64_t{K} + length);
      break;
    case CCutListChange::kInsert:
    case CCutListChange::kLengthenHead:
    case CCutListChange::kLengthenTail:
      P = Wrap(int64_t{P} + n);
      K = Wrap(int64_t{K} - length);
      Q = Wrap(int64_t{Q} + length);
      break;
    case CCutListChange::kInsertFrom:
    case CCutListChange::kClip: {
      P = Wrap(int64_t{P} + n);
      K = Wrap(int64_t{K} - length);
      const bool clip = change.Kind == CCutListChange::kClip;
      if (length != 0) {
        Pair& pair = AddPair(clip ? change.Extra : 0, length, Q, clip ? change.Name : Reel);
        if (!clip) {
          pair.Source.Number = change.SourceChange;
          pair.FromMove = true;
        }
      }
      if (clip) Reels.Add(change.Name);
      Q = Wrap(int64_t{Q} + length);
      break;
    }
    default:  // unrecognised, no change: the lead-in only; the old position stays where it
      break;  // was, so the next pair starts from the same old material
  }
}

void PairBuilder::PlaceMovedMaterial() {
  for (Pair& pair : Pairs) {
    if (!pair.FromMove) continue;
    for (const MoveNote& note : Notes) {
      if (note.PairNumber == pair.Source.Number) pair.Source.Start = note.Start;
    }
  }
}

void PairBuilder::NumberReels() {
  for (Pair& pair : Pairs) pair.Dest.Detail->ReelIndex = Reels.Find(pair.Dest.Detail->ReelName);
  Reels.UseOwnNames();
}

}  // namespace

bool ConvertCutListToEDL(CCutListReader& reader, const std::string& mixFileName, const std::string& edlPath) {
  PairBuilder builder(mixFileName.substr(0, mixFileName.size() >= 4 ? mixFileName.size() - 4 : 0));
  builder.Walk(reader.GetChanges(), DayOfFilmFrames(reader.GetSettings().FilmFramesPerSecond));
  builder.PlaceMovedMaterial();
  builder.NumberReels();

  CEDLReader writer(edlPath, CEDLReader::kGeneric);
  if (!writer.Create()) return false;
  writer.WriteHeader(reader.GetSettings(), builder.Reels);
  for (const Pair& pair : builder.Pairs) writer.WriteEvent(pair.Source, pair.Dest);
  return writer.Close();
}
