// Script-defined parts: their classes, instances and the forwarding of the part's operations.
//
// new_base_class (clipping):
//   1. The instances' metatable: a table of its own for every class, named "base_class" in the
//      registry (so typed checks accept the part), with the collector's __gc, locked.
//   2. The class table {__metatable, clipping, new}; new keeps the class table as its upvalue.
// new (rect, ...):
//   1. Check everything first: the rect, the class's "clipping" (a boolean), its functions (nil or
//      functions), its "__metatable" (one made here) and room on the stack for create's arguments,
//      so that a failure leaves nothing behind.
//   2. The instance table and the part (a userdata with the class's metatable) as its "ref".
//   3. Registry slots for the functions, the instance and a rect copy stored as "mRect".
//   4. create (instance, arguments after the rect), when the class has it, under the protected
//      call of every callback: an error in it goes to the console and new still returns the
//      instance.
// message (event):
//   1. No message function: not handled.
//   2. code = the event's message - WM_LBUTTONDOWN (-1 a move); a move into the part while it is
//      not in its window's hover list files it there (the leave comes back as code 10) and is
//      code 9.
//   3. message (instance, code); handled when its result is true.

#include "base_class.h"

#include <lua_class/lua_compat.h>
#include <lua_class/lua_debug.h>
#include <zin_window/zin_window.h>

#include <cstring>

const char* const base_class::kCallbackNames[CB_COUNT] = {"create", "delete", "show", "hide",
                                                          "draw",   "size",   "message"};

namespace {

const char kClassName[] = "base_class";

// A hover entry's leave callback that only counts as set: no registry slot is behind it (below
// the first slot number, so nothing frees it).
constexpr int kLeaveMark = 1;

constexpr int kHoverEnterCode = 9;

int class_new(lua_State* L);

// 1. - 2. Pushes a new class table.
void push_new_class(lua_State* L, bool clipping) {
    lua_newtable(L);
    // Stack: [T]
    // 1.
    lua_newtable(L);
    // Stack: [T, M]
    lua_pushvalue(L, -1);
    lua_pushstring(L, kClassName);
    lua_rawset(L, LUA_REGISTRYINDEX);
    lua_pushliteral(L, "__gc");
    lua_pushlightuserdata(L, const_cast<char*>(kClassName));
    lua_pushcfunction(L, &lua_class::binding<base_class>::lua_delete);
    lua_pushcclosure(L, &lua_class::gc, 2);
    // Stack: [T, M, "__gc", gc closure]
    lua_rawset(L, -3);
    // Scripts reach M (T.__metatable) but may not change it: the collector finds __gc there.
    lua_locktable(L, -1);
    // 2.
    lua_pushliteral(L, "__metatable");
    lua_insert(L, -2);
    // Stack: [T, "__metatable", M]
    lua_rawset(L, -3);
    lua_pushliteral(L, "clipping");
    lua_pushboolean(L, clipping);
    lua_rawset(L, -3);
    lua_pushliteral(L, "new");
    lua_pushvalue(L, -2);
    lua_pushcclosure(L, &class_new, 1);
    // Stack: [T, "new", new closure]
    lua_rawset(L, -3);
    // Stack: [T]
}

// The class table's entry name (upvalue 1 of new), pushed.
void push_class_entry(lua_State* L, const char* name) {
    lua_pushstring(L, name);
    lua_rawget(L, lua_upvalueindex(1));
}

// Whether the value on top is an instances' metatable made by push_new_class.
bool is_part_metatable(lua_State* L) {
    if (!lua_istable(L, -1)) return false;
    lua_pushvalue(L, -1);
    lua_rawget(L, LUA_REGISTRYINDEX);
    // Stack: [..., M, registry[M]]
    const bool named = lua_type(L, -1) == LUA_TSTRING && strcmp(lua_tostring(L, -1), kClassName) == 0;
    lua_pop(L, 1);
    return named;
}

int class_new(lua_State* L) {
    lua_class::detail::write_new_line(kClassName);
    // A part made by a finaliser while the state closes would outlive it.
    if (lua_isclosing(L)) lua_class::detail::raise_closing_error(L, kClassName);
    const int arg_count = lua_gettop(L);
    // Stack: [rect, arguments...]
    // 1.
    check_rect(L, 1);
    if (!lua_istable(L, lua_upvalueindex(1))) return luaL_error(L, "no class table");
    push_class_entry(L, "clipping");
    if (lua_type(L, -1) != LUA_TBOOLEAN)
        return luaL_error(L, "the class's clipping must be a boolean, not %s", luaL_typename(L, -1));
    const bool clipping = lua_toboolean(L, -1) != 0;
    lua_pop(L, 1);
    for (const char* name : base_class::kCallbackNames) {
        push_class_entry(L, name);
        const int type = lua_type(L, -1);
        if (type != LUA_TNIL && type != LUA_TFUNCTION)
            return luaL_error(L, "the class's %s must be a function, not %s", name,
                              luaL_typename(L, -1));
        lua_pop(L, 1);
    }
    // Another class's metatable would make the part pass for an object of that class.
    push_class_entry(L, "__metatable");
    if (!is_part_metatable(L)) return luaL_error(L, "the class's __metatable is no part metatable");
    // create gets a copy of every argument after the rect, beside the class table, the instance
    // and the function: the script chose how many.
    luaL_checkstack(L, arg_count + 4, "too many arguments for create");
    // Stack: [rect, arguments..., M]
    // 2.
    lua_newtable(L);
    const int instance = lua_gettop(L);
    void* memory = lua_newuserdata(L, sizeof(base_class));
    // Stack: [rect, arguments..., M, instance, part]
    base_class* part = new (memory) base_class(L);
    lua_pushvalue(L, instance - 1);
    lua_setmetatable(L, -2);
    lua_class::detail::list_live_object(L, memory);
    lua_pushliteral(L, "ref");
    lua_pushvalue(L, -2);
    lua_rawset(L, instance);
    lua_pop(L, 1);
    // Stack: [rect, arguments..., M, instance]
    // 3.
    part->mClipping = clipping ? 1 : 0;
    for (int i = 0; i < base_class::CB_COUNT; ++i) {
        push_class_entry(L, base_class::kCallbackNames[i]);
        if (lua_isfunction(L, -1)) part->mCallbacks[i].slot = lua_class::ref(L, -1);
        lua_pop(L, 1);
    }
    part->mInstanceRef = lua_class::ref(L, instance);
    push_rect(L, part->mRect);
    part->mRectRef = lua_class::ref(L, -1);
    lua_pushliteral(L, "mRect");
    lua_insert(L, -2);
    // Stack: [rect, arguments..., M, instance, "mRect", rect copy]
    lua_rawset(L, instance);
    // 4. create runs as every callback does: its error is reported and new goes on.
    if (part->mCallbacks[base_class::CB_CREATE].slot != 0) {
        lua_class::get_ref(L, part->mCallbacks[base_class::CB_CREATE].slot);
        lua_pushvalue(L, instance);
        for (int i = 2; i <= arg_count; ++i) lua_pushvalue(L, i);
        // Stack: [rect, arguments..., M, instance, create, instance, arguments...]
        lua_callback::pcall(L, arg_count, 0);
    }
    lua_pushvalue(L, instance);
    return 1;
}

}  // namespace

// ---- Classes ------------------------------------------------------------------------------------

int new_base_class(lua_State* L) {
    if (lua_type(L, 1) != LUA_TBOOLEAN) luaL_typerror(L, 1, "boolean");
    push_new_class(L, lua_toboolean(L, 1) != 0);
    return 1;
}

void register_base_class(lua_State* L) {
    lua_pushstring(L, kClassName);
    push_new_class(L, false);
    lua_rawset(L, LUA_GLOBALSINDEX);
}

// ---- The part -----------------------------------------------------------------------------------

base_class::base_class(lua_State* L) : class_base(L), mInstanceRef(0), mRectRef(0), mClipping(0) {}

base_class::~base_class() {
    for (lua_callback& callback : mCallbacks) lua_class::unref(g_lua, callback.slot);
    ZIN_ASSERT_MSG(mInstanceRef != 0 && mRectRef != 0, "m_ref && m_rect_ref");
    lua_class::unref(g_lua, mInstanceRef);
    lua_class::unref(g_lua, mRectRef);
}

void base_class::push_instance(lua_State* L) const {
    lua_class::get_ref(L, mInstanceRef);
}

bool base_class::push_call(int which) {
    if (mCallbacks[which].slot == 0 || !g_lua) return false;
    mCallbacks[which].push();
    push_instance(g_lua);
    // Stack: [..., function, instance]
    return true;
}

void base_class::call_with_instance(int which) {
    if (push_call(which)) lua_callback::pcall(1, 0);
}

void base_class::draw(HDC, const rect& r, const rect& clip) {
    if (!push_call(CB_DRAW)) return;
    push_rect(g_lua, r);
    push_rect(g_lua, clip);
    // Stack: [..., draw, instance, r, clip]
    lua_callback::pcall(3, 0);
}

void base_class::size() {
    if (g_lua) {
        lua_class::get_ref(g_lua, mRectRef);
        // Stack: [..., rect object]
        if (lua_class::detail::is_object_of(g_lua, -1, "rect"))
            *static_cast<rect*>(lua_touserdata(g_lua, -1)) = mRect;
        lua_pop(g_lua, 1);
    }
    call_with_instance(CB_SIZE);
}

void base_class::show() { call_with_instance(CB_SHOW); }

void base_class::hide() { call_with_instance(CB_HIDE); }

int script_part_event_code(uint32_t msg) {
    return msg == WM_MOUSEMOVE ? -1 : static_cast<int>(msg) - WM_LBUTTONDOWN;
}

bool base_class::message(const struct mouse_event& event) {
    // 1.
    if (mCallbacks[CB_MESSAGE].slot == 0 || !g_lua) return false;
    // 2.
    int code = script_part_event_code(event.msg);
    if (event.msg == WM_MOUSEMOVE && mpWin && point_in_rect(event.pos, mRect)) {
        bool hovered = false;
        for (uint32_t i = 0; i < mpWin->mHover.getSize() && !hovered; ++i)
            hovered = mpWin->mHover[i].part == this;
        if (!hovered) {
            mpWin->mHover.push(hover_entry{&mRect, this, lua_callback{kLeaveMark}});
            code = kHoverEnterCode;
        }
    }
    // 3.
    push_call(CB_MESSAGE);
    lua_pushnumber(g_lua, code);
    // Stack: [..., message, instance, code]
    lua_callback::pcall(2, 1);
    // Stack: [..., result]
    const bool handled = lua_toboolean(g_lua, -1) != 0;
    lua_pop(g_lua, 1);
    return handled;
}
