#include "script_alloc.h"

#include <cstdlib>

namespace {

unsigned long g_fail_at = 0;   // 0: never
unsigned long g_requests = 0;  // requests to grow since the countdown was set
std::size_t g_in_use = 0;      // bytes the script states hold

}  // namespace

void* script_alloc(void*, void* block, std::size_t old_size, std::size_t new_size) {
    // Lua passes the old size 0 with a null block.
    const std::size_t held = block ? old_size : 0;
    if (new_size == 0) {
        std::free(block);
        g_in_use -= held;
        return nullptr;
    }
    if (new_size > held) {
        ++g_requests;
        if (g_requests == g_fail_at) return nullptr;
        // A script that takes all it can get stops here, before the host, the system and the
        // engine's own lists run out.
        if (new_size - held > kScriptHeapLimit - g_in_use) return nullptr;
    }
    void* result = std::realloc(block, new_size);
    // (The result is used here: the call stays a call, which the heap-failure tests tell apart.)
    if (result) g_in_use = g_in_use - held + new_size;
    return result;
}

void script_alloc_fail_at(unsigned long n) {
    g_fail_at = n;
    g_requests = 0;
}

unsigned long script_alloc_requests() { return g_requests; }

std::size_t script_heap_in_use() { return g_in_use; }
