#include "CountedMalloc.h"

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define BRUMALUX_MALLOC_REPLACED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRUMALUX_MALLOC_REPLACED 1
#endif
#endif

namespace
{
thread_local bool counting = false;
thread_local int allocations = 0;
} // namespace

#ifndef BRUMALUX_MALLOC_REPLACED
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

extern "C" void* malloc(size_t size)
{
    allocations += counting ? 1 : 0;
    return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size)
{
    allocations += counting ? 1 : 0;
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, size_t size)
{
    allocations += counting ? 1 : 0;
    return __libc_realloc(block, size);
}
#endif

namespace brumalux::CountedMalloc
{
bool Available()
{
#ifdef BRUMALUX_MALLOC_REPLACED
    return false;
#else
    return true;
#endif
}

void Start()
{
    allocations = 0;
    counting = true;
}

int Stop()
{
    counting = false;
    return allocations;
}
} // namespace brumalux::CountedMalloc
