#pragma once

#include "hxcore/hxglobal.h"

#include <cstddef>

// Raw storage for containers that move their elements as bytes. A failed
// allocation gives null instead of throwing, so the caller decides what an
// exhausted heap means; a request for zero bytes still gives a block.
HXCORE_EXPORT void* hxMalloc(std::size_t size);
// Releases a block from hxMalloc; null is ignored.
HXCORE_EXPORT void hxFree(void* block);
