// The user-interface service `ui_zin` and the globals of the start-up.
//
// ui_zin::init
//   1. Obtain the one playback control and the one playlist manager (kept for the whole run).
//   2. Set g_config_enabled.
//   3. Run the skin start-up.
//   4. Start the bring-to-front thread, also when the start-up failed. Its handle is kept: a
//      further init and shutdown wait for it to end, so no thread of the component outlives them
//      (a process ending beneath the sleeping thread is not safe everywhere).
//   5. Return the main window (or null).
// Nothing leaves init or shutdown into the host: an exception is reported, the skin unloaded, and
// init returns null.
// ui_zin::shutdown
//   1. An open preferences page closes first: it writes its edits back and saves them, and lets go
//      of the configuration items that the reload of the file below frees.
//   2. With a skin loaded from a skin path: read the configuration, select this skin's section,
//      remember the window states (which ends with the script's OnUnload), save, drop the sections.
//   3. Always unload the skin.
//   4. Wait for the bring-to-front thread; the main window and the window classes go (no message
//      may reach this module's code once the host unloads it); give back the host's services.

#include "tro_ui_zin.h"
#include "playlist_format.h"

#include <zin_config/zin_conf.h>
#include <zin_config/zin_config.h>
#include <zin_window/zin_window.h>

#include <trovaplay/sdk/console.h>

#include <debug.h>

#include <exception>

HWND g_hWnd = nullptr;
host_hook_proc g_host_hook = nullptr;
wchar_t* g_cwd = nullptr;
const char* g_profile_dir = nullptr;
play_control* g_play_control = nullptr;
playlist_manager* g_pl_oper = nullptr;
bool g_skin_running = false;
bool g_config_enabled = true;
bool g_quitting = false;

namespace {

user_interface_factory<ui_zin> g_ui_zin_factory;

single_service_ptr_t<play_control>* s_play_control_ref = nullptr;
single_service_ptr_t<playlist_manager>* s_pl_oper_ref = nullptr;
HANDLE s_bring_to_front = nullptr;

// The thread only sleeps and posts: it ends well within the bound, even on a machine so loaded
// that the thread only gets to run late. The bound is there for a caller that holds the loader
// lock, which the ending thread needs.
void wait_for_bring_to_front() noexcept {
    if (!s_bring_to_front) return;
    WaitForSingleObject(s_bring_to_front, 10000);
    CloseHandle(s_bring_to_front);
    s_bring_to_front = nullptr;
}

void release_host_services() noexcept {
    g_playlist_format.release();
    g_play_control = nullptr;
    g_pl_oper = nullptr;
    delete s_play_control_ref;
    s_play_control_ref = nullptr;
    delete s_pl_oper_ref;
    s_pl_oper_ref = nullptr;
}

void unload_after_failure() noexcept {
    try {
        unload_skin();
    } catch (const std::exception& e) {
        console::report_error("ui_zin::init", e.what());
    }
}

}  // namespace

void set_config_enabled() { g_config_enabled = true; }

user_interface& get_ui_zin() { return g_ui_zin_factory.get_static_instance(); }

const char* ui_zin::get_name() { return "zin_window_debug"; }

HWND ui_zin::init(host_hook_proc p_hook) {
    HWND result = nullptr;
    try {
        // 1. The two services stay held for the engine's whole life; shutdown gives them back, so the
        //    host sees every reference returned. A missing or duplicated service throws.
        release_host_services();
        s_play_control_ref = new single_service_ptr_t<play_control>();
        g_play_control = s_play_control_ref->get_ptr();
        s_pl_oper_ref = new single_service_ptr_t<playlist_manager>();
        g_pl_oper = s_pl_oper_ref->get_ptr();
        // 2.
        set_config_enabled();
        // 3.
        result = startup(p_hook);
    } catch (const std::exception& e) {
        console::report_error("ui_zin::init", e.what());
        result = nullptr;
    } catch (...) {
        // The host is the outermost caller: no script call is under way that would need the error.
        console::report_error("ui_zin::init", "unknown exception");
        result = nullptr;
    }
    // A start-up that failed by an exception leaves nothing of the skin behind either.
    if (!result) unload_after_failure();
    // 4. Default stack, no flags. The thread holds a reference to this module, so that a host
    //    unloading it right after a failed start cannot pull the code from under the sleeping
    //    thread; the thread gives it back as it ends.
    wait_for_bring_to_front();
    HMODULE self = engine_module();
    HMODULE held = nullptr;
    if (self) GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                 reinterpret_cast<LPCWSTR>(self), &held);
    HANDLE thread = CreateThread(nullptr, 0, &bring_to_front_thread,
                                 reinterpret_cast<void*>(p_hook), 0, nullptr);
    if (thread)
        s_bring_to_front = thread;
    else if (held)
        FreeLibrary(held);
    // 5.
    return result;
}

void ui_zin::shutdown() {
    // 1.
    if (g_pref_dialog) DestroyWindow(g_pref_dialog);
    try {
        // 2. A skin that is not loaded (its start or reload failed) has no window states: storing
        //    its empty list would wipe the ones saved before.
        if (has_skin_path() && g_lua) {
            load_config();
            select_skin_section();
            remember_window_states();
            save_config();
            clear_skin_sections();
        }
    } catch (const std::exception& e) {
        console::report_error("ui_zin::shutdown", e.what());
    }
    // 3. Also after a failure above. (The compiled playlist title format, once it exists, is
    //    released here too, while the host that made it still runs.)
    try {
        unload_skin();
    } catch (const std::exception& e) {
        console::report_error("ui_zin::shutdown", e.what());
    }
    // 4. The thread posts to the main window: it ends before the window goes.
    wait_for_bring_to_front();
    destroy_main_window_after_unload();
    release_host_services();
}

void ui_zin::activate() {
    try {
        create_queued_windows();
    } catch (const std::exception& e) {
        console::report_error("ui_zin::activate", e.what());
    }
}

bool ui_zin::hide() {
    try {
        destroy_all_windows();
    } catch (const std::exception& e) {
        console::report_error("ui_zin::hide", e.what());
    }
    return true;
}

bool ui_zin::is_visible() { return g_window_handles.getSize() > 0; }

GUID* ui_zin::get_guid(GUID* p_out) {
    static const GUID guid = {0xED4FF790, 0x7437, 0x4129,
                              {0x8F, 0x87, 0x61, 0x70, 0x88, 0x06, 0x7E, 0x75}};
    if (p_out) *p_out = guid;
    return p_out;
}
