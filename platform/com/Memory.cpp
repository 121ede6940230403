#include "platform/com/Memory.h"

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

struct GlobalBlock {
    std::vector<BYTE> bytes;
};

namespace platform::com {

namespace {
std::atomic<long> g_taskBlocks{0};
std::atomic<long> g_globalBlocks{0};
} // namespace

void* TaskMemAlloc(std::size_t size)
{
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr)
        g_taskBlocks.fetch_add(1, std::memory_order_relaxed);
    return block;
}

void TaskMemFree(void* block)
{
    if (block == nullptr)
        return;
    g_taskBlocks.fetch_sub(1, std::memory_order_relaxed);
    std::free(block);
}

long TaskMemLiveBlocks()
{
    return g_taskBlocks.load(std::memory_order_relaxed);
}

HGLOBAL GlobalAlloc(std::size_t size)
{
    auto* block = new (std::nothrow) GlobalBlock;
    if (block == nullptr)
        return nullptr;
    try {
        block->bytes.assign(size, 0);
    } catch (const std::bad_alloc&) {
        delete block;
        return nullptr;
    }
    g_globalBlocks.fetch_add(1, std::memory_order_relaxed);
    return block;
}

void GlobalFree(HGLOBAL block)
{
    if (block == nullptr)
        return;
    g_globalBlocks.fetch_sub(1, std::memory_order_relaxed);
    delete block;
}

std::size_t GlobalSize(HGLOBAL block)
{
    return block == nullptr ? 0 : block->bytes.size();
}

BYTE* GlobalData(HGLOBAL block)
{
    return block == nullptr ? nullptr : block->bytes.data();
}

long GlobalLiveBlocks()
{
    return g_globalBlocks.load(std::memory_order_relaxed);
}

} // namespace platform::com

#include "platform/com/ShellTypes.h"
#include "platform/com/Unknown.h"

void ReleaseStgMedium(STGMEDIUM* medium)
{
    if (medium == nullptr)
        return;
    if (medium->pUnkForRelease != nullptr)
        medium->pUnkForRelease->Release();
    else if (medium->tymed == TYMED_HGLOBAL)
        platform::com::GlobalFree(medium->hGlobal);
    medium->tymed = TYMED_NULL;
    medium->hGlobal = nullptr;
    medium->pUnkForRelease = nullptr;
}
