#pragma once
// The skin engine as the benchmarks set it up: a script state made as a skin load makes it, the
// window class and the paint lock, and the teardown of a skin unload.

#include <lua_class/lua_class.h>
#include <lua_class/lua_load.h>
#include <tro_ui_zin.h>

#include <lauxlib.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace bench {

inline BOOL TROVA_HOOK_CALL pass_everything(HWND, UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

// Delivers what waits in the thread's queue.
inline void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// The skin's script state (also g_lua), the window class and the paint lock.
inline lua_State* open_engine() {
    lua_State* L = skin_load::new_script_state();
    g_lua = L;
    g_trace_calls = false;
    g_quitting = false;
    register_window_class(&pass_everything);
    return L;
}

// Runs a piece of script on L; a failure ends the benchmark (exit code 2).
inline void run_or_die(lua_State* L, const std::string& code) {
    int status = luaL_loadbuffer(L, code.data(), code.size(), "=bench");
    if (status == 0) status = lua_pcall(L, 0, 0, 0);
    if (status != 0) {
        std::printf("script failed: %s\n", lua_tostring(L, -1));
        std::exit(2);
    }
}

// Torn down as a skin unload does.
inline void close_engine() {
    pump();
    unload_skin();
    g_host_hook = nullptr;
    pump();
}

}  // namespace bench
