#pragma once
// The shell allocator (task memory) and global memory blocks.
//
// Identifier lists cross between the shell and the product, so both sides
// allocate and free them here. The allocator counts its live blocks so that a
// test can assert that every list handed out was freed.

#include "platform/com/Types.h"

#include <cstddef>
#include <memory>

namespace platform::com {

// Null when the memory cannot be had. Blocks are not zeroed.
void* TaskMemAlloc(std::size_t size);
void TaskMemFree(void* block);
// Blocks allocated and not yet freed, over the whole process.
long TaskMemLiveBlocks();

struct TaskMemDeleter {
    void operator()(void* block) const { TaskMemFree(block); }
};
template <class T>
using TaskMemPtr = std::unique_ptr<T, TaskMemDeleter>;

} // namespace platform::com

// A global memory block: a sized heap block, owned by whoever the call that
// hands it out names (for a data transfer medium: the receiver).
struct GlobalBlock;
using HGLOBAL = GlobalBlock*;

namespace platform::com {

// Zero-filled block of `size` bytes; null when the memory cannot be had.
HGLOBAL GlobalAlloc(std::size_t size);
void GlobalFree(HGLOBAL block);
std::size_t GlobalSize(HGLOBAL block);
BYTE* GlobalData(HGLOBAL block);
long GlobalLiveBlocks();

struct GlobalDeleter {
    void operator()(HGLOBAL block) const { GlobalFree(block); }
};
using GlobalPtr = std::unique_ptr<GlobalBlock, GlobalDeleter>;

} // namespace platform::com
