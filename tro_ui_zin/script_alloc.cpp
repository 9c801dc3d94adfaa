#include "script_alloc.h"

#include <cstdlib>

namespace {

unsigned long g_fail_at = 0;   // 0: never
unsigned long g_requests = 0;  // requests to grow since the countdown was set

}  // namespace

void* script_alloc(void*, void* block, std::size_t old_size, std::size_t new_size) {
    if (new_size == 0) {
        std::free(block);
        return nullptr;
    }
    if (new_size > old_size || block == nullptr) {
        ++g_requests;
        if (g_requests == g_fail_at) return nullptr;
    }
    return std::realloc(block, new_size);
}

void script_alloc_fail_at(unsigned long n) {
    g_fail_at = n;
    g_requests = 0;
}

unsigned long script_alloc_requests() { return g_requests; }
