#pragma once

#include <QImage>

// Large buffers backed by transparent huge pages where the system gives them on request: each
// fresh 4 KiB page costs a page fault, and a 1024 x 1024 picture has a thousand of them; a 2 MiB
// page is one.
namespace Memory {

// A new image of `size` and `format` (uninitialised, as QImage's own), its pixels in huge pages
// when it is large.
QImage image(QSize size, QImage::Format format);

// What a thread's scratch memory is for: one buffer each, so that one use never overwrites another.
enum class Scratch {
    FilteredRows, // an image's rows, filtered for deflating
    Deflated,     // the deflated rows kept
    InflatedRows, // a decoded file's rows
    Count
};

// `bytes` bytes of scratch memory kept with the calling thread for `purpose`, in huge pages when
// large; valid until the thread asks again for the same purpose.
unsigned char* scratch(Scratch purpose, size_t bytes);

// Keeps freed large buffers (up to `retained` bytes of them) in the process for the next ones,
// rather than returning each to the system and faulting fresh pages in for the next: the program
// makes and drops images of megabytes at every step. With `hugeReserve`, for a short run, every
// thread allocates from one heap grown at once by that much in huge pages.
void keepFreedBuffers(size_t retained, size_t hugeReserve = 0);

// Returns the free memory the allocator holds to the system: for a long-lived process (the window)
// after it has made and dropped the buffers of a large picture.
void handBack();

} // namespace Memory
