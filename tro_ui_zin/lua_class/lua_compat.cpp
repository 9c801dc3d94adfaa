// What the engine supplies to the scripting library beside Lua itself (see lua_compat.h).
//
// open_base
//   1. Remember the output function of print.
//   2. Open the library's base (Lua 5.0's functions, the coroutine table, an empty _LOADED).
//   3. Replace print.

#include "lua_compat.h"

#include <zut/string_conv.h>

#include <lualib.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace lua_compat {

namespace {

wchar_t* g_skin_dir = nullptr;      // the skin folder with its trailing backslash; null: none
const wchar_t* g_load_path = nullptr;  // while load_file runs: the wide path of its file
output_function g_print_output = nullptr;

// The library's file loader opens every file here. It enters the skin folder first: relative
// names resolve against it, and the process's current directory stays there afterwards (bitmaps
// and fonts rely on it). The file is opened by its wide name: the narrow name of the skin file
// loses the characters the ANSI code page cannot hold, so load_file supplies the wide path.
FILE* open_in_skin_dir(const char* name, const char* mode) {
    if (g_skin_dir && g_skin_dir[0]) SetCurrentDirectoryW(g_skin_dir);
    const wchar_t* wide_mode = strcmp(mode, "rb") == 0 ? L"rb" : L"r";
    if (g_load_path) return _wfopen(g_load_path, wide_mode);
    return _wfopen(zut::wide_from_codepage(name).get_ptr(), wide_mode);
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
}

const wchar_t* skin_dir() { return g_skin_dir; }

int load_file(lua_State* L, const wchar_t* path) {
    const zut::codepage_from_wide name(path);
    // The wide path is for this load only, also when the loader raises (out of memory).
    struct load_path_scope {
        explicit load_path_scope(const wchar_t* p) { g_load_path = p; }
        ~load_path_scope() { g_load_path = nullptr; }
    } scope(path);
    return luaL_loadfile(L, name.get_ptr());
}

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
    luaL_setfileopener(&open_in_skin_dir);
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
