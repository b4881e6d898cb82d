#include "base/memory.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>

namespace Memory {

namespace {

constexpr size_t hugePage = size_t(2) << 20;

void* allocate(size_t bytes)
{
    if (bytes < hugePage)
        return std::malloc(bytes);
    const size_t rounded = (bytes + hugePage - 1) & ~(hugePage - 1);
    void* p = nullptr;
    if (posix_memalign(&p, hugePage, rounded) != 0)
        return nullptr;
    madvise(p, rounded, MADV_HUGEPAGE);
    return p;
}

void release(void* p)
{
    std::free(p);
}

} // namespace

QImage image(QSize size, QImage::Format format)
{
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    const qsizetype bytesPerLine = ((qsizetype(size.width()) * depth + 31) / 32) * 4;
    const qsizetype bytes = bytesPerLine * size.height();
    if (size.isEmpty() || bytes < qsizetype(hugePage))
        return QImage(size, format);
    void* pixels = allocate(size_t(bytes));
    if (!pixels)
        return QImage(size, format);
    return QImage(static_cast<uchar*>(pixels), size.width(), size.height(), bytesPerLine, format, release,
                  pixels);
}

unsigned char* scratch(Scratch purpose, size_t bytes)
{
    struct Buffer
    {
        void* data = nullptr;
        size_t size = 0;
        ~Buffer() { release(data); }
    };
    thread_local Buffer buffers[int(Scratch::Count)];
    Buffer& b = buffers[int(purpose)];
    if (b.size < bytes) {
        release(b.data);
        b.data = allocate(bytes);
        b.size = b.data ? bytes : 0;
    }
    return static_cast<unsigned char*>(b.data);
}

void keepFreedBuffers(size_t retained, size_t hugeReserve)
{
    // Blocks up to 256 MiB come from the heap rather than from mappings of their own, and the heap
    // is not trimmed below `retained` bytes of free space.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, int(std::min<size_t>(retained, size_t(1) << 30)));
    if (hugeReserve == 0)
        return;
    // Every thread allocates from the one heap, grown at once, its pages marked for huge pages,
    // and handed back to the allocator: pages count towards memory only once touched, and a large
    // image then faults in a few 2 MiB pages rather than a thousand of 4 KiB.
    mallopt(M_ARENA_MAX, 1);
    const size_t reserve = hugeReserve;
    if (void* block = std::malloc(reserve)) {
        const uintptr_t start = (reinterpret_cast<uintptr_t>(block) + hugePage - 1) & ~(hugePage - 1);
        const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + reserve) & ~(hugePage - 1);
        if (end > start)
            madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
        std::free(block);
    }
}

void handBack()
{
    malloc_trim(0);
}

} // namespace Memory
