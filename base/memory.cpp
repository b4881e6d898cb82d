#include "base/memory.h"

#include <algorithm>
#include <cstdlib>
#include <malloc.h>

namespace Memory {

unsigned char* scratch(Scratch purpose, size_t bytes)
{
    struct Buffer
    {
        void* data = nullptr;
        size_t size = 0;
        ~Buffer() { std::free(data); }
    };
    thread_local Buffer buffers[int(Scratch::Count)];
    Buffer& b = buffers[int(purpose)];
    if (b.size < bytes) {
        std::free(b.data);
        b.data = std::malloc(bytes);
        b.size = b.data ? bytes : 0;
    }
    return static_cast<unsigned char*>(b.data);
}

void keepFreedBuffers(size_t retained)
{
    // Blocks up to 256 MiB come from the heap rather than from mappings of their own, and the heap
    // is not trimmed below `retained` bytes of free space. Every thread allocates from the one
    // heap, so that a buffer one thread lets go serves the next another asks for.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, int(std::min<size_t>(retained, size_t(1) << 30)));
    mallopt(M_ARENA_MAX, 1);
}

void handBack()
{
    malloc_trim(0);
}

} // namespace Memory
