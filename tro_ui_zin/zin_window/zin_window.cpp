// The skin window record: construction, native window, gaining and losing it, filing parts,
// anchoring and the three window lists.
//
// window.new: 1. all fields set, 2. name and minimum size, 3. position (a saved state wins over
// the rect argument), 4. resize mode, 5. name copy, 6. listed and held by its own reference.
//
// create_native: 1. only without a native window, 2. load, 3. CreateWindowExA, 4. record the handle,
// 5. top-most, 6. docking placement, 7. script parts shown, OnSize, OnSizeEnd, 8. docking relations,
// 9. shown, 10. OnShow.
//
// switch_to (the other window takes over this one's native window): 1. debug line, 2. refused when
// the other is open (or this one is not, or it unloads, or its native window is being destroyed),
// 3. old screen rect, 4. other takes handle and device context and loads, 5. docking relations
// copied, 6. this unloads, 7. the handle record names the other, 8. its script parts shown, OnSize,
// OnSizeEnd, OnShow, 9. moved to the old place with its own size, 10. docked windows follow, 11. end
// of move, 12. repainted, 13. OnActivate.
//
// destroy_all_windows (the host's hide): every open window is unloaded, queued, minimised by the
// system and destroyed. While it runs no window opens (a create queues the window for the next
// show), and the walk goes on until no open window is left: a callback may switch an open window to
// another one, which then holds a record the walk has passed.
//
// Script callbacks run inside several of these steps, and inside the system calls that send messages
// (SetWindowPos and SetForegroundWindow activate, DestroyWindow deactivates). A callback may close,
// minimise, switch or re-create any window, so after each such step the code checks that the window
// still holds the native window it started with, and the lists are walked over copies or by index
// with re-checks. Whatever the callbacks do, once they return every window is either
//   - open: a live native window that no other window holds, one handle record, the script parts it
//     held when it opened shown (one filed since waits for the next time it opens); or
//   - closed (a minimised one is pending as well): no native window, no record, no part shown;
// no script part is shown twice without a hide between, nor hidden twice without a show; and no
// native window is destroyed while another window than the one leaving it holds it. So a window is
// unloaded once: while its unload runs it keeps its native window (create does nothing, a switch
// from or to it is refused), and a close or the host's hide asked for meanwhile is noted and carried
// out by the code that unloads it, once the unload is done. A request is carried out for the window
// it names: a close of a window that a switch is handing its native window (whose record still
// names the old window) is noted and carried out by the switch once the hand-over is done, and a
// minimise the script posted is dropped when it arrives at a native window that another window
// holds by then.

#include "zin_window.h"

#include "callbacks.h"

#include <lua_class/lua_compat.h>
#include <lua_class/lua_debug.h>

#include <trovaplay/sdk/console.h>
#include <trovaplay/sdk/core_api.h>

#include <cstdlib>
#include <cstring>

CDynArray<zin_window*> g_windows;
CDynArray<zin_window*> g_pending_windows;
CDynArray<window_handle_record> g_window_handles;

namespace {

// The innermost handle_mark; each names the one it is nested in. They live on the stack, one per
// close or destruction under way, so the chain needs no heap and unwinds in order.
const handle_mark* g_innermost_mark = nullptr;

// How many host's hides are under way (a callback of one may start another), and how many began.
int g_hide_depth = 0;
uint32_t g_hides_begun = 0;

// A minimise the script posted: the window that asked, the native window it held then, and the
// request's number, which the message carries in lparam.
struct minimise_request {
    zin_window* window;
    HWND handle;
    LPARAM id;
};
CDynArray<minimise_request> g_minimise_requests;
uint32_t g_last_minimise_id = 0;

char* copy_string(const char* text) {
    const size_t length = strlen(text);
    char* copy = static_cast<char*>(malloc(length + 1));
    if (copy) memcpy(copy, text, length + 1);
    return copy;
}

void unref_slot(int slot) {
    if (g_lua) lua_class::unref(g_lua, slot);
}

}  // namespace

int find_window_callback(const char* name) {
    return find_callback_name(name, FIRST_WINDOW_CALLBACK_NAME, zin_window::window_callback_count);
}
int find_part_callback(const char* name) {
    return find_callback_name(name, FIRST_PART_CALLBACK_NAME, zin_window::part_callback_count);
}

// ---- Construction and destruction ----------------------------------------------------------------

// 1. Every field is set before anything can raise, so an unfinished window holds nothing.
zin_window::zin_window(lua_State* L)
    : mAddFileOption(3), mDockBits{nullptr, 0, 0}, mRect(0, 0, 0, 0), mWnd(nullptr), mDC(nullptr),
      mResizeMode(0), mMinWidth(0), mMinHeight(0), mSelfRef(0), mName(nullptr) {
    const int arg_count = zin_classes::constructor_arg_count(L);
    // 2. Name and minimum size.
    const char* name = luaL_checkstring(L, 1);
    const int32_t min_width = zin_classes::check_int_arg(L, 2, arg_count);
    const int32_t min_height = zin_classes::check_int_arg(L, 3, arg_count);
    // 3. Position: a saved state of this name wins over argument 4.
    rect position;
    if (!window_hooks::saved_window_rect(name, &position))
        position = *static_cast<rect*>(lua_compat::check_udata(L, 4, "rect"));
    // 4. Resize mode; out of range means fixed size.
    int32_t resize_mode = 0;
    if (arg_count >= 5) {
        resize_mode = zin_classes::check_int_arg(L, 5, arg_count);
        if (resize_mode < 0 || resize_mode > 3) resize_mode = 0;
    }
    // 5. Nothing raises from here on.
    mMinWidth = min_width;
    mMinHeight = min_height;
    mRect = position;
    mResizeMode = resize_mode;
    mName = copy_string(name);
    // 6.
    lua_class::detail::push_anchored_object(L, this);
    // Stack: [arguments..., window]
    mSelfRef = lua_class::ref(L, -1);
    lua_pop(L, 1);
    // Stack: [arguments...]
    g_windows.push(this);
}

zin_window::~zin_window() {
    for (uint32_t i = 0; i < mRefs.getSize(); ++i) unref_slot(mRefs[i]);
    release_active_refs();
    for (lua_callback& callback : mCallbacks) unref_slot(callback.slot);
    for (CDynArray<region_callback>& list : mPartCallbacks)
        for (uint32_t i = 0; i < list.getSize(); ++i) unref_slot(list[i].callback.slot);
    if (mWnd) remove_window(this);
    g_windows.removeAll(this);
    g_pending_windows.removeAll(this);
    if (mWnd) DestroyWindow(mWnd);
    free(mDockBits.bits);
    free(mName);
}

void zin_window::release_active_refs() {
    for (uint32_t i = 0; i < mActiveRefs.getSize(); ++i) unref_slot(mActiveRefs[i].slot);
    mActiveRefs.clear();
}

void zin_window::call_callback(window_callback which) { mCallbacks[which].call_if_set(); }

// ---- Native window -----------------------------------------------------------------------------

void zin_window::create_native() {
    // 1. A window that has its native window keeps it. While the host hides the interface none
    //    opens: it waits for the next show, as the windows the hide takes down do.
    if (!ZIN_CHECK_MSG(mWnd == nullptr, "!mWnd")) return;
    if (g_hide_depth > 0) {
        queue_window(this);
        return;
    }
    g_pending_windows.removeAll(this);
    // 2.
    load();
    // 3.
    HWND hwnd = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES, "zin_window_debug",
                                mName ? mName : "", WS_POPUP | WS_CLIPCHILDREN, mRect.left,
                                mRect.top, width(), height(), nullptr, nullptr,
                                core_api::get_my_instance(), nullptr);
    if (!ZIN_CHECK_MSG(hwnd != nullptr, "CreateWindowExA")) {
        window_hooks::views_unload(this);  // what load took
        return;
    }
    mWnd = hwnd;
    // 4.
    attach_hwnd();
    // 5. This activates the window: OnActivate, and the previous window's OnDeactivate, run here.
    SetWindowPos(mWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_DEFERERASE);
    if (!kept_while_creating(hwnd)) return;
    // 6.
    window_hooks::dock_place_new(this);
    if (!kept_while_creating(hwnd)) return;
    // 7.
    show_script_parts_and_size();
    if (!kept_while_creating(hwnd)) return;
    // 8.
    window_hooks::dock_attach(this);
    // 9.
    ShowWindow(mWnd, SW_SHOWNOACTIVATE);
    SetForegroundWindow(mWnd);
    if (!kept_while_creating(hwnd)) return;
    // 10.
    call_callback(on_show);
}

bool zin_window::kept_while_creating(HWND hwnd) {
    if (owns(hwnd)) return true;
    // Closed, minimised or hidden: nothing more to do. Switched to another window: that one took a
    // native window not yet shown, and its switch does not show it.
    if (find_window(hwnd) && !IsWindowVisible(hwnd)) ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    return false;
}

bool zin_window::owns(HWND hwnd) const { return hwnd && mWnd == hwnd && find_window(hwnd) == this; }

void zin_window::show_script_parts_and_size() {
    const HWND hwnd = mWnd;
    if (!is_open()) return;
    // A show that closed or switched the window has had the parts hidden: the rest are not shown
    // after that. Parts a show adds are not shown by this walk (each could add another).
    const uint32_t count = mScriptParts.getSize();
    for (uint32_t i = 0; i < count && i < mScriptParts.getSize(); ++i) {
        if (!owns(hwnd)) return;
        base_class* part = mScriptParts[i];
        if (part->mShowState == base_class::show_state::shown) continue;
        // Before the call: a hide from inside it pairs with this show.
        part->mShowState = base_class::show_state::shown;
        part->show();
    }
    if (!owns(hwnd)) return;
    call_callback(on_size);
    if (!owns(hwnd)) return;
    call_callback(on_size_end);
}

void zin_window::hide_script_parts() {
    // Also the parts filed while the window was open, never shown. Parts a hide adds are not
    // hidden by this walk (each could add another): they are filed, which is no part shown.
    const uint32_t count = mScriptParts.getSize();
    for (uint32_t i = 0; i < count && i < mScriptParts.getSize(); ++i) {
        base_class* part = mScriptParts[i];
        if (part->mShowState == base_class::show_state::hidden) continue;
        part->mShowState = base_class::show_state::hidden;
        part->hide();
    }
}

void zin_window::attach_hwnd() {
    if (!ZIN_CHECK_MSG(mWnd != nullptr, "mWnd")) return;
    g_window_handles.push(window_handle_record{this, mWnd});
    mDC = GetDC(mWnd);
    SetBkMode(mDC, TRANSPARENT);
}

void zin_window::load() {
    lua_class::debug_printf("loading \"%s\"\n", mName ? mName : "");
    mActive.clear();
    release_active_refs();
    if (mViews.getSize() != 0) window_hooks::views_load(this);
}

uint8_t zin_window::unload() {
    if (!ZIN_CHECK_MSG(!mUnloading, "!mUnloading")) return leave_none;
    // Cleared however the unload ends.
    struct unloading_scope {
        zin_window* w;
        explicit unloading_scope(zin_window* window) : w(window) {
            w->mUnloading = true;
            w->mLeaveAsked = leave_none;
        }
        ~unloading_scope() { w->mUnloading = false; }
    } scope(this);
    lua_class::debug_printf("unloading \"%s\"\n", mName ? mName : "");
    call_callback(on_hide);
    lua_callback::collect_garbage();
    hide_script_parts();
    window_hooks::views_unload(this);
    return mLeaveAsked;
}

// ---- Parts and anchors ---------------------------------------------------------------------------

void zin_window::add_part(class_base* part, const char* class_name) {
    lua_class::debug_printf("ADDING: %s\r\n", class_name);
    if (_stricmp(class_name, "playlist") == 0) {
        mViews.push(part);
    } else if (_stricmp(class_name, "base_class") == 0) {
        // The class name says the part is a script-defined one. It is shown the next time the
        // window opens, and hidden the next time it closes.
        base_class* script_part = static_cast<base_class*>(part);
        mScriptParts.push(script_part);
        window_hooks::script_part_added(this, script_part);
    }
    mParts.push(part);
    ZIN_ASSERT_MSG(!part->mpWin, "!c->mpWin");
    part->mpWin = this;
    if (is_anchored(part->mRect)) {
        mAnchoredParts.push(part);
        part->size();
    }
}

bool zin_window::is_anchored(rect& r) { return mResizeMode != 0 && add_anchor(r); }

bool zin_window::add_anchor(rect& r) {
    ZIN_ASSERT_MSG(mResizeMode != 0, nullptr);
    const int32_t w = width();
    const int32_t h = height();
    bool horizontal = false;
    bool vertical = false;
    // 1. - 2. A negative left or top counts from the right or bottom edge.
    if (r.left < 0) {
        r.left += w;
        mAnchorsX.push(&r.left);
        horizontal = true;
    }
    if (r.top < 0) {
        r.top += h;
        mAnchorsY.push(&r.top);
        vertical = true;
    }
    // 3. - 4. The far edge follows along, or alone when it does not lie beyond the near edge.
    if (horizontal || r.right <= r.left) {
        r.right += w;
        mAnchorsX.push(&r.right);
        horizontal = true;
    }
    if (vertical || r.bottom <= r.top) {
        r.bottom += h;
        mAnchorsY.push(&r.bottom);
        vertical = true;
    }
    return horizontal || vertical;
}

void zin_window::relayout(int32_t old_width, int32_t old_height) {
    const int32_t dx = width() - old_width;
    const int32_t dy = height() - old_height;
    for (uint32_t i = 0; i < mAnchorsX.getSize(); ++i) *mAnchorsX[i] += dx;
    for (uint32_t i = 0; i < mAnchorsY.getSize(); ++i) *mAnchorsY[i] += dy;
    // A part's size may run script code that anchors more parts: those were placed as they came.
    const uint32_t count = mAnchoredParts.getSize();
    for (uint32_t i = 0; i < count && i < mAnchoredParts.getSize(); ++i) mAnchoredParts[i]->size();
}

void zin_window::add_active(class_base* part) { mActive.push(part); }

void zin_window::remove_active(class_base* part) {
    if (!mActive.removeValue(part)) return;
    // The reference of a part the script made active goes with its entry.
    for (uint32_t i = 0; i < mActiveRefs.getSize(); ++i) {
        if (mActiveRefs[i].part == part) {
            const int slot = mActiveRefs[i].slot;
            mActiveRefs.removeAt(i);
            unref_slot(slot);
            break;
        }
    }
}

// ---- Switching -----------------------------------------------------------------------------------

void zin_window::switch_to(zin_window* other) {
    // 1.
    lua_class::debug_printf("switching from \"%s\" to \"%s\"\n", mName ? mName : "",
                            other->mName ? other->mName : "");
    // 2.
    if (other->mWnd) {
        console::error("cannot switch to existing window");
        return;
    }
    if (!is_open()) {
        console::error("cannot switch from a window that is not open");
        return;
    }
    // The other window would take a native window that is going: it would be left loaded, with a
    // dead handle, or the window would be unloaded a second time.
    if (mUnloading) {
        console::error("cannot switch from a window that is unloading");
        return;
    }
    if (handle_marked(mWnd, this, handle_state::destroying)) {
        console::error("cannot switch from a window that is being destroyed");
        return;
    }
    const HWND hwnd = mWnd;
    // 3.
    RECT r;
    GetWindowRect(hwnd, &r);
    // 4. Until step 7 the record still names this window: the other one is not open yet (no switch
    //    from it, and none to it, since it has the handle), and a close asked of it is noted.
    other->mWnd = hwnd;
    other->mDC = mDC;
    other->mTakingOver = true;
    other->mLeaveAsked = leave_none;
    other->load();
    // 5.
    window_hooks::dock_copy_relations(this, other);
    // 6. OnHide runs here; this window keeps the handle while it does.
    const uint8_t asked = unload();
    other->mTakingOver = false;
    const bool other_closes = (other->mLeaveAsked & leave_close) != 0;
    other->mLeaveAsked = leave_none;
    if (asked & leave_hide) {
        // The host hid the interface meanwhile: no hand-over. The other window gives back what it
        // took, and this one leaves as the hide has every window leave. A close asked of the other
        // window finds it closed: its OnClose is all there is left to do.
        other->mWnd = nullptr;
        other->mDC = nullptr;
        window_hooks::views_unload(other);
        leave_hidden(this, hwnd, (asked & leave_close) != 0);
        if (other_closes) other->call_callback(on_close);
        return;
    }
    // 7. An open window is no longer pending (a minimised one would otherwise come back after a
    //    later close).
    window_handle_record* record = g_window_handles.find(window_handle_record{nullptr, hwnd}, 0);
    ZIN_ASSERT_MSG(record != nullptr, nullptr);
    if (record) record->window = other;
    g_pending_windows.removeAll(other);
    mWnd = nullptr;
    mDC = nullptr;
    // The hand-over is done: a close asked of the other window meanwhile is its own now.
    if (other_closes) SendMessageW(hwnd, WM_CLOSE, 0, 0);
    if (!other->owns(hwnd)) return;
    // 8.
    other->show_script_parts_and_size();
    if (!other->owns(hwnd)) return;
    other->call_callback(on_show);
    if (!other->owns(hwnd)) return;
    // 9.
    const int32_t w = other->width();
    const int32_t h = other->height();
    other->mRect = rect(r.left, r.top, r.left + w, r.top + h);
    MoveWindow(hwnd, r.left, r.top, w, h, TRUE);
    // 10.
    window_hooks::dock_move_followers(other);
    // 11.
    SendMessageW(hwnd, WM_EXITSIZEMOVE, 0, 0);
    if (!other->owns(hwnd)) return;
    // 12.
    other->redraw_rect(rect(0, 0, w, h));
    const RECT whole{0, 0, w, h};
    InvalidateRect(hwnd, &whole, TRUE);
    // 13.
    other->call_callback(on_activate);
}

// ---- Window lists --------------------------------------------------------------------------------

void queue_window(zin_window* w) { g_pending_windows.addUnique(w, -2); }

void create_queued_windows() {
    // Windows queued by callbacks during the walk stay queued for the next call. So do the rest
    // once a callback had the host hide the interface: the hide is the later word.
    CDynArray<zin_window*> pending(std::move(g_pending_windows));
    const uint32_t hides = g_hides_begun;
    for (uint32_t i = 0; i < pending.getSize(); ++i) {
        zin_window* w = pending[i];
        // A window may have been opened by a callback or destroyed meanwhile.
        if (!g_windows.find(w, 0) || w->mWnd) continue;
        if (g_hides_begun != hides) queue_window(w);
        else w->create_native();
    }
}

void destroy_all_windows() {
    struct hiding_scope {
        hiding_scope() {
            ++g_hide_depth;
            ++g_hides_begun;
        }
        ~hiding_scope() { --g_hide_depth; }
    } hiding;
    // Each round takes down the first open window left, so the walk ends: no window opens meanwhile
    // (a switch only hands a record over), and each round leaves one record fewer.
    for (;;) {
        zin_window* w = nullptr;
        HWND hwnd = nullptr;
        for (uint32_t i = 0; i < g_window_handles.getSize() && !w; ++i) {
            zin_window* x = g_window_handles[i].window;
            const HWND h = g_window_handles[i].handle;
            // A window whose minimise or hide is destroying it (this hide came from a callback of
            // that destruction) is finished by that.
            if (handle_marked(h, x, handle_state::destroying) || !x->owns(h)) continue;
            // A window that unloads (this hide came from its OnHide) is finished by its unloader.
            if (x->is_unloading()) {
                x->ask_to_leave(zin_window::leave_hide);
                continue;
            }
            w = x;
            hwnd = h;
        }
        if (!w) return;
        const uint8_t asked = w->unload();
        if (!w->owns(hwnd)) continue;
        // A window closed meanwhile, or whose close is under way, stays closed.
        leave_hidden(w, hwnd, (asked & zin_window::leave_close) || handle_marked(hwnd, w, handle_state::closing));
    }
}

void leave_hidden(zin_window* w, HWND hwnd, bool closed) {
    if (!closed) queue_window(w);
    // The system's minimise deactivates the window: OnDeactivate may run with the record still
    // there. A close from it leaves the destruction to this and takes the window off the queue; a
    // minimise, a switch or another hide does nothing.
    const handle_mark dying(hwnd, w, handle_state::destroying);
    DefWindowProcW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    release_handle(hwnd, w);
    DestroyWindow(hwnd);
}

void remove_window(zin_window* w) {
    if (w->mWnd) g_window_handles.removeAll(window_handle_record{w, w->mWnd});
}

void release_handle(HWND hwnd, zin_window* w, bool unqueue) {
    g_window_handles.removeAll(window_handle_record{nullptr, hwnd});
    // The minimises posted to it go with the native window.
    for (uint32_t i = g_minimise_requests.getSize(); i-- > 0;)
        if (g_minimise_requests[i].handle == hwnd) g_minimise_requests.removeAt(i);
    if (w->mWnd != hwnd) return;
    w->mWnd = nullptr;
    w->mDC = nullptr;
    if (unqueue) g_pending_windows.removeAll(w);
}

zin_window* find_window(HWND hwnd) {
    // While the state closes, windows and parts are destroyed in no particular order: no message
    // reaches a half-destroyed skin (the default procedure answers it).
    if (!hwnd || script_state_closing()) return nullptr;
    window_handle_record* record = g_window_handles.find(window_handle_record{nullptr, hwnd}, 0);
    return record ? record->window : nullptr;
}

bool handle_marked(HWND hwnd, const zin_window* w, handle_state state) {
    if (!hwnd) return false;
    for (const handle_mark* m = g_innermost_mark; m; m = m->m_outer)
        if (m->m_hwnd == hwnd && m->m_window == w && m->m_state == state) return true;
    return false;
}

handle_mark::handle_mark(HWND hwnd, const zin_window* w, handle_state state)
    : m_hwnd(hwnd), m_window(w), m_state(state), m_outer(g_innermost_mark) {
    g_innermost_mark = this;
}

handle_mark::~handle_mark() { g_innermost_mark = m_outer; }

void post_minimise(zin_window* w) {
    if (!w->mWnd) return;
    if (++g_last_minimise_id == 0) ++g_last_minimise_id;  // 0 is what the system sends
    const LPARAM id = static_cast<LPARAM>(g_last_minimise_id);
    if (PostMessageW(w->mWnd, WM_SYSCOMMAND, SC_MINIMIZE, id))
        g_minimise_requests.push(minimise_request{w, w->mWnd, id});
}

bool minimise_is_for(const zin_window* w, HWND hwnd, LPARAM lparam) {
    for (uint32_t i = 0; i < g_minimise_requests.getSize(); ++i) {
        const minimise_request request = g_minimise_requests[i];
        if (request.handle != hwnd || request.id != lparam) continue;
        g_minimise_requests.removeAt(i);
        return request.window == w;
    }
    return true;  // not the script's: the system's, for whoever holds the native window
}

void clear_window_lists() {
    g_minimise_requests.clear();
    g_window_handles.clear();
    g_pending_windows.clear();
    g_windows.clear();
}
