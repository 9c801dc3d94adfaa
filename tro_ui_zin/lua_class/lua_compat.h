#pragma once
// Our own versions of the scripting library functions that behave differently in the skin engine
// from the stock library (skins were written for Lua 5.0; the engine runs Lua 5.1). They carry our
// own names: the library's symbols are never redefined.
//
//   load_file    the script-file loader: changes into the skin folder before every file it opens
//   print        one output call per argument, no separators, no line end
//   open_base    the stock base library, then print, dofile, loadfile, require (Lua 5.0 style) and
//                an empty _LOADED table
//   check_udata  the typed object fetch
//
// open_table opens the stock table library and keeps the Lua 5.0 size rules (the "n" field) of
// table.getn, table.setn, table.insert and table.remove.

#include <lua.h>
#include <lauxlib.h>

namespace lua_compat {

// A negative stack index (not a pseudo-index) made absolute, so that later pushes do not move it.
inline int absolute_index(lua_State* L, int index) {
    return (index < 0 && index > LUA_REGISTRYINDEX) ? lua_gettop(L) + index + 1 : index;
}

// Where print's output goes: a zero-terminated text.
using output_function = void (*)(const char* text);

// The skin folder (wide text, with its trailing backslash) that load_file enters before it opens a
// file. Null or empty: the current directory is left as it is. The text is copied.
void set_skin_dir(const wchar_t* dir);
const wchar_t* skin_dir();

int load_file(lua_State* L, const char* name);
int print(lua_State* L);
int open_base(lua_State* L, output_function output);
int open_table(lua_State* L);

// The typed fetch: the object inside the full userdata at index whose metatable is registered
// under class_name. Anything else raises "<class_name> expected, got <name>"; never returns null.
void* check_udata(lua_State* L, int index, const char* class_name);

// Argument errors with the texts of Lua 5.0:
//   "bad argument #<n> to `<function>' (<message>)", or "calling `<method>' on bad self (<message>)".
[[noreturn]] void arg_error(lua_State* L, int narg, const char* message);
// "<expected> expected, got <type name of the argument>" as an argument error.
[[noreturn]] void type_error(lua_State* L, int narg, const char* expected);

}  // namespace lua_compat
