// BIFF8 records of the workbook stream: each is a 2-byte id, a 2-byte data length and at most
// 8,224 bytes of data; longer contents go on in CONTINUE records.
#pragma once

#include "export/LittleEndian.h"

#include <cstdint>
#include <string>

namespace biff {
constexpr size_t kMaxRecordData = 8224;

enum RecordId : uint16_t {
    rtEOF = 0x000A,
    rtCONTINUE = 0x003C,
    rtWINDOW1 = 0x003D,
    rtFONT = 0x0031,
    rtCODEPAGE = 0x0042,
    rtBOUNDSHEET = 0x0085,
    rtXF = 0x00E0,
    rtSST = 0x00FC,
    rtLABELSST = 0x00FD,
    rtEXTSST = 0x00FF,
    rtDIMENSIONS = 0x0200,
    rtWINDOW2 = 0x023E,
    rtSTYLE = 0x0293,
    rtBOF = 0x0809,
};

// Starts a record; returns the position of its header for EndRecord.
inline size_t BeginRecord(std::string& out, RecordId id) {
    size_t at = out.size();
    PutU16(out, id);
    PutU16(out, 0);
    return at;
}

// Fills in the data length of the record begun at `at`.
inline void EndRecord(std::string& out, size_t at) {
    SetU16(out, at + 2, uint16_t(out.size() - at - 4));
}
} // namespace biff
