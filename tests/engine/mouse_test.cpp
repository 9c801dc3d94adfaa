// Mouse dispatch: sequences of mouse messages against parts, region callbacks, hover regions and
// the window drag.

#include "window_test_util.h"

using namespace window_test;

namespace {

class mouse : public window_fixture {
protected:
    zin_window* w = nullptr;
    HWND hwnd = nullptr;

    void SetUp() override {
        window_fixture::SetUp();
        w = new_window("w", 100, 100, 200, 100);
        ASSERT_EQ("", run("log = '' function note(s) return function() log = log .. s .. ' ' end end"));
    }
    void open() {
        ASSERT_EQ("", run("w:create()"));
        hwnd = w->mWnd;
        pump();
    }
    std::string log() {
        lua_getglobal(L, "log");
        std::string text = lua_tostring(L, -1) ? lua_tostring(L, -1) : "";
        lua_pop(L, 1);
        return text;
    }
    void press(UINT msg, int x, int y) { window_fixture::mouse(hwnd, msg, x, y); }
};

TEST_F(mouse, press_on_empty_space_drags_the_window_press_on_a_region_does_not) {
    ASSERT_EQ("", run("w:add_part_callback('LDown', rect.new(0, 0, 50, 50), note('down'))"));
    open();
    press(WM_LBUTTONDOWN, 10, 10);
    EXPECT_EQ(hwnd, GetCapture());
    press(WM_LBUTTONUP, 10, 10);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(0, pump(hwnd));
    EXPECT_EQ("down ", log());
    // Empty spot: the window is dragged (and the capture given back first).
    press(WM_LBUTTONDOWN, 100, 60);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(1, pump(hwnd));
    press(WM_LBUTTONDBLCLK, 100, 60);
    EXPECT_EQ(1, pump(hwnd));
    // Right and middle presses never drag.
    press(WM_RBUTTONDOWN, 100, 60);
    press(WM_RBUTTONUP, 100, 60);
    press(WM_MBUTTONDOWN, 100, 60);
    press(WM_MBUTTONUP, 100, 60);
    EXPECT_EQ(0, pump(hwnd));
}

TEST_F(mouse, part_that_handles_the_press_keeps_the_window_still) {
    probe_part* quiet = add_probe(w, rect(0, 0, 50, 50));
    probe_part* taker = add_probe(w, rect(100, 0, 150, 50));
    taker->handles = true;
    open();
    press(WM_LBUTTONDOWN, 10, 10);
    EXPECT_EQ(1, pump(hwnd));
    press(WM_LBUTTONDOWN, 110, 10);
    EXPECT_EQ(0, pump(hwnd));
    ASSERT_EQ(1u, quiet->messages.size());
    ASSERT_EQ(1u, taker->messages.size());
    EXPECT_EQ(110, taker->positions[0].x);
    press(WM_LBUTTONUP, 110, 10);
}

TEST_F(mouse, double_click_runs_the_press_callbacks_first) {
    ASSERT_EQ("", run("local r = rect.new(0, 0, 50, 50) "
                      "w:add_part_callback('LDbl', r, note('dbl')) w:add_part_callback('LDown', r, note('down'))"));
    open();
    press(WM_LBUTTONDBLCLK, 10, 10);
    EXPECT_EQ("down dbl ", log());
    EXPECT_EQ(hwnd, GetCapture());
    EXPECT_EQ(0, pump(hwnd));
    press(WM_LBUTTONUP, 10, 10);
    // Outside the region nothing is called.
    press(WM_RBUTTONDBLCLK, 60, 10);
    press(WM_RBUTTONUP, 60, 10);
    EXPECT_EQ("down dbl ", log());
}

TEST_F(mouse, press_drag_out_and_release_reach_the_active_part) {
    probe_part* button = add_probe(w, rect(10, 10, 40, 40));
    button->handles = true;
    button->activate_on_press = true;
    open();
    press(WM_LBUTTONDOWN, 20, 20);
    EXPECT_EQ(1u, w->mActive.getSize());
    // Out of the part: it still hears the move (as an active part) and the release.
    press(WM_MOUSEMOVE, 120, 80);
    press(WM_LBUTTONUP, 120, 80);
    ASSERT_EQ(3u, button->messages.size());
    EXPECT_EQ(static_cast<UINT>(WM_LBUTTONDOWN), button->messages[0]);
    EXPECT_EQ(static_cast<UINT>(WM_MOUSEMOVE), button->messages[1]);
    EXPECT_EQ(static_cast<UINT>(WM_LBUTTONUP), button->messages[2]);
    EXPECT_EQ(0u, w->mActive.getSize());
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(0, pump(hwnd));
    // Inside its rect an active part hears a message once (as a part under the mouse).
    press(WM_LBUTTONDOWN, 20, 20);
    press(WM_MOUSEMOVE, 21, 21);
    EXPECT_EQ(5u, button->messages.size());
    press(WM_LBUTTONUP, 21, 21);
}

TEST_F(mouse, event_record_carries_position_and_delta) {
    probe_part* p = add_probe(w, rect(0, 0, 200, 100));
    open();
    g_mouse_pos = point(0, 0);
    press(WM_MOUSEMOVE, 30, 40);
    press(WM_MOUSEMOVE, 25, 50);
    ASSERT_EQ(2u, p->positions.size());
    EXPECT_EQ(25, g_mouse_pos.x);
    EXPECT_EQ(50, g_mouse_pos.y);
    // Negative positions (the capture outside the window) keep their sign.
    press(WM_MOUSEMOVE, -5, -7);
    EXPECT_EQ(-5, g_mouse_pos.x);
    EXPECT_EQ(-7, g_mouse_pos.y);
}

TEST_F(mouse, hover_regions_enter_and_leave_in_order) {
    ASSERT_EQ("", run("a = rect.new(0, 0, 60, 60) b = rect.new(40, 40, 100, 100) "
                      "w:add_part_callback('HoverEnter', a, note('enter-a')) "
                      "w:add_part_callback('HoverLeave', a, note('leave-a')) "
                      "w:add_part_callback('HoverEnter', b, note('enter-b')) "
                      "w:add_part_callback('HoverLeave', b, note('leave-b'))"));
    open();
    press(WM_MOUSEMOVE, 10, 10);
    press(WM_MOUSEMOVE, 20, 20);
    EXPECT_EQ("enter-a ", log());
    // Into the overlap: b is entered while a is still listed.
    press(WM_MOUSEMOVE, 50, 50);
    EXPECT_EQ("enter-a enter-b ", log());
    EXPECT_EQ(2u, w->mHover.getSize());
    // Out of both: the leaves in reverse order of entry.
    press(WM_MOUSEMOVE, 150, 90);
    EXPECT_EQ("enter-a enter-b leave-b leave-a ", log());
    EXPECT_EQ(0u, w->mHover.getSize());
}

TEST_F(mouse, dispatch_stops_when_a_callback_closes_the_window) {
    probe_part* p = add_probe(w, rect(0, 0, 50, 50));
    ASSERT_EQ("", run("local r = rect.new(0, 0, 50, 50) "
                      "w:add_part_callback('LDown', r, function() log = log .. 'down ' w:close() end) "
                      "w:add_part_callback('LDown', r, note('second')) "
                      "w:add_part_callback('LDbl', r, note('dbl'))"));
    open();
    press(WM_LBUTTONDBLCLK, 10, 10);
    EXPECT_EQ("down ", log());
    EXPECT_TRUE(p->messages.empty());
    EXPECT_EQ(nullptr, w->mWnd);
    EXPECT_FALSE(IsWindow(hwnd));
    pump();
}

TEST_F(mouse, dispatch_stops_when_a_callback_switches_the_window) {
    zin_window* other = new_window("o", 0, 0, 300, 300);
    probe_part* mine = add_probe(w, rect(0, 0, 50, 50));
    probe_part* theirs = add_probe(other, rect(0, 0, 300, 300));
    ASSERT_EQ("", run("w:add_part_callback('LDown', rect.new(0, 0, 50, 50), function() w:switch_to(o) end)"));
    open();
    press(WM_LBUTTONDOWN, 10, 10);
    EXPECT_TRUE(mine->messages.empty());
    EXPECT_TRUE(theirs->messages.empty());
    EXPECT_EQ(hwnd, other->mWnd);
    EXPECT_EQ(0, pump(hwnd));
    press(WM_LBUTTONUP, 10, 10);
    EXPECT_EQ(1u, theirs->messages.size());
}

TEST_F(mouse, callbacks_may_change_the_lists_being_walked) {
    ASSERT_EQ("", run("r = rect.new(0, 0, 50, 50) "
                      "w:add_part_callback('HoverEnter', r, function() "
                      "  log = log .. 'enter ' "
                      "  w:add_part_callback('HoverEnter', rect.new(0, 0, 10, 10), note('late')) "
                      "  w:add_part_callback('LDown', r, note('added')) end) "
                      "w:add_part_callback('LDown', r, function() "
                      "  log = log .. 'down ' w:add_part_callback('LDown', r, note('more')) end)"));
    open();
    press(WM_MOUSEMOVE, 5, 5);
    press(WM_LBUTTONDOWN, 5, 5);
    press(WM_LBUTTONUP, 5, 5);
    // Whatever a callback appends may run in the same dispatch; nothing runs twice or breaks.
    const std::string text = log();
    EXPECT_EQ(0u, text.find("enter "));
    EXPECT_NE(std::string::npos, text.find("down added "));
    EXPECT_EQ(0, pump(hwnd));
}

}  // namespace
