#pragma once
// Creating the skin's Lua state and loading the skin script.
//
// The state gets the math, string, base and table libraries, in this order (Lua 5.0's libraries,
// print sending to the host console, lua_compat.h), then the script interface. No other library
// (input/output, operating system, debug, dynamic loading) is available to skins.

#include <windows.h>

#include <lua.h>

// The call hook: traces calls of named script functions (after the main chunk ran).
void lua_trace_hook(lua_State* L, lua_Debug* ar);

// Makes the state and loads (compiles, does not run) the skin file, opened by its wide path (the
// chunk is named by the path in the system ANSI code page). On success g_lua is the state (the
// compiled chunk on its stack) and true is returned; on a load error a message box shows the
// library's message, the state is closed, g_lua is left as it was, and false is returned.
bool load_lua(const wchar_t* skin_path);

namespace skin_load {

// A new state with the libraries and the script interface; null when no state could be made.
lua_State* new_script_state();

// Registers the global functions and script classes, in their fixed order.
void register_script_interface(lua_State* L);

// Runs the compiled chunk that load_lua left on g_lua (protected, no arguments, no results).
// A script error: the execute message box with the message, the state closed (close_state), false.
// Success: the call hook is installed for call and return events (so only what runs after the
// main chunk is traced), true. Checking that the skin defined a window is the caller's part.
bool run_skin_chunk();

// Closes g_lua (when there is one) and sets it to null afterwards. The freed-slot list and the
// window lists are emptied first; the slots that objects free while the state closes are reused by
// the next skin (whose registry is empty at them). Safe to repeat, and safe when called again while
// closing.
void close_state();

// Where the engine's message boxes go: MessageBoxW by default; tests replace it. The loader's boxes
// have no owner; the reload cycle's "Retry ?" belongs to the preferences page.
using message_box_function = int (*)(const wchar_t* text, const wchar_t* caption, unsigned type);
message_box_function set_message_box(message_box_function function);
int show_message_box(const wchar_t* text, const wchar_t* caption, unsigned type, HWND owner = nullptr);

}  // namespace skin_load
