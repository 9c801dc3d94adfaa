// The skin start-up, its window classes and main window, and the bring-to-front thread.
//
// startup, in this order (nothing done before a failing step is undone here):
//   1. Remember the working directory in g_cwd.
//   2. The host's profile folder: the profile path behind its "file://" prefix.
//   3. Load the configuration file (a failure is ignored).
//   4. Locate the skin; cancelled -> null.
//   5. Create the script state and load the skin; failed -> null.
//   6. Register the skin windows' class (and make the paint lock).
//   7. Create the hidden main window.
//   8. Select this skin's configuration section.
//   9. Run the skin script; failed (the skin is unloaded again) -> null.
//  10. Save the configuration and drop the sections.
//  11. Mark the skin running.
//  12. A full garbage collection.
//  13. Return g_hWnd.

#include "tro_ui_zin.h"


#include <lua_class/lua_class.h>
#include <lua_class/lua_load.h>
#include <zin_classes/playlist.h>
#include <zin_config/zin_config.h>
#include <zin_window/zin_window.h>

#include <trovaplay/sdk/console.h>
#include <trovaplay/sdk/core_api.h>

#include <debug.h>

#include <commctrl.h>
#include <ole2.h>

#include <cstdlib>
#include <cstring>
#include <exception>

namespace {

const char PROFILE_PREFIX[] = "file://";
constexpr size_t PROFILE_PREFIX_LENGTH = sizeof PROFILE_PREFIX - 1;

// The working directory, as long as the system reports it; null when it cannot be read.
wchar_t* current_directory() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0) return nullptr;
    wchar_t* dir = static_cast<wchar_t*>(calloc(size + 1, sizeof(wchar_t)));
    if (dir && GetCurrentDirectoryW(size + 1, dir) == 0) dir[0] = L'\0';
    return dir;
}

}  // namespace

const char* profile_dir_of(const char* profile_path) {
    if (!profile_path) return "";
    const bool has_prefix = strncmp(profile_path, PROFILE_PREFIX, PROFILE_PREFIX_LENGTH) == 0;
    ZIN_ASSERT_MSG(has_prefix, "profile path without file://");
    return has_prefix ? profile_path + PROFILE_PREFIX_LENGTH : profile_path;
}

HWND startup(host_hook_proc hook) {
    // 1.
    g_cwd = current_directory();
    // 2.
    g_profile_dir = profile_dir_of(core_api::get_profile_path());
    // 3.
    load_config();
    // 4.
    if (!locate_skin()) return nullptr;
    // 5.
    if (!load_lua(g_skin_path.get())) return nullptr;
    // 6. - 7.
    register_window_class(hook);
    create_main_window(&main_window_proc);
    // 8.
    select_skin_section();
    // 9.
    if (!execute_skin_script()) return nullptr;
    // 10.
    save_config();
    clear_skin_sections();
    // 11.
    g_skin_running = true;
    // 12. Threshold 0: collect everything unreachable now (a failing finaliser is reported).
    lua_callback::collect_garbage();
    // 13.
    return g_hWnd;
}

void register_window_class(host_hook_proc hook) {
    // 1. Dropping files and the shell's dialogs want OLE on this thread.
    OleInitialize(nullptr);
    // 2.
    g_host_hook = hook;
    // 3. The class of every skin window. Registering it again (a second start-up) fails harmlessly.
    WNDCLASSW wc = {};
    wc.style = CS_OWNDC | CS_DBLCLKS;
    wc.lpfnWndProc = &zin_window_proc;
    wc.hInstance = core_api::get_my_instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"zin_window_debug";
    RegisterClassW(&wc);
    // 4.
    init_paint_lock();
}

void create_main_window(WNDPROC window_proc) {
    // 1.
    InitCommonControls();
    // 2. The active playlist's focus item starts the playlist views' focus and selection anchor.
    if (g_pl_oper) playlist_init_selection(g_pl_oper->activeplaylist_get_focus_item());
    // 3. A class without a name, under the integer class atom 1.
    WNDCLASSW wc = {};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = core_api::get_my_instance();
    wc.lpszClassName = MAKEINTATOM(1);
    RegisterClassW(&wc);
    // 4. Message-only: never shown on screen.
    g_hWnd = CreateWindowExW(WS_EX_TOPMOST, MAKEINTATOM(1), nullptr, WS_VISIBLE, CW_USEDEFAULT,
                             CW_USEDEFAULT, 500, 500, HWND_MESSAGE, nullptr,
                             core_api::get_my_instance(), nullptr);
    ZIN_ASSERT_MSG(g_hWnd != nullptr, "g_hWnd");
    // 5. The tray-icon manager on g_hWnd and the playlist rows' title format.
    init_tray_and_services();
}

void destroy_main_window() {
    if (g_hWnd) DestroyWindow(g_hWnd);
    g_hWnd = nullptr;
    // Fails harmlessly for a class that was never registered or still has windows.
    const HINSTANCE instance = core_api::get_my_instance();
    UnregisterClassW(MAKEINTATOM(1), instance);
    UnregisterClassW(L"zin_window_debug", instance);
}

DWORD WINAPI bring_to_front_thread(void*) {
    Sleep(100);
    // The window lists belong to the user-interface thread: ask it.
    if (g_hWnd) PostMessageW(g_hWnd, WM_ZIN_BRING_TO_FRONT, 0, 0);
    // Give back the module reference that init took for this thread.
    if (HMODULE self = engine_module()) FreeLibraryAndExitThread(self, 0);
    return 0;
}

HMODULE engine_module() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&engine_module), &self))
        return nullptr;
    return self == GetModuleHandleW(nullptr) ? nullptr : self;
}

void bring_first_window_to_front() {
    if (g_window_handles.getSize() > 0) SetForegroundWindow(g_window_handles[0].handle);
}

LRESULT CALLBACK main_window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg != WM_ZIN_BRING_TO_FRONT && msg != WM_ZIN_UNLOAD && msg != WM_ZIN_RELOAD)
        return zin_window_proc(hwnd, msg, wparam, lparam);
    // A reload reads files, runs the skin and asks the user: nothing of it may leave the procedure.
    try {
        if (msg == WM_ZIN_BRING_TO_FRONT) bring_first_window_to_front();
        if (msg == WM_ZIN_UNLOAD) finish_deferred_unload();
        if (msg == WM_ZIN_RELOAD) finish_deferred_reload();
    } catch (const std::exception& e) {
        console::report_error("main_window_proc", e.what());
    } catch (...) {
        // The message loop is the outermost caller: no script call is open here.
        console::report_error("main_window_proc", "unknown exception");
    }
    return 0;
}
