// The --wrap targets: each counts the call and hands it to the real routine.

#include "alloc_count.h"

#include <cstddef>

namespace {
std::uint64_t g_allocations = 0;
}

extern "C" {
void* __real_malloc(std::size_t size);
void* __real_calloc(std::size_t count, std::size_t size);
void* __real_realloc(void* block, std::size_t size);

void* __wrap_malloc(std::size_t size) {
    ++g_allocations;
    return __real_malloc(size);
}
void* __wrap_calloc(std::size_t count, std::size_t size) {
    ++g_allocations;
    return __real_calloc(count, size);
}
void* __wrap_realloc(void* block, std::size_t size) {
    ++g_allocations;
    return __real_realloc(block, size);
}
}

namespace bench {
std::uint64_t allocation_count() { return g_allocations; }
}  // namespace bench
