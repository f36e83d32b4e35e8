#include "tests/support/AllocationCount.h"

#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define BRUMALUX_MALLOC_REPLACED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRUMALUX_MALLOC_REPLACED 1
#endif
#endif

namespace
{
thread_local int countingScopes = 0;
thread_local long allocations = 0;

void Count()
{
    allocations += countingScopes > 0 ? 1 : 0;
}
} // namespace

#ifdef BRUMALUX_MALLOC_REPLACED
void* operator new(std::size_t size)
{
    Count();
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}
#else
// C++'s new ends in malloc, so counting here sees both.
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

extern "C" void* malloc(size_t size)
{
    Count();
    return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size)
{
    Count();
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, size_t size)
{
    Count();
    return __libc_realloc(block, size);
}
#endif

namespace brumalux
{

ThreadAllocationCount::ThreadAllocationCount() : before(allocations)
{
    ++countingScopes;
}

ThreadAllocationCount::~ThreadAllocationCount()
{
    --countingScopes;
}

long ThreadAllocationCount::Count() const
{
    return allocations - before;
}

} // namespace brumalux
