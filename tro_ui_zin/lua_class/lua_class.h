#pragma once
// Script class binding: registry slots for script values, class registration with traced methods,
// objects constructed inside their userdata and destroyed by the collector, member tables, and
// lua_callback with the protected call that every engine callback runs through.
//
// Lua is compiled as C++: a script error unwinds as a C++ exception. Nothing here catches (...)
// around Lua calls; native functions turn std::exception into script errors.

#include <lua.h>
#include <lauxlib.h>

#include <array.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <new>
#include <type_traits>

#include "lua_compat.h"

// The one Lua state of the running skin; null while no skin is loaded.
extern lua_State* g_lua;
// Whether g_lua is closing: the state's own flag, set by lua_close while its collector runs the
// finalisers of every object (script finalisers included). Meanwhile no event reaches the script,
// no object with a destructor can be made, no window is found by its handle and nothing is
// repainted.
inline bool script_state_closing() { return g_lua && lua_isclosing(g_lua); }
// Whether a repaint is drawing parts (defined with the repaint, zin_window/repaint.cpp): set from
// the start of zin_window::redraw_rect's paint until it ends, however it ends.
bool paint_under_way();
// Whether modal UI (a popup menu, a host command that may open a dialog, a file, colour or font
// dialog) may open now: not while the state closes, where a finaliser that opened one would hold
// up the unload, and not while a paint is under way, where its modal loop would run inside a
// part's draw (a repaint asked for meanwhile only waits, and at the host's shutdown nothing is left
// to end the loop); the debug output then says that `what` was not shown, and why.
bool modal_ui_allowed(const char* what);
// While set, every bound method call writes a trace line and the call hook writes its lines.
extern bool g_trace_calls;
// Script calls under way (protected calls from native code into the script, nested ones counted):
// the skin must not be unloaded beneath them.
extern int g_script_calls;
// Called when the outermost script call has ended (an unload may be waiting for it).
void on_script_calls_ended();
struct script_call_scope {
    script_call_scope() { ++g_script_calls; }
    ~script_call_scope() {
        if (--g_script_calls == 0) on_script_calls_ended();
    }
    script_call_scope(const script_call_scope&) = delete;
    script_call_scope& operator=(const script_call_scope&) = delete;
};
// Number of registry slot numbers issued since the module was loaded (never reset).
extern uint32_t g_reg_slot_count;
// Freed registry slots, reused last-in first-out; emptied when the Lua state is closed.
extern CDynArray<int> g_reg_free_slots;

namespace lua_class {

// First registry slot number; 0 means "no slot".
constexpr int LUA_REGISTRY_OFFSET = 1000;

// Number -> signed 32-bit integer: truncation toward zero, saturated at the int32 range; NaN -> 0.
int32_t to_int32(lua_Number n);

// ---- Registry slots ----------------------------------------------------------------------------
void store_ref(lua_State* L, int index, int slot);
int ref(lua_State* L, int index);
void get_ref(lua_State* L, int slot);
void unref(lua_State* L, int slot);
int set_function_ref(lua_State* L, int index, int old_slot);

// ---- Classes -----------------------------------------------------------------------------------
// A method table is an array of luaL_Reg {name, function}; a class without methods registers the
// single entry {nullptr, nullptr} with count 1.
struct method_table {
    const luaL_Reg* entries;
    int count;
};

// The method table of a class without methods.
inline method_table no_methods() {
    static const luaL_Reg none[] = {{nullptr, nullptr}};
    return {none, 1};
}

// Class name of a userdata (the name registered for its metatable, "error" when none), or the type
// name of any other value.
const char* get_name(lua_State* L, int index);

void register_class(lua_State* L, const char* name, const luaL_Reg* methods, int count,
                    lua_CFunction new_function, lua_CFunction delete_function,
                    lua_CFunction member_function);

// The closure every method becomes (upvalues: class name, method name, native function).
int call_traced(lua_State* L);
// The __gc closure (upvalues: class name, and the delete function when there is one).
int gc(lua_State* L);

// ---- Trace line --------------------------------------------------------------------------------
// The trace line is indented by four blanks per open traced script function. The call hook reports
// every function it sees open and close; only the ones it asks to indent move the indentation, and
// a close takes back exactly what its open did (tail calls included). Script errors skip the
// closes of the functions they unwind: lua_callback::pcall saves and restores the state around
// each callback. The indentation is capped; the line never runs past its buffer.
void trace_enter(bool indent);
void trace_leave();
struct trace_mark {
    int depth;   // indentation levels
    int frames;  // functions open
};
trace_mark trace_save();
void trace_restore(trace_mark mark);
// The text the last trace line wrote (indentation included); for tests.
const char* last_trace_line();

// ---- Member tables -----------------------------------------------------------------------------
// Moves one kind of field between an object and the Lua stack.
class luaType {
public:
    virtual void push(void* field, lua_State* L) = 0;  // pushes the field's value
    virtual void get(void* field, lua_State* L) = 0;   // reads stack index 3 into the field
protected:
    ~luaType() = default;
};

template <class F> class luaDefType;

// A signed 32-bit field moved as a number; writes truncate toward zero (saturated).
template <> class luaDefType<long> final : public luaType {
public:
    void push(void* field, lua_State* L) override;
    void get(void* field, lua_State* L) override;
    static luaType* instance();  // one shared instance, made on first use, never destroyed
};

struct member_def {
    const char* name;
    size_t offset;
    luaType* type;
};

bool check_property_args(lua_State* L, const char** key, bool* is_set);
int member_access(lua_State* L, void* object, const member_def* members, int count);

// For a member function reading a key (at index 2): the class table's entry of that name (upvalue
// 1), so that methods, "new" and "__metatable" win over members. Pushes it and answers true when
// there is one; otherwise leaves the stack as it was.
bool push_class_entry(lua_State* L);
// Raises "'<key>' not a member of this class" for the key at index 2 ("'<type>'" in angle brackets
// when it is no string).
[[noreturn]] void raise_not_a_member(lua_State* L);

// ---- Objects of class T --------------------------------------------------------------------------
// T supplies `static const char* get_name()` and `static lua_class::method_table get_methods()`.
// Optional: `static constexpr bool lua_has_new = false;` for classes without constructor and
// metatable (plain tables of functions), `static constexpr bool lua_has_delete = false;` for classes
// whose objects the collector does not destroy. With a constructor, T is built from the state:
// `T(lua_State* L)` reads the script arguments from index 1 on.
namespace detail {
template <class T, class = void> struct has_new : std::true_type {};
template <class T> struct has_new<T, std::void_t<decltype(T::lua_has_new)>>
    : std::integral_constant<bool, T::lua_has_new> {};
template <class T, class = void> struct has_delete : std::true_type {};
template <class T> struct has_delete<T, std::void_t<decltype(T::lua_has_delete)>>
    : std::integral_constant<bool, T::lua_has_delete> {};

void write_new_line(const char* class_name);
// Raises "cannot make a <class> while the skin unloads" (never returns).
[[noreturn]] void raise_closing_error(lua_State* L, const char* class_name);
// Raises the script error for a std::exception caught out of native code (never returns).
[[noreturn]] void raise_native_error(lua_State* L, const char* what);
// Runs body (which answers a result count); a std::exception it throws becomes the script error
// with its message, raised once the handler has ended (the error must not cross a live exception).
template <class F>
int call_native(lua_State* L, F body) {
    char message[512];
    const char* failure = nullptr;
    int results = 0;
    try {
        results = body();
    } catch (const std::exception& e) {
        const char* what = e.what() ? e.what() : "";
        size_t i = 0;
        for (; i + 1 < sizeof message && what[i]; ++i) message[i] = what[i];
        message[i] = '\0';
        failure = message;
    }
    if (failure) raise_native_error(L, failure);
    return results;
}
// While an object is constructed its userdata is kept off the stack (so that the constructor sees
// exactly the script's arguments) and anchored in the registry under its own address; the anchor
// goes when the constructor has finished or failed.
void anchor_object(lua_State* L, void* memory);       // pops the userdata into the anchor
void push_anchored_object(lua_State* L, void* memory);
struct object_anchor {
    lua_State* L;
    void* memory;
    ~object_anchor();
};
// Sets the metatable registered under name on the value at index.
void set_class_metatable(lua_State* L, int index, const char* name);
// Objects built by T.new are listed, by address, in a registry table with weak values. The
// collector drops an object's entry before it calls the object's __gc; a script that reaches the
// class metatable (T.__metatable.__gc) and calls it on a live object finds the entry still there.
void list_live_object(lua_State* L, void* memory);  // the userdata on top; Stack: unchanged
// Whether __gc may destroy the object at index: the collector frees it, or finalises it while the
// state closes. False for a hand call on an object that is still alive (the engine may still point
// at it).
bool may_destroy(lua_State* L, int index);
// True when the value at index is a full userdata whose class name equals name (case-insensitive).
bool is_object_of(lua_State* L, int index, const char* name);
void report_wrong_delete(const char* expected, const char* got);
}  // namespace detail

template <class T> struct binding {
    static void register_type(lua_State* L, lua_CFunction member_function = nullptr) {
        const method_table methods = T::get_methods();
        lua_CFunction new_function = nullptr;
        lua_CFunction delete_function = nullptr;
        if constexpr (detail::has_new<T>::value) {
            new_function = &lua_new;
            if constexpr (detail::has_delete<T>::value) delete_function = &lua_delete;
        }
        register_class(L, T::get_name(), methods.entries, methods.count, new_function,
                       delete_function, member_function);
    }

    // The script's T.new(arguments).
    static int lua_new(lua_State* L) {
        detail::write_new_line(T::get_name());
        // An object made by a finaliser while the state closes would outlive it.
        if constexpr (detail::has_delete<T>::value) {
            if (lua_isclosing(L)) detail::raise_closing_error(L, T::get_name());
        }
        // 1. A bare userdata, anchored off the stack: the constructor reads the script's arguments
        //    from index 1 on, and lua_gettop is their number. While the constructor runs the
        //    userdata has no metatable, so a constructor that raises leaves nothing for the
        //    collector to destroy.
        void* memory = lua_newuserdata(L, sizeof(T));
        detail::anchor_object(L, memory);
        detail::object_anchor anchor{L, memory};
        // Stack: [arguments...]
        detail::call_native(L, [&] {
            new (memory) T(L);
            return 0;
        });
        // 2. Constructed: now the class metatable (and with it __gc) applies.
        detail::push_anchored_object(L, memory);
        detail::set_class_metatable(L, -1, T::get_name());
        if constexpr (detail::has_delete<T>::value) detail::list_live_object(L, memory);
        // Stack: [arguments..., (what the constructor left,) userdata]
        return 1;
    }

    // Called by the collector (through lua_class::gc) with the userdata at index 1.
    static int lua_delete(lua_State* L) {
        if (!detail::is_object_of(L, 1, T::get_name())) {
            // A hand call with a wrong value: report it and leave the value alone.
            detail::report_wrong_delete(T::get_name(), get_name(L, 1));
            return 0;
        }
        // A hand call on a live object leaves it alone: windows and parts are pointed at by the
        // engine's lists until the collector (or the closing state) frees them.
        if (!detail::may_destroy(L, 1)) return 0;
        T* object = static_cast<T*>(lua_touserdata(L, 1));
        object->~T();
        // The object is gone: without a metatable the userdata can neither be destroyed again
        // (by hand or by the collector) nor be fetched as a T.
        lua_pushnil(L);
        lua_setmetatable(L, 1);
        return 0;
    }

    // Pushes a fresh userdata for a T with T's metatable; the caller constructs the T in it.
    static T* push_new_userdata(lua_State* L) {
        void* memory = lua_newuserdata(L, sizeof(T));
        detail::set_class_metatable(L, lua_gettop(L), T::get_name());
        return static_cast<T*>(memory);
    }
};

// ---- Point members ---------------------------------------------------------------------------------
// A point is {int32 x, int32 y}; its member table maps "x" and "y" to those fields.
extern member_def g_point_members[2];

}  // namespace lua_class

// The point's member function (__index and __newindex of "point").
int point_member_access(lua_State* L);

// A reference to a script function in one registry slot (0 = unset). It frees nothing itself:
// its owner frees the slot with lua_class::unref (or stores nil with set_function_ref).
struct lua_callback {
    int slot = 0;

    void push();         // pushes the slot's function onto g_lua
    void call();         // push, then pcall with no arguments and no results
    void call_if_set();  // call when the slot is set
    // Protected call on g_lua of the function below the nargs arguments. On a script error the
    // error goes to the console and the debug output, and nresults nils stand in for the results,
    // so the stack is the same either way. Returns whether the call succeeded.
    static bool pcall(int nargs, int nresults);
    // The same on the given thread of g_lua (a native function called from a coroutine).
    static bool pcall(lua_State* L, int nargs, int nresults);
    // A full collection of g_lua. It runs the scripts' finalisers, and one of them may fail: it
    // runs as a protected call, so the failure is reported like any script error and the caller
    // goes on.
    static void collect_garbage();
};
