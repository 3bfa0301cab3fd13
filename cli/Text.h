// Small text helpers shared by mixauto's argument parsers. Pure functions; thread-safe.
#pragma once

#include <string>

namespace mixauto {

// text without the blanks (spaces and tabs) at either end; all blanks give "".
std::string Trimmed(const std::string& text);

}  // namespace mixauto
