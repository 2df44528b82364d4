#include "platform/memory/MappedPages.h"

#include <cstdint>
#include <sys/mman.h>

void* MapPages(size_t length, size_t boundary) {
    void* memory = mmap(nullptr, length + boundary, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return nullptr;
    char* const mapped = static_cast<char*>(memory);
    char* begin = mapped;
    if (boundary) {
        // The slack before and after the aligned part goes back to the system.
        begin += (boundary - reinterpret_cast<uintptr_t>(mapped) % boundary) % boundary;
        if (begin > mapped) munmap(mapped, size_t(begin - mapped));
        munmap(begin + length, size_t(mapped + boundary - begin));
    }
    return begin;
}

void UnmapPages(void* begin, size_t length) {
    munmap(begin, length);
}

void HintHugePages(void* begin, size_t length) {
    madvise(begin, length, MADV_HUGEPAGE);
}
