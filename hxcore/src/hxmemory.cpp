#include "hxcore/hxmemory.h"

#include <cstdlib>

void* hxMalloc(std::size_t size)
{
    // malloc(0) may give null, which callers would take for a failure.
    return std::malloc(size == 0 ? 1 : size);
}

void hxFree(void* block)
{
    std::free(block);
}
