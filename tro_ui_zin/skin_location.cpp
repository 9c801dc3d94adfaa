// Finding the skin script and running it.
//
// locate_skin
//   1. Write "locating skin" to the debug output.
//   2. A remembered path whose file is gone is forgotten.
//   3. No path: ask for one in the open-file dialog ("Skins", *.lua, starting in g_cwd); cancelled
//      -> false.
//   4. A path without a backslash is made absolute; debug checks report a path that is empty, has
//      no backslash or ends in one.
//   5. The skin folder (the path up to and with its last backslash) becomes the loader's skin
//      folder, which it enters (wide-text call) before every file it opens.
// execute_skin_script
//   1. Run the compiled chunk (a script error: message box, the state closed).
//   2. No window defined: message box "no window defined!".
//   3. A failure unloads the skin: nothing of it stays reachable.
//   4. No window open or waiting: the first defined window is created now.

#include "tro_ui_zin.h"

#include <lua_class/lua_compat.h>
#include <lua_class/lua_load.h>
#include <zin_config/zin_config.h>
#include <zin_window/zin_window.h>

#include <debug.h>

#include <cstdlib>
#include <cwchar>

namespace {

constexpr DWORD FILE_BUFFER_LENGTH = 260;

BOOL default_open_file_dialog(OPENFILENAMEW* ofn) { return GetOpenFileNameW(ofn); }

open_file_dialog_function g_open_file_dialog = &default_open_file_dialog;

bool file_exists(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The skin file chosen in the open-file dialog (owned by owner), stored as the skin path; false
// when cancelled, and the skin path is then unchanged.
bool ask_for_skin(HWND owner) {
    if (!modal_ui_allowed("open-file dialog")) return false;
    wchar_t file[FILE_BUFFER_LENGTH] = {};
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = L"Skins\0*.lua\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = FILE_BUFFER_LENGTH;
    ofn.lpstrInitialDir = g_cwd;
    if (!g_open_file_dialog(&ofn)) return false;
    file[FILE_BUFFER_LENGTH - 1] = L'\0';
    set_skin_path(file);
    return true;
}

// A path without any backslash names a file in the working directory (or uses forward slashes):
// make it absolute, so that the skin folder is never empty.
void make_path_absolute() {
    const wchar_t* path = g_skin_path.get();
    if (wcschr(path, L'\\')) return;
    const DWORD size = GetFullPathNameW(path, 0, nullptr, nullptr);
    if (size == 0) return;
    wchar_t* full = static_cast<wchar_t*>(calloc(size + 1, sizeof(wchar_t)));
    if (!full) return;
    if (GetFullPathNameW(path, size + 1, full, nullptr) != 0) set_skin_path(full);
    free(full);
}

}  // namespace

open_file_dialog_function set_open_file_dialog(open_file_dialog_function function) {
    open_file_dialog_function previous = g_open_file_dialog;
    g_open_file_dialog = function ? function : &default_open_file_dialog;
    return previous;
}

bool locate_skin() {
    // 1.
    zin_debug_output("locating skin\n");
    // 2.
    if (has_skin_path() && !file_exists(g_skin_path.get())) set_skin_path(nullptr);
    // 3.
    if (!has_skin_path() && !ask_for_skin(g_hWnd)) return false;
    if (!ZIN_CHECK_MSG(has_skin_path(), "skin path empty")) return false;
    // 4.
    make_path_absolute();
    const wchar_t* path = g_skin_path.get();
    const wchar_t* last_separator = wcsrchr(path, L'\\');
    ZIN_ASSERT_MSG(last_separator != nullptr, "skin path without backslash");
    ZIN_ASSERT_MSG(!last_separator || last_separator[1] != L'\0', "skin path ends in a backslash");
    // 5.
    return set_skin_dir_from_path();
}

bool choose_skin(HWND owner) {
    if (!ask_for_skin(owner)) return false;
    make_path_absolute();
    return true;
}

bool set_skin_dir_from_path() {
    // The folder with its trailing backslash (none without a backslash: the loader then stays in
    // the working directory).
    const wchar_t* path = has_skin_path() ? g_skin_path.get() : L"";
    const wchar_t* last_separator = wcsrchr(path, L'\\');
    if (!last_separator) {
        lua_compat::set_skin_dir(nullptr);
        return true;
    }
    const size_t length = static_cast<size_t>(last_separator - path) + 1;
    wchar_t* dir = static_cast<wchar_t*>(calloc(length + 1, sizeof(wchar_t)));
    if (!dir) return false;
    wmemcpy(dir, path, length);
    lua_compat::set_skin_dir(dir);
    free(dir);
    return true;
}

bool execute_skin_script() {
    // 1. Writes "executing skin-script"; a script error showed its box and closed the state.
    if (!skin_load::run_skin_chunk()) {
        unload_skin();
        return false;
    }
    // 2.
    if (g_windows.getSize() == 0) {
        skin_load::show_message_box(L"no window defined!", L"zin_window_debug", MB_ICONHAND);
        // 3.
        unload_skin();
        return false;
    }
    // 4.
    if (g_window_handles.getSize() > 0 || g_pending_windows.getSize() > 0) return true;
    queue_window(g_windows[0]);
    create_queued_windows();
    return true;
}
