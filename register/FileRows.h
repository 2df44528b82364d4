// The rows of a database file, made on two threads. The file is read in chunks, each into a
// block of its own, on a second thread while the calling thread makes the rows of the first
// chunks; once the file is read, the second thread makes the rows of the last chunks until
// the two meet. Each chunk's rows are made by one thread, so a block counts its rows without
// any locking.
#pragma once

#include "platform/fs/Paths.h"
#include "register/PackedRow.h"

#include <cstddef>
#include <vector>

// What one thread may be left to do alone at the end is about one chunk.
constexpr size_t kRowChunkBytes = size_t(4) << 20;

// Appends the rows of the file's lines to `rows`, in file order; true when there are rows
// and each new row's first cell holds its number (from 1) in the form that RenumberRows
// writes. Throws EFileError as OpenRegularFile and ReadFully do, once both threads have
// stopped.
bool ReadFileRows(const RealPath& path, std::vector<PackedRow>& rows,
                  size_t chunkBytes = kRowChunkBytes);
