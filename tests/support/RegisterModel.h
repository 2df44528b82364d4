// The register against a plain model: a vector of rows of twelve strings and the real
// VideoRegister go through the same steps (loads of generated databases, typed and direct
// edits, inserts, deletes, the clean-up commands, sorts, saves and reloads), and after every
// step each cell, each row's line and each saved file must agree. Steps are plain numbers,
// read from a seeded generator (the suite) or from a fuzzer's bytes, so that a failing list
// can be replayed and cut down. The model reads files the plain way, one character at a
// time; it shares nothing with the store but the character length of GB18030.
#pragma once

#include "maintenance/CleanUp.h"
#include "maintenance/SortKeys.h"
#include "maintenance/SortRows.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"
#include "support/FakeShell.h"

#include <QDir>
#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace model {

using Row = std::array<std::string, 12>;
using Rows = std::vector<Row>; // the data rows; never empty, as the register's

enum Op : uint8_t {
    kLoad,
    kTyped,
    kRefused,
    kDirect,
    kRenumber,
    kInsertRow,
    kInsertBlank,
    kAppend,
    kDeleteRow,
    kDeleteRows,
    kDeleteSelected,
    kRemoveRepeated,
    kPurge,
    kSort,
    kSwap,
    kCopyRow,
    kResize,
    kSaveReload,
    kOps
};

struct Step {
    uint8_t op = 0;
    uint32_t a = 0, b = 0, c = 0;
};

// A small generator of its own, so that a step's texts follow from the step alone.
struct Mix {
    uint64_t s;
    uint32_t Next() {
        uint64_t z = (s += 0x9E3779B97F4A7C15);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
        return uint32_t(z ^ (z >> 31));
    }
    uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }
};

// Lengths around every limit of the store: the spare room of a row in its line (2,047), the
// 16-bit offsets of a line (65,535), the copy steps (32).
inline size_t Length(Mix& m, size_t current) {
    static const size_t sizes[] = {0,    1,    2,    5,     7,     8,     9,     31,   32,
                                   33,   100,  2046, 2047,  2048,  2049,  2080,  4095, 4097,
                                   6000, 8191, 8192, 65500, 65535, 65536, 65537, 70000};
    static const long deltas[] = {-2049, -2048, -2047, -1, 0, 1, 2047, 2048, 2049};
    switch (m.Below(4)) {
    case 0:
        return sizes[m.Below(std::size(sizes))];
    case 1:
        return size_t(std::max(0L, long(current) + deltas[m.Below(std::size(deltas))]));
    default:
        return m.Below(12);
    }
}

// Text of exactly `length` bytes. Storable text is what a user can type: no "^^", no
// caret at the end, no line end, whole characters only. Otherwise anything an old file or a
// command may hold: lone lead bytes, separators, line ends.
inline std::string Text(Mix& m, size_t length, bool storable) {
    static const std::vector<std::string> pieces = {"A",
                                                    "z",
                                                    "7",
                                                    " ",
                                                    ".",
                                                    "/",
                                                    "^",
                                                    Utf8ToGb("中"),
                                                    Utf8ToGb("頭"),
                                                    Utf8ToGb("觀"),
                                                    Utf8ToGb("😀"),
                                                    Utf8ToGb("€"),
                                                    "\xE9",
                                                    "^^",
                                                    "\r",
                                                    "\n",
                                                    "\t",
                                                    "\x81\x30"};
    const size_t choices = storable ? 12 : pieces.size();
    std::string text;
    bool caret = false; // the last character is a caret
    while (text.size() < length) {
        std::string piece = pieces[m.Below(uint32_t(choices))];
        if (text.size() + piece.size() > length || (caret && piece == "^")) piece = "a";
        caret = piece == "^";
        text += piece;
    }
    if (storable && caret) text.back() = 'a';
    return text;
}

// ---- the plain model of the file format ----

// Separators start on a character boundary; with `splitLeads`, a lead byte whose trail is a
// caret stands alone where an even run of carets follows it (an old raw-byte cell's end).
inline std::vector<size_t> Separators(std::string_view line, bool splitLeads) {
    std::vector<size_t> at;
    for (size_t i = 0; i + 1 < line.size();) {
        if (line[i] == '^' && line[i + 1] == '^') {
            at.push_back(i);
            i += 2;
            continue;
        }
        size_t len = GbCharLength(line, i);
        if (splitLeads && len == 2 && line[i + 1] == '^') {
            size_t carets = 0;
            while (i + 1 + carets < line.size() && line[i + 1 + carets] == '^')
                ++carets;
            if (carets % 2 == 0) len = 1;
        }
        i += len;
    }
    return at;
}

// The leftmost twelve separators; where there are fewer, read again splitting lead bytes.
inline Row ParseLine(std::string_view line) {
    std::vector<size_t> at = Separators(line, false);
    if (at.size() < 12) at = Separators(line, true);
    at.resize(std::min<size_t>(at.size(), 12));
    Row row;
    size_t cell = 0;
    for (size_t i = 0; i < at.size(); ++i) {
        row[i] = line.substr(cell, at[i] - cell);
        cell = at[i] + 2;
    }
    if (at.size() < 12) row[at.size()] = line.substr(cell);
    return row;
}

inline void Renumber(Rows& rows) {
    for (size_t r = 0; r < rows.size(); ++r)
        rows[r][0] = PadLeft(std::to_string(r + 1), ' ', 5);
}

// Lines end at LF, a CR right before it dropped; a last line without one counts.
inline Rows ParseFile(std::string_view data) {
    Rows rows;
    while (!data.empty()) {
        const size_t lf = data.find('\n');
        std::string_view line = data.substr(0, lf);
        if (lf != data.npos && line.ends_with('\r')) line.remove_suffix(1);
        rows.push_back(ParseLine(line));
        data.remove_prefix(lf == data.npos ? data.size() : lf + 1);
    }
    if (rows.empty()) rows.emplace_back();
    Renumber(rows);
    return rows;
}

inline std::string Line(const Row& row) {
    std::string line;
    for (const std::string& cell : row)
        line += cell + "^^";
    return line;
}

inline std::string File(const Rows& rows) {
    std::string text;
    for (const Row& row : rows)
        text += Line(row) + "\r\n";
    return text;
}

// Removes rows (1-based) from the bottom up; the only row left is emptied instead.
inline void Delete(Rows& rows, std::vector<int> gone) {
    std::sort(gone.rbegin(), gone.rend());
    gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
    for (int r : gone) {
        if (r < 1 || r > int(rows.size())) continue;
        if (rows.size() == 1)
            rows[0] = Row();
        else
            rows.erase(rows.begin() + (r - 1));
    }
}

// ---- the run ----

class Runner {
public:
    explicit Runner(const std::string& dir) : dir_(dir) {
        QDir().mkpath(QString::fromStdString(dir_ + "keep"));
        std::ofstream(dir_ + "keep/keep.avi") << "x";
        for (char c : dir_ + "keep/")
            keepFolder_ += char(c >= 'a' && c <= 'z' ? c - 32 : c);
    }

    // The first step whose outcome differs from the model's, and how; nothing when all agree.
    std::optional<std::string> Run(const std::vector<Step>& steps) {
        VideoRegister reg;
        SetHeaderRow(reg, ColumnTitles()); // as the window starts it
        model_ = Rows(1);
        for (size_t i = 0; i < steps.size(); ++i) {
            std::string why = Apply(reg, steps[i]);
            if (why.empty()) why = Compare(reg);
            if (!why.empty()) return "step " + std::to_string(i) + ": " + why;
        }
        return std::nullopt;
    }

private:
    int Pick(uint32_t n) const { return 1 + int(n % model_.size()); }

    Row RandomRow(Mix& m) {
        Row row;
        for (size_t c = 0; c < 12; ++c)
            row[c] = Text(m, m.Below(4) ? m.Below(10) : Length(m, 0), m.Below(8) != 0);
        row[1] = m.Below(3) ? "/NOWHERE/" + row[1] : m.Below(2) ? keepFolder_ : "";
        if (!m.Below(3)) row[2] = "KEEP", row[3] = ".AVI";
        return row;
    }

    // A database as old programs, other editors and this one write it.
    std::string Database(Mix& m, bool canonical) {
        static const char* ends[] = {"\r\n", "\r\n", "\n", "\r", ""};
        std::string text;
        // A file of no lines is the blank register, which saves as its one blank row.
        const uint32_t lines = m.Below(m.Below(8) ? 12 : 60) + canonical;
        const uint32_t big = m.Below(6) ? UINT32_MAX : lines - 1; // after the rows it puts there
        for (uint32_t l = 0; l < lines; ++l) {
            Row row = RandomRow(m);
            if (canonical) {
                for (std::string& cell : row)
                    if (cell != keepFolder_) cell = Text(m, cell.size(), true);
                row[0] = PadLeft(std::to_string(l + 1), ' ', 5);
                text += Line(row) + "\r\n";
                continue;
            }
            // Past the 16-bit offsets of a line, and near the size of an arena block: a file
            // past 2 MiB also puts its blocks on a huge page, whose low bits are all clear.
            if (l == big) row[m.Below(12)] += std::string(m.Below(2) ? 65536 : (4 << 20) - 80, 'L');
            if (!m.Below(4)) row[0] = PadLeft(std::to_string(l + 1), ' ', 5);
            const uint32_t cells = m.Below(5) ? 12 : m.Below(15);
            for (uint32_t c = 0; c < cells; ++c)
                text += row[c % 12] + "^^";
            text += ends[m.Below(std::size(ends))];
        }
        return text;
    }

    // What a clean-up command leaves: the rows (1-based) for which `gone` holds removed, the
    // rest renumbered.
    template <typename Gone> void CleanUp(Gone gone) {
        std::vector<int> rows;
        for (int k = 1; k <= int(model_.size()); ++k)
            if (gone(k)) rows.push_back(k);
        Delete(model_, rows);
        Renumber(model_);
    }

    std::string Apply(VideoRegister& reg, const Step& s) {
        Mix m{uint64_t(s.b) << 32 | s.c};
        FakeShell shell;
        const int r = Pick(s.a), rows = int(model_.size());
        int col = int(s.b % 12);
        if (s.b & 0x100) { // the row's longest cell, where the room of a row changes most
            const Row& row = model_[size_t(r - 1)];
            col = int(std::max_element(row.begin(), row.end(),
                                       [](auto& x, auto& y) { return x.size() < y.size(); }) -
                      row.begin());
        }
        switch (s.op % kOps) {
        case kLoad: {
            const bool canonical = !m.Below(3);
            const std::string file = Database(m, canonical);
            Write("in.vdb", file);
            LoadRegister(reg, dir_ + "in.vdb");
            model_ = ParseFile(file);
            if (canonical) { // the format's own files come back byte for byte
                SaveRegister(reg, dir_ + "out.vdb");
                if (Read("out.vdb") != file) return "a database in the save format changed";
            }
            break;
        }
        case kTyped:
        case kRefused: {
            // A typed name or type keeps the file in its folder: no "/", not "." or "..".
            auto KeepsFileInFolder = [&](int row, int column, const std::string& typed) {
                const auto& cells = model_[size_t(row - 1)];
                const std::string file =
                    (column == 2 ? typed : cells[2]) + (column == 3 ? typed : cells[3]);
                return (column != 2 && column != 3) ||
                       (file.find('/') == std::string::npos && file != "." && file != "..");
            };
            std::string text = Text(m, Length(m, model_[size_t(r - 1)][size_t(col)].size()), true);
            if (s.op % kOps == kRefused) {
                static const char* faults[] = {"^", "^^x", "\r\n", "\n"};
                text += faults[m.Below(4)];
            } else if (KeepsFileInFolder(r, col, text)) {
                model_[size_t(r - 1)][size_t(col)] = text;
            }
            reg.setData(reg.index(r - 1, col), GbToQString(text), Qt::EditRole);
            break;
        }
        case kDirect: // once, or twice in a row (the second edit finds the room the first left)
            for (uint32_t k = 0, n = 1 + m.Below(2); k < n; ++k) {
                std::string text =
                    Text(m, Length(m, model_[size_t(r - 1)][size_t(col)].size()), false);
                if (col == 1 && !text.empty()) text = "/NOWHERE/" + text;
                if (m.Below(4) == 0 && col != 0) text = model_[size_t(r - 1)][0]; // its own number
                reg.SetCell(col, r, text);
                model_[size_t(r - 1)][size_t(col)] = text;
            }
            break;
        case kRenumber:
            RenumberRows(reg);
            Renumber(model_);
            break;
        case kInsertRow:
            InsertRow(reg, r);
            model_.insert(model_.begin() + (r - 1), Row());
            break;
        case kInsertBlank: {
            const int count = 1 + int(s.c % 5);
            reg.InsertBlankRows(r, count);
            model_.insert(model_.begin() + (r - 1), size_t(count), Row());
            break;
        }
        case kAppend: {
            std::vector<PackedRow> added;
            for (uint32_t k = 0, n = 1 + m.Below(20); k < n; ++k) {
                model_.push_back(RandomRow(m));
                std::array<std::string_view, 12> cells;
                std::copy(model_.back().begin(), model_.back().end(), cells.begin());
                added.emplace_back(cells);
            }
            reg.AppendRows(std::move(added));
            break;
        }
        case kDeleteRow:
            DeleteRow(reg, r);
            Delete(model_, {r});
            break;
        case kDeleteRows: {
            std::vector<int> gone;
            for (uint32_t k = 0, n = m.Below(uint32_t(rows) + 2); k < n; ++k)
                gone.push_back(1 + int(m.Below(uint32_t(rows))));
            DeleteRows(reg, gone);
            Delete(model_, gone);
            break;
        }
        case kDeleteSelected: {
            const int top = std::min(r, Pick(s.c)), bottom = std::max(r, Pick(s.c));
            reg.Cursor().SetSelection(GridRect{1, top, 11, bottom});
            DeleteSelectedRows(reg);
            CleanUp([&](int k) { return k >= top && k <= bottom; });
            break;
        }
        case kRemoveRepeated:
            RemoveRepeatedNames(reg, shell);
            CleanUp([&](int k) {
                return std::any_of(model_.begin(), model_.begin() + (k - 1), [&](const Row& above) {
                    return above[2] == model_[size_t(k - 1)][2];
                });
            });
            break;
        case kPurge:
            PurgeMissingFiles(reg, shell);
            CleanUp([&](int k) {
                const Row& row = model_[size_t(k - 1)];
                return row[1] != keepFolder_ || row[2] != "KEEP" || row[3] != ".AVI";
            });
            break;
        case kSort:
            return Sort(reg, s.c % 6);
        case kSwap:
            reg.SwapRows(r, Pick(s.c));
            std::swap(model_[size_t(r - 1)], model_[size_t(Pick(s.c) - 1)]);
            break;
        case kCopyRow:
            CopyRow(reg, r, Pick(s.c));
            model_[size_t(Pick(s.c) - 1)] = model_[size_t(r - 1)];
            break;
        case kResize: {
            const int count = 1 + int(s.c % size_t(rows + 5));
            reg.SetRowCount(count + 1);
            model_.resize(size_t(count));
            break;
        }
        case kSaveReload: {
            SaveRegister(reg, dir_ + "a.vdb");
            const std::string first = Read("a.vdb");
            if (first != File(model_)) return "the saved file differs from the model's";
            LoadRegister(reg, dir_ + "a.vdb");
            const Rows before = model_;
            model_ = ParseFile(first);
            if (std::string why = Compare(reg); !why.empty()) return "after the reload, " + why;
            SaveRegister(reg, dir_ + "b.vdb");
            if (model_ == before && Read("b.vdb") != first) return "the second save differs";
            if (Read("b.vdb") != File(model_)) return "the second save differs from the model's";
            break;
        }
        }
        return {};
    }

    // The sort's order of equal keys is its own; the rows must come out in order, the same
    // rows as before, renumbered.
    std::string Sort(VideoRegister& reg, uint32_t which) {
        static const SortOrder orders[] = {kSortByDir,  kSortByResolution, kSortByFileName,
                                           kSortBySize, kSortByTime,       kSortByType};
        const SortOrder order = orders[which];
        SortRegister(reg, order);
        Rows sorted;
        for (int r = 1; r <= reg.LastRow(); ++r) {
            Row row;
            for (int c = 0; c < 12; ++c)
                row[size_t(c)] = reg.Cell(c, r);
            sorted.push_back(row);
        }
        for (size_t r = 1; r < sorted.size(); ++r) {
            const int p = CompareSortCells(order.primary, sorted[r - 1][size_t(order.primary)],
                                           sorted[r][size_t(order.primary)]);
            if (p > 0 ||
                (p == 0 && CompareSortCells(order.secondary, sorted[r - 1][size_t(order.secondary)],
                                            sorted[r][size_t(order.secondary)]) > 0))
                return "the sort left row " + std::to_string(r + 1) + " out of order";
        }
        Rows mine = model_, theirs = sorted;
        for (Rows* rows : {&mine, &theirs}) {
            for (Row& row : *rows)
                row[0].clear(); // the numbers are rewritten
            std::sort(rows->begin(), rows->end());
        }
        if (mine != theirs) return "the sort changed the rows";
        model_ = sorted;
        Renumber(model_);
        return {};
    }

    std::string Compare(const VideoRegister& reg) const {
        if (reg.LastRow() != int(model_.size()))
            return std::to_string(reg.LastRow()) + " rows, the model " +
                   std::to_string(model_.size());
        for (int c = 0; c < 12; ++c)
            if (reg.Cell(c, 0) != ColumnTitles()[size_t(c)]) return "the header changed";
        for (int r = 1; r <= reg.LastRow(); ++r) {
            const Row& row = model_[size_t(r - 1)];
            for (int c = 0; c < 12; ++c)
                if (reg.Cell(c, r) != row[size_t(c)])
                    return "cell " + std::to_string(c) + " of row " + std::to_string(r) + " is \"" +
                           std::string(reg.Cell(c, r).substr(0, 40)) + "\", the model's \"" +
                           row[size_t(c)].substr(0, 40) + "\"";
            if (RowToLine(reg, r) != Line(row)) return "the line of row " + std::to_string(r);
        }
        return {};
    }

    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_ + name, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(dir_ + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string dir_, keepFolder_;
    Rows model_;
};

// Steps from any source of numbers: a seeded generator or a fuzzer's bytes.
template <typename Next> std::vector<Step> MakeSteps(size_t count, Next next) {
    std::vector<Step> steps(count);
    for (Step& s : steps)
        s = Step{uint8_t(next() % kOps), uint32_t(next()), uint32_t(next()), uint32_t(next())};
    return steps;
}

// A shortest list found by dropping runs of steps while the run still fails.
inline std::vector<Step> Shrink(Runner& runner, std::vector<Step> steps) {
    for (size_t run = steps.size() / 2; run >= 1; run /= 2)
        for (size_t at = 0; at + run <= steps.size();) {
            std::vector<Step> fewer = steps;
            fewer.erase(fewer.begin() + long(at), fewer.begin() + long(at + run));
            if (runner.Run(fewer))
                steps = std::move(fewer);
            else
                at += run;
        }
    return steps;
}

inline std::string Describe(const std::vector<Step>& steps) {
    std::string text;
    for (const Step& s : steps)
        text += "{" + std::to_string(s.op % kOps) + "," + std::to_string(s.a) + "," +
                std::to_string(s.b) + "," + std::to_string(s.c) + "} ";
    return text;
}

} // namespace model
