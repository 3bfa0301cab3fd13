// mixauto cutlist FILE [--json] [--edl OUT [--mix NAME]]: the changes of a change list (kind,
// position and length in feet+frames and as timecode, the change an insert takes its
// material from), then the edit items conform makes of them (kept, removed and inserted
// stretches in automation units, with the running old and new positions), and with --edl
// the binary edit list that conform writes for the list.
#include "CutListCommand.h"

#include <cstdio>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "EdlCommand.h"
#include "EventFileJob.h"
#include "Table.h"
#include "Text.h"
#include "TimeArgument.h"
#include "commonobjects/conform/ConformEngine.h"
#include "commonobjects/conform/CutListReader.h"
#include "commonobjects/conform/EDLItemList.h"
#include "commonobjects/timecode/TimecodeConverter.h"

namespace mixauto {

namespace {

constexpr const char* kCutListHelp =
    "Show a picture change list (the editing system's text report in either layout, or the binary "
    "form) as conform reads it: each change with its kind, position and length in feet+frames and "
    "as timecode, then the kept, removed and inserted stretches it makes in automation units. "
    "With --edl OUT, also write the binary edit list conform builds from it; `mixauto edl OUT` "
    "reads that back.";

struct CutListOptions {
  std::string file;
  std::string edl;
  std::string mix = "MIX.aut";
  bool json = false;
};

// One change, its frames also in automation units (positions with the film equivalence,
// as conform places them; lengths without).
struct ChangeRow {
  const CCutListChange* change = nullptr;
  int32_t positionUnits = 0;
  int32_t lengthUnits = 0;
};

// One edit item with the old and new positions it starts at.
struct ItemRow {
  int32_t kind = 0;
  int32_t length = 0;
  int32_t oldStart = 0;
  int32_t newStart = 0;
};

struct CutListing {
  std::vector<ChangeRow> changes;
  std::vector<ItemRow> items;
};

const char* ItemKindName(int32_t kind) {
  static const char* const kNames[] = {"kept",        "removed",       "inserted",   "removed, state noted", "moved",
                                       "from a note", "clip, removed", "clip, kept", "clip written"};
  return kind >= 0 && kind <= 8 ? kNames[kind] : "?";
}

// Feet "+" two-digit frames at the list's frames per foot; bare frames when that is not
// positive.
std::string Footage(int32_t frames, int32_t framesPerFoot) {
  if (framesPerFoot <= 0) return std::to_string(frames) + " frames";
  char text[32];
  std::snprintf(text, sizeof text, "%d+%02d", frames / framesPerFoot, frames % framesPerFoot);
  return text;
}

std::string StageText(const CCutListReader& reader) {
  switch (reader.GetFailureStage()) {
    case CCutListReader::kFailedOpening:
      return "cannot open it (" + std::system_category().message(reader.GetSystemError()) +
             "); check the name and that the file is readable";
    case CCutListReader::kFailedAfterOpening:
      return "opened, but no change could be read: it holds neither a binary change list (\"" +
             std::string(CCutListReader::kMagic, 16) +
             "\" and its counts) nor a text report whose header (Old Duration ... Clip Name) a change follows";
    case CCutListReader::kFailedInChanges:
      return "failed while reading the changes: a malformed footage value (feet+frames) or wording, or a record "
             "cut short";
    default:
      return "no change could be read";
  }
}

CutListing MakeListing(const CCutListReader& reader, const std::string& file) {
  CutListing listing;
  CTimecodeConverter converter;
  for (const auto& change : reader.GetChanges()) {
    ChangeRow row{change.get()};
    converter.SetAddEquivalence(1);
    row.positionUnits = UnitsOfFrames(converter, change->Position);
    converter.SetAddEquivalence(0);
    row.lengthUnits = UnitsOfFrames(converter, change->Length);
    listing.changes.push_back(row);
  }
  CEDLItemList items;
  GetCutListItems(file, items);
  int32_t oldAt = items.StartPosition;
  int32_t newAt = 0;
  for (const CEDLItem& item : items) {
    listing.items.push_back({item.Kind, item.Length, oldAt, newAt});
    if (item.Kind != 2) oldAt += item.Length;  // inserted material was not in the old cut
    if (item.Kind != 1) newAt += item.Length;  // removed material is not in the new cut
  }
  return listing;
}

std::string FormText(const CCutListReader& reader) {
  if (reader.IsBinary()) return "binary (\"" + std::string(CCutListReader::kMagic, 16) + "\")";
  return reader.GetLayout() == 0 ? "text, layout 0 (number, position, wording, length)"
                                 : "text, layout 1 (number, position, length, wording)";
}

std::string FromText(const CCutListChange& change) {
  if (change.Kind == CCutListChange::kClip) return "clip " + change.Name;
  return change.SourceChange >= 0 ? "change " + std::to_string(change.SourceChange) : "-";
}

void PrintListing(const CCutListReader& reader, const CutListing& listing, const std::string& file) {
  const CTimecodeConverter converter;
  const int32_t perFoot = reader.GetSettings().FilmFramesPerFoot;
  std::printf("Change list   %s\n", file.c_str());
  std::printf("Form          %s\n", FormText(reader).c_str());
  std::printf("Old duration  %d+%02d (%d frames per foot)\n", reader.GetOldDurationFeet(),
              reader.GetOldDurationFrames(), perFoot);
  Table changes;
  for (const char* header : {"#", "kind", "position", "at", "length", "length tc", "from"}) {
    const std::string h = header;
    changes.AddColumn(h, h == "kind" || h == "from" ? Table::Left : Table::Right);
  }
  int32_t number = 0;
  for (const ChangeRow& row : listing.changes) {
    const CCutListChange& c = *row.change;
    changes.AddRow({std::to_string(++number), CCutListChange::KindName(c.Kind), Footage(c.Position, perFoot),
                    FormatTime(converter, row.positionUnits), Footage(c.Length, perFoot),
                    FormatTime(converter, row.lengthUnits), FromText(c)});
  }
  std::printf("\nChanges (%zu, numbered in list order; \"no change\" entries are not kept):\n", listing.changes.size());
  changes.Print();

  Table items;
  for (const char* header : {"#", "kind", "length", "length tc", "old at", "new at"}) {
    items.AddColumn(header, std::string(header) == "kind" ? Table::Left : Table::Right);
  }
  number = 0;
  for (const ItemRow& row : listing.items) {
    items.AddRow({std::to_string(++number), ItemKindName(row.kind), std::to_string(row.length),
                  FormatTime(converter, row.length), FormatTime(converter, row.oldStart),
                  FormatTime(converter, row.newStart)});
  }
  std::printf("\nEdit items (lengths in automation units; positions in the old and the new cut):\n");
  items.Print();
}

void PrintJson(const CCutListReader& reader, const CutListing& listing, const CutListOptions& options) {
  const int32_t perFoot = reader.GetSettings().FilmFramesPerFoot;
  std::printf(
      "{\"header\": {\"file\": %s, \"form\": \"%s\", \"layout\": %s, \"oldDuration\": {\"feet\": %d, "
      "\"frames\": %d}, \"framesPerFoot\": %d},\n\"changes\": [",
      JsonLatin1String(options.file).c_str(), reader.IsBinary() ? "binary" : "text",
      reader.IsBinary() ? "null" : std::to_string(reader.GetLayout()).c_str(), reader.GetOldDurationFeet(),
      reader.GetOldDurationFrames(), perFoot);
  const char* separator = "\n";
  int32_t number = 0;
  for (const ChangeRow& row : listing.changes) {
    const CCutListChange& c = *row.change;
    std::printf(
        "%s  {\"number\": %d, \"kind\": %d, \"kindName\": \"%s\", \"position\": %d, \"positionFootage\": "
        "\"%s\", \"positionUnits\": %d, \"length\": %d, \"lengthFootage\": \"%s\", \"lengthUnits\": %d, "
        "\"sourceChange\": %s, \"name\": %s, \"extra\": %d}",
        separator, ++number, c.Kind, CCutListChange::KindName(c.Kind), c.Position, Footage(c.Position, perFoot).c_str(),
        row.positionUnits, c.Length, Footage(c.Length, perFoot).c_str(), row.lengthUnits,
        c.SourceChange < 0 ? "null" : std::to_string(c.SourceChange).c_str(), JsonLatin1String(c.Name).c_str(),
        c.Extra);
    separator = ",\n";
  }
  std::printf("\n],\n\"items\": [");
  separator = "\n";
  for (const ItemRow& row : listing.items) {
    std::printf("%s  {\"kind\": %d, \"kindName\": \"%s\", \"length\": %d, \"oldStart\": %d, \"newStart\": %d}",
                separator, row.kind, ItemKindName(row.kind), row.length, row.oldStart, row.newStart);
    separator = ",\n";
  }
  std::printf("\n],\n\"edl\": %s}\n", options.edl.empty() ? "null" : JsonLatin1String(options.edl).c_str());
}

// Writes the edit list conform would build from the list: a text list's moves go to the
// inserts that take their material. Read apart, so the listing shows the changes as read.
bool WriteConformEdl(const CutListOptions& options) {
  CCutListReader reader;
  if (!reader.Read(options.file)) return false;
  if (ConformListKindOf(options.file) == ConformListKind::kPairedChangeList) PairMovesWithInserts(reader);
  return ConvertCutListToEDL(reader, options.mix, options.edl);
}


int RunCutList(const CutListOptions& options) {
  if (!options.edl.empty() && (options.mix.size() < 5 || options.mix[options.mix.size() - 4] != '.')) {
    return FailArgument("cutlist", "--mix \"" + options.mix +
                                       "\": give the mix's file name with its extension (as MIX.aut); the edit "
                                       "list's reel is that name without its last 4 characters");
  }
  CCutListReader reader;
  if (!reader.Read(options.file)) return FailOn("cutlist", options.file, StageText(reader));
  const CutListing listing = MakeListing(reader, options.file);
  if (!options.edl.empty() && !WriteConformEdl(options)) {
    return FailOn("cutlist", options.edl,
                  "could not write the edit list (is its folder there and writable, the disk not full?)");
  }
  if (options.json) {
    PrintJson(reader, listing, options);
    return 0;
  }
  PrintListing(reader, listing, options.file);
  if (!options.edl.empty()) {
    std::printf("\nWrote %s: the binary edit list of these changes, reel \"%s\". Read it with: mixauto edl %s\n",
                options.edl.c_str(), options.mix.substr(0, options.mix.size() - 4).c_str(), options.edl.c_str());
  }
  return 0;
}

}  // namespace

void AddCutListCommand(CLI::App& app) {
  auto options = std::make_shared<CutListOptions>();
  CLI::App* command = app.add_subcommand("cutlist", kCutListHelp);
  command
      ->add_option("FILE", options->file,
                   "The change list: a text report (a name ending .txt is tried in layout 1 first) or the "
                   "binary form")
      ->type_name("FILE")
      ->required();
  command->add_flag("--json", options->json,
                    "One JSON object: {\"header\": {...}, \"changes\": [...], \"items\": [...], \"edl\": ...}");
  CLI::Option* edl =
      command
          ->add_option("--edl", options->edl,
                       "Also write the binary edit list conform builds from the changes to OUT (created or replaced)")
          ->type_name("OUT");
  command
      ->add_option("--mix", options->mix,
                   "The mix the edit list is for (default MIX.aut); its reel is the mix file name without its "
                   "extension (the last 4 characters), so MIX.aut gives reel MIX")
      ->type_name("NAME")
      ->needs(edl);
  command->callback([options] { ExitOnFailure(RunCutList(*options)); });
}

}  // namespace mixauto
