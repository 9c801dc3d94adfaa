// Mouse dispatch: one mouse message of a skin window offered to its parts and script regions.
//
//   1. handled = 0.
//   2. Take the new mouse position and build the event (delta from the previous position).
//   3. Active parts outside whose rect the mouse is get the event (their answer does not count).
//   4. A move: leave the hover regions the mouse left (last entered first), enter the HoverEnter
//      regions it is now inside.
//   5. A button message: take or release the capture, call the region callbacks of that event
//      under the mouse (a double click runs the press list first), each counting as handled.
//   6. Every part under the mouse gets the event; each true answer counts as handled.
//   7. A left press or double click nobody handled drags the window.
//
// Any callback may close, minimise or switch the window: the dispatch stops as soon as the window
// no longer owns the native window that received the message. Lists are walked with re-checks, so
// callbacks may add to them or remove from them; what a callback adds (parts, regions) is offered
// messages from the next one on, never the one being dispatched (a hover handler that adds a part
// under the mouse would otherwise feed the walk for ever).

#include "zin_window.h"

point g_mouse_pos(0, 0);

namespace {

// The window still owns hwnd (no callback closed, minimised or switched it).
bool still_owns(zin_window* w, HWND hwnd) { return w->mWnd == hwnd && find_window(hwnd) == w; }

bool has_hover_entry(zin_window* w, const rect* r) {
    for (uint32_t i = 0; i < w->mHover.getSize(); ++i)
        if (w->mHover[i].r == r) return true;
    return false;
}

// 3. Over a copy of the list; a part removed meanwhile is skipped.
bool offer_to_active_parts(zin_window* w, HWND hwnd, const struct mouse_event& event) {
    CDynArray<class_base*> active;
    active.addArray(w->mActive.mpData, w->mActive.getSize());
    for (uint32_t i = active.getSize(); i > 0; --i) {
        class_base* part = active[i - 1];
        if (!w->mActive.find(part, 0)) continue;
        if (point_in_rect(event.pos, part->mRect)) continue;
        part->message(event);
        if (!still_owns(w, hwnd)) return false;
    }
    return true;
}

// 4a. Entries are removed before their leave runs, so the callback sees the list as it now is.
bool leave_hover_regions(zin_window* w, HWND hwnd, const struct mouse_event& event) {
    uint32_t i = w->mHover.getSize();
    while (i > 0) {
        --i;
        if (i >= w->mHover.getSize()) {
            i = w->mHover.getSize();
            continue;
        }
        const hover_entry entry = w->mHover[i];
        if (point_in_rect(event.pos, *entry.r)) continue;
        w->mHover.removeAt(i);
        if (entry.leave.slot == 0) continue;
        if (entry.part) {
            struct mouse_event leave = event;
            leave.msg = WM_ZIN_HOVER_LEAVE;
            entry.part->message(leave);
        } else {
            lua_callback callback = entry.leave;
            callback.call();
        }
        if (!still_owns(w, hwnd)) return false;
    }
    return true;
}

// 4b. The entry is filed before the enter callback runs, so a nested dispatch cannot enter twice.
bool enter_hover_regions(zin_window* w, HWND hwnd, const struct mouse_event& event) {
    CDynArray<region_callback>& enter = w->mPartCallbacks[zin_window::hover_enter];
    const CDynArray<region_callback>& leave = w->mPartCallbacks[zin_window::hover_leave];
    const uint32_t count = enter.getSize();
    for (uint32_t i = 0; i < count && i < enter.getSize(); ++i) {
        const region_callback region = enter[i];
        if (!point_in_rect(event.pos, *region.r) || has_hover_entry(w, region.r)) continue;
        hover_entry entry{region.r, nullptr, lua_callback{}};
        for (uint32_t j = 0; j < leave.getSize(); ++j) {
            if (leave[j].r == region.r) {
                entry.leave = leave[j].callback;
                break;
            }
        }
        w->mHover.push(entry);
        lua_callback callback = region.callback;
        callback.call();
        if (!still_owns(w, hwnd)) return false;
    }
    return true;
}

// 5d. Region callbacks of one event under the mouse.
bool call_regions(zin_window* w, HWND hwnd, int list, const point& pos, int& handled) {
    CDynArray<region_callback>& regions = w->mPartCallbacks[list];
    const uint32_t count = regions.getSize();
    for (uint32_t i = 0; i < count && i < regions.getSize(); ++i) {
        if (!point_in_rect(pos, *regions[i].r)) continue;
        lua_callback callback = regions[i].callback;
        callback.call();
        ++handled;
        if (!still_owns(w, hwnd)) return false;
    }
    return true;
}

}  // namespace

void mouse_dispatch(zin_window* w, HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    // 1.
    int handled = 0;
    // 2.
    const point previous = g_mouse_pos;
    g_mouse_pos = point(static_cast<int16_t>(LOWORD(lparam)), static_cast<int16_t>(HIWORD(lparam)));
    struct mouse_event event{hwnd, msg, wparam, lparam, g_mouse_pos,
                      point(g_mouse_pos.x - previous.x, g_mouse_pos.y - previous.y)};
    // 3.
    if (!offer_to_active_parts(w, hwnd, event)) return;
    if (msg == WM_MOUSEMOVE) {
        // 4.
        if (!leave_hover_regions(w, hwnd, event)) return;
        if (!enter_hover_regions(w, hwnd, event)) return;
    } else if (msg >= WM_LBUTTONDOWN && msg <= WM_MBUTTONDBLCLK) {
        // 5.
        const int k = static_cast<int>(msg - WM_LBUTTONDOWN);
        switch (k % 3) {
        case 0:
            SetCapture(hwnd);
            break;
        case 1:
            ReleaseCapture();
            break;
        default:
            SetCapture(hwnd);
            if (!call_regions(w, hwnd, k - 2, event.pos, handled)) return;
            break;
        }
        if (!call_regions(w, hwnd, k, event.pos, handled)) return;
    }
    // 6.
    const uint32_t parts = w->mParts.getSize();
    for (uint32_t i = 0; i < parts && i < w->mParts.getSize(); ++i) {
        class_base* part = w->mParts[i];
        if (!point_in_rect(event.pos, part->mRect)) continue;
        if (part->message(event)) ++handled;
        if (!still_owns(w, hwnd)) return;
    }
    // 7. The move loop takes the press point in screen coordinates.
    if (handled == 0 && (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK)) {
        ReleaseCapture();
        POINT at{event.pos.x, event.pos.y};
        ClientToScreen(hwnd, &at);
        PostMessageW(hwnd, WM_NCLBUTTONDOWN, HTCAPTION,
                     MAKELPARAM(static_cast<uint16_t>(at.x), static_cast<uint16_t>(at.y)));
    }
}
