// Aligned text tables for people: a header row and rows of cells, each
// column as wide as its widest cell (counted in characters, not bytes).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace tool {

using TableRow = std::vector<std::string>;  // UTF-8 cells

// Right-aligns the columns whose index is in `rightAligned` (numbers).
void PrintTable(FILE* out, const TableRow& header, const std::vector<TableRow>& rows,
                const std::vector<size_t>& rightAligned = {});

}  // namespace tool
