#pragma once
// What the engine supplies to the scripting library beside Lua itself. Skins were written for
// Lua 5.0; the library is Lua 5.1 built with our patch (cmake/lua-5.0-behaviour.patch), which gives
// Lua 5.0's language, error texts and libraries. The engine adds, under names of its own:
//
//   set_skin_dir  the file loader's part: every file that the library's loader opens (the skin,
//                 dofile, loadfile, require) is opened from inside the skin folder, by its wide
//                 name (a folder the ANSI code page cannot spell still loads)
//   load_file     the skin file itself, opened by its wide path
//   print         one output call per argument, no separators, no line end
//   open_base     the (patched) base library, with print sending to an output function
//   check_udata   the typed object fetch

#include <lua.h>
#include <lauxlib.h>

namespace lua_compat {

// A negative stack index (not a pseudo-index) made absolute, so that later pushes do not move it.
inline int absolute_index(lua_State* L, int index) {
    return (index < 0 && index > LUA_REGISTRYINDEX) ? lua_gettop(L) + index + 1 : index;
}

// Where print's output goes: a zero-terminated text.
using output_function = void (*)(const char* text);

// The skin folder (wide text, with its trailing backslash) that the library's file loader enters
// before it opens a file. Null or empty: the current directory is left as it is. The text is copied.
void set_skin_dir(const wchar_t* dir);
const wchar_t* skin_dir();

// Loads (compiles) the file at the wide path with the library's loader: the chunk is named by the
// path in the ANSI code page (error texts begin with it), the file is opened by the wide path.
// Returns the loader's status with the chunk or the message on the stack.
int load_file(lua_State* L, const wchar_t* path);

int print(lua_State* L);
int open_base(lua_State* L, output_function output);

// The libraries a skin gets, in their fixed order: math, string, base (print to output), table.
void open_libraries(lua_State* L, output_function output);

// The typed fetch: the object inside the full userdata at index whose metatable is registered
// under class_name. Anything else raises "<class_name> expected, got <name>", where name is the
// class registered for the value's metatable or "nil"; never returns null.
void* check_udata(lua_State* L, int index, const char* class_name);

}  // namespace lua_compat
