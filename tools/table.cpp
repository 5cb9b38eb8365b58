#include "tools/table.h"

#include <algorithm>

namespace tool {
namespace {

size_t Characters(const std::string& text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

}  // namespace

void PrintTable(FILE* out, const TableRow& header, const std::vector<TableRow>& rows,
                const std::vector<size_t>& rightAligned) {
  std::vector<size_t> widths(header.size(), 0);
  auto measure = [&](const TableRow& row) {
    for (size_t i = 0; i < row.size() && i < widths.size(); ++i) widths[i] = std::max(widths[i], Characters(row[i]));
  };
  measure(header);
  for (const auto& row : rows) measure(row);
  auto print = [&](const TableRow& row) {
    std::string line;
    for (size_t i = 0; i < widths.size(); ++i) {
      std::string cell = i < row.size() ? row[i] : std::string();
      std::string pad(widths[i] - Characters(cell), ' ');
      bool right = std::find(rightAligned.begin(), rightAligned.end(), i) != rightAligned.end();
      if (i > 0) line += "  ";
      line += right ? pad + cell : cell + (i + 1 < widths.size() ? pad : std::string());
    }
    std::fprintf(out, "%s\n", line.c_str());
  };
  print(header);
  for (const auto& row : rows) print(row);
}

}  // namespace tool
