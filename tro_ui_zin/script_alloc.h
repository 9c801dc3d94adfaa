#pragma once
// The allocator of the skin's Lua state: the C library's heap, with a countdown that makes a chosen
// allocation fail, so that the hostile-input tests can sweep an allocation failure over start-up,
// skin loads and callbacks.

#include <cstddef>

// What the script states may hold together. A skin needs a few megabytes; the limit keeps a script
// that takes all it can get from starving the process it shares with the host.
constexpr std::size_t kScriptHeapLimit = std::size_t(256) << 20;

// The lua_Alloc of the script state: a request beyond the limit fails (a script error).
void* script_alloc(void* ud, void* block, std::size_t old_size, std::size_t new_size);

// From now on, the n-th request for more memory (n >= 1) fails, and only that one; 0 turns the
// failure off. Shrinking and freeing never fail (the Lua core relies on that).
void script_alloc_fail_at(unsigned long n);
// Requests for more memory since the last script_alloc_fail_at call.
unsigned long script_alloc_requests();
// Bytes the script states hold now.
std::size_t script_heap_in_use();
