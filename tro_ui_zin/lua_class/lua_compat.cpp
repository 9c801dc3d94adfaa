// What the engine supplies to the scripting library beside Lua itself (see lua_compat.h).
//
// open_base
//   1. Remember the output function of print.
//   2. Open the library's base (Lua 5.0's functions, the coroutine table, an empty _LOADED).
//   3. Replace print.

#include "lua_compat.h"

#include <lualib.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace lua_compat {

namespace {

wchar_t* g_skin_dir = nullptr;      // the skin folder with its trailing backslash; null: none
output_function g_print_output = nullptr;

// The library's file loader calls this before it opens a file: relative names resolve against
// the skin folder, and the process's current directory stays there afterwards.
void enter_skin_dir(const char*) {
    if (g_skin_dir && g_skin_dir[0]) SetCurrentDirectoryW(g_skin_dir);
}

void open_library(lua_State* L, lua_CFunction opener, const char* name) {
    lua_pushcfunction(L, opener);
    lua_pushstring(L, name);
    lua_call(L, 1, 0);
}

}  // namespace

void set_skin_dir(const wchar_t* dir) {
    wchar_t* copy = dir ? wcsdup(dir) : nullptr;
    free(g_skin_dir);
    g_skin_dir = copy;
    luaL_setfileopenhook(&enter_skin_dir);
}

const wchar_t* skin_dir() { return g_skin_dir; }

int print(lua_State* L) {
    const int n = lua_gettop(L);
    lua_getglobal(L, "tostring");
    // Stack: [arguments..., tostring]
    for (int i = 1; i <= n; ++i) {
        lua_pushvalue(L, -1);
        lua_pushvalue(L, i);
        lua_call(L, 1, 1);
        // Stack: [arguments..., tostring, text]
        const char* text = lua_tostring(L, -1);
        if (!text) return luaL_error(L, "`tostring' must return a string to `print'");
        if (g_print_output) g_print_output(text);
        lua_pop(L, 1);
    }
    return 0;
}

int open_base(lua_State* L, output_function output) {
    // 1.
    g_print_output = output;
    // 2.
    open_library(L, &luaopen_base, "");
    // Stack: []
    // 3.
    lua_register(L, "print", &print);
    return 0;
}

void open_libraries(lua_State* L, output_function output) {
    open_library(L, &luaopen_math, LUA_MATHLIBNAME);
    open_library(L, &luaopen_string, LUA_STRLIBNAME);
    open_base(L, output);
    open_library(L, &luaopen_table, LUA_TABLIBNAME);
}

void* check_udata(lua_State* L, int index, const char* class_name) {
    index = absolute_index(L, index);
    // 1. The name registered for the value's metatable.
    const char* got = "nil";
    if (lua_getmetatable(L, index)) {
        // Stack: [..., metatable]
        lua_rawget(L, LUA_REGISTRYINDEX);
        // Stack: [..., registry[metatable]]
        const bool named = lua_type(L, -1) == LUA_TSTRING;
        if (named) got = lua_tostring(L, -1);  // kept by the registry
        lua_pop(L, 1);
        // Stack: [...]
        if (named && lua_type(L, index) == LUA_TUSERDATA) {
            if (strcmp(got, class_name) == 0) return lua_touserdata(L, index);
        } else if (named) {
            // Only a full userdata holds an object: anything else dressed with a class metatable
            // is named by its type.
            got = luaL_typename(L, index);
        }
    }
    // 2. The argument error.
    lua_pushfstring(L, "%s expected, got %s", class_name, got);
    luaL_argerror(L, index, lua_tostring(L, -1));
}

}  // namespace lua_compat
