// The running skin's tray icons.
//
// tray_wnd_proc
//   1. A message of the icons' range whose id has a record, with a left press, a right press or a
//      left double click: g_hWnd to the foreground, then the record's left-click, right-click or
//      double-click callback (when set, no arguments); answer 0.
//   2. Everything else goes to the procedure the manager's window had before (the manager's own,
//      which answers the rest of the icons' range and passes all other messages on).
// Nothing leaves the procedure: script errors are reported by the protected call, anything else is
// caught and reported here.

#include "tray.h"

#include "tro_ui_zin.h"

#include <trovaplay/sdk/console.h>

#include <exception>

CDynArray<tray_icon_record> g_tray_icons;
CTrayIcon* g_tray = nullptr;

namespace {

WNDPROC s_previous_proc = nullptr;

tray_icon_record* find_record(uint32_t id) {
    for (uint32_t i = 0; i < g_tray_icons.getSize(); ++i)
        if (g_tray_icons[i].id == id) return &g_tray_icons[i];
    return nullptr;
}

// The callback of a mouse report, or null for the reports the script is not told of.
lua_callback* callback_of(tray_icon_record& record, LPARAM report) {
    switch (report) {
    case WM_LBUTTONDOWN: return &record.left_click;
    case WM_RBUTTONDOWN: return &record.right_click;
    case WM_LBUTTONDBLCLK: return &record.double_click;
    default: return nullptr;
    }
}

LRESULT pass_on(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (!s_previous_proc) return DefWindowProcW(hwnd, msg, wparam, lparam);
    return CallWindowProcW(s_previous_proc, hwnd, msg, wparam, lparam);
}

}  // namespace

void create_tray_icon() {
    if (!ZIN_CHECK_MSG(g_tray == nullptr, "tray icon manager exists")) return;
    // Without the main window the manager would make a window of its own: no tray then.
    if (!ZIN_CHECK_MSG(g_hWnd != nullptr, "g_hWnd")) return;
    g_tray = new CTrayIcon(g_hWnd);
    s_previous_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(g_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&tray_wnd_proc)));
}

void destroy_tray_icon() {
    // The manager's destructor gives the window the procedure it had before the manager, which
    // also takes tray_wnd_proc off.
    CTrayIcon* tray = g_tray;
    g_tray = nullptr;
    delete tray;
    s_previous_proc = nullptr;
    // The records' script functions died with the script state.
    g_tray_icons.clear();
}

bool remove_tray_record(uint32_t id) {
    tray_icon_record* record = find_record(id);
    if (!record) return false;
    const tray_icon_record gone = *record;
    g_tray_icons.remove(record);
    if (g_lua)
        for (int slot : {gone.left_click.slot, gone.right_click.slot, gone.double_click.slot})
            if (slot != 0) lua_class::unref(g_lua, slot);
    return true;
}

LRESULT CALLBACK tray_wnd_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    try {
        // 1.
        if (msg >= TRAY_FIRST_MESSAGE && msg <= TRAY_LAST_MESSAGE) {
            tray_icon_record* record = find_record(msg - TRAY_FIRST_MESSAGE);
            lua_callback* callback = record ? callback_of(*record, lparam) : nullptr;
            if (callback) {
                // A copy: the callback may remove its own icon (and record).
                lua_callback call = *callback;
                SetForegroundWindow(g_hWnd);
                if (g_lua && call.slot != 0) call.call();
                return 0;
            }
        }
        // 2.
        return pass_on(hwnd, msg, wparam, lparam);
    } catch (const std::exception& e) {
        console::report_error("tray_wnd_proc", e.what());
    }
    return 0;
}
