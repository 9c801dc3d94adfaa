// The window procedure of every skin window and of the hidden main window.
//
//   1. The private messages: create the pending windows (0x801A), quit (0x8019).
//   2. The host's hook has the first say.
//   3. A handle without a record (the main window, a window being made) gets the default procedure.
//   4. WM_NCPAINT repaints what Windows reports as needing paint; all drawing happens there.
//   5. Mouse messages go to the mouse dispatch.
//   6. Activation, close, position changes, keys, minimising, wheel, parent notifications, the end
//      of a move or size, dropped files and the taskbar's restart.
//
// Nothing leaves the procedure: script errors are reported by the protected calls, anything else
// is caught here and reported on the console.

#include "zin_window.h"

#include "docking.h"

#include <trovaplay/sdk/console.h>

#include <exception>

namespace {

constexpr UINT WM_ZIN_CREATE_PENDING = WM_APP + 0x1A;
constexpr UINT WM_ZIN_QUIT = WM_APP + 0x19;
// Set in WINDOWPOS flags for state changes (minimise, maximise, restore): nothing to do then.
constexpr UINT SWP_STATE_CHANGED = 0x8000;

LRESULT on_close(zin_window* w, HWND hwnd, WPARAM wparam, LPARAM lparam) {
    // A close asked for while this window's close is under way (from OnClose, OnHide, a part's
    // hide) is part of that close. A window that OnClose switched to has a close of its own.
    if (handle_marked(hwnd, w, handle_state::closing)) return 0;
    const handle_mark closing(hwnd, w, handle_state::closing);
    w->call_callback(zin_window::on_close);
    if (g_quitting) return 0;
    // The callback may have switched the window to another one, closed, minimised or hidden it:
    // then it has no native window left to close.
    if (!w->owns(hwnd)) return 0;
    if (handle_marked(hwnd, w, handle_state::destroying)) {
        // A close from a callback of the window's own destruction (a minimise or the host's hide):
        // it is unloaded already and its destroyer destroys it, so neither happens twice. The close
        // leaves it closed: no record, no native window, not queued to come back.
        release_handle(hwnd, w, true);
        return 0;
    }
    if (w->is_unloading()) {
        // Its unload is under way (a minimise, a switch, the host's hide): it ends closed once that
        // is done.
        w->ask_to_leave(zin_window::leave_close);
        return 0;
    }
    // A close asked for meanwhile is part of this one, and the host's hide finds the window closed:
    // neither needs more than this close does.
    w->unload();
    release_handle(hwnd, w);
    return DefWindowProcW(hwnd, WM_CLOSE, wparam, lparam);
}

void on_position_changing(zin_window* w, HWND hwnd, WINDOWPOS* pos) {
    // 1.
    if (pos->flags & SWP_STATE_CHANGED) return;
    // 2.
    bool size_changed = false;
    const int32_t old_width = w->width();
    const int32_t old_height = w->height();
    if (w->mResizeMode != 0 && !(pos->flags & SWP_NOSIZE)) {
        size_changed = pos->cx != old_width || pos->cy != old_height;
        if (size_changed) {
            // OnSize sees the requested size still in the record.
            w->call_callback(zin_window::on_size);
            if (!w->owns(hwnd)) {
                // Closed, hidden or switched to another window, which has its own place and size:
                // the change asked for is not made.
                pos->flags |= SWP_NOMOVE | SWP_NOSIZE;
                return;
            }
            if (pos->cx < w->mMinWidth) pos->cx = w->mMinWidth;
            if (pos->cy < w->mMinHeight) pos->cy = w->mMinHeight;
        }
    }
    // 3. Without a size the record's cx and cy mean nothing: the size stays.
    const bool has_size = !(pos->flags & SWP_NOSIZE);
    if (!(pos->flags & SWP_NOMOVE)) {
        if (pos->flags != SWP_DOCK_MOVE && pos->flags != (SWP_NOZORDER | SWP_NOACTIVATE) &&
            window_hooks::dock_has_node(w)) {
            window_hooks::dock_move_group(w, pos);
        } else {
            const int32_t cw = has_size && pos->cx != 0 ? pos->cx : old_width;
            const int32_t ch = has_size && pos->cy != 0 ? pos->cy : old_height;
            w->mRect = rect(pos->x, pos->y, pos->x + cw, pos->y + ch);
        }
    }
    // 4.
    if (size_changed) {
        w->relayout(old_width, old_height);
        w->redraw_rect(rect(0, 0, pos->cx, pos->cy));
    }
}

void on_minimize(zin_window* w, HWND hwnd) {
    // A window already on its way out is not minimised again: it unloads, its close is under way
    // (a close wins over a minimise), or its destruction sent this.
    if (w->is_unloading() || handle_marked(hwnd, w, handle_state::closing) ||
        handle_marked(hwnd, w, handle_state::destroying))
        return;
    // 1. The window keeps its native window while it unloads; a close asked for meanwhile leaves it
    //    closed rather than pending.
    const uint8_t asked = w->unload();
    if (!w->owns(hwnd)) return;
    // 2. The record stays while the window goes, so what it sends meanwhile reaches the script:
    //    WM_ACTIVATE with WA_INACTIVE (OnDeactivate) when it was the active window. The mark keeps
    //    the callbacks from unloading, destroying, painting or handing over the window again; a
    //    close from them leaves it closed, not queued.
    {
        const handle_mark dying(hwnd, w, handle_state::destroying);
        DestroyWindow(hwnd);
    }
    // 3. - 4. By handle: a callback may have closed the window (and even opened it anew), and then
    //    it is not queued.
    const bool still_its_own = w->mWnd == hwnd;
    release_handle(hwnd, w);
    // 5. Never twice in the list.
    if (still_its_own && !(asked & zin_window::leave_close)) queue_window(w);
}

LRESULT handle_message(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    // 1.
    if (msg == WM_ZIN_CREATE_PENDING) {
        create_queued_windows();
        return 0;
    }
    if (msg == WM_ZIN_QUIT) {
        PostQuitMessage(0);
        return 0;
    }
    // 2.
    ZIN_ASSERT_MSG(g_host_hook != nullptr, nullptr);
    if (g_host_hook) {
        LRESULT result = 0;
        if (g_host_hook(hwnd, msg, wparam, lparam, &result)) return result;
    }
    // 3.
    zin_window* w = find_window(hwnd);
    if (!w) return DefWindowProcW(hwnd, msg, wparam, lparam);
    // 4.
    if (msg == WM_NCPAINT) {
        RECT r;
        if (GetUpdateRect(hwnd, &r, FALSE) && r.right != r.left && r.bottom != r.top)
            w->redraw_rect(rect(r.left, r.top, r.right, r.bottom));
        return 0;
    }
    // 5.
    if (msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK) {
        mouse_dispatch(w, hwnd, msg, wparam, lparam);
        return 0;
    }
    // 6.
    switch (msg) {
    case WM_ACTIVATE:
        w->call_callback(LOWORD(wparam) == WA_INACTIVE ? zin_window::on_deactivate
                                                       : zin_window::on_activate);
        return 0;
    case WM_CLOSE:
        return on_close(w, hwnd, wparam, lparam);
    case WM_WINDOWPOSCHANGING:
        on_position_changing(w, hwnd, reinterpret_cast<WINDOWPOS*>(lparam));
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (window_hooks::handle_key(w, wparam)) return 0;
        return DefWindowProcW(hwnd, msg, wparam, lparam);
    case WM_SYSCOMMAND:
        if (wparam != SC_MINIMIZE) return DefWindowProcW(hwnd, msg, wparam, lparam);
        if (minimise_is_for(w, hwnd, lparam)) on_minimize(w, hwnd);
        return 0;
    case WM_MOUSEWHEEL:
        w->call_callback(static_cast<int16_t>(HIWORD(wparam)) > 0 ? zin_window::on_wheel_up
                                                                   : zin_window::on_wheel_down);
        return 0;
    case WM_PARENTNOTIFY: {
        // A child's mouse press reaches the parts as if it were the window's own.
        const UINT event = LOWORD(wparam);
        if (event >= WM_LBUTTONDOWN && event <= WM_MBUTTONDBLCLK)
            mouse_dispatch(w, hwnd, event, 0, lparam);
        return 0;
    }
    case WM_EXITSIZEMOVE:
        window_hooks::dock_attach(w);
        if (w->owns(hwnd)) w->call_callback(zin_window::on_size_end);
        return 0;
    case WM_DROPFILES:
        window_hooks::drop_files(w, reinterpret_cast<HDROP>(wparam));
        return 0;
    default:
        break;
    }
    const UINT taskbar_created = window_hooks::taskbar_created_message();
    if (taskbar_created != 0 && msg == taskbar_created) {
        window_hooks::taskbar_created();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

}  // namespace

LRESULT CALLBACK zin_window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    try {
        return handle_message(hwnd, msg, wparam, lparam);
    } catch (const std::exception& e) {
        console::report_error("zin_window_proc", e.what());
    } catch (...) {
        // Nothing outside can handle it (no script call is open here): report and go on.
        console::report_error("zin_window_proc", "unknown exception");
    }
    return 0;
}
