#pragma once
// Script class timer: a Windows timer on the main window that calls a script function.
//
//   timer.new(function or nil)  a timer with a fresh id (ids count from 44; freed ids are reused)
//   t:start(ms)                 starts or restarts it with period ms
//   t:stop()                    stops it
// The collector destroys a timer: its Windows timer is killed, its id freed, its function released.

#include <lua_class/lua_class.h>
#include <tro_ui_zin.h>  // g_hWnd, the main window that owns the timers

#include <array.h>

#include <windows.h>

#include <stdint.h>

struct timer {
    uint32_t id;
    lua_callback callback;  // unset (0) for a timer made without a function

    explicit timer(lua_State* L);
    ~timer();

    timer(const timer&) = delete;
    timer& operator=(const timer&) = delete;

    static const char* get_name() { return "timer"; }
    static lua_class::method_table get_methods();
};

// The first timer id; the timer with id n sits at index n - first_timer_id of g_timers.
constexpr uint32_t first_timer_id = 44;

// Every timer by id (a destroyed timer's entry is null until its id is reused).
extern CDynArray<timer*> g_timers;
// Ids given back by destroyed timers, reused last first.
extern CDynArray<uint32_t> g_free_timer_ids;

// The Windows timer procedure of every script timer: calls the timer's function without tracing.
void CALLBACK timer_proc(HWND hwnd, UINT message, UINT_PTR id, DWORD time);
