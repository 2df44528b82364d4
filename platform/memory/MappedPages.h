// Memory taken from the system in whole pages, for stores that manage their own blocks.
#pragma once

#include <cstddef>

// `length` bytes of zeroed private memory that begin at a multiple of `boundary` (0: at any
// page); nullptr when the system has none.
void* MapPages(size_t length, size_t boundary = 0);
void UnmapPages(void* begin, size_t length);
// Asks for huge pages over the range: a hint, without which the system uses small pages.
void HintHugePages(void* begin, size_t length);
