#include "ConformReport.h"

#include <algorithm>
#include <array>
#include <tuple>

#include "EventFileJob.h"
#include "Table.h"
#include "Text.h"
#include "TimeArgument.h"

namespace mixauto {

namespace {

struct Span {
  int64_t start = 0;
  int64_t end = 0;  // excluded
};

// The parts of [0, end) that no span covers, in time order.
std::vector<Span> Uncovered(std::vector<Span> spans, int64_t end) {
  std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
  std::vector<Span> gaps;
  int64_t reached = 0;
  for (const Span& span : spans) {
    if (span.start > reached) gaps.push_back({reached, std::min(span.start, end)});
    reached = std::max(reached, span.end);
    if (reached >= end) break;
  }
  if (reached < end) gaps.push_back({reached, end});
  gaps.erase(std::remove_if(gaps.begin(), gaps.end(), [](const Span& g) { return g.end <= g.start; }), gaps.end());
  return gaps;
}

// Kept and moved stretches by destination start (list order among equal starts), each run
// of pairs that continue each other in both cuts joined.
std::vector<ConformStretch> Placed(const std::vector<ConformPair>& pairs) {
  std::vector<ConformPair> sorted;
  std::copy_if(pairs.begin(), pairs.end(), std::back_inserter(sorted),
               [](const ConformPair& p) { return p.length > 0; });
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const ConformPair& a, const ConformPair& b) { return a.dest < b.dest; });
  std::vector<ConformStretch> placed;
  for (const ConformPair& pair : sorted) {
    const auto kind = pair.source == pair.dest ? ConformStretch::kKept : ConformStretch::kMoved;
    if (!placed.empty()) {
      ConformStretch& last = placed.back();
      const int64_t length = last.length;
      if (last.kind == kind && last.reel == pair.reel && last.oldStart + length == pair.source &&
          last.newStart + length == pair.dest && length + pair.length <= INT32_MAX) {
        last.length += pair.length;
        continue;
      }
    }
    placed.push_back({kind, pair.source, pair.dest, pair.length, pair.reel});
  }
  return placed;
}

int32_t Narrow(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

// A stretch's place in the report: where it lies in the new cut, a removed one where it lay.
auto OrderKey(const ConformStretch& s) {
  return std::make_tuple(s.kind == ConformStretch::kRemoved ? s.oldStart : s.newStart,
                         s.kind == ConformStretch::kRemoved ? 0 : 1, s.oldStart);
}

std::string TimeOrDash(const CTimecodeConverter& converter, int32_t start, int64_t offset) {
  return start < 0 ? "-" : FormatTime(converter, Narrow(start + offset));
}

std::string StretchTable(const std::vector<ConformStretch>& stretches, const CTimecodeConverter& converter) {
  Table table;
  table.AddColumn("stretch", Table::Left);
  for (const char* header : {"old from", "old to", "new from", "new to", "length"}) table.AddColumn(header);
  std::array<int, 4> counts{};
  for (const ConformStretch& s : stretches) {
    ++counts[s.kind];
    table.AddRow({StretchKindName(s.kind), TimeOrDash(converter, s.oldStart, 0),
                  TimeOrDash(converter, s.oldStart, s.length), TimeOrDash(converter, s.newStart, 0),
                  TimeOrDash(converter, s.newStart, s.length), FormatTime(converter, s.length)});
  }
  std::string summary;
  for (const auto kind :
       {ConformStretch::kKept, ConformStretch::kRemoved, ConformStretch::kMoved, ConformStretch::kInserted}) {
    summary += std::string(summary.empty() ? "" : ", ") + std::to_string(counts[kind]) + " " + StretchKindName(kind);
  }
  return table.Text() + "  " + summary + "\n";
}

std::string SourceText(const SourceMix& source) { return source.name + (source.own ? " (the mix's own file)" : ""); }

std::string TimeJson(const CTimecodeConverter& converter, const char* name, int32_t start, int64_t offset) {
  const std::string key = std::string("\"") + name;
  if (start < 0) return key + "\": null, " + key + "Timecode\": null";
  const int32_t units = Narrow(start + offset);
  return key + "\": " + std::to_string(units) + ", " + key + "Timecode\": " + JsonString(FormatTime(converter, units));
}

}  // namespace

const char* StretchKindName(ConformStretch::Kind kind) {
  static const char* const kNames[] = {"kept", "removed", "moved", "inserted"};
  return kNames[kind];
}

const SourceMix* SourceOfStretch(const ConformStretch& stretch, const std::vector<SourceMix>& sources) {
  if (sources.empty()) return nullptr;
  const bool named = stretch.reel >= 0 && static_cast<size_t>(stretch.reel) < sources.size();
  return &sources[named ? static_cast<size_t>(stretch.reel) : 0];
}

std::vector<ConformPair> PairsOfItems(const CGrowableArray<CSourceDestItem>& items) {
  std::vector<ConformPair> pairs;
  for (int32_t i = 0; i + 1 < items.GetSize(); i += 2) {
    pairs.push_back({items[i].Start, items[i + 1].Start, items[i + 1].Length,
                     items[i + 1].Detail ? items[i + 1].Detail->ReelIndex : -1});
  }
  return pairs;
}

std::vector<ConformStretch> StretchesOfPairs(const std::vector<ConformPair>& pairs, int32_t mixEnd) {
  std::vector<ConformStretch> stretches = Placed(pairs);
  std::vector<Span> sources, destinations;
  int64_t oldEnd = mixEnd, newEnd = 0;
  for (const ConformStretch& s : stretches) {
    sources.push_back({s.oldStart, int64_t{s.oldStart} + s.length});
    destinations.push_back({s.newStart, int64_t{s.newStart} + s.length});
    oldEnd = std::max(oldEnd, sources.back().end);
    newEnd = std::max(newEnd, destinations.back().end);
  }
  for (const Span& gap : Uncovered(sources, oldEnd)) {
    stretches.push_back({ConformStretch::kRemoved, Narrow(gap.start), -1, Narrow(gap.end - gap.start), -1});
  }
  for (const Span& gap : Uncovered(destinations, newEnd)) {
    stretches.push_back({ConformStretch::kInserted, -1, Narrow(gap.start), Narrow(gap.end - gap.start), -1});
  }
  std::stable_sort(stretches.begin(), stretches.end(),
                   [](const ConformStretch& a, const ConformStretch& b) { return OrderKey(a) < OrderKey(b); });
  return stretches;
}

std::string ConformReportText(const ConformReport& report, const CTimecodeConverter& converter) {
  std::string text = report.title + "\n" + report.pathNote + "\n";
  text += "Stretches (old and new places in the cut; each range ends just before its \"to\"):\n";
  text += StretchTable(report.stretches, converter);
  text += "Source mixes:\n";
  for (const SourceMix& source : report.sources) text += "  " + SourceText(source) + "\n";
  text += "Events before  " + WithCommas(report.eventsBefore) + "\n";
  text += "Events after   " + WithCommas(report.eventsAfter) + "\n";
  text += "Status " + std::to_string(report.status) + ": " + ConformStatusText(report.status) + "\n";
  return text;
}

std::string ConformReportJson(const ConformReport& report, const CTimecodeConverter& converter) {
  std::string json = "{\"title\": " + JsonString(report.title) + ", \"paths\": " + JsonString(report.pathNote) +
                     ", \"status\": " + std::to_string(report.status) +
                     ", \"statusText\": " + JsonString(ConformStatusText(report.status)) +
                     ", \"eventsBefore\": " + std::to_string(report.eventsBefore) +
                     ", \"eventsAfter\": " + std::to_string(report.eventsAfter) + ",\n\"sourceMixes\": [";
  const char* separator = "";
  for (const SourceMix& source : report.sources) {
    json +=
        separator + ("{\"name\": " + JsonString(source.name) + ", \"own\": " + (source.own ? "true" : "false") + "}");
    separator = ", ";
  }
  json += "],\n\"stretches\": [";
  separator = "\n  ";
  for (const ConformStretch& s : report.stretches) {
    json +=
        separator +
        ("{\"kind\": \"" + std::string(StretchKindName(s.kind)) + "\", " +
         TimeJson(converter, "oldStart", s.oldStart, 0) + ", " + TimeJson(converter, "oldEnd", s.oldStart, s.length) +
         ", " + TimeJson(converter, "newStart", s.newStart, 0) + ", " +
         TimeJson(converter, "newEnd", s.newStart, s.length) + ", \"length\": " + std::to_string(s.length) + "}");
    separator = ",\n  ";
  }
  return json + "\n]}\n";
}

}  // namespace mixauto
