#pragma once
// The user-interface service `ui_zin`, the skin start-up and shutdown, and the process-wide globals
// of the start-up.

#include <trovaplay/sdk/play_control.h>
#include <trovaplay/sdk/playlist_manager.h>
#include <trovaplay/sdk/user_interface.h>

#include <windows.h>
#include <commdlg.h>

#include <cstdint>

// ---- Globals of the start-up (plain, no destructors) -------------------------------------------
extern HWND g_hWnd;                    // the hidden message-only main window; null until made
extern host_hook_proc g_host_hook;     // the hook handed to init; offered every message first
extern wchar_t* g_cwd;                 // the working directory at start-up (heap, never freed)
extern const char* g_profile_dir;      // the host's profile folder (behind "file://" when present)
extern play_control* g_play_control;   // the host's playback control, held for the whole run
extern playlist_manager* g_pl_oper;    // the host's playlist manager, held for the whole run
extern bool g_skin_running;            // set once a skin loaded and its script ran
extern bool g_config_enabled;          // initially set
extern bool g_quitting;                // set by the quit command: closing a window is refused

// Sets g_config_enabled again (every skin load; a skin may have cleared it with config.enable).
void set_config_enabled();

// ---- The service --------------------------------------------------------------------------------
class ui_zin : public user_interface {
public:
    const char* get_name() override;           // 3
    HWND init(host_hook_proc p_hook) override;  // 4
    void shutdown() override;                   // 5
    void activate() override;                   // 6
    bool hide() override;                       // 7
    bool is_visible() override;                 // 8
    GUID* get_guid(GUID* p_out) override;       // 9
    // 10 to 12 do nothing (the interface's empty bodies).

protected:
    ui_zin() = default;
    ~ui_zin() = default;
};

// The service object the factory hands out (for tests and the module's own callers).
user_interface& get_ui_zin();

// ---- Start-up -----------------------------------------------------------------------------------
// The profile folder behind the host profile path's "file://" prefix (a path without the prefix is
// used as it is; null gives "").
const char* profile_dir_of(const char* profile_path);
// The skin start-up: g_hWnd on success, null on failure (the failing step showed its message box).
HWND startup(host_hook_proc hook);
void register_window_class(host_hook_proc hook);
void create_main_window(WNDPROC window_proc);
// Destroys the main window and unregisters the two window classes (g_hWnd becomes null).
void destroy_main_window();

// The one extra thread: waits 100 ms, then asks the user-interface thread (through the main window)
// to bring the first open skin window to the foreground. It never reads the engine's lists itself.
DWORD WINAPI bring_to_front_thread(void* parameter);
// The component's own module, or null when the engine is linked into a program (the tests).
HMODULE engine_module();
// The private message of that request, below the tray icons' messages (0x801B on) and clear of the
// window procedure's own two (0x8019, 0x801A).
constexpr UINT WM_ZIN_BRING_TO_FRONT = WM_APP + 0x18;
// Asks the user-interface thread to finish an unload that had to wait for a script call to end.
constexpr UINT WM_ZIN_UNLOAD = WM_APP + 0x17;
// The same for a reload.
constexpr UINT WM_ZIN_RELOAD = WM_APP + 0x16;
// Its handling on the user-interface thread: the first open window to the foreground, if any.
void bring_first_window_to_front();
// The main window's procedure: the bring-to-front, unload and reload requests, everything else to
// the skin windows' procedure.
LRESULT CALLBACK main_window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// ---- Skin location and running ------------------------------------------------------------------
// Finds the skin: the remembered path when its file exists, else the open-file dialog. True when a
// path is set and its folder became the loader's skin folder.
bool locate_skin();
// Asks for another skin in the open-file dialog, owned by owner. A chosen file becomes the skin
// path (made absolute; load_skin takes its folder); cancelled -> false, and the skin path stays as
// it was.
bool choose_skin(HWND owner);
// The skin path's folder (with its trailing backslash) becomes the loader's skin folder; false when
// it could not be set.
bool set_skin_dir_from_path();
// Runs the loaded skin script; true when at least one window exists afterwards. A failure showed
// its message box and unloaded the skin.
bool execute_skin_script();

// Where locate_skin's open-file dialog goes: GetOpenFileNameW by default; tests replace it.
using open_file_dialog_function = BOOL (*)(OPENFILENAMEW* ofn);
open_file_dialog_function set_open_file_dialog(open_file_dialog_function function);

// ---- Unload -------------------------------------------------------------------------------------
// Removes everything the running skin created. Idempotent: safe with no script state, no paint lock
// and no windows, and safe to repeat.
void unload_skin();
// Runs an unload that waited for a script call to end (the WM_ZIN_UNLOAD request).
void finish_deferred_unload();
// The shutdown's end: the main window goes once the skin is unloaded; at once, or, when the unload
// waits for a script call, right after that unload (it needs the window's queue).
void destroy_main_window_after_unload();

// ---- Loading into the running engine and reloading ------------------------------------------------
// Loads the skin of g_skin_path into an engine without a skin (its folder becomes the loader's);
// the caller has selected the skin's configuration section. True when the script ran and made a
// window; a failure was shown to the user and leaves the engine unloaded.
bool load_skin();
// load_skin until it succeeds or the user answers "Retry ?" (under caption) with anything but
// Retry; true when the skin loaded.
bool load_skin_with_retry(const wchar_t* caption);
// The tray manager on g_hWnd (and the playlist title format): the services a loaded skin uses.
void init_tray_and_services();
// Reloads the running skin: its window states are remembered (OnUnload runs) and saved, the skin
// is unloaded and loaded again from its file with retry ("Loading of Skin failed. Cancel quits
// trova!"); when the user gives up, the message loop is asked to quit. The configuration section
// current at the call stays current; without one, the file is read for the reload and its sections
// dropped afterwards. Asked for during a script call, the reload waits until no script call runs
// and then comes from the message queue (WM_ZIN_RELOAD).
void reload_skin();
// Posts the waiting reload's request (the last script call has ended).
void post_deferred_reload();
// Runs a reload that waited for a script call to end (the WM_ZIN_RELOAD request).
void finish_deferred_reload();
