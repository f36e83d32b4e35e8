#pragma once

namespace brumalux
{

// Counts the heap allocations the calling thread makes while it lives, so a test can hold
// the audio thread's work to none. Every malloc, calloc and realloc is counted (JUCE's
// buffers call malloc directly); in the sanitizer builds, which own malloc, only C++'s new.
// Linking this file replaces the process's allocation functions.
class ThreadAllocationCount
{
public:
    ThreadAllocationCount();
    ~ThreadAllocationCount();
    ThreadAllocationCount(const ThreadAllocationCount&) = delete;
    ThreadAllocationCount& operator=(const ThreadAllocationCount&) = delete;

    long Count() const;

private:
    const long before;
};

} // namespace brumalux
