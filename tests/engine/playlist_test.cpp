// The playlist view: construction, scrolling methods, mouse and key sequences against a recording
// playlist manager, and rows in the back buffer (text pixels counted, never glyphs compared).

#include "playlist_test_util.h"

using namespace playlist_test;
using window_test::back_pixel;

namespace {

using strings = std::vector<std::string>;
using items = std::vector<std::uint32_t>;

class playlist_view : public playlist_fixture {
protected:
    void TearDown() override {
        set_keys(false, false);
        playlist_fixture::TearDown();
    }

    void click(int item, WPARAM keys = 0) {
        mouse(hwnd, WM_LBUTTONDOWN, 20, row_y(item), MK_LBUTTON | keys);
        mouse(hwnd, WM_LBUTTONUP, 20, row_y(item), keys);
    }
    // Shift and Ctrl as GetKeyState sees them on this thread.
    static void set_keys(bool shift, bool ctrl) {
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_SHIFT] = shift ? 0x80 : 0;
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(state);
    }
    bool key(WPARAM k, bool shift = false, bool ctrl = false) {
        set_keys(shift, ctrl);
        const bool used = playlist::on_key(k, view->mRows);
        set_keys(false, false);
        return used;
    }
    // Pixels of a colour in a row of the back buffer (x from 0 to 199).
    int pixels_in_row(int item, COLORREF c) {
        const int top = (item - view->mTop) * view->mRowHeight;
        int n = 0;
        for (int y = top; y < top + view->mRowHeight; ++y)
            for (int x = 0; x < 200; ++x) n += back_pixel(x, y) == c;
        return n;
    }
    std::string titles() {
        std::string out;
        for (const std::string& t : model.titles()) out += t.substr(5) + " ";
        return out;
    }
};

// ---- Construction and methods --------------------------------------------------------------------

TEST_F(playlist_view, RowsFollowTheFontAndBadArgumentsLeaveNothing) {
    make_view(7, false);
    EXPECT_GE(view->mRowHeight, 10);
    EXPECT_EQ(4, view->mAddFileOption);
    EXPECT_EQ(1u, g_playlist_views.getSize());
    const std::string error =
        run("playlist.new(rect.new(0, 0, 10, 10), font.new('Tahoma', 13, 0, 400), color.new(1, 2, 3))");
    EXPECT_NE(std::string::npos, error.find("color expected")) << error;
    EXPECT_NE("", run("playlist.new(rect.new(0, 0, 10, 10), font.new('Tahoma', 13, 0, 400), color.new(1, 2, 3),"
                      " color.new(1, 2, 3), color.new(1, 2, 3), color.new(1, 2, 3), 5)"));
    EXPECT_NE("", run("playlist.new(rect.new(0, 0, 10, 10), color.new(1, 2, 3))"));
    lua_callback::collect_garbage();
    EXPECT_EQ(1u, g_playlist_views.getSize());
}

TEST_F(playlist_view, ACollectedViewLeavesTheViewList) {
    ASSERT_EQ("", run("local v = playlist.new(rect.new(0, 0, 10, 10), font.new('Tahoma', 13, 0, 400),"
                      " color.new(1, 2, 3), color.new(1, 2, 3), color.new(1, 2, 3), color.new(1, 2, 3))"));
    EXPECT_EQ(1u, g_playlist_views.getSize());
    lua_callback::collect_garbage();
    EXPECT_EQ(0u, g_playlist_views.getSize());
}

TEST_F(playlist_view, ScrollingMethodsClampToTheList) {
    model.add(100);
    make_view(10, true, "function() note('scrolled') end");
    ASSERT_EQ("", run("v:scroll(95)"));
    EXPECT_EQ(90, view->mTop);
    ASSERT_EQ("", run("v:set_pos(50)"));
    EXPECT_EQ(45, view->mTop);
    EXPECT_EQ("50", engine_test::eval(L, "v:get_pos()"));
    EXPECT_EQ("true", engine_test::eval(L, "v:scrollable()"));
    ASSERT_EQ("", run("v:scroll(-1000)"));
    EXPECT_EQ(0, view->mTop);
    EXPECT_EQ("scrolled,scrolled,scrolled", take_log());
    ASSERT_EQ("", run("v:scroll(0)"));
    EXPECT_EQ("", take_log()) << "no change, no callback";
}

TEST_F(playlist_view, AShortListNeverScrolls) {
    model.add(5);
    make_view(7);
    view->set_top(3);
    EXPECT_EQ(0, view->mTop);
    EXPECT_EQ("0", engine_test::eval(L, "v:get_pos()"));
    EXPECT_EQ("false", engine_test::eval(L, "v:scrollable()"));
}

TEST_F(playlist_view, OptionsAndDrawModeAreChecked) {
    make_view(5, false);
    engine_test::debug_capture debug;
    ASSERT_EQ("", run("v:set_add_file_option(2.7)"));
    EXPECT_EQ(2, view->mAddFileOption);
    ASSERT_EQ("", run("v:set_add_file_option(6)"));
    EXPECT_EQ(2, view->mAddFileOption);
    EXPECT_TRUE(debug.contains("!!no recognized add-files-option\n"));
    ASSERT_EQ("", run("v:set_draw_mode(1000)"));
    EXPECT_EQ(255, view->mDrawMode);
    ASSERT_EQ("", run("v:set_draw_mode()"));
    EXPECT_EQ(-1, view->mDrawMode);
    // A view in no window: redraw does nothing.
    ASSERT_EQ("", run("local lone = playlist.new(rect.new(0, 0, 10, 10), font.new('Tahoma', 13, 0, 400),"
                      " color.new(1, 2, 3), color.new(1, 2, 3), color.new(1, 2, 3), color.new(1, 2, 3))\n"
                      "lone:redraw()"));
}

// ---- Mouse ---------------------------------------------------------------------------------------

TEST_F(playlist_view, ClickShiftClickAndShiftUpSelectRanges) {
    model.add(10);
    make_view(10);
    click(3);
    EXPECT_EQ(items{3}, model.selected());
    click(7, MK_SHIFT);
    EXPECT_EQ((items{3, 4, 5, 6, 7}), model.selected());
    EXPECT_EQ(7, g_pl_focus);
    EXPECT_EQ(3, g_pl_anchor);
    EXPECT_EQ(7u, model.focus);
    EXPECT_TRUE(key(VK_UP, true));
    EXPECT_EQ((items{3, 4, 5, 6}), model.selected());
    EXPECT_EQ(6u, model.focus);
}

TEST_F(playlist_view, CtrlClickTogglesOneAndCtrlDownMovesOnlyTheFocus) {
    model.add(10);
    make_view(10);
    click(2);
    click(5, MK_CONTROL);
    EXPECT_EQ((items{2, 5}), model.selected());
    click(2, MK_CONTROL);
    EXPECT_EQ(items{5}, model.selected());
    EXPECT_TRUE(key(VK_DOWN, false, true));
    EXPECT_EQ(items{5}, model.selected());
    EXPECT_EQ(3u, model.focus);
}

TEST_F(playlist_view, PressOnSelectedThenReleaseSelectsOnlyIt) {
    model.add(10);
    make_view(10);
    click(2);
    click(4, MK_SHIFT);
    click(3);
    EXPECT_EQ(items{3}, model.selected());
    EXPECT_EQ(PL_DRAG_IDLE, g_pl_drag_mode);
    EXPECT_FALSE(g_ensure_visible_suppressed);
}

TEST_F(playlist_view, DraggingMovesTheSelectedItems) {
    model.add(8);
    make_view(8);
    click(1);
    click(2, MK_SHIFT);
    mouse(hwnd, WM_LBUTTONDOWN, 20, row_y(1), MK_LBUTTON);
    EXPECT_TRUE(g_ensure_visible_suppressed);
    mouse(hwnd, WM_MOUSEMOVE, 20, row_y(3), MK_LBUTTON);
    EXPECT_EQ(PL_DRAG_MOVING, g_pl_drag_mode);
    EXPECT_EQ("0 3 4 1 2 5 6 7 ", titles());
    mouse(hwnd, WM_LBUTTONUP, 20, row_y(3));
    EXPECT_EQ((items{3, 4}), model.selected());
    EXPECT_EQ(3u, model.focus);
    EXPECT_EQ(0u, w->mActive.getSize());
}

TEST_F(playlist_view, AMoveWithoutTheButtonEndsALostDrag) {
    model.add(8);
    make_view(8);
    click(1);
    mouse(hwnd, WM_LBUTTONDOWN, 20, row_y(1), MK_LBUTTON);
    mouse(hwnd, WM_MOUSEMOVE, 20, row_y(4), 0);  // the release went to another window
    EXPECT_EQ(PL_DRAG_IDLE, g_pl_drag_mode);
    EXPECT_FALSE(g_ensure_visible_suppressed);
    EXPECT_EQ("0 1 2 3 4 5 6 7 ", titles());
    EXPECT_EQ(0u, w->mActive.getSize());
}

TEST_F(playlist_view, DraggingBelowTheViewScrollsOneRowPerMove) {
    model.add(30);
    make_view(5);
    mouse(hwnd, WM_LBUTTONDOWN, 20, row_y(2), MK_LBUTTON);
    const int below = view->mRect.bottom + 3;
    mouse(hwnd, WM_MOUSEMOVE, 20, below, MK_LBUTTON);
    EXPECT_EQ(1, view->mTop);
    mouse(hwnd, WM_MOUSEMOVE, 20, below + 1, MK_LBUTTON);
    EXPECT_EQ(2, view->mTop);
    EXPECT_EQ((items{2, 3, 4, 5, 6}), model.selected());
    mouse(hwnd, WM_MOUSEMOVE, 20, -2, MK_LBUTTON);
    EXPECT_EQ(1, view->mTop);
    mouse(hwnd, WM_LBUTTONUP, 20, 5);
}

TEST_F(playlist_view, DoubleClickBelowTheLastItemPlaysTheLast) {
    model.add(3);
    make_view(10);
    model.calls.clear();
    mouse(hwnd, WM_LBUTTONDBLCLK, 20, row_y(8), MK_LBUTTON);
    EXPECT_NE(std::find(model.calls.begin(), model.calls.end(), "56:2"), model.calls.end());
}

TEST_F(playlist_view, RightPressSelectsAnUnselectedRowOnly) {
    model.add(6);
    make_view(6);
    click(1);
    click(3, MK_SHIFT);
    mouse(hwnd, WM_RBUTTONDOWN, 20, row_y(2));
    EXPECT_EQ((items{1, 2, 3}), model.selected());
    mouse(hwnd, WM_RBUTTONDOWN, 20, row_y(5));
    EXPECT_EQ(items{5}, model.selected());
    EXPECT_EQ(5u, model.focus);
}

TEST_F(playlist_view, AnEmptyListTakesButtonsWithoutEffect) {
    make_view(5);
    model.calls.clear();
    mouse(hwnd, WM_LBUTTONDOWN, 20, 5, MK_LBUTTON);
    mouse(hwnd, WM_LBUTTONUP, 20, 5);
    EXPECT_EQ(PL_DRAG_IDLE, g_pl_drag_mode);
    for (int slot : model.slots()) EXPECT_TRUE(slot == 4 || slot == 11 || slot == 13) << slot;
    EXPECT_FALSE(key(VK_DOWN));
}

// ---- Keys ----------------------------------------------------------------------------------------

TEST_F(playlist_view, KeysMoveTheFocusAndSelectOnlyTheTarget) {
    model.add(20);
    make_view(5);
    EXPECT_TRUE(key(VK_DOWN));  // no focus yet: the first item
    EXPECT_EQ(items{0}, model.selected());
    EXPECT_TRUE(key(VK_NEXT));
    EXPECT_EQ(items{5}, model.selected());
    EXPECT_TRUE(key(VK_END));
    EXPECT_EQ(19u, model.focus);
    EXPECT_TRUE(key(VK_PRIOR));
    EXPECT_EQ(14u, model.focus);
    EXPECT_TRUE(key(VK_HOME));
    EXPECT_EQ(0u, model.focus);
    EXPECT_TRUE(key(VK_UP));
    EXPECT_EQ(0u, model.focus);
    EXPECT_FALSE(key(VK_LEFT));
    EXPECT_TRUE(key(VK_SPACE));
    EXPECT_TRUE(model.selected().empty());
    EXPECT_TRUE(key(VK_DOWN, true, true));  // Ctrl+Shift moves nothing that is not selected
    EXPECT_EQ(1u, model.focus);
}

TEST_F(playlist_view, SpaceWithoutFocusTouchesNothing) {
    model.add(3);
    make_view(3);
    model.calls.clear();
    EXPECT_TRUE(key(VK_SPACE));
    for (int slot : model.slots()) EXPECT_TRUE(slot == 4 || slot == 11) << slot;
}

TEST_F(playlist_view, CtrlShiftDownMovesTheSelection) {
    model.add(5);
    make_view(5);
    click(1);
    EXPECT_TRUE(key(VK_DOWN, true, true));
    EXPECT_EQ("0 2 1 3 4 ", titles());
    EXPECT_EQ(items{2}, model.selected());
    EXPECT_EQ(2u, model.focus);
}

TEST_F(playlist_view, TheWindowsKeysReachTheFirstView) {
    model.add(5);
    make_view(5);
    SendMessageW(hwnd, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(0u, model.focus);
}

// ---- Rows on screen ------------------------------------------------------------------------------

TEST_F(playlist_view, RowsShowTitlesSelectionAndFocusInsideTheView) {
    model.add(3);
    model.items[1].selected = true;
    model.focus = 2;
    make_view(6);
    const int rh = view->mRowHeight;
    // Text in every item row, none in the empty rows below.
    for (int i = 0; i < 3; ++i) EXPECT_GT(pixels_in_row(i, kText), 10) << "row " << i;
    EXPECT_EQ(0, pixels_in_row(4, kText));
    EXPECT_EQ(kBack, back_pixel(190, rh / 2));
    EXPECT_EQ(kSelBack, back_pixel(190, rh + rh / 2));
    EXPECT_EQ(kFocus, back_pixel(0, 2 * rh + rh / 2));  // the focus frame
    EXPECT_EQ(kBack, back_pixel(190, 5 * rh + rh / 2));
    EXPECT_EQ(kBeneath, back_pixel(190, 6 * rh + 2)) << "nothing below the view";
    EXPECT_EQ("item 0", std::string(g_items[0].get_ptr())) << "titles formatted as they are painted";
}

TEST_F(playlist_view, APartlyVisibleLastRowIsDrawnButNotBeyondTheView) {
    model.add(20);
    make_view(4);
    const int rh = view->mRowHeight;
    view->mRect.bottom = 4 * rh + rh / 2;  // half of a fifth row
    view->size();
    view->redraw();
    EXPECT_GT(pixels_in_row(4, kText) + pixels_in_row(4, kBack), 0);
    for (int y = view->mRect.bottom; y < 5 * rh + 2; ++y)
        for (int x = 0; x < 200; ++x) ASSERT_EQ(kBeneath, back_pixel(x, y)) << x << "," << y;
}

}  // namespace
