#pragma once
// Counts the heap allocations (malloc, calloc, realloc) that the statically linked code makes: the
// benchmark programs are linked with --wrap for these three, which routes every call from our own
// object files and static libraries through the counters. Calls made inside the C++ runtime DLL
// (operator new of the standard containers used by the harness) are not counted.

#include <cstdint>

namespace bench {

// Allocation calls since the program started.
std::uint64_t allocation_count();

}  // namespace bench
