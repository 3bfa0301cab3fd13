#include "Table.h"

#include <algorithm>

namespace mixauto {

void Table::AddColumn(std::string header, Align align) { columns_.push_back({std::move(header), align}); }

void Table::AddRow(std::vector<std::string> cells) {
  cells.resize(columns_.size());
  rows_.push_back(std::move(cells));
}

void Table::Print(std::FILE* out, const std::string& indent) const { std::fputs(Text(indent).c_str(), out); }

std::string Table::Text(const std::string& indent) const {
  std::string text;
  std::vector<size_t> width(columns_.size());
  for (size_t c = 0; c < columns_.size(); ++c) {
    width[c] = columns_[c].header.size();
    for (const auto& row : rows_) width[c] = std::max(width[c], row[c].size());
  }
  auto addRow = [&](auto cellOf) {
    std::string line = indent;
    for (size_t c = 0; c < columns_.size(); ++c) {
      const std::string& cell = cellOf(c);
      const std::string pad(width[c] - cell.size(), ' ');
      line += (columns_[c].align == Right) ? pad + cell : cell + pad;
      if (c + 1 < columns_.size()) line += "  ";
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    text += line + "\n";
  };
  addRow([&](size_t c) -> const std::string& { return columns_[c].header; });
  std::string rule;
  for (size_t c = 0; c < columns_.size(); ++c) rule += std::string(width[c], '-') + (c + 1 < columns_.size() ? "  " : "");
  text += indent + rule + "\n";
  for (const auto& row : rows_) addRow([&](size_t c) -> const std::string& { return row[c]; });
  return text;
}

}  // namespace mixauto
