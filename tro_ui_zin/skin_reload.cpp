// Loading a skin into the running engine, retrying under the user's control, and the reload of
// the running skin.
//
// load_skin (the caller has selected the skin's configuration section)
//   1. Create the script state and load the skin file; failed -> false (nothing else was made).
//   2. Enable the configuration.
//   3. Make the paint lock.
//   4. The tray manager and the playlist rows' title format.
//   5. Run the skin script: success -> save the configuration, mark the skin running, true;
//      failure -> unload, false.
// load_skin_with_retry(caption)
//   1. load_skin; success -> true.
//   2. "Retry ?" (Retry and Cancel), owned by the preferences page: Retry starts again at 1,
//      anything else -> false.
// reload_skin
//   1. Asked for during a script call: wait until none runs (the message queue brings it back).
//   2. Without a current configuration section: read the file and select the skin's section.
//   3. Remember the window states (the script's OnUnload runs), save, unload.
//   4. Load again with retry; given up -> the message loop is asked to quit.
//   5. A section selected in step 2 is dropped again.

#include "tro_ui_zin.h"
#include "playlist_format.h"
#include "tray.h"

#include <lua_class/lua_class.h>
#include <lua_class/lua_load.h>
#include <zin_config/zin_conf.h>
#include <zin_config/zin_config.h>
#include <zin_window/zin_window.h>

#include <debug.h>

namespace {

bool s_reload_pending = false;

}  // namespace

void init_tray_and_services() {
    create_tray_icon();
    compile_playlist_format();
}

bool load_skin() {
    // A skin still loaded (an unload that waits for a script call) or a script call under way
    // would be overwritten beneath its owner.
    if (!ZIN_CHECK_MSG(g_lua == nullptr && g_script_calls == 0, "load_skin: a skin is still loaded"))
        return false;
    // 1. Into the folder of the skin path, whatever skin ran before.
    if (!set_skin_dir_from_path()) return false;
    if (!load_lua(g_skin_path.get())) return false;
    // 2.
    set_config_enabled();
    // 3.
    init_paint_lock();
    // 4.
    init_tray_and_services();
    // 5. A failing script has unloaded the skin already.
    if (!execute_skin_script()) return false;
    save_config();
    g_skin_running = true;
    return true;
}

bool load_skin_with_retry(const wchar_t* caption) {
    for (;;) {
        // 1.
        if (load_skin()) return true;
        // 2.
        if (skin_load::show_message_box(L"Retry ?", caption, MB_RETRYCANCEL | MB_ICONHAND, g_pref_dialog) !=
            IDRETRY)
            return false;
    }
}

void reload_skin() {
    // 1.
    if (g_script_calls > 0) {
        if (!s_reload_pending) zin_debug_output("!!reload waits for the running script call\n");
        s_reload_pending = true;
        return;
    }
    s_reload_pending = false;
    // 2.
    const bool own_section = g_current_section == nullptr;
    if (own_section) {
        load_config();
        select_skin_section();
    }
    // 3. Only a skin that runs has window states worth keeping.
    if (g_lua) remember_window_states();
    save_config();
    unload_skin();
    // 4.
    if (!load_skin_with_retry(L"Loading of Skin failed. Cancel quits trova!")) PostQuitMessage(0);
    // 5.
    if (own_section) clear_skin_sections();
}

void post_deferred_reload() {
    if (s_reload_pending && g_hWnd) PostMessageW(g_hWnd, WM_ZIN_RELOAD, 0, 0);
}

void finish_deferred_reload() {
    if (s_reload_pending && g_script_calls == 0) reload_skin();
}
