// The scripting library functions that behave here as they did for skins written for Lua 5.0.
//
// load_file
//   1. Remember the stack top; push the chunk name ("@" + file name, or "=stdin" without a name,
//      which fails: standard input is never read).
//   2. Enter the skin folder (wide-text call), so that relative names resolve against it; the
//      process's current directory stays there afterwards.
//   3. Open the file in text mode; a first character that is neither blank nor printable reopens it
//      in binary mode (a precompiled chunk). A first line starting with '#' is skipped.
//   4. Read and compile; close; an open or read failure gives "cannot read <name>: <system text>".
//      On success the chunk name is removed and the compiled chunk stays on the stack.
// open_base
//   1. Open the stock base library (with _G, _VERSION, newproxy and the coroutine table).
//   2. Install print, dofile, loadfile and require (Lua 5.0 style: LUA_PATH, _LOADED,
//      _REQUIREDNAME) on top of it, and collectgarbage(limit) with the Lua 5.0 meaning of a number.
//   3. An empty global _LOADED table.

#include "lua_compat.h"

#include "lua_class.h"

#include <lualib.h>
#include <windows.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace lua_compat {

namespace {

wchar_t* g_skin_dir = nullptr;      // the skin folder with its trailing backslash; null: none
output_function g_print_output = nullptr;

// ---- File loader -------------------------------------------------------------------------------

struct load_state {
    bool extra_line;  // hands back the '\n' of a skipped first line, so line numbers stay right
    FILE* file;
    char buffer[LUAL_BUFFERSIZE];
};

const char* read_chunk(lua_State*, void* data, size_t* size) {
    load_state* state = static_cast<load_state*>(data);
    if (state->extra_line) {
        state->extra_line = false;
        *size = 1;
        return "\n";
    }
    if (feof(state->file)) return nullptr;
    *size = fread(state->buffer, 1, sizeof state->buffer, state->file);
    return *size > 0 ? state->buffer : nullptr;
}

// Replaces the chunk name at name_index by "cannot read <name>: <system error text>".
int file_error(lua_State* L, int name_index, int error_number) {
    const char* name = lua_tostring(L, name_index) + 1;  // behind '@' or '='
    lua_pushfstring(L, "cannot read %s: %s", name, strerror(error_number));
    // Stack: [..., chunk name, message]
    lua_remove(L, name_index);
    return LUA_ERRFILE;
}

void enter_skin_dir() {
    if (g_skin_dir && g_skin_dir[0]) SetCurrentDirectoryW(g_skin_dir);
}

// ---- Base library ------------------------------------------------------------------------------

int dofile(lua_State* L) {
    const char* name = luaL_optstring(L, 1, nullptr);
    const int top = lua_gettop(L);
    if (load_file(L, name) != 0) lua_error(L);
    // Stack: [arguments..., chunk]
    lua_call(L, 0, LUA_MULTRET);
    return lua_gettop(L) - top;
}

int loadfile(lua_State* L) {
    const char* name = luaL_optstring(L, 1, nullptr);
    if (load_file(L, name) == 0) return 1;  // the chunk
    // Stack: [..., message]
    lua_pushnil(L);
    lua_insert(L, -2);
    return 2;  // nil, message
}

// The search path of require: the global LUA_PATH, else "?;?.lua".
const char* require_path(lua_State* L) {
    lua_getglobal(L, "LUA_PATH");
    const char* path = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : nullptr;
    lua_pop(L, 1);  // a global string stays alive while the global holds it
    return path ? path : "?;?.lua";
}

int require(lua_State* L) {
    luaL_checkstring(L, 1);
    lua_settop(L, 1);
    // Stack: [name]
    lua_getglobal(L, "_LOADED");
    // Stack: [name, _LOADED]
    if (!lua_istable(L, 2)) return luaL_error(L, "`_LOADED' is not a table");
    lua_pushvalue(L, 1);
    lua_rawget(L, 2);
    // Stack: [name, _LOADED, _LOADED[name]]
    if (lua_toboolean(L, -1)) return 1;  // loaded before: its result
    lua_pop(L, 1);
    // Try each template of the path, '?' replaced by the name, until one is found.
    const char* path = require_path(L);
    int status = LUA_ERRFILE;
    while (status == LUA_ERRFILE && *path) {
        while (*path == ';') ++path;
        if (!*path) break;
        const char* end = strchr(path, ';');
        if (!end) end = path + strlen(path);
        lua_pushlstring(L, path, static_cast<size_t>(end - path));
        luaL_gsub(L, lua_tostring(L, -1), "?", lua_tostring(L, 1));
        // Stack: [name, _LOADED, template, file name]
        lua_remove(L, -2);
        status = load_file(L, lua_tostring(L, -1));
        // Stack: [name, _LOADED, file name, chunk or message]
        lua_remove(L, -2);
        if (status == LUA_ERRFILE) lua_pop(L, 1);
        path = end;
    }
    // Stack: [name, _LOADED, chunk or message] (or [name, _LOADED] when nothing was found)
    if (status == LUA_ERRFILE)
        return luaL_error(L, "could not load package `%s' from path `%s'", lua_tostring(L, 1),
                          require_path(L));
    if (status != 0)
        return luaL_error(L, "error loading package `%s' (%s)", lua_tostring(L, 1),
                          lua_tostring(L, -1));
    // Run the package with _REQUIREDNAME set to its name.
    lua_getglobal(L, "_REQUIREDNAME");
    lua_insert(L, -2);
    // Stack: [name, _LOADED, previous name, chunk]
    lua_pushvalue(L, 1);
    lua_setglobal(L, "_REQUIREDNAME");
    lua_call(L, 0, 1);
    // Stack: [name, _LOADED, previous name, result]
    lua_insert(L, -2);
    lua_setglobal(L, "_REQUIREDNAME");
    // Stack: [name, _LOADED, result]
    if (lua_isnil(L, -1)) {
        lua_pushboolean(L, 1);
        lua_replace(L, -2);
    }
    lua_pushvalue(L, 1);
    lua_pushvalue(L, -2);
    lua_rawset(L, 2);  // _LOADED[name] = result
    return 1;
}

// collectgarbage(limit): with no argument or a number, the Lua 5.0 meaning (the collection
// threshold becomes limit kilobytes; at or below the memory in use that means a full collection
// now); anything else goes to the stock function (upvalue 1).
int collectgarbage(lua_State* L) {
    if (lua_isnoneornil(L, 1) || lua_type(L, 1) == LUA_TNUMBER) {
        const lua_Number limit = luaL_optnumber(L, 1, 0);
        const lua_Number in_use = lua_gc(L, LUA_GCCOUNT, 0) * 1024.0 + lua_gc(L, LUA_GCCOUNTB, 0);
        if (limit * 1024.0 <= in_use) lua_gc(L, LUA_GCCOLLECT, 0);
        return 0;
    }
    const int base = lua_gettop(L);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, base, LUA_MULTRET);
    return lua_gettop(L);
}

void set_global_function(lua_State* L, const char* name, lua_CFunction function) {
    lua_pushcfunction(L, function);
    lua_setglobal(L, name);
}

// ---- Table library -----------------------------------------------------------------------------

// The size of a table: its numeric "n" field when it has one, else its length.
int table_size(lua_State* L, int t) {
    lua_pushliteral(L, "n");
    lua_rawget(L, t);
    // Stack: [..., t.n]
    if (lua_type(L, -1) == LUA_TNUMBER) {
        const int n = lua_class::to_int32(lua_tonumber(L, -1));
        lua_pop(L, 1);
        if (n >= 0) return n;
    } else {
        lua_pop(L, 1);
    }
    return static_cast<int>(lua_objlen(L, t));
}

// A new size is stored in the numeric "n" field when the table has one.
void set_table_size(lua_State* L, int t, int n) {
    lua_pushliteral(L, "n");
    lua_rawget(L, t);
    const bool has_n = lua_type(L, -1) == LUA_TNUMBER;
    lua_pop(L, 1);
    if (!has_n) return;
    lua_pushliteral(L, "n");
    lua_pushnumber(L, n);
    lua_rawset(L, t);
}

int table_getn(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    lua_pushinteger(L, table_size(L, 1));
    return 1;
}

int table_setn(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    set_table_size(L, 1, lua_class::to_int32(luaL_checknumber(L, 2)));
    lua_settop(L, 1);
    return 1;
}

int table_insert(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    int value_index = lua_gettop(L);
    // The size after the insertion, kept in the 32-bit range (an n field may claim the largest).
    const int size = table_size(L, 1);
    int n = size < INT32_MAX ? size + 1 : size;
    int pos = n;
    if (value_index != 2) {
        pos = lua_class::to_int32(luaL_checknumber(L, 2));
        if (pos > n) n = pos;
        value_index = 3;
    }
    set_table_size(L, 1, n);
    for (int i = n; i > pos; --i) {
        lua_rawgeti(L, 1, i - 1);
        lua_rawseti(L, 1, i);  // t[i] = t[i - 1]
    }
    lua_pushvalue(L, value_index);
    lua_rawseti(L, 1, pos);
    return 0;
}

int table_remove(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    const int n = table_size(L, 1);
    int pos = lua_isnoneornil(L, 2) ? n : lua_class::to_int32(luaL_checknumber(L, 2));
    if (n <= 0) return 0;
    set_table_size(L, 1, n - 1);
    lua_rawgeti(L, 1, pos);
    // Stack: [t, pos, t[pos]]
    for (; pos < n; ++pos) {
        lua_rawgeti(L, 1, pos + 1);
        lua_rawseti(L, 1, pos);  // t[pos] = t[pos + 1]
    }
    lua_pushnil(L);
    lua_rawseti(L, 1, n);
    return 1;
}

}  // namespace

void set_skin_dir(const wchar_t* dir) {
    wchar_t* copy = dir ? wcsdup(dir) : nullptr;
    free(g_skin_dir);
    g_skin_dir = copy;
}

const wchar_t* skin_dir() { return g_skin_dir; }

int load_file(lua_State* L, const char* name) {
    // 1. The chunk name.
    const int name_index = lua_gettop(L) + 1;
    if (!name) {
        lua_pushliteral(L, "=stdin");
        return file_error(L, name_index, EBADF);
    }
    lua_pushfstring(L, "@%s", name);
    // Stack: [..., chunk name]
    // 2. Relative names resolve against the skin folder.
    enter_skin_dir();
    // 3. Text mode, unless the first character says binary.
    load_state state;
    state.extra_line = false;
    state.file = fopen(name, "r");
    if (!state.file) return file_error(L, name_index, errno);
    int c = getc(state.file);
    if (c == '#') {
        state.extra_line = true;
        while ((c = getc(state.file)) != EOF && c != '\n') {}
        if (c == '\n') c = getc(state.file);
    }
    if (!(c != EOF && (isspace(c) || isprint(c)))) {
        fclose(state.file);
        state.extra_line = false;
        state.file = fopen(name, "rb");
        if (!state.file) return file_error(L, name_index, errno);
    } else {
        ungetc(c, state.file);
    }
    // 4. Compile.
    const int status = lua_load(L, &read_chunk, &state, lua_tostring(L, name_index));
    // Stack: [..., chunk name, chunk or message]
    const bool read_failed = ferror(state.file) != 0;
    const int read_errno = errno;
    fclose(state.file);
    if (read_failed) {
        lua_settop(L, name_index);
        return file_error(L, name_index, read_errno);
    }
    lua_remove(L, name_index);
    // Stack: [..., chunk or message]
    return status;
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
    g_print_output = output;
    // 1. The stock base library.
    lua_pushcfunction(L, &luaopen_base);
    lua_pushliteral(L, "");
    lua_call(L, 1, 0);
    // Stack: []
    // 2. Our functions over it.
    set_global_function(L, "print", &print);
    set_global_function(L, "dofile", &dofile);
    set_global_function(L, "loadfile", &loadfile);
    set_global_function(L, "require", &require);
    lua_getglobal(L, "collectgarbage");
    lua_pushcclosure(L, &collectgarbage, 1);
    lua_setglobal(L, "collectgarbage");
    // 3. _LOADED.
    lua_newtable(L);
    lua_setglobal(L, "_LOADED");
    return 0;
}

int open_table(lua_State* L) {
    lua_pushcfunction(L, &luaopen_table);
    lua_pushliteral(L, LUA_TABLIBNAME);
    lua_call(L, 1, 0);
    lua_getglobal(L, LUA_TABLIBNAME);
    // Stack: [table]
    static const luaL_Reg functions[] = {
        {"getn", &table_getn},
        {"setn", &table_setn},
        {"insert", &table_insert},
        {"remove", &table_remove},
    };
    for (const luaL_Reg& f : functions) {
        lua_pushstring(L, f.name);
        lua_pushcfunction(L, f.func);
        lua_rawset(L, -3);
    }
    lua_pop(L, 1);
    return 0;
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
    arg_error(L, index, lua_tostring(L, -1));
}

void arg_error(lua_State* L, int narg, const char* message) {
    lua_Debug ar;
    if (!lua_getstack(L, 0, &ar)) {
        luaL_error(L, "bad argument #%d (%s)", narg, message);
    } else {
        lua_getinfo(L, "n", &ar);
        if (ar.namewhat && strcmp(ar.namewhat, "method") == 0) {
            --narg;  // self is not counted
            if (narg == 0) luaL_error(L, "calling `%s' on bad self (%s)", ar.name, message);
        }
        luaL_error(L, "bad argument #%d to `%s' (%s)", narg, ar.name ? ar.name : "?", message);
    }
    for (;;) {}  // luaL_error does not return
}

void type_error(lua_State* L, int narg, const char* expected) {
    lua_pushfstring(L, "%s expected, got %s", expected, luaL_typename(L, narg));
    arg_error(L, narg, lua_tostring(L, -1));
}

}  // namespace lua_compat
