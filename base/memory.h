#pragma once

#include <cstddef>

// Memory kept for reuse. A fresh page costs a fault and the system's zeroing of it, which on a
// virtual machine whose host takes back the guest's free memory is as dear as the work done in it;
// so buffers are kept where they are wanted again. Huge pages are not asked for: such a host takes
// back free memory in 2 MiB blocks, and a fault on one costs it ten times the small pages' zeroing.
namespace Memory {

// What a thread's scratch memory is for: one buffer each, so that one use never overwrites another.
enum class Scratch {
    FilteredRows, // an image's rows, filtered for deflating
    Deflated,     // the deflated rows kept
    Trial,        // rows deflated another way, to compare
    InflatedRows, // a decoded file's rows
    Count
};

// `bytes` bytes of scratch memory kept with the calling thread for `purpose`; valid until the thread
// asks again for the same purpose.
unsigned char* scratch(Scratch purpose, size_t bytes);

// Keeps freed large buffers (up to `retained` bytes of them) in the process for the next ones,
// rather than returning each to the system and faulting fresh pages in for the next: a short run
// (the command line) makes and drops images of megabytes at every step.
void keepFreedBuffers(size_t retained);

// Returns the free memory the allocator holds to the system: for a long-lived process (the window)
// after it has made and dropped the buffers of a large picture.
void handBack();

} // namespace Memory
