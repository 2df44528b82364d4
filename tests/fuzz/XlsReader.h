// A reader of the structure of .xls files, written from the container and record layouts
// and not from our writer, for the workbook fuzz target: it walks the compound file (header,
// DIFAT, FAT, directory, stream chain) and the BIFF8 records of the "Workbook" stream
// (BOF/EOF nesting, BOUNDSHEET offsets, SST with CONTINUE, LABELSST) and gives back the text
// cells of every sheet. Anything malformed is reported as an error text.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xlsread {

struct Sheet {
    std::u16string name;
    // (row, column) -> (text, XF index)
    std::map<std::pair<int, int>, std::pair<std::u16string, int>> cells;
};

struct Book {
    std::string error; // empty when the file is well formed
    std::vector<Sheet> sheets;
};

namespace detail {

inline uint32_t U16(std::string_view b, size_t at) {
    return uint8_t(b[at]) | uint32_t(uint8_t(b[at + 1])) << 8;
}
inline uint32_t U32(std::string_view b, size_t at) {
    return U16(b, at) | U16(b, at + 2) << 16;
}

constexpr uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatSect = 0xFFFFFFFD,
                   kDifSect = 0xFFFFFFFC;

struct Fail {
    std::string what;
};

// The "Workbook" stream of a version 3 compound file.
inline std::string WorkbookStream(std::string_view f) {
    if (f.size() < 1024 || f.size() % 512 != 0) throw Fail{"file size not whole sectors"};
    if (f.substr(0, 8) != std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        throw Fail{"signature"};
    if (U16(f, 0x1A) != 3 || U16(f, 0x1C) != 0xFFFE || U16(f, 0x1E) != 9)
        throw Fail{"version, byte order or sector size"};
    const uint32_t sectors = uint32_t(f.size() / 512 - 1);
    auto sector = [&](uint32_t s) {
        if (s >= sectors) throw Fail{"sector number past the end"};
        return f.substr(size_t(s + 1) * 512, 512);
    };
    // FAT sector numbers: 109 in the header, the rest in the DIFAT chain.
    const uint32_t fatCount = U32(f, 0x2C);
    std::vector<uint32_t> fatSectors, difSectors;
    for (int i = 0; i < 109 && fatSectors.size() < fatCount; ++i)
        fatSectors.push_back(U32(f, 0x4C + 4 * size_t(i)));
    for (uint32_t d = U32(f, 0x44), n = 0; fatSectors.size() < fatCount; ++n) {
        if (n >= U32(f, 0x48) || d == kEnd) throw Fail{"DIFAT chain too short"};
        difSectors.push_back(d);
        auto s = sector(d);
        for (int i = 0; i < 127 && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(U32(s, 4 * size_t(i)));
        d = U32(s, 508);
    }
    std::vector<uint32_t> fat;
    for (uint32_t s : fatSectors) {
        auto bytes = sector(s);
        for (size_t i = 0; i < 512; i += 4)
            fat.push_back(U32(bytes, i));
    }
    if (fat.size() < sectors) throw Fail{"FAT does not cover the file"};
    for (uint32_t s : fatSectors)
        if (fat[s] != kFatSect) throw Fail{"FAT sector not marked in the FAT"};
    for (uint32_t s : difSectors)
        if (fat[s] != kDifSect) throw Fail{"DIFAT sector not marked in the FAT"};
    for (size_t s = sectors; s < fat.size(); ++s)
        if (fat[s] != kFree) throw Fail{"FAT entry past the end in use"};

    std::set<uint32_t> used;
    auto chain = [&](uint32_t start, size_t bytes) {
        std::string data;
        for (uint32_t s = start; s != kEnd; s = fat[s]) {
            if (s >= sectors || !used.insert(s).second) throw Fail{"broken or shared chain"};
            data.append(sector(s));
        }
        if (data.size() < bytes || data.size() >= bytes + 512)
            throw Fail{"chain length does not fit the size"};
        return data.substr(0, bytes);
    };
    std::string dir;
    for (uint32_t s = U32(f, 0x30); s != kEnd; s = fat[s]) {
        if (s >= sectors || !used.insert(s).second) throw Fail{"broken directory chain"};
        dir.append(sector(s));
    }
    if (dir.size() < 128 || uint8_t(dir[0x42]) != 5) throw Fail{"no root entry"};
    for (size_t e = 128; e + 128 <= dir.size(); e += 128) {
        const uint32_t nameBytes = U16(dir, e + 0x40);
        if (uint8_t(dir[e + 0x42]) != 2 || nameBytes != 18) continue;
        std::u16string name;
        for (size_t i = 0; i < 8; ++i)
            name += char16_t(U16(dir, e + 2 * i));
        if (name != u"Workbook") continue;
        const uint32_t size = U32(dir, e + 0x78);
        if (size < 4096) throw Fail{"stream below the mini-stream cutoff"};
        return chain(U32(dir, e + 0x74), size);
    }
    throw Fail{"no Workbook stream"};
}

// Record reader over the stream.
struct Records {
    std::string_view s;
    size_t pos = 0;
    uint16_t id = 0;
    std::string_view data;
    bool Next() {
        if (pos == s.size()) return false;
        if (pos + 4 > s.size()) throw Fail{"cut record header"};
        id = uint16_t(U16(s, pos));
        size_t len = U16(s, pos + 2);
        if (len > 8224 || pos + 4 + len > s.size()) throw Fail{"record too long"};
        data = s.substr(pos + 4, len);
        pos += 4 + len;
        return true;
    }
};

// The SST: its strings, read across CONTINUE records.
inline std::vector<std::u16string> SharedStrings(Records& r) {
    std::string_view d = r.data;
    if (d.size() < 8) throw Fail{"short SST"};
    const uint32_t unique = U32(d, 4);
    size_t at = 8;
    std::vector<std::u16string> strings;
    auto nextPiece = [&] {
        size_t save = r.pos;
        if (!r.Next() || r.id != 0x003C) {
            r.pos = save;
            throw Fail{"SST string runs past its records"};
        }
        d = r.data;
        at = 0;
    };
    while (strings.size() < unique) {
        if (at == d.size()) nextPiece();
        if (at + 3 > d.size()) throw Fail{"string header split"};
        size_t cch = U16(d, at);
        uint8_t flags = uint8_t(d[at + 2]);
        at += 3;
        if (flags & 0x0C) throw Fail{"rich or extended strings not expected"};
        bool wide = flags & 1;
        std::u16string text;
        while (text.size() < cch) {
            if (at == d.size()) {
                nextPiece();
                wide = d[at++] & 1; // a continued string starts with its option byte again
            }
            size_t unit = wide ? 2 : 1;
            while (text.size() < cch && at + unit <= d.size()) {
                text += char16_t(wide ? U16(d, at) : uint8_t(d[at]));
                at += unit;
            }
            if (text.size() < cch && at != d.size()) throw Fail{"character split"};
        }
        strings.push_back(std::move(text));
    }
    if (at != d.size()) throw Fail{"bytes after the last SST string"};
    return strings;
}

} // namespace detail

inline Book Read(std::string_view file) {
    using namespace detail;
    Book book;
    try {
        const std::string stream = WorkbookStream(file);
        Records r{stream, 0, 0, {}};
        if (!r.Next() || r.id != 0x0809 || r.data.size() < 4 || U16(r.data, 0) != 0x0600 ||
            U16(r.data, 2) != 0x0005)
            throw Fail{"no workbook BOF"};
        std::vector<std::pair<uint32_t, std::u16string>> bounds;
        std::vector<std::u16string> sst;
        bool sawSst = false;
        while (r.Next() && r.id != 0x000A) {
            if (r.id == 0x0085) {
                std::string_view d = r.data;
                if (d.size() < 8) throw Fail{"short BOUNDSHEET"};
                size_t cch = uint8_t(d[6]);
                bool wide = d[7] & 1;
                if (d.size() != 8 + cch * (wide ? 2 : 1)) throw Fail{"BOUNDSHEET name size"};
                std::u16string name;
                for (size_t i = 0; i < cch; ++i)
                    name += char16_t(wide ? U16(d, 8 + 2 * i) : uint8_t(d[8 + i]));
                bounds.emplace_back(U32(d, 0), name);
            } else if (r.id == 0x00FC) {
                sst = SharedStrings(r);
                sawSst = true;
            }
        }
        if (r.id != 0x000A) throw Fail{"globals without EOF"};
        if (!sawSst) throw Fail{"no SST"};
        for (const auto& [offset, name] : bounds) {
            Records s{stream, offset, 0, {}};
            if (!s.Next() || s.id != 0x0809 || s.data.size() < 4 || U16(s.data, 2) != 0x0010)
                throw Fail{"BOUNDSHEET offset does not point at a sheet BOF"};
            Sheet sheet{name, {}};
            while (s.Next() && s.id != 0x000A) {
                if (s.id == 0x0809) throw Fail{"nested BOF"};
                if (s.id != 0x00FD) continue;
                if (s.data.size() != 10) throw Fail{"LABELSST size"};
                uint32_t index = U32(s.data, 6);
                if (index >= sst.size()) throw Fail{"LABELSST index past the SST"};
                auto key = std::make_pair(int(U16(s.data, 0)), int(U16(s.data, 2)));
                if (!sheet.cells.emplace(key, std::make_pair(sst[index], int(U16(s.data, 4))))
                         .second)
                    throw Fail{"two cells at one position"};
            }
            if (s.id != 0x000A) throw Fail{"sheet without EOF"};
            book.sheets.push_back(std::move(sheet));
        }
    } catch (const Fail& f) {
        book.error = f.what;
    }
    return book;
}

} // namespace xlsread
