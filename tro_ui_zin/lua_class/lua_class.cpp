// Script class binding.
//
// Registry slots
//   1. A slot is taken from the free list (last freed first) or, when the list is empty, is the next
//      number from 1000 upward; numbers are never reset, not even when the state is closed.
//   2. A freed slot is set to nil in the registry and goes onto the free list.
//   3. set_function_ref keeps a holder's slot number while the holder replaces its function; nil
//      frees it.
// Classes
//   1. The class table is a global; with a constructor it gets a metatable registered under the
//      class name (registry[name] = metatable and registry[metatable] = name).
//   2. Every method becomes a traced closure that writes a trace line before the call.
//   3. Objects live inside their userdata: built by T.new, destroyed by the collector's __gc.
// Traced call
//   1. While tracing and somebody reads the debug output, build "calling class::method(arguments)"
//      in the trace line, behind the indentation of the current depth, and write it.
//   2. Call the method; a std::exception it throws becomes a script error.

#include "lua_class.h"

#include "lua_debug.h"

#include <trovaplay/sdk/console.h>
#include <zut/primitives.h>
#include <zut/string_conv.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <strings.h>

lua_State* g_lua = nullptr;
bool g_trace_calls = true;
int g_script_calls = 0;
uint32_t g_reg_slot_count = 0;
CDynArray<int> g_reg_free_slots;

bool modal_ui_allowed(const char* what) {
    if (script_state_closing()) {
        lua_class::debug_printf("!!%s not shown: the skin unloads\n", what);
        return false;
    }
    if (paint_under_way()) {
        lua_class::debug_printf("!!%s not shown: a paint is under way\n", what);
        return false;
    }
    return true;
}

namespace lua_class {

using lua_compat::absolute_index;

void debug_printf(const char* format, ...) {
    if (!zut::debug_output_wanted()) return;
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    zin_debug_output(text);
}

int32_t to_int32(lua_Number n) {
    if (n != n) return 0;  // NaN
    if (n >= 2147483647.0) return INT32_MAX;
    if (n <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(n);  // truncation toward zero
}

namespace {

bool is_issued_slot(int slot) {
    return slot >= LUA_REGISTRY_OFFSET &&
           static_cast<uint32_t>(slot - LUA_REGISTRY_OFFSET) < g_reg_slot_count;
}

}  // namespace

// ---- Registry slots ----------------------------------------------------------------------------

void store_ref(lua_State* L, int index, int slot) {
    // A slot below the first slot number would overwrite the library's own registry entries.
    if (!ZIN_CHECK_MSG(slot >= LUA_REGISTRY_OFFSET, "pos >= LUA_REGISTRY_OFFSET")) return;
    lua_pushvalue(L, index);
    // Stack: [..., value]
    ZIN_ASSERT_MSG(!lua_isnil(L, -1), "!lua_isnil(l, -1)");
    lua_rawseti(L, LUA_REGISTRYINDEX, slot);
    // Stack: [...]
}

int ref(lua_State* L, int index) {
    index = absolute_index(L, index);
    // 1. The last freed slot, else a fresh number.
    int slot;
    if (g_reg_free_slots.getSize() != 0) {
        slot = g_reg_free_slots.pop();
    } else {
        slot = LUA_REGISTRY_OFFSET + static_cast<int>(g_reg_slot_count);
        ++g_reg_slot_count;
    }
    lua_rawgeti(L, LUA_REGISTRYINDEX, slot);
    // Stack: [..., registry[slot]]
    ZIN_ASSERT_MSG(lua_isnil(L, -1), "lua_isnil(l, -1)");
    lua_pop(L, 1);
    // Stack: [...]
    store_ref(L, index, slot);
    return slot;
}

void get_ref(lua_State* L, int slot) {
    if (!ZIN_CHECK_MSG(is_issued_slot(slot),
                       "pos >= LUA_REGISTRY_OFFSET && pos < g_reg_slot_count + LUA_REGISTRY_OFFSET")) {
        // Never read the library's own registry entries: a slot that was not issued reads as nil.
        if (slot < LUA_REGISTRY_OFFSET) {
            lua_pushnil(L);
            return;
        }
    }
    lua_rawgeti(L, LUA_REGISTRYINDEX, slot);
    // Stack: [..., registry[slot]]
}

void unref(lua_State* L, int slot) {
    if (slot < LUA_REGISTRY_OFFSET) return;  // 0: an unset callback
    if (!L) return;                           // the state and its registry are gone
    if (!ZIN_CHECK_MSG(is_issued_slot(slot),
                       "pos >= LUA_REGISTRY_OFFSET && pos < g_reg_slot_count + LUA_REGISTRY_OFFSET"))
        return;
    lua_rawgeti(L, LUA_REGISTRYINDEX, slot);
    // Stack: [..., registry[slot]]
    const bool empty = lua_isnil(L, -1);
    lua_pop(L, 1);
    // Stack: [...]
    // An empty slot is already free (or was never filled): listing it again would hand one slot
    // to two holders.
    if (!ZIN_CHECK_MSG(!empty, "!lua_isnil(l, -1)")) return;
    g_reg_free_slots.push(slot);
    lua_pushnil(L);
    lua_rawseti(L, LUA_REGISTRYINDEX, slot);
}

int set_function_ref(lua_State* L, int index, int old_slot) {
    index = absolute_index(L, index);
    // 1. Anything but nil (an absent argument counts as present) must be a function.
    if (!lua_isnil(L, index)) {
        if (lua_type(L, index) != LUA_TFUNCTION) luaL_typerror(L, index, "function");
        if (old_slot >= LUA_REGISTRY_OFFSET) {
            store_ref(L, index, old_slot);
            return old_slot;
        }
        ZIN_ASSERT_MSG(old_slot == 0, "old_ref == 0 || old_ref >= LUA_REGISTRY_OFFSET");
        return ref(L, index);
    }
    // 2. nil frees the holder's slot.
    if (old_slot >= LUA_REGISTRY_OFFSET)
        unref(L, old_slot);
    else
        ZIN_ASSERT_MSG(old_slot == 0, "old_ref == 0 || old_ref >= LUA_REGISTRY_OFFSET");
    return 0;
}

// ---- Values and classes ------------------------------------------------------------------------

const char* get_name(lua_State* L, int index) {
    const int type = lua_type(L, index);
    if (type == LUA_TUSERDATA || type == LUA_TLIGHTUSERDATA) {
        const char* name = nullptr;
        if (lua_getmetatable(L, index)) {
            // Stack: [..., metatable]
            lua_rawget(L, LUA_REGISTRYINDEX);
            // Stack: [..., registry[metatable]]
            if (lua_type(L, -1) == LUA_TSTRING) name = lua_tostring(L, -1);  // kept by the registry
            lua_pop(L, 1);
            // Stack: [...]
        }
        return name ? name : "error";
    }
    return lua_typename(L, type);
}

void register_class(lua_State* L, const char* name, const luaL_Reg* methods, int count,
                    lua_CFunction new_function, lua_CFunction delete_function,
                    lua_CFunction member_function) {
    // 1. The class table, as the global `name`.
    lua_newtable(L);
    // Stack: [T]
    lua_pushstring(L, name);
    lua_pushvalue(L, -2);
    lua_rawset(L, LUA_GLOBALSINDEX);
    int pushed = 1;

    // 2. Only with a constructor: the class metatable.
    if (new_function) {
        // A class registered again gets a metatable of its own: the earlier one is locked, and the
        // objects made with it keep it.
        lua_pushstring(L, name);
        lua_pushnil(L);
        lua_rawset(L, LUA_REGISTRYINDEX);
        luaL_newmetatable(L, name);
        // Stack: [T, M]
        // The library no longer stores the name under the metatable; the class names need it.
        lua_pushvalue(L, -1);
        lua_pushstring(L, name);
        lua_rawset(L, LUA_REGISTRYINDEX);
        // a. T.__metatable = M
        lua_pushliteral(L, "__metatable");
        lua_pushvalue(L, -2);
        lua_rawset(L, -4);
        // b. M.__index = T, or the member function with T as upvalue 1.
        lua_pushliteral(L, "__index");
        lua_pushvalue(L, -3);
        // Stack: [T, M, "__index", T]
        if (member_function) lua_pushcclosure(L, member_function, 1);
        lua_rawset(L, -3);
        // c. M.__newindex = the member function with T as upvalue 1.
        if (member_function) {
            lua_pushliteral(L, "__newindex");
            lua_pushvalue(L, -3);
            lua_pushcclosure(L, member_function, 1);
            lua_rawset(L, -3);
        }
        // d. M.__gc = gc with the class name and the delete function.
        lua_pushliteral(L, "__gc");
        lua_pushlightuserdata(L, const_cast<char*>(name));
        int upvalues = 1;
        if (delete_function) {
            lua_pushcfunction(L, delete_function);
            upvalues = 2;
        }
        lua_pushcclosure(L, &gc, upvalues);
        // Stack: [T, M, "__gc", gc closure]
        lua_rawset(L, -3);
        // e. Scripts reach M (getmetatable(object), T.__metatable) but may not change it: the
        //    collector finds __gc there, and every object must be destroyed exactly once.
        lua_locktable(L, -1);
        pushed = 2;
    }
    // Stack: [T] or [T, M]

    // 3. The methods, each a traced closure.
    if (methods && count > 0 && methods[0].name) {
        for (int i = 0; i < count; ++i) {
            if (!methods[i].name || !methods[i].func) continue;
            lua_pushstring(L, methods[i].name);
            lua_pushlightuserdata(L, const_cast<char*>(name));
            lua_pushlightuserdata(L, const_cast<char*>(methods[i].name));
            lua_pushlightuserdata(L, reinterpret_cast<void*>(methods[i].func));
            lua_pushcclosure(L, &call_traced, 3);
            // Stack: [T, (M,) method name, closure]
            lua_rawset(L, -2 - pushed);
        }
    }
    // 4. T.new, a plain native function.
    if (new_function) {
        lua_pushliteral(L, "new");
        lua_pushcfunction(L, new_function);
        lua_rawset(L, -2 - pushed);
    }
    // 5. Leave the stack as it was.
    lua_pop(L, pushed);
}

// ---- Trace line --------------------------------------------------------------------------------

namespace {

constexpr int kTraceChars = 2048;
constexpr int kIndentStep = 4;
constexpr int kMaxIndent = 512;  // deeper calls keep this indentation (the depth is still counted)

char g_trace_line[kTraceChars] = "";
int g_trace_call_depth = 0;
// Whether each open function indented (deeper frames than this are counted but not recorded:
// they never indent, as the indentation is capped long before).
constexpr int kMaxFrames = 1024;
bool g_trace_indented[kMaxFrames];
int g_trace_frames = 0;

int indent_chars() {
    const long chars = static_cast<long>(g_trace_call_depth) * kIndentStep;
    return chars > kMaxIndent ? kMaxIndent : static_cast<int>(chars);
}

// Appends to the trace line, never past its end; room for ")\n" is always kept.
struct trace_writer {
    int pos;
    static constexpr int limit = kTraceChars - 3;

    void text(const char* s) {
        while (s && *s && pos < limit) g_trace_line[pos++] = *s++;
    }
    void format(const char* format, ...) __attribute__((format(gnu_printf, 2, 3))) {
        if (pos >= limit) return;
        va_list args;
        va_start(args, format);
        const int n = vsnprintf(g_trace_line + pos, static_cast<size_t>(limit - pos + 1), format, args);
        va_end(args);
        if (n > 0) pos = (n > limit - pos) ? limit : pos + n;
    }
};

void write_argument(trace_writer& out, lua_State* L, int index) {
    switch (lua_type(L, index)) {
    case LUA_TNIL:
        out.text("nil");
        return;
    case LUA_TBOOLEAN:
        out.text(lua_toboolean(L, index) ? "true" : "false");
        return;
    case LUA_TNUMBER:
        out.format("%i", static_cast<int>(to_int32(lua_tonumber(L, index))));
        return;
    case LUA_TSTRING:
        out.text("\"");
        out.text(lua_tostring(L, index));
        out.text("\"");
        return;
    default:
        break;
    }
    const char* name = get_name(L, index);
    const bool full = lua_type(L, index) == LUA_TUSERDATA;
    const int32_t* v = static_cast<const int32_t*>(lua_touserdata(L, index));
    if (full && strcmp(name, "rect") == 0 && lua_objlen(L, index) >= 4 * sizeof(int32_t))
        out.format("[%i,%i,%i,%i]", static_cast<int>(v[0]), static_cast<int>(v[1]),
                   static_cast<int>(v[2]), static_cast<int>(v[3]));
    else if (full && strcmp(name, "point") == 0 && lua_objlen(L, index) >= 2 * sizeof(int32_t))
        out.format("[%i,%i]", static_cast<int>(v[0]), static_cast<int>(v[1]));
    else
        out.format("@%s", name);
}

}  // namespace

void trace_enter(bool indent) {
    if (g_trace_frames < kMaxFrames) {
        g_trace_indented[g_trace_frames] = indent;
        if (indent) ++g_trace_call_depth;
    }
    ++g_trace_frames;
}

void trace_leave() {
    if (g_trace_frames <= 0) return;
    --g_trace_frames;
    const bool indented = g_trace_frames < kMaxFrames ? g_trace_indented[g_trace_frames] : false;
    if (indented && g_trace_call_depth > 0) --g_trace_call_depth;
}

trace_mark trace_save() { return trace_mark{g_trace_call_depth, g_trace_frames}; }

void trace_restore(trace_mark mark) {
    g_trace_call_depth = mark.depth < 0 ? 0 : mark.depth;
    g_trace_frames = mark.frames < 0 ? 0 : mark.frames;
}

const char* last_trace_line() { return g_trace_line; }

// ---- Traced call and collection ----------------------------------------------------------------

int call_traced(lua_State* L) {
    const char* class_name = static_cast<const char*>(lua_touserdata(L, lua_upvalueindex(1)));
    const char* method_name = static_cast<const char*>(lua_touserdata(L, lua_upvalueindex(2)));
    lua_CFunction method = reinterpret_cast<lua_CFunction>(lua_touserdata(L, lua_upvalueindex(3)));
    // 1. The trace line, written before the call (and only built when somebody reads it).
    if (g_trace_calls && zut::debug_output_wanted()) {
        const int indent = indent_chars();
        memset(g_trace_line, ' ', static_cast<size_t>(indent));
        trace_writer out{indent};
        out.format("calling %s::%s(", class_name ? class_name : "?", method_name ? method_name : "?");
        const int top = lua_gettop(L);
        for (int i = 1; i <= top; ++i) {
            if (i > 1) out.text(", ");
            write_argument(out, L, i);
        }
        g_trace_line[out.pos++] = ')';
        g_trace_line[out.pos++] = '\n';
        g_trace_line[out.pos] = '\0';
        // String arguments are script text (system ANSI code page); the debug output takes UTF-8.
        zin_debug_output(zut::utf8_from_codepage(g_trace_line));
    }
    if (!method) return 0;
    // 2. The method itself.
    return detail::call_native(L, [&] { return method(L); });
}

int gc(lua_State* L) {
    const char* class_name = static_cast<const char*>(lua_touserdata(L, lua_upvalueindex(1)));
    debug_printf("deleting %s\n", class_name ? class_name : "?");
    if (lua_type(L, lua_upvalueindex(2)) == LUA_TFUNCTION) {
        lua_CFunction delete_function = lua_tocfunction(L, lua_upvalueindex(2));
        if (delete_function) return delete_function(L);
    }
    return 0;
}

namespace detail {

void write_new_line(const char* class_name) { debug_printf("new %s\n", class_name); }

void raise_closing_error(lua_State* L, const char* class_name) {
    luaL_error(L, "cannot make a %s while the skin unloads", class_name);
}

void raise_native_error(lua_State* L, const char* what) {
    luaL_error(L, "%s", what ? what : "unknown error");
}

void anchor_object(lua_State* L, void* memory) {
    // Stack: [..., userdata]
    lua_pushlightuserdata(L, memory);
    lua_insert(L, -2);
    // Stack: [..., memory, userdata]
    lua_rawset(L, LUA_REGISTRYINDEX);
    // Stack: [...]
}

void push_anchored_object(lua_State* L, void* memory) {
    lua_pushlightuserdata(L, memory);
    lua_rawget(L, LUA_REGISTRYINDEX);
    // Stack: [..., userdata]
}

object_anchor::~object_anchor() {
    // Setting an existing key to nil neither allocates nor raises: safe while an error unwinds.
    lua_pushlightuserdata(L, memory);
    lua_pushnil(L);
    lua_rawset(L, LUA_REGISTRYINDEX);
}

void set_class_metatable(lua_State* L, int index, const char* name) {
    index = absolute_index(L, index);
    luaL_getmetatable(L, name);
    // Stack: [..., metatable or nil]
    lua_setmetatable(L, index);
}

namespace {
// Registry key of the table of live objects (weak values).
const char kLiveObjects[] = "lua_class.live_objects";
}  // namespace

void list_live_object(lua_State* L, void* memory) {
    // Stack: [..., userdata]
    lua_pushstring(L, kLiveObjects);
    lua_rawget(L, LUA_REGISTRYINDEX);
    // Stack: [..., userdata, live or nil]
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        lua_newtable(L);
        lua_newtable(L);
        lua_pushliteral(L, "__mode");
        lua_pushliteral(L, "v");
        lua_rawset(L, -3);
        lua_setmetatable(L, -2);
        lua_pushstring(L, kLiveObjects);
        lua_pushvalue(L, -2);
        lua_rawset(L, LUA_REGISTRYINDEX);
    }
    // Stack: [..., userdata, live]
    lua_pushlightuserdata(L, memory);
    lua_pushvalue(L, -3);
    lua_rawset(L, -3);
    lua_pop(L, 1);
    // Stack: [..., userdata]
}

bool may_destroy(lua_State* L, int index) {
    index = absolute_index(L, index);
    lua_pushstring(L, kLiveObjects);
    lua_rawget(L, LUA_REGISTRYINDEX);
    // Stack: [..., live or nil]
    bool listed = false;
    if (lua_istable(L, -1)) {
        lua_pushlightuserdata(L, lua_touserdata(L, index));
        lua_rawget(L, -2);
        // Stack: [..., live, live[address]]
        listed = lua_rawequal(L, -1, index) != 0;
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    // Stack: [...]
    // The collector cleared the entry: it frees the object.
    if (!listed) return true;
    // Still listed: either the state closes, and the collector finalises every object, or a script
    // calls __gc by hand (a finaliser may do so while the state closes: that call comes from a
    // script function, the collector's from none).
    if (!lua_isclosing(L)) return false;
    lua_Debug caller;
    return !lua_getstack(L, 1, &caller);
}

bool is_object_of(lua_State* L, int index, const char* name) {
    return lua_type(L, index) == LUA_TUSERDATA && strcasecmp(get_name(L, index), name) == 0;
}

void report_wrong_delete(const char* expected, const char* got) {
    char text[256];
    snprintf(text, sizeof text, "!stricmp(get_name(l, 1), T::get_name()): %s expected, got %s",
             expected, got);
    ZIN_REPORT(text);
}

}  // namespace detail

// ---- Member tables -----------------------------------------------------------------------------

void luaDefType<long>::push(void* field, lua_State* L) {
    lua_pushnumber(L, static_cast<lua_Number>(*static_cast<long*>(field)));
}

void luaDefType<long>::get(void* field, lua_State* L) {
    *static_cast<long*>(field) = to_int32(luaL_checknumber(L, 3));
}

luaType* luaDefType<long>::instance() {
    static luaDefType<long>* shared = new luaDefType<long>();
    return shared;
}

bool check_property_args(lua_State* L, const char** key, bool* is_set) {
    const int top = lua_gettop(L);
    const bool count_ok = ZIN_CHECK_MSG(top == 2 || top == 3, "lua_gettop( l ) == 2 || lua_gettop( l ) == 3");
    const bool key_ok = ZIN_CHECK_MSG(lua_isstring(L, 2), "lua_isstring( l, 2 )");
    *is_set = top >= 3;
    *key = key_ok ? lua_tostring(L, 2) : nullptr;
    return count_ok && key_ok;
}

bool push_class_entry(lua_State* L) {
    if (lua_type(L, lua_upvalueindex(1)) != LUA_TTABLE) return false;
    lua_pushvalue(L, 2);
    lua_rawget(L, lua_upvalueindex(1));
    // Stack: [object, key, (value,) T[key]]
    if (!lua_isnil(L, -1)) return true;
    lua_pop(L, 1);
    // Stack: [object, key, (value)]
    return false;
}

void raise_not_a_member(lua_State* L) {
    if (lua_type(L, 2) == LUA_TSTRING || lua_type(L, 2) == LUA_TNUMBER)
        luaL_error(L, "'%s' not a member of this class", lua_tostring(L, 2));
    else
        luaL_error(L, "'<%s>' not a member of this class", luaL_typename(L, 2));
}

int member_access(lua_State* L, void* object, const member_def* members, int count) {
    const char* key = nullptr;
    bool is_set = false;
    // 1. Arguments: (object, key) reads, (object, key, value) writes. Any other key is no member.
    if (!check_property_args(L, &key, &is_set) || !key) raise_not_a_member(L);
    // Reading: the class table's entries (methods, "new", "__metatable") win over members.
    if (!is_set && push_class_entry(L)) return 1;
    // 2. The member table, case-sensitive.
    for (int i = 0; i < count; ++i) {
        if (!members[i].name || strcmp(members[i].name, key) != 0) continue;
        // 3. Move the field.
        void* field = static_cast<char*>(object) + members[i].offset;
        if (is_set)
            members[i].type->get(field, L);
        else
            members[i].type->push(field, L);
        return 1;
    }
    return luaL_error(L, "'%s' not a member of this class", key);
}

member_def g_point_members[2] = {
    {"x", 0, luaDefType<long>::instance()},
    {"y", sizeof(int32_t), luaDefType<long>::instance()},
};

}  // namespace lua_class

int point_member_access(lua_State* L) {
    void* point = lua_compat::check_udata(L, 1, "point");
    lua_class::member_access(L, point, lua_class::g_point_members, 2);
    return 1;
}

// ---- lua_callback --------------------------------------------------------------------------------

void lua_callback::push() {
    ZIN_ASSERT_MSG(slot != 0, "m_ref != 0");
    if (!g_lua) return;
    lua_class::get_ref(g_lua, slot);
}

void lua_callback::call() {
    if (!ZIN_CHECK_MSG(g_lua != nullptr, "g_lua")) return;
    push();
    pcall(0, 0);
}

void lua_callback::call_if_set() {
    if (slot != 0) call();
}

namespace {
int full_collection(lua_State* L) {
    lua_gc(L, LUA_GCCOLLECT, 0);
    return 0;
}
}  // namespace

void lua_callback::collect_garbage() {
    if (!g_lua) return;
    lua_pushcfunction(g_lua, &full_collection);
    // Stack: [..., full_collection]
    pcall(0, 0);
    // Stack: [...]
}

bool lua_callback::pcall(int nargs, int nresults) {
    return pcall(g_lua, nargs, nresults);
}

bool lua_callback::pcall(lua_State* L, int nargs, int nresults) {
    if (!ZIN_CHECK_MSG(L != nullptr, "g_lua")) return false;
    // 1. The value below the arguments must be the function.
    ZIN_ASSERT_MSG(lua_isfunction(L, -1 - nargs), "lua_isfunction(g_lua, -1 - args)");
    const int base = lua_gettop(L) - nargs - 1;
    // While the state closes no event reaches the script: the objects a callback would meet may
    // be destroyed already.
    if (lua_isclosing(L)) {
        lua_settop(L, base < 0 ? 0 : base);
        for (int i = 0; i < nresults; ++i) lua_pushnil(L);
        return false;
    }
    const lua_class::trace_mark mark = lua_class::trace_save();
    // 2. The call.
    int status;
    {
        script_call_scope in_script;
        status = lua_pcall(L, nargs, nresults, 0);
    }
    // Script errors skip the return events of the functions they unwind: restore the indentation.
    lua_class::trace_restore(mark);
    if (status == 0) return true;
    // 3. Report the error value (as text, whatever it is).
    // Stack: [..., error value]
    char fallback[64];
    const char* text = (lua_type(L, -1) == LUA_TSTRING || lua_type(L, -1) == LUA_TNUMBER)
                           ? lua_tostring(L, -1)
                           : nullptr;
    if (!text) {
        snprintf(fallback, sizeof fallback, "(error object is a %s value)", luaL_typename(L, -1));
        text = fallback;
    }
    // Script text is in the system ANSI code page; the console and the debug output take UTF-8.
    const zut::utf8_from_codepage utf8(text);
    console::error(utf8);
    lua_class::debug_printf("%s\r\n", static_cast<const char*>(utf8));
    // nils stand in for the promised results, so the stack is as after a successful call.
    lua_settop(L, base < 0 ? 0 : base);
    for (int i = 0; i < nresults; ++i) lua_pushnil(L);
    return false;
}
