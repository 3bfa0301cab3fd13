// A text table whose columns line up: headers, then rows of cells; numbers right-aligned.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace mixauto {

class Table {
 public:
  enum Align { Left, Right };

  void AddColumn(std::string header, Align align = Right);
  void AddRow(std::vector<std::string> cells);
  size_t RowCount() const { return rows_.size(); }
  void Print(std::FILE* out = stdout, const std::string& indent = "  ") const;
  // The lines Print writes.
  std::string Text(const std::string& indent = "  ") const;

 private:
  struct Column {
    std::string header;
    Align align;
  };
  std::vector<Column> columns_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace mixauto
