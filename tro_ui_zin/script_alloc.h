#pragma once
// The allocator of the skin's Lua state: the C library's heap, with a countdown that makes a chosen
// allocation fail, so that the hostile-input tests can sweep an allocation failure over start-up,
// skin loads and callbacks.

#include <cstddef>

// The lua_Alloc of the script state.
void* script_alloc(void* ud, void* block, std::size_t old_size, std::size_t new_size);

// From now on, the n-th request for more memory (n >= 1) fails, and only that one; 0 turns the
// failure off. Shrinking and freeing never fail (the Lua core relies on that).
void script_alloc_fail_at(unsigned long n);
// Requests for more memory since the last script_alloc_fail_at call.
unsigned long script_alloc_requests();
