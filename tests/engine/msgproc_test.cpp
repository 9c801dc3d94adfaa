// The window procedure: the host hook and the private messages, activation, wheel, position
// changes and parent notifications.

#include "window_test_util.h"

#include <stdexcept>

using namespace window_test;

namespace {

class window_messages : public window_fixture {};

TEST_F(window_messages, private_messages_come_before_the_hook) {
    zin_window* w = new_window("w", 0, 0, 50, 50);
    ASSERT_EQ("", run("w:create()"));
    hook().calls = 0;
    SendMessageW(w->mWnd, WM_APP + 0x1A, 0, 0);
    EXPECT_EQ(0, hook().calls);
    hook().swallow = WM_CLOSE;
    EXPECT_EQ(77, SendMessageW(w->mWnd, WM_CLOSE, 0, 0));
    EXPECT_TRUE(IsWindow(w->mWnd));
    // Without a hook the engine answers alone.
    hook().swallow = 0;
    g_host_hook = nullptr;
    SendMessageW(w->mWnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(nullptr, w->mWnd);
    g_host_hook = &test_hook;
}

TEST_F(window_messages, exceptions_never_leave_the_window_procedure) {
    zin_window* w = new_window("w", 0, 0, 50, 50);
    probe_part* p = add_probe(w, rect(0, 0, 50, 50));
    ASSERT_EQ("", run("w:create()"));
    pump();
    p->on_draw = [] { throw std::runtime_error("draw failed"); };
    const RECT all{0, 0, 50, 50};
    InvalidateRect(w->mWnd, &all, FALSE);
    EXPECT_EQ(0, SendMessageW(w->mWnd, WM_NCPAINT, 1, 0));
    // The next paint runs normally.
    p->on_draw = nullptr;
    p->clips.clear();
    InvalidateRect(w->mWnd, &all, FALSE);
    SendMessageW(w->mWnd, WM_NCPAINT, 1, 0);
    EXPECT_EQ(1u, p->clips.size());
}

TEST_F(window_messages, wheel_and_activation) {
    zin_window* w = new_window("w", 0, 0, 50, 50);
    // A for's variables are one set for the whole loop (Lua 5.0): each callback keeps its own copy.
    ASSERT_EQ("", run("log = '' for _, n in ipairs({'OnWheelUp', 'OnWheelDown', 'OnActivate', 'OnDeactivate'}) do "
                      "local name = n w:set_callback(n, function() log = log .. name .. ' ' end) end "
                      "w:create() log = ''"));
    SendMessageW(w->mWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    SendMessageW(w->mWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 0), 0);
    SendMessageW(w->mWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    SendMessageW(w->mWnd, WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageW(w->mWnd, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    ASSERT_EQ("", run("assert(log == 'OnWheelUp OnWheelDown OnWheelDown OnDeactivate OnActivate ', log)"));
}

TEST_F(window_messages, position_changes_of_a_resizable_window) {
    zin_window* w = new_window("w", 0, 0, 100, 80, 1, 50, 40);
    ASSERT_EQ("", run("r = rect.new(0, 0, -10, -10) w:add(r) sizes = '' "
                      "w:set_callback('OnSize', function() local p = w:get_pos() sizes = sizes .. p.w .. 'x' .. p.h .. ' ' end) "
                      "w:create() sizes = ''"));
    // Shrinking below the minimum: OnSize sees the old size, the window gets the minimum.
    SetWindowPos(w->mWnd, nullptr, 10, 20, 20, 10, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ("", run("assert(sizes == '100x80 ', sizes)"));
    EXPECT_EQ(10, w->mRect.left);
    EXPECT_EQ(60, w->mRect.right);
    EXPECT_EQ(60, w->mRect.bottom);
    ASSERT_EQ("", run("assert(r.r == 40 and r.b == 30, r.r .. ' ' .. r.b)"));
    // A move without size keeps the size (the record's cx and cy mean nothing then).
    SetWindowPos(w->mWnd, nullptr, 5, 5, 999, 999, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(5, w->mRect.left);
    EXPECT_EQ(55, w->mRect.right);
    EXPECT_EQ(45, w->mRect.bottom);
    ASSERT_EQ("", run("assert(sizes == '100x80 ', sizes)"));
}

TEST_F(window_messages, fixed_size_window_never_fires_on_size) {
    zin_window* w = new_window("w", 0, 0, 100, 80);
    ASSERT_EQ("", run("n = 0 w:set_callback('OnSize', function() n = n + 1 end) w:create() n = 0"));
    WINDOWPOS pos{w->mWnd, nullptr, 7, 8, 300, 300, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE};
    SendMessageW(w->mWnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    pos = WINDOWPOS{w->mWnd, nullptr, 9, 9, 30, 30, SWP_NOZORDER};
    SendMessageW(w->mWnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    ASSERT_EQ("", run("assert(n == 0)"));
    EXPECT_EQ(9, w->mRect.left);
    EXPECT_EQ(39, w->mRect.right);
    // State changes are left alone.
    pos = WINDOWPOS{w->mWnd, nullptr, 50, 50, 30, 30, 0x8000};
    SendMessageW(w->mWnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    EXPECT_EQ(9, w->mRect.left);
}

TEST_F(window_messages, parent_notify_passes_on_button_messages_only) {
    zin_window* w = new_window("w", 0, 0, 100, 80);
    ASSERT_EQ("", run("n = 0 w:add_part_callback('LDown', rect.new(0, 0, 50, 50), function() n = n + 1 end) "
                      "w:create()"));
    g_mouse_pos = point(99, 99);
    SendMessageW(w->mWnd, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, 0), MAKELPARAM(5, 5));
    SendMessageW(w->mWnd, WM_PARENTNOTIFY, MAKEWPARAM(WM_MOUSEMOVE, 0), MAKELPARAM(5, 5));
    SendMessageW(w->mWnd, WM_PARENTNOTIFY, MAKEWPARAM(WM_MOUSEWHEEL, 0), MAKELPARAM(5, 5));
    EXPECT_EQ(99, g_mouse_pos.x);
    SendMessageW(w->mWnd, WM_PARENTNOTIFY, MAKEWPARAM(WM_LBUTTONDOWN, 0), MAKELPARAM(5, 5));
    EXPECT_EQ(5, g_mouse_pos.x);
    ASSERT_EQ("", run("assert(n == 1)"));
    SendMessageW(w->mWnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

}  // namespace
