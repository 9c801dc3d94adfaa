#pragma once
// Debug lines of the script binding and loader: formatted text through the one debug-output routine.

#include <debug.h>

namespace lua_class {

// printf-style line to the debug output. The text is cut to a fixed size, never overrun.
void debug_printf(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

}  // namespace lua_class
