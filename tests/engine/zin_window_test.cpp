// The skin window: window.new, the script methods, anchoring, and the life of the native window
// (create, minimise, restore, close, re-create, switch).

#include "window_test_util.h"

#include <lua_class/lua_load.h>
#include <zin_classes/base_class.h>
#include <zin_classes/button.h>

#include <algorithm>
#include <vector>

using namespace window_test;

namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class zin_window_script : public window_fixture {};

TEST_F(zin_window_script, new_checks_its_arguments_and_limits_the_resize_mode) {
    EXPECT_TRUE(contains(run("window.new({})"), "string expected"));
    EXPECT_TRUE(contains(run("window.new('a', 1, 1, 5)"), "rect expected, got"));
    EXPECT_TRUE(contains(run("window.new('a', 1, 1, rect.new(0, 0, 9, 9), 'x')"), "number expected"));
    EXPECT_EQ(0, new_window("a", 0, 0, 10, 10, 7)->mResizeMode);
    EXPECT_EQ(0, new_window("b", 0, 0, 10, 10, -1)->mResizeMode);
    EXPECT_EQ(2, new_window("c", 0, 0, 10, 10, 2)->mResizeMode);
    zin_window* d = new_window("d", 5, 6, 70, 80);
    EXPECT_STREQ("d", d->mName);
    EXPECT_EQ(3, d->mAddFileOption);
    EXPECT_EQ(nullptr, d->mWnd);
    // Only the windows that were made are listed; failed constructions left nothing behind.
    EXPECT_EQ(4u, g_windows.getSize());
    // get_pos of a window never opened is its defined rect.
    ASSERT_EQ("", run("local r = d:get_pos() assert(r.l == 5 and r.t == 6 and r.w == 70 and r.h == 80)"));
    ASSERT_EQ("", run("assert(d:is_visible() == false)"));
}

TEST_F(zin_window_script, add_anchors_rects_to_the_right_and_bottom_edges) {
    zin_window* w = new_window("w", 0, 0, 200, 100, 1);
    ASSERT_EQ("", run("stretch = rect.new(10, 10, -10, -10) left = rect.new(-50, 5, 0, 20) "
                      "fixed = rect.new(1, 2, 3, 4) w:add(stretch, left, fixed)"));
    ASSERT_EQ("", run("assert(stretch.r == 190 and stretch.b == 90 and stretch.l == 10)"));
    ASSERT_EQ("", run("assert(left.l == 150 and left.r == 200 and left.t == 5 and left.b == 20)"));
    EXPECT_EQ(3u, w->mAnchorsX.getSize());
    EXPECT_EQ(1u, w->mAnchorsY.getSize());
    // Only anchoring rects are kept.
    EXPECT_EQ(2u, w->mRefs.getSize());
    // set_pos before creation moves the anchored coordinates by the size change.
    ASSERT_EQ("", run("w:set_pos(rect.new(0, 0, 250, 120))"));
    ASSERT_EQ("", run("assert(stretch.r == 240 and stretch.b == 110)"));
    ASSERT_EQ("", run("assert(left.l == 200 and left.r == 250)"));
    ASSERT_EQ("", run("assert(fixed.r == 3)"));
}

TEST_F(zin_window_script, add_takes_parts_and_rects_only) {
    zin_window* w = new_window("w", 0, 0, 100, 100, 1);
    ASSERT_EQ("", run("part = color_rect.new(rect.new(0, 0, -10, 50), color.new(1, 2, 3)) "
                      "w:add(part, {ref = color_rect.new(rect.new(0, 0, 5, 5), color.new(0, 0, 0))})"));
    EXPECT_EQ(2u, w->mParts.getSize());
    EXPECT_EQ(1u, w->mAnchoredParts.getSize());
    EXPECT_EQ(90, w->mParts[0]->mRect.right);
    EXPECT_EQ(w, w->mParts[0]->mpWin);
    EXPECT_TRUE(contains(run("w:add(bitmap.new())"), "part or rect expected, got bitmap"));
    EXPECT_TRUE(contains(run("w:add(w)"), "part or rect expected, got window"));
    EXPECT_TRUE(contains(run("w:add(5)"), "no recognized class"));
    EXPECT_TRUE(contains(run("w:add({})"), "no recognized class"));
    EXPECT_EQ(2u, w->mParts.getSize());
}

TEST_F(zin_window_script, parts_in_the_lists_stay_alive) {
    zin_window* w = new_window("w", 0, 0, 100, 100);
    ASSERT_EQ("", run("w:add(color_rect.new(rect.new(0, 0, 5, 5), color.new(0, 0, 0)))"));
    // The picture comes back without a class metatable.
    ASSERT_EQ("", run("local pic = w:add_paint_part(rect.new(0, 0, 5, 5), image.new(bitmap.new(4, 4), 0, 0, 4, 4)) "
                      "assert(type(pic) == 'userdata' and getmetatable(pic) == nil)"));
    lua_gc(L, LUA_GCCOLLECT, 0);
    ASSERT_EQ(2u, w->mParts.getSize());
    EXPECT_EQ(w, w->mParts[0]->mpWin);
    EXPECT_EQ(w, w->mParts[1]->mpWin);
}

TEST_F(zin_window_script, add_active_takes_every_part_and_only_parts) {
    zin_window* w = new_window("w", 0, 0, 100, 100);
    ASSERT_EQ("", run("tint = color_rect.new(rect.new(0, 0, 5, 5), color.new(0, 0, 0)) w:add_active(tint) "
                      "pic = w:add_paint_part(rect.new(0, 0, 5, 5), image.new(bitmap.new(4, 4), 0, 0, 4, 4)) "
                      "w:add_active(pic)"));
    ASSERT_EQ(2u, w->mActive.getSize());
    EXPECT_EQ(w->mParts[0], w->mActive[1]);
    // A part that does not answer the mouse says it did not handle the event.
    struct mouse_event event = {};
    EXPECT_FALSE(w->mActive[0]->message(event));
    EXPECT_TRUE(contains(run("w:add_active(rect.new(0, 0, 1, 1))"), "part expected, got rect"));
    EXPECT_TRUE(contains(run("w:add_active(7)"), "part expected, got number"));
    EXPECT_TRUE(contains(run("w:add_active(newproxy())"), "part expected, got error"));
    EXPECT_EQ(2u, w->mActive.getSize());
    ASSERT_EQ("", run("w:remove_active(pic) w:remove_active(tint)"));
    EXPECT_EQ(0u, w->mActive.getSize());
    EXPECT_EQ("", run("w:remove_active(rect.new(0, 0, 1, 1))"));
}

TEST_F(zin_window_script, active_parts_stay_alive_while_listed) {
    zin_window* w = new_window("w", 0, 0, 100, 100);
    register_button_class(L);
    ASSERT_EQ("", run("w:add_active(button.new(rect.new(0, 0, 9, 9), image.new(bitmap.new(4, 4), 0, 0, 4, 4))) "
                      "collectgarbage()"));
    ASSERT_EQ(1u, w->mActive.getSize());
    ASSERT_EQ(1u, w->mActiveRefs.getSize());
    // The reference holds the very part that is listed.
    lua_rawgeti(L, LUA_REGISTRYINDEX, w->mActiveRefs[0].slot);
    EXPECT_EQ(w->mActive[0], to_paint_part(L, -1));
    lua_pop(L, 1);
    // Leaving the list gives the reference back.
    lua_rawgeti(L, LUA_REGISTRYINDEX, w->mActiveRefs[0].slot);
    lua_setglobal(L, "b");
    ASSERT_EQ("", run("w:remove_active(b)"));
    EXPECT_EQ(0u, w->mActive.getSize());
    EXPECT_EQ(0u, w->mActiveRefs.getSize());
}

TEST_F(zin_window_script, callbacks_by_name) {
    zin_window* w = new_window("w", 0, 0, 100, 100);
    EXPECT_EQ("", run("w:set_callback('onsize', function() end)"));
    EXPECT_NE(0, w->mCallbacks[zin_window::on_size].slot);
    EXPECT_EQ("", run("w:set_callback('OnSize', nil)"));
    EXPECT_EQ(0, w->mCallbacks[zin_window::on_size].slot);
    EXPECT_TRUE(contains(run("w:set_callback('OnSizes', nil)"), "OnSizes is no window-callback-type"));
    // Region callbacks: by part index or rect.
    EXPECT_EQ("", run("w:add_part_callback('ldown', rect.new(0, 0, 5, 5), function() end)"));
    EXPECT_EQ(1u, w->mPartCallbacks[zin_window::l_down].getSize());
    EXPECT_TRUE(contains(run("w:add_part_callback('LDown', 0, function() end)"), "class-index out of range"));
    EXPECT_TRUE(contains(run("w:add_part_callback('Click', rect.new(0, 0, 5, 5), function() end)"),
                         "Click is no part-callback-type"));
    EXPECT_TRUE(contains(run("w:add_part_callback('LUp', rect.new(0, 0, 5, 5), 3)"), "function expected"));
    EXPECT_EQ(0u, w->mPartCallbacks[zin_window::l_up].getSize());
}

TEST_F(zin_window_script, argument_checks_of_the_methods) {
    new_window("w", 0, 0, 100, 100);
    EXPECT_EQ("", run("w:set_add_file_option(0) w:set_add_file_option(5)"));
    EXPECT_TRUE(contains(run("w:set_add_file_option(6)"), "no such add_files-option"));
    EXPECT_TRUE(contains(run("w:set_add_file_option(-1)"), "no such add_files-option"));
    EXPECT_TRUE(contains(run("w:redraw_part(color_rect.new(rect.new(0, 0, 5, 5), color.new(0, 0, 0)))"),
                         "rect expected, got color_rect"));
    EXPECT_TRUE(contains(run("w.redraw(rect.new(0, 0, 1, 1), rect.new(0, 0, 1, 1))"),
                         "window expected, got rect"));
    EXPECT_TRUE(contains(run("w:load_docking_bitmap(bitmap.new())"), "bitmap not loaded"));
}

TEST_F(zin_window_script, docking_bitmap_marks_black_pixels) {
    zin_window* w = new_window("w", 0, 0, 100, 100, 0, 4, 3);
    ASSERT_EQ("", run("b = bitmap.new(8, 8)"));
    // Paint the bitmap white but for pixel (1, 2).
    lua_getglobal(L, "b");
    bitmap* b = static_cast<bitmap*>(lua_touserdata(L, -1));
    lua_pop(L, 1);
    RECT all{0, 0, 8, 8};
    FillRect(b->get_dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetPixel(b->get_dc(), 1, 2, RGB(0, 0, 0));
    ASSERT_EQ("", run("w:load_docking_bitmap(b)"));
    ASSERT_NE(nullptr, w->mDockBits.bits);
    EXPECT_EQ(4u, w->mDockBits.width);
    EXPECT_EQ(3u, w->mDockBits.height);
    const uint32_t bit = 2 * 4 + 1;
    for (uint32_t i = 0; i < 12; ++i)
        EXPECT_EQ(i == bit, ((w->mDockBits.bits[i / 8] >> (i % 8)) & 1) != 0) << i;
}

TEST_F(zin_window_script, docking_bitmap_of_a_huge_minimum_size_is_refused) {
    // 200000 x 200000 bits do not fit the address space (and would wrap a 32-bit size).
    new_window("huge", 0, 0, 100, 100, 0, 200000, 200000);
    ASSERT_EQ("", run("b = bitmap.new(8, 8)"));
    EXPECT_NE(std::string::npos, run("huge:load_docking_bitmap(b)").find("not enough memory"));
    EXPECT_EQ(nullptr, window("huge")->mDockBits.bits);
}

// ---- Native window -------------------------------------------------------------------------------

class window_life : public window_fixture {
protected:
    int records_of(zin_window* w) {
        int n = 0;
        for (uint32_t i = 0; i < g_window_handles.getSize(); ++i)
            if (g_window_handles[i].window == w) ++n;
        return n;
    }
};

TEST_F(window_life, create_makes_exactly_one_native_window) {
    zin_window* w = new_window("w", 30, 40, 120, 80);
    ASSERT_EQ("", run("events = '' w:set_callback('OnShow', function() events = events .. 'show ' end) "
                      "w:set_callback('OnSize', function() events = events .. 'size ' end) "
                      "w:set_callback('OnSizeEnd', function() events = events .. 'end ' end) "
                      "w:create() w:create()"));
    ASSERT_NE(nullptr, w->mWnd);
    EXPECT_TRUE(IsWindowVisible(w->mWnd));
    EXPECT_EQ(1, records_of(w));
    RECT r;
    GetWindowRect(w->mWnd, &r);
    EXPECT_EQ(30, r.left);
    EXPECT_EQ(40, r.top);
    EXPECT_EQ(150, r.right);
    EXPECT_EQ(120, r.bottom);
    EXPECT_TRUE(GetWindowLongW(w->mWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    ASSERT_EQ("", run("assert(events == 'size end show ', events) assert(w:is_visible())"));
    // Creating it again (the engine's own way) changes nothing.
    const HWND first = w->mWnd;
    w->create_native();
    EXPECT_EQ(first, w->mWnd);
    EXPECT_EQ(1, records_of(w));
}

// What the host's hook sees of a window being made: the extended style it is created with (from
// WM_NCCREATE's creation record, and as the window holds it at WM_CREATE), and every position change
// asked for with where in the z-order and how.
struct made_window_message {
    UINT msg;
    DWORD ex_style;
    HWND insert_after;
    UINT flags;
};
std::vector<made_window_message>& made_window_messages() {
    static std::vector<made_window_message> seen;
    return seen;
}
BOOL TROVA_HOOK_CALL recording_hook(HWND hwnd, UINT msg, WPARAM, LPARAM lparam, LRESULT*) {
    if (msg == WM_NCCREATE)
        made_window_messages().push_back({msg, reinterpret_cast<CREATESTRUCTA*>(lparam)->dwExStyle, nullptr, 0});
    if (msg == WM_CREATE)
        made_window_messages().push_back({msg, static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)), nullptr, 0});
    if (msg == WM_WINDOWPOSCHANGING) {
        const WINDOWPOS* pos = reinterpret_cast<WINDOWPOS*>(lparam);
        made_window_messages().push_back({msg, 0, pos->hwndInsertAfter, pos->flags});
    }
    return FALSE;
}

TEST_F(window_life, a_new_window_is_created_not_top_most_then_made_top_most_in_sight_of_the_host_hook) {
    zin_window* w = new_window("w", 30, 40, 120, 80);
    made_window_messages().clear();
    g_host_hook = &recording_hook;
    ASSERT_EQ("", run("w:create()"));
    g_host_hook = &test_hook;
    const std::vector<made_window_message> seen = made_window_messages();
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), seen[0].msg);
    EXPECT_EQ(static_cast<DWORD>(WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES), seen[0].ex_style);
    size_t created = 0;
    while (created < seen.size() && seen[created].msg != WM_CREATE) ++created;
    ASSERT_LT(created, seen.size());
    EXPECT_EQ(0u, seen[created].ex_style & WS_EX_TOPMOST);
    // Then the window's own SetWindowPos: top-most, neither moved nor sized, no erase.
    const auto top_most = std::find_if(seen.begin() + static_cast<std::ptrdiff_t>(created), seen.end(),
                                       [](const made_window_message& m) {
                                           return m.msg == WM_WINDOWPOSCHANGING && m.insert_after == HWND_TOPMOST;
                                       });
    ASSERT_NE(seen.end(), top_most);
    const UINT asked = SWP_NOSIZE | SWP_NOMOVE | SWP_DEFERERASE;
    EXPECT_EQ(asked, top_most->flags & asked);
    EXPECT_TRUE(GetWindowLongW(w->mWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(window_life, minimise_queues_the_window_and_restore_shows_it_where_it_was) {
    zin_window* w = new_window("w", 30, 40, 120, 80);
    ASSERT_EQ("", run("hidden = 0 w:set_callback('OnHide', function() hidden = hidden + 1 end) w:create()"));
    const HWND first = w->mWnd;
    ASSERT_EQ("", run("w:minimize()"));
    pump();
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(nullptr, w->mWnd);
    EXPECT_EQ(0, records_of(w));
    ASSERT_EQ(1u, g_pending_windows.getSize());
    ASSERT_EQ("", run("assert(hidden == 1) assert(not w:is_visible())"));
    // Queued once only, also when minimised twice through the engine's list.
    queue_window(w);
    EXPECT_EQ(1u, g_pending_windows.getSize());
    // The private create message, to any window of the class, shows it again.
    zin_window* other = new_window("o", 300, 300, 50, 50);
    ASSERT_EQ("", run("o:create()"));
    SendMessageW(other->mWnd, WM_APP + 0x1A, 0, 0);
    ASSERT_NE(nullptr, w->mWnd);
    EXPECT_EQ(0u, g_pending_windows.getSize());
    RECT r;
    GetWindowRect(w->mWnd, &r);
    EXPECT_EQ(30, r.left);
    EXPECT_EQ(40, r.top);
}

// Minimising the active window deactivates it while it is destroyed: OnDeactivate runs then, the
// window unloaded and still holding its record. Whatever the callback does, to the window or to
// another one, the window is unloaded and destroyed once, leaves no record of its handle, and is
// queued once (unless the callback closed it, or closed and opened it anew).
int script_host_hide(lua_State*) {
    destroy_all_windows();  // the host's hide, as from a modal loop inside a callback
    return 0;
}

TEST_F(window_life, what_on_deactivate_does_while_a_minimised_window_goes) {
    enum outcome { pending, closed, reopened };
    struct action {
        const char* script;  // run by OnDeactivate
        outcome w_after;
        bool b_goes;         // the open window b is minimised or hidden too
        uint32_t w_parts;
    };
    const action actions[] = {
        {"", pending, false, 1},
        {"w:close()", closed, false, 1},
        {"w:minimize()", pending, false, 1},
        {"w:switch_to(o)", pending, false, 1},  // refused: the native window is going
        {"b:switch_to(w)", pending, false, 1},  // refused: w is still open
        {"w:redraw(rect.new(0, 0, 120, 80))", pending, false, 1},  // nothing painted
        {"w:add(color_rect.new(rect.new(0, 0, 9, 9), color.new(1, 2, 3)), rect.new(5, 5, -5, -5))",
         pending, false, 2},
        {"b:minimize()", pending, true, 1},
        {"hide_all()", pending, true, 1},
        {"w:close() w:create()", reopened, false, 1},
    };
    for (const action& a : actions) {
        SCOPED_TRACE(a.script);
        if (&a != actions) {
            TearDown();
            SetUp();
        }
        lua_register(L, "hide_all", &script_host_hide);
        zin_window* w = new_window("w", 30, 40, 120, 80, 1);
        zin_window* b = new_window("b", 300, 40, 60, 60);
        zin_window* o = new_window("o", 400, 40, 60, 60);
        probe_part* p = add_probe(w, rect(0, 0, 120, 80));
        ASSERT_EQ("", run("log = '' armed = false hides = 0 shows = 0 "
                          "w:set_callback('OnHide', function() hides = hides + 1 end) "
                          "w:set_callback('OnShow', function() shows = shows + 1 end) "
                          "w:set_callback('OnDeactivate', function() if not armed then return end "
                          "armed = false log = log .. 'deactivate ' .. tostring(w:is_visible()) " +
                          std::string(a.script) + " end) b:create() w:create()"));
        pump();
        const HWND first = w->mWnd;
        // The window must be the active one when it goes. Another test's window on the shared
        // display may have taken the foreground: it is taken back, and the minimise is sent (not
        // posted), so that no message is delivered in between.
        SetForegroundWindow(first);
        ASSERT_EQ(first, GetActiveWindow());
        p->clips.clear();
        ASSERT_EQ("", run("armed = true"));
        SendMessageW(first, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        pump();
        // OnDeactivate saw the window still open; it was unloaded once.
        const std::string after = a.w_after == reopened ? "assert(shows == 2) assert(w:is_visible())"
                                                        : "assert(shows == 1) assert(not w:is_visible())";
        ASSERT_EQ("", run("assert(log == 'deactivate true', log) assert(hides == 1, hides) " + after));
        EXPECT_FALSE(IsWindow(first));
        EXPECT_EQ(nullptr, find_window(first));
        for (uint32_t i = 0; i < g_window_handles.getSize(); ++i) {
            EXPECT_TRUE(IsWindow(g_window_handles[i].handle));
            EXPECT_EQ(g_window_handles[i].handle, g_window_handles[i].window->mWnd);
        }
        EXPECT_EQ(a.w_after == reopened ? 1 : 0, records_of(w));
        uint32_t queued = 0;
        for (uint32_t i = 0; i < g_pending_windows.getSize(); ++i)
            if (g_pending_windows[i] == w) ++queued;
        EXPECT_EQ(a.w_after == pending ? 1u : 0u, queued);
        EXPECT_EQ(a.b_goes, g_pending_windows.find(b, 0) != nullptr);
        EXPECT_EQ(a.b_goes, b->mWnd == nullptr);
        EXPECT_EQ(nullptr, o->mWnd);
        EXPECT_TRUE(a.w_after == reopened || p->clips.empty());
        EXPECT_EQ(a.w_parts, w->mParts.getSize());
        // Back where it was: by the private create message (to any window of the class) when it
        // is pending, by create when it was closed.
        if (a.w_after == pending) {
            const HWND any = CreateWindowExA(0, "zin_window_debug", "", WS_POPUP, 0, 0, 1, 1,
                                             nullptr, nullptr, nullptr, nullptr);
            SendMessageW(any, WM_APP + 0x1A, 0, 0);
            DestroyWindow(any);
        } else if (a.w_after == closed) {
            ASSERT_EQ("", run("w:create()"));
        }
        ASSERT_NE(nullptr, w->mWnd);
        EXPECT_TRUE(IsWindowVisible(w->mWnd));
        EXPECT_EQ(1, records_of(w));
        EXPECT_EQ(0u, g_pending_windows.getSize());
        RECT r;
        GetWindowRect(w->mWnd, &r);
        EXPECT_EQ(30, r.left);
        EXPECT_EQ(40, r.top);
        ASSERT_EQ("", run("assert(hides == 1, hides) assert(shows == 2, shows)"));
    }
}

// The life cycle whatever the callbacks do. The window w (resizable, with a script part), the
// closed window o (with a script part) and the open window b. Each row arms one callback of w, or
// the show or hide of w's part, to do one action the first time it runs or every time (up to 12
// nested or repeated calls: a callback that re-creates its window every time recurses without
// end), then makes w go through one change. Once everything has run, every window is open (a live,
// shown native window that no other window holds, one record, its first part shown and none hidden,
// not pending) or closed (none of these, no part shown); a part was never shown or hidden twice in
// a row, nor shown as it was filed; no window was unloaded inside its own unload, no debug check
// failed, and no live skin window is left that no window holds.
// The script also checks that each request was carried out for the window it named: OnClose ran
// for a window only when its close was asked for while it was visible, and at least once then;
// each window ends as its last request left it (a close, a minimise or the host's hide, once that
// returns, closed; a create, a switch to it or the host's show that opened it, open).
int script_host_show(lua_State*) {
    create_queued_windows();
    return 0;
}
int script_send(lua_State* L) {
    const zin_window* w = static_cast<zin_window*>(lua_touserdata(L, 1));
    if (w && w->mWnd) SendMessageW(w->mWnd, static_cast<UINT>(lua_tonumber(L, 2)), static_cast<WPARAM>(lua_tonumber(L, 3)), 0);
    return 0;
}
BOOL CALLBACK count_unheld_window(HWND hwnd, LPARAM unheld) {
    char name[32] = "";
    GetClassNameA(hwnd, name, sizeof name);
    bool held = false;
    for (uint32_t i = 0; i < g_windows.getSize(); ++i) held = held || g_windows[i]->mWnd == hwnd;
    if (strcmp(name, "zin_window_debug") == 0 && !held) ++*reinterpret_cast<int*>(unheld);
    return TRUE;
}

// The requests as the table makes them: each notes, in request order, what it asks of a window.
const char kRequests[] = R"(
seq, last, asked, closes = 0, {}, {}, {}
function tick() seq = seq + 1 return seq end
function mark(x, state, at) if not last[x] or last[x].at < at then last[x] = {state = state, at = at} end end
function close(x) local at = tick()
  if x:is_visible() then asked[x] = (asked[x] or 0) + 1 mark(x, 'closed', at) end x:close() end
function minimize(x) local at = tick() if x:is_visible() then mark(x, 'closed', at) end x:minimize() end
function sysmin(x) local at = tick() if x:is_visible() then mark(x, 'closed', at) end send(x, 274, 61472) end
function create(x) local at, was = tick(), x:is_visible() x:create()
  if not was and x:is_visible() then mark(x, 'open', at) end end
function switch(x, y) local at, was_x, was_y = tick(), x:is_visible(), y:is_visible() x:switch_to(y)
  if not was_y and y:is_visible() then mark(y, 'open', at) end
  if was_x and not x:is_visible() then mark(x, 'closed', at) end end
function hide() host_hide() local at = tick() for x in pairs(NAMES) do mark(x, 'closed', at) end end
function show() local at, was = tick(), {} for x in pairs(NAMES) do was[x] = x:is_visible() end host_show()
  for x in pairs(NAMES) do if not was[x] and x:is_visible() then mark(x, 'open', at) end end end
function addpart(x) local p = P.new(rect.new(0, 0, 5, 5)) x:add(p) if p.on ~= nil then bad = bad .. ' shown as filed' end end
function check_requests()
  for x, name in pairs(NAMES) do
    local n, c = asked[x] or 0, closes[x] or 0
    if (n == 0 and c > 0) or c > n or (n > 0 and c == 0) then bad = bad .. ' ' .. name .. ': ' .. c .. ' OnClose for ' .. n .. ' closes' end
    if last[x] and (last[x].state == 'open') ~= x:is_visible() then bad = bad .. ' ' .. name .. ' not ' .. last[x].state end
  end
end
)";

TEST_F(window_life, every_window_is_open_or_closed_whatever_its_callbacks_do) {
    const char* const callbacks[] = {"OnSize", "OnSizeEnd", "OnShow", "OnHide", "OnClose",
                                     "OnActivate", "OnDeactivate", "show", "hide"};
    const char* const actions[] = {"close(w)", "minimize(w)", "switch(w, o)", "switch(o, w)",
                                   "close(w) create(w)", "close(o) create(o)", "hide()", "hide() show()",
                                   "addpart(w)", "close(o)", "minimize(o)", "switch(w, o) close(o)",
                                   "switch(b, o)"};
    const struct {
        const char* before;  // w and b open unless said otherwise
        const char* change;
    } changes[] = {
        {"close(w)", "create(w)"},
        {"", "close(w)"},
        {"", "sysmin(w)"},  // minimised by the system
        {"", "switch(w, o)"},
        {"close(w) create(o)", "switch(o, w)"},
        {"", "w:set_pos(rect.new(40, 50, 200, 170)) send(w, 562, 0)"},  // moved and sized
        {"", "hide()"},                                                  // the host hides
        {"", "create(o)"},                                               // another window opens
    };
    zin_window *w = nullptr, *o = nullptr, *b = nullptr;
    // The windows as each change finds them, with the callback armed to do the action.
    auto set_up_row = [&](const char* before, const std::string& callback, const std::string& action, int times) {
        TearDown();
        SetUp();
        lua_register(L, "new_base_class", &new_base_class);
        lua_register(L, "host_hide", &script_host_hide);
        lua_register(L, "host_show", &script_host_show);
        lua_register(L, "send", &script_send);
        w = new_window("w", 30, 40, 120, 80, 1);
        o = new_window("o", 300, 40, 60, 60);
        b = new_window("b", 400, 40, 60, 60);
        ASSERT_EQ("", run(std::string(kRequests) + "bad = '' fired = {} armed = false TIMES = " + std::to_string(times) +
                          " TARGET = '" + callback + "' function ACTION() " + action + " end "
                          "NAMES = {[w] = 'w', [o] = 'o', [b] = 'b'} "
                          "function act(name) fired[name] = true "
                          "if armed and name == TARGET then TIMES = TIMES - 1 armed = TIMES > 0 ACTION() end end "
                          "P = new_base_class(false) "
                          "function P.show(self) if self.on then bad = bad .. ' show twice' end self.on = true "
                          "if self.name == 'w' then act('show') end end "
                          "function P.hide(self) if self.on == false then bad = bad .. ' hide twice' end self.on = false "
                          "if self.name == 'w' then act('hide') end end "
                          "pw = P.new(rect.new(0, 0, 9, 9)) pw.name = 'w' w:add(pw) "
                          "po = P.new(rect.new(0, 0, 9, 9)) po.name = 'o' o:add(po) "
                          "for x in pairs(NAMES) do local x = x x:set_callback('OnClose', function() "
                          "closes[x] = (closes[x] or 0) + 1 if x == w then act('OnClose') end end) end "
                          "for _, n in ipairs({'OnSize', 'OnSizeEnd', 'OnShow', 'OnActivate', 'OnDeactivate'}) do "
                          "local name = n w:set_callback(name, function() act(name) end) end "
                          "w:set_callback('OnHide', function() if hiding then bad = bad .. ' unloaded twice' end "
                          "hiding = true act('OnHide') hiding = false end) "
                          "create(w) create(b) " + std::string(before)));
        pump();
    };
    for (const auto& change : changes) {
        // Rows only for the callbacks that the change runs.
        set_up_row(change.before, "", "", 0);
        ASSERT_EQ("", run(std::string("fired = {} ") + change.change));
        pump();
        std::vector<const char*> fired;
        for (const char* callback : callbacks)
            if (engine_test::eval(L, std::string("tostring(fired['") + callback + "'] == true)") == "true")
                fired.push_back(callback);
        for (const char* callback : fired) {
            for (const char* action : actions) {
                for (const int times : {1, 12}) {
                    SCOPED_TRACE(std::string(change.change) + " / " + callback + " does " + action + " " +
                                 std::to_string(times) + " times");
                    set_up_row(change.before, callback, action, times);
                    engine_test::debug_capture debug;
                    ASSERT_EQ("", run(std::string("armed = true ") + change.change));
                    pump();
                    // Re-created again and again, a window's creation may meet the system's limit
                    // on nested window procedures: only that check may fail.
                    for (const std::string& line : debug.lines)
                        EXPECT_TRUE(line.find("ASSERT") == std::string::npos || line.find("CreateWindowExA") != std::string::npos) << line;
                    ASSERT_EQ("", run("check_requests()"));
                    EXPECT_EQ("", engine_test::eval(L, "bad"));
                    for (zin_window* x : {w, o, b}) {
                        SCOPED_TRACE(x->mName);
                        EXPECT_FALSE(x->is_unloading());
                        EXPECT_EQ(x->mWnd ? 1 : 0, records_of(x));
                        for (uint32_t i = 0; i < x->mScriptParts.getSize(); ++i)
                            EXPECT_NE(x->mWnd ? base_class::show_state::hidden : base_class::show_state::shown,
                                      x->mScriptParts[i]->mShowState);
                        if (!x->mWnd) continue;
                        // Its first part was filed before the window ever opened.
                        if (x->mScriptParts.getSize() != 0) {
                            EXPECT_EQ(base_class::show_state::shown, x->mScriptParts[0]->mShowState);
                        }
                        EXPECT_TRUE(IsWindowVisible(x->mWnd));
                        EXPECT_EQ(x, find_window(x->mWnd));
                        EXPECT_EQ(nullptr, g_pending_windows.find(x, 0));
                    }
                    EXPECT_TRUE(w->mWnd == nullptr || (w->mWnd != o->mWnd && w->mWnd != b->mWnd));
                    EXPECT_TRUE(o->mWnd == nullptr || o->mWnd != b->mWnd);
                    int unheld = 0;
                    EnumThreadWindows(GetCurrentThreadId(), &count_unheld_window, reinterpret_cast<LPARAM>(&unheld));
                    EXPECT_EQ(0, unheld);
                    if (HasFailure()) return;
                }
            }
        }
    }
}

TEST_F(window_life, close_removes_the_record_and_create_opens_it_again) {
    zin_window* w = new_window("w", 30, 40, 120, 80);
    ASSERT_EQ("", run("closed = 0 w:set_callback('OnClose', function() closed = closed + 1 end) w:create()"));
    const HWND first = w->mWnd;
    ASSERT_EQ("", run("w:close()"));
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(0, records_of(w));
    EXPECT_EQ(0u, g_pending_windows.getSize());
    EXPECT_EQ(1u, g_windows.getSize());
    ASSERT_EQ("", run("assert(closed == 1) assert(not w:is_visible()) w:create()"));
    EXPECT_TRUE(IsWindow(w->mWnd));
    EXPECT_EQ(1, records_of(w));
    EXPECT_EQ(1u, g_window_handles.getSize());
}

TEST_F(window_life, close_while_quitting_keeps_the_window) {
    zin_window* w = new_window("w", 30, 40, 120, 80);
    ASSERT_EQ("", run("closed = 0 w:set_callback('OnClose', function() closed = closed + 1 end) w:create()"));
    g_quitting = true;
    EXPECT_EQ(0, SendMessageW(w->mWnd, WM_CLOSE, 0, 0));
    g_quitting = false;
    EXPECT_TRUE(IsWindow(w->mWnd));
    EXPECT_EQ(1, records_of(w));
    ASSERT_EQ("", run("assert(closed == 1)"));
}

TEST_F(window_life, callbacks_that_close_or_recreate_during_close) {
    zin_window* w = new_window("w", 30, 40, 120, 80);
    // OnClose closes the window itself again, OnHide opens it anew.
    ASSERT_EQ("", run("w:set_callback('OnClose', function() w:set_callback('OnClose', nil) w:close() end) "
                      "w:create()"));
    const HWND first = w->mWnd;
    ASSERT_EQ("", run("w:close()"));
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(0, records_of(w));
    ASSERT_EQ("", run("w:set_callback('OnHide', function() w:set_callback('OnHide', nil) w:create() end) "
                      "w:create()"));
    const HWND second = w->mWnd;
    ASSERT_EQ("", run("w:close()"));
    // OnHide ran while the record still named the window, so create did nothing; the close went on.
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(0u, g_window_handles.getSize());
}

// Two windows whose OnHide close each other: whichever way the first one goes, each is unloaded
// once and both end closed (the one minimised or hidden too: a close wins).
TEST_F(window_life, windows_whose_on_hide_close_each_other_are_unloaded_once) {
    for (const char* change : {"a:close()", "send(a, 274, 61472)", "hide()"}) {
        SCOPED_TRACE(change);
        TearDown();
        SetUp();
        lua_register(L, "hide", &script_host_hide);
        lua_register(L, "send", &script_send);
        zin_window* a = new_window("a", 30, 40, 120, 80);
        zin_window* b = new_window("b", 300, 40, 60, 60);
        ASSERT_EQ("", run("hides = '' a:set_callback('OnHide', function() hides = hides .. 'a' b:close() end) "
                          "b:set_callback('OnHide', function() hides = hides .. 'b' a:close() end) "
                          "a:create() b:create() " + std::string(change)));
        pump();
        EXPECT_EQ("ab", engine_test::eval(L, "hides"));
        EXPECT_EQ(nullptr, a->mWnd);
        EXPECT_EQ(nullptr, b->mWnd);
        EXPECT_EQ(0u, g_window_handles.getSize());
        EXPECT_EQ(0u, g_pending_windows.getSize());
    }
}

TEST_F(window_life, destroy_all_windows_queues_the_open_ones) {
    zin_window* a = new_window("a", 0, 0, 50, 50);
    zin_window* b = new_window("b", 60, 0, 50, 50);
    new_window("c", 120, 0, 50, 50);
    ASSERT_EQ("", run("a:create() b:create()"));
    destroy_all_windows();
    EXPECT_EQ(0u, g_window_handles.getSize());
    ASSERT_EQ(2u, g_pending_windows.getSize());
    EXPECT_EQ(a, g_pending_windows[0]);
    EXPECT_EQ(b, g_pending_windows[1]);
    create_queued_windows();
    EXPECT_EQ(2u, g_window_handles.getSize());
}

TEST_F(window_life, switch_to_hands_over_the_native_window) {
    zin_window* a = new_window("a", 100, 50, 200, 100);
    zin_window* b = new_window("b", 0, 0, 80, 60);
    ASSERT_EQ("", run("log = '' a:set_callback('OnHide', function() log = log .. 'a-hide ' end) "
                      "b:set_callback('OnShow', function() log = log .. 'b-show ' end) "
                      "b:set_callback('OnActivate', function() log = log .. 'b-act ' end) "
                      "a:create() a:switch_to(b)"));
    const HWND hwnd = b->mWnd;
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(nullptr, a->mWnd);
    EXPECT_EQ(b, find_window(hwnd));
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(100, r.left);  // the old window's place
    EXPECT_EQ(50, r.top);
    EXPECT_EQ(80, r.right - r.left);  // the new window's size
    EXPECT_EQ(60, r.bottom - r.top);
    EXPECT_EQ(100, b->mRect.left);
    EXPECT_EQ(110, b->mRect.bottom);
    ASSERT_EQ("", run("assert(log == 'a-hide b-show b-act ', log)"));
    // Refused: to an open window, and from a window without native window.
    ASSERT_EQ("", run("b:switch_to(b) a:switch_to(b)"));
    EXPECT_EQ(hwnd, b->mWnd);
    EXPECT_EQ(nullptr, a->mWnd);
    EXPECT_EQ(1u, g_window_handles.getSize());
}

TEST_F(window_life, switching_to_a_minimised_window_takes_it_off_the_queue) {
    zin_window* a = new_window("a", 0, 0, 50, 50);
    zin_window* b = new_window("b", 60, 0, 50, 50);
    ASSERT_EQ("", run("a:create() b:create() b:minimize()"));
    pump();
    ASSERT_EQ(1u, g_pending_windows.getSize());
    ASSERT_EQ("", run("a:switch_to(b)"));
    EXPECT_EQ(0u, g_pending_windows.getSize());
    // Closed now, it stays closed when the pending windows are made.
    ASSERT_EQ("", run("b:close()"));
    create_queued_windows();
    EXPECT_EQ(nullptr, b->mWnd);
    EXPECT_EQ(nullptr, a->mWnd);
    EXPECT_EQ(0u, g_window_handles.getSize());
}

TEST_F(window_life, resize_starts_sizing_only_for_the_eight_edges) {
    zin_window* w = new_window("w", 30, 40, 120, 80, 1);
    ASSERT_EQ("", run("w:create()"));
    pump();
    g_mouse_pos = point(5, 6);
    ASSERT_EQ("", run("w:resize(7)"));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, w->mWnd, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(static_cast<WPARAM>(HTBOTTOMRIGHT), msg.wParam);
    EXPECT_EQ(35, static_cast<int16_t>(LOWORD(msg.lParam)));  // the mouse on the screen
    EXPECT_EQ(46, static_cast<int16_t>(HIWORD(msg.lParam)));
    // Out of range: reported, and no hit-test code of another meaning (caption, close) is posted.
    const uint32_t reports = zin_debug_report_count();
    ASSERT_EQ("", run("w:resize(8) w:resize(-8)"));
    EXPECT_EQ(2u, zin_debug_report_count() - reports);
    EXPECT_FALSE(PeekMessageW(&msg, w->mWnd, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
}

TEST_F(window_life, a_failing_finaliser_does_not_stop_a_close) {
    zin_window* w = new_window("w", 30, 40, 120, 80);
    // The unload's full collection runs this finaliser, which fails.
    ASSERT_EQ("", run("function make_garbage() local g = newproxy(true) "
                      "getmetatable(g).__gc = function() finalised = true error('finaliser broke') end end "
                      "w:create()"));
    const HWND first = w->mWnd;
    engine_test::debug_capture debug;
    ASSERT_EQ("", run("make_garbage() w:close() after = true"));
    ASSERT_EQ("", run("assert(finalised and after)"));
    EXPECT_FALSE(debug.containing("finaliser broke").empty());
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(nullptr, w->mWnd);
    EXPECT_EQ(0, records_of(w));
    EXPECT_EQ(0, lua_gettop(L));
}

// While the state closes, the collector destroys windows and parts in no particular order: no
// open window may be found by its handle then, or a message (an activation moving to it when
// another window goes) would run its callbacks and paint its parts from a half-destroyed skin.
// The lists themselves stay valid for the finalisers.
HWND g_closing_window = nullptr;
int g_records_while_closing = -1;
int records_while_closing(lua_State*) {
    g_records_while_closing = find_window(g_closing_window) ? 1 : 0;
    EXPECT_EQ(1u, g_window_handles.getSize());
    return 0;
}

TEST_F(window_life, closing_the_state_leaves_no_window_to_find_by_handle) {
    lua_register(L, "records_while_closing", &records_while_closing);
    new_window("main", 10, 10, 50, 40);
    ASSERT_EQ("", run("main:create()"));
    ASSERT_EQ(1u, g_window_handles.getSize());
    g_closing_window = g_window_handles[0].handle;
    // Made after the window, so finalised before it.
    ASSERT_EQ("", run("p = newproxy(true) getmetatable(p).__gc = records_while_closing"));
    g_records_while_closing = -1;
    skin_load::close_state();
    EXPECT_EQ(0, g_records_while_closing);
    EXPECT_EQ(0u, g_window_handles.getSize());
    EXPECT_EQ(0u, g_windows.getSize());
    L = engine_test::new_state();  // for the fixture's tear-down
    g_lua = L;
}

}  // namespace
