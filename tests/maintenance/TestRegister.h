// Building registers for the tests and reading them back.
#pragma once

#include "register/GridStore.h"

#include <initializer_list>
#include <random>
#include <string>
#include <vector>

// A register whose data rows hold the given cells, columns from 0 (a shorter list leaves
// the other cells empty); renumbered.
inline void SetRows(VideoRegister& reg, const std::vector<std::vector<std::string>>& rows) {
    VideoRegister::BulkChange bulk(reg);
    reg.SetRowCount(1);
    std::vector<PackedRow> packed;
    for (const auto& row : rows) {
        std::array<std::string_view, PackedRow::kCells> cells{};
        for (size_t c = 0; c < row.size() && c < cells.size(); ++c)
            cells[c] = row[c];
        packed.emplace_back(cells);
    }
    if (packed.empty()) packed.emplace_back();
    reg.AppendRows(std::move(packed));
    SetHeaderRow(reg, ColumnTitles());
    RenumberRows(reg);
}

// Every row as its database line, header included.
inline std::vector<std::string> Lines(const VideoRegister& reg) {
    std::vector<std::string> lines;
    for (int r = 0; r <= reg.LastRow(); ++r)
        lines.push_back(RowToLine(reg, r));
    return lines;
}

// One cell of every data row.
inline std::vector<std::string> Column(const VideoRegister& reg, int col) {
    std::vector<std::string> cells;
    for (int r = 1; r <= reg.LastRow(); ++r)
        cells.emplace_back(reg.Cell(col, r));
    return cells;
}

// A random pick from a few texts, so that equal keys are common.
inline std::string Pick(std::mt19937& rng, std::initializer_list<const char*> texts) {
    std::uniform_int_distribution<size_t> d(0, texts.size() - 1);
    return texts.begin()[d(rng)];
}
