// The Compound File Binary container (version 3, 512-byte sectors) that holds a workbook:
// a root storage with one stream. The stream is padded to at least 4096 bytes so that it
// lives in regular sectors and no mini stream is needed. The file allocation table is
// located through the header's 109 entries and, for files over about 7 MB, through a chain
// of DIFAT sectors.
#pragma once

#include <functional>
#include <string_view>

// Receives the file in a few large pieces, in order.
using ByteSink = std::function<void(std::string_view)>;

// Writes the container with the one stream `name` (at most 31 UTF-16 units) holding `stream`.
void WriteCompoundFile(std::u16string_view name, std::string_view stream, const ByteSink& sink);
