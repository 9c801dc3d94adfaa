// Unloading the running skin: shutdown, a failed start-up and a failed skin all end here.
//
// unload_skin, in this order:
//   1. The skin is no longer running.
//   2. End a layout edit. Close the script state (its collector destroys every script object)
//      after emptying the registry's free-slot list. Finalisers are script code: the window lists,
//      the global callbacks and the paint lock stay valid until the state is closed.
//   3. Empty the window lists and the docking list, forget the 13 global callbacks, delete the
//      paint lock.
//   4. Delete the tray manager (its icons leave the tray) and the tray records; empty the timer
//      lists; forget the pressed button.
//   5. The playlist title mirror and views.
// Every step is safe when there is nothing to undo, so the unload may run any number of times.
// An unload asked for while a script call runs (a callback that reaches the host, which shuts the
// interface down) would close the state beneath that call: it waits, and the user-interface thread
// finishes it from its message queue once no script call is under way.

#include "tro_ui_zin.h"
#include "tray.h"

#include <debug.h>

#include <lua_class/lua_load.h>
#include <zin_classes/button.h>
#include <zin_classes/timer.h>
#include <zin_window/callbacks.h>
#include <zin_window/docking.h>
#include <zin_window/edit_mode.h>
#include <zin_window/playlist_events.h>
#include <zin_window/zin_window.h>

namespace {
bool g_unload_pending = false;
// Set by a shutdown whose unload waits: the main window goes after that unload.
bool g_main_window_doomed = false;
}

void unload_skin() {
    // 1.
    g_skin_running = false;
    if (g_script_calls > 0) {
        if (!g_unload_pending) zin_debug_output("!!unload waits for the running script call\n");
        g_unload_pending = true;
        return;
    }
    g_unload_pending = false;
    // A finaliser that asks for an unload while the state closes is inside this very unload.
    if (script_state_closing()) return;
    // 2.
    edit_mode_reset();
    skin_load::close_state();
    // 3.
    clear_window_lists();
    dock_clear();
    clear_global_callbacks();
    delete_paint_lock();
    // 4.
    destroy_tray_icon();
    // The timers died with the state; their ids are all free again.
    g_timers.clear();
    g_free_timer_ids.clear();
    button_reset_pressed();
    // 5.
    playlist_unload();
}

// The outermost script call has ended: its caller may still read the script's results, so the
// waiting unload runs from the message queue, not from here.
void on_script_calls_ended() {
    if (g_unload_pending && g_hWnd) PostMessageW(g_hWnd, WM_ZIN_UNLOAD, 0, 0);
    post_deferred_reload();
}

void finish_deferred_unload() {
    // A script call that started since the request will post again when it ends.
    if (!g_unload_pending || g_script_calls > 0) return;
    unload_skin();
    if (g_main_window_doomed) destroy_main_window_after_unload();
}

void destroy_main_window_after_unload() {
    g_main_window_doomed = g_unload_pending;
    if (!g_unload_pending) destroy_main_window();
}
