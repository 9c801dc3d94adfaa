// Script timers.
//
// Timer ids
//   1. A new timer takes the last freed id, when there is one, and its entry in g_timers.
//   2. Otherwise its id is 44 + the number of entries, and it appends itself.
//   3. A destroyed timer kills its Windows timer, empties its entry and gives its id back.
//   4. Unloading a skin empties both lists, so each skin's ids start again at 44.
// Tick (timer_proc)
//   1. Find the live timer of the id; none, or one without a function: nothing happens.
//   2. Call its function with tracing off, then put the trace flag back as it was.

#include "timer.h"

#include "values.h"

#include <lua_class/lua_compat.h>
#include <trovaplay/sdk/console.h>

#include <exception>

CDynArray<timer*> g_timers;
CDynArray<uint32_t> g_free_timer_ids;

namespace {

timer* check_timer(lua_State* L, int index) {
    return static_cast<timer*>(lua_compat::check_udata(L, index, "timer"));
}

// The live timer with this id, or null.
timer* find_timer(UINT_PTR id) {
    if (id < first_timer_id) return nullptr;
    const UINT_PTR index = id - first_timer_id;
    if (index >= g_timers.getSize()) return nullptr;
    return g_timers[static_cast<uint32_t>(index)];
}

// t:start(ms)
int timer_start(lua_State* L) {
    timer* t = check_timer(L, 1);
    const int32_t ms = lua_class::to_int32(luaL_checknumber(L, 2));
    // Without the main window the system would pick an id of its own, which no timer knows.
    if (!ZIN_CHECK_MSG(g_hWnd != nullptr, "g_hWnd")) return 0;
    SetTimer(g_hWnd, t->id, static_cast<UINT>(ms < 0 ? 0 : ms), &timer_proc);
    return 0;
}

// t:stop()
int timer_stop(lua_State* L) {
    timer* t = check_timer(L, 1);
    if (g_hWnd) KillTimer(g_hWnd, t->id);
    return 0;
}

const luaL_Reg kTimerMethods[] = {
    {"start", &timer_start},
    {"stop", &timer_stop},
};

}  // namespace

timer::timer(lua_State* L) : id(0), callback() {
    // The function is taken first: a wrong argument raises before the timer is listed anywhere.
    const int count = zin_classes::constructor_arg_count(L);
    if (count >= 1 && !lua_isnil(L, 1)) callback.slot = lua_class::set_function_ref(L, 1, 0);
    // 1. A freed id is taken only while its entry is still there and empty.
    while (g_free_timer_ids.getSize() != 0) {
        const uint32_t freed = g_free_timer_ids.pop();
        const uint32_t index = freed - first_timer_id;
        if (index < g_timers.getSize() && g_timers[index] == nullptr) {
            id = freed;
            g_timers[index] = this;
            return;
        }
    }
    // 2.
    id = first_timer_id + g_timers.getSize();
    g_timers.push(this);
}

timer::~timer() {
    // 3.
    if (g_hWnd) KillTimer(g_hWnd, id);
    const uint32_t index = id - first_timer_id;
    // The id is given back only while it is still this timer's: after an unload emptied the lists
    // it belongs to nobody, and the next skin counts from 44 again.
    if (index < g_timers.getSize() && g_timers[index] == this) {
        g_timers[index] = nullptr;
        g_free_timer_ids.push(id);
    }
    lua_class::unref(g_lua, callback.slot);
    callback.slot = 0;
}

lua_class::method_table timer::get_methods() {
    return {kTimerMethods, static_cast<int>(sizeof kTimerMethods / sizeof kTimerMethods[0])};
}

void CALLBACK timer_proc(HWND, UINT, UINT_PTR id, DWORD) {
    // A tick can arrive inside an untraced call (a modal loop run from a callback): the trace flag
    // is put back as it was, not forced on.
    const bool tracing = g_trace_calls;
    // Nothing may unwind into the system's message dispatch. The function runs protected, so no
    // script error reaches the handlers below: they only meet the engine's own failures.
    try {
        // 1.
        const timer* t = find_timer(id);
        if (!t || t->callback.slot == 0 || !g_lua) return;
        // The function may drop the last reference to its timer: work on a copy of the callback.
        lua_callback callback = t->callback;
        // 2.
        g_trace_calls = false;
        callback.call();
    } catch (const std::exception& e) {
        console::report_error("timer", e.what());
    } catch (...) {
        console::report_error("timer", "unknown exception");
    }
    g_trace_calls = tracing;
}
