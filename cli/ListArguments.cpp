#include "ListArguments.h"

#include <charconv>

#include "Text.h"

namespace mixauto {
namespace {

// The comma-separated items of text, trimmed; an empty item stays (and is refused later).
std::vector<std::string> Items(const std::string& text) {
  std::vector<std::string> items;
  size_t start = 0;
  for (size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1) {
    items.push_back(Trimmed(text.substr(start, comma - start)));
  }
  items.push_back(Trimmed(text.substr(start)));
  return items;
}

std::optional<int32_t> Number(const std::string& text) {
  const std::string digits = Trimmed(text);
  int32_t n = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return n;
}

// The two numbers of "A<separator>B" within [low, high], or nothing with `error` set.
std::optional<std::pair<int32_t, int32_t>> TwoNumbers(const std::string& item, char separator, int32_t low,
                                                      int32_t high, std::string& error) {
  const size_t at = item.find(separator, 1);  // a leading '-' belongs to the first number
  const std::optional<int32_t> a = Number(item.substr(0, at));
  const std::optional<int32_t> b = at == std::string::npos ? a : Number(item.substr(at + 1));
  if (!a || !b) {
    error = "\"" + item + "\" is not a number" + (separator == '-' ? " or range" : " pair");
    return std::nullopt;
  }
  for (const int32_t n : {*a, *b}) {
    if (n < low || n > high) {
      error = "\"" + item + "\": " + std::to_string(n) + " is outside " + std::to_string(low) + " to " +
              std::to_string(high);
      return std::nullopt;
    }
  }
  return std::make_pair(*a, *b);
}

}  // namespace

std::optional<std::vector<int32_t>> ParsePathList(const std::string& text, int32_t pathCount, std::string& error) {
  std::vector<int32_t> paths;
  for (const std::string& item : Items(text)) {
    const std::optional<std::pair<int32_t, int32_t>> range = TwoNumbers(item, '-', 0, pathCount - 1, error);
    if (range && range->first > range->second) error = "\"" + item + "\" runs backwards";
    if (!range || range->first > range->second) {
      error += "; paths are written like 0-7,12 (0 to " + std::to_string(pathCount - 1) + " on this console)";
      return std::nullopt;
    }
    for (int32_t path = range->first; path <= range->second; ++path) paths.push_back(path);
  }
  return paths;
}

std::optional<std::vector<std::pair<int32_t, int32_t>>> ParsePairList(const std::string& text, int32_t low,
                                                                       int32_t high, const std::string& form,
                                                                       std::string& error) {
  std::vector<std::pair<int32_t, int32_t>> pairs;
  for (const std::string& item : Items(text)) {
    const std::optional<std::pair<int32_t, int32_t>> pair =
        item.find(':') == std::string::npos ? std::nullopt : TwoNumbers(item, ':', low, high, error);
    if (!pair) {
      if (item.find(':') == std::string::npos) error = "\"" + item + "\" is not a pair";
      error += "; write " + form + " pairs separated by commas, like 5:7,6:8";
      return std::nullopt;
    }
    pairs.push_back(*pair);
  }
  return pairs;
}

std::optional<CPathMap> ParsePathGroups(const std::string& text, std::string& error) {
  const auto pairs = ParsePairList(text, 0, 2000, "FIRST:COUNT", error);
  if (!pairs) return std::nullopt;
  CPathMap map;
  for (const auto& [first, count] : *pairs) {
    if (map.AddGroup(first, count) != 1) {
      error = "more than " + std::to_string(CPathMap::kMaxGroups) + " path groups";
      return std::nullopt;
    }
  }
  return map;
}

std::string FormatPathGroups(const CPathMap& map) {
  const std::vector<int32_t>& values = map.GetValues();
  std::string text;
  for (size_t i = 0; i + 1 < values.size(); i += 2) {
    text += (text.empty() ? "" : ",") + std::to_string(values[i]) + ":" + std::to_string(values[i + 1]);
  }
  return text;
}

}  // namespace mixauto
