// Lists on mixauto's command line: path lists ("0-7,12") and number pairs ("5:7,6:8").
//
// Items are separated by commas; blanks around items and numbers are allowed. Ranges
// "A-B" are inclusive at both ends. A bad list gives nothing and an error that quotes the
// item and shows the expected form. Pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "commonobjects/console/PathMap.h"

namespace mixauto {

// The paths of a list such as "0-7,12", in the order written (a path may repeat), each
// within 0 .. pathCount - 1.
std::optional<std::vector<int32_t>> ParsePathList(const std::string& text, int32_t pathCount, std::string& error);

// The pairs of a list such as "5:7,6:8"; each number within [low, high]. `form` names the
// items in errors ("FROM:TO").
std::optional<std::vector<std::pair<int32_t, int32_t>>> ParsePairList(const std::string& text, int32_t low,
                                                                       int32_t high, const std::string& form,
                                                                       std::string& error);

// The path groups of a list such as "0:8,8:8" (FIRST:COUNT per group, group 0 first), at
// most CPathMap::kMaxGroups of them, numbers 0 to 2000.
std::optional<CPathMap> ParsePathGroups(const std::string& text, std::string& error);

// The path groups written as ParsePathGroups reads them ("0:8,8:8"); "" for none.
std::string FormatPathGroups(const CPathMap& map);

}  // namespace mixauto
