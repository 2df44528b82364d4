// Little-endian fields of the binary file formats the export writes (the compound file
// container and the workbook records).
#pragma once

#include <cstdint>
#include <string>

inline void PutU8(std::string& out, uint8_t v) {
    out.push_back(char(v));
}

inline void PutU16(std::string& out, uint16_t v) {
    out.push_back(char(v & 0xFF));
    out.push_back(char(v >> 8));
}

inline void PutU32(std::string& out, uint32_t v) {
    PutU16(out, uint16_t(v & 0xFFFF));
    PutU16(out, uint16_t(v >> 16));
}

inline void SetU16(std::string& out, size_t pos, uint16_t v) {
    out[pos] = char(v & 0xFF);
    out[pos + 1] = char(v >> 8);
}

inline void SetU32(std::string& out, size_t pos, uint32_t v) {
    SetU16(out, pos, uint16_t(v & 0xFFFF));
    SetU16(out, pos + 2, uint16_t(v >> 16));
}
