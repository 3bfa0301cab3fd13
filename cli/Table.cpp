#include "Table.h"

#include <algorithm>

namespace mixauto {

void Table::AddColumn(std::string header, Align align) { columns_.push_back({std::move(header), align}); }

void Table::AddRow(std::vector<std::string> cells) {
  cells.resize(columns_.size());
  rows_.push_back(std::move(cells));
}

void Table::Print(std::FILE* out, const std::string& indent) const {
  std::vector<size_t> width(columns_.size());
  for (size_t c = 0; c < columns_.size(); ++c) {
    width[c] = columns_[c].header.size();
    for (const auto& row : rows_) width[c] = std::max(width[c], row[c].size());
  }
  auto printRow = [&](auto cellOf) {
    std::string line = indent;
    for (size_t c = 0; c < columns_.size(); ++c) {
      const std::string& cell = cellOf(c);
      const std::string pad(width[c] - cell.size(), ' ');
      line += (columns_[c].align == Right) ? pad + cell : cell + pad;
      if (c + 1 < columns_.size()) line += "  ";
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    std::fprintf(out, "%s\n", line.c_str());
  };
  printRow([&](size_t c) -> const std::string& { return columns_[c].header; });
  std::string rule;
  for (size_t c = 0; c < columns_.size(); ++c) rule += std::string(width[c], '-') + (c + 1 < columns_.size() ? "  " : "");
  std::fprintf(out, "%s%s\n", indent.c_str(), rule.c_str());
  for (const auto& row : rows_) printRow([&](size_t c) -> const std::string& { return row[c]; });
}

}  // namespace mixauto
