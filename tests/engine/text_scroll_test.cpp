// The scrolling text part: the period and its wrapping, where the copies of the text lie, the text
// on screen at the seam, dragging through the window's mouse dispatch, and what the collector
// frees.

#include "window_test_util.h"

#include <zin_classes/text_scroll.h>

#include "../../benchmarks/gui_objects.h"

using namespace window_test;

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class text_scrolls : public window_fixture {
protected:
    zin_window* w = nullptr;
    HWND hwnd = nullptr;

    void SetUp() override {
        window_fixture::SetUp();
        lua_class::binding<font>::register_type(L);
        lua_class::binding<text_scroll>::register_type(L);
        w = new_window("main", 100, 100, 300, 60);
        add_probe(w, rect(0, 0, 300, 60))->colour = kBlack;
        ASSERT_EQ("", run("f = font.new('Tahoma', 16, 0, 700) white = color.new(255, 255, 255)\n"
                          "log = {}\n"
                          "function note(s) table.insert(log, s) end\n"
                          "function make(r, text)\n"
                          "  return text_scroll.new(r, text, 2, f, white, function() note('press') end,\n"
                          "    function() note('release') end)\n"
                          "end"));
    }

    // ts = a scrolling text of the script (100 wide at 20,10 unless told), in the window.
    text_scroll* make(const std::string& text, const char* r = "rect.new(20, 10, 120, 40)") {
        EXPECT_EQ("", run("ts = make(" + std::string(r) + ", '" + text + "') main:add(ts)"));
        lua_getglobal(L, "ts");
        text_scroll* ts = static_cast<text_scroll*>(lua_touserdata(L, -1));
        lua_pop(L, 1);
        return ts;
    }
    void open() {
        ASSERT_EQ("", run("main:create()"));
        hwnd = w->get_hwnd();
        pump();
    }
    // A period of a text alone: the width of a part of width 0.
    int32_t width_of(const std::string& text) {
        return make(text, "rect.new(0, 0, 0, 10)")->mPeriod;
    }
    // Whether the back buffer holds a text pixel in the columns [from, to) of the part's rows.
    static bool text_in_columns(int from, int to) {
        for (int x = from; x < to; ++x)
            for (int y = 10; y < 40; ++y)
                if (back_pixel(x, y) == kWhite) return true;
        return false;
    }
};

TEST_F(text_scrolls, a_narrow_text_scrolls_with_the_part_width_and_wraps_any_step) {
    text_scroll* ts = make("ab");
    EXPECT_EQ(100, ts->mPeriod);
    ASSERT_EQ("", run("ts:scroll_right(10)"));
    EXPECT_EQ(90, ts->mPosition);
    ASSERT_EQ("", run("ts:reset_pos() ts:scroll_left(105)"));
    EXPECT_EQ(5, ts->mPosition);
    ASSERT_EQ("", run("ts:scroll_left(-250)"));
    EXPECT_EQ(55, ts->mPosition);
    ASSERT_EQ("", run("ts:scroll_right(2147483647) ts:scroll_left(2147483647) ts:scroll_left(-2147483648)"));
    EXPECT_GE(ts->mPosition, 0);
    EXPECT_LT(ts->mPosition, 100);
    EXPECT_EQ(7, ts->mPosition);  // 55 - 2147483648 modulo 100
}

TEST_F(text_scrolls, an_empty_part_keeps_position_zero) {
    text_scroll* ts = make("", "rect.new(0, 0, 0, 10)");
    EXPECT_EQ(0, ts->mPeriod);
    ASSERT_EQ("", run("ts:scroll_left(7) ts:scroll_right(3)"));
    EXPECT_EQ(0, ts->mPosition);
}

TEST_F(text_scrolls, colour_codes_do_not_count_in_the_width) {
    const int32_t plain = width_of("abc");
    EXPECT_GT(plain, 0);
    EXPECT_EQ(plain, width_of("a\\3FF0000\\3bc"));
    EXPECT_EQ(width_of("ab"), width_of("ab\\3c")) << "a lone mark ends the text";
}

TEST_F(text_scrolls, update_brings_the_position_into_the_new_period) {
    text_scroll* ts = make("a long line of text that runs well beyond the part");
    EXPECT_GT(ts->mPeriod, 200);
    ASSERT_EQ("", run("ts:scroll_left(150)"));
    ASSERT_EQ("", run("ts:update('x', 2)"));
    EXPECT_EQ(100, ts->mPeriod);
    EXPECT_EQ(50, ts->mPosition);
    EXPECT_TRUE(engine_test::fails_with(L, "ts:update()", "string expected"));
}

TEST_F(text_scrolls, copies_meet_at_the_seam) {
    // 300 pixels of text in a 100-pixel part at position 250: its last 50 pixels, then at once
    // its first 50.
    rect copies[2];
    ASSERT_EQ(2, scroll_copies(rect(10, 0, 110, 20), 250, 300, copies));
    EXPECT_EQ(-240, copies[0].left);
    EXPECT_EQ(60, copies[0].right);
    EXPECT_EQ(60, copies[1].left);
    EXPECT_EQ(110, copies[1].right);
    EXPECT_EQ(1, scroll_copies(rect(10, 0, 110, 20), 200, 300, copies));

    // On screen: a text wider than the part, its end 40 pixels into the part.
    text_scroll* ts = make("MMMMMMMMMMMMMMMMMMMMMMMM");
    open();
    ASSERT_GT(ts->mPeriod, 100);
    ASSERT_EQ("", run("ts:scroll_left(" + std::to_string(ts->mPeriod - 40) + ")"));
    EXPECT_TRUE(text_in_columns(20, 60)) << "the end of the first copy";
    EXPECT_TRUE(text_in_columns(60, 75)) << "the start of the second copy follows at once";
    EXPECT_FALSE(text_in_columns(120, 300)) << "nothing beyond the part";
}

TEST_F(text_scrolls, the_text_follows_a_drag) {
    text_scroll* ts = make("ab");
    open();
    ASSERT_EQ("", run("ts:scroll_left(30)"));
    mouse(hwnd, WM_MOUSEMOVE, 50, 20);
    mouse(hwnd, WM_LBUTTONDOWN, 50, 20);
    EXPECT_EQ("press", take_log());
    EXPECT_NE(nullptr, w->mActive.find(ts, 0));
    mouse(hwnd, WM_MOUSEMOVE, 70, 20);  // 20 to the right: the text moves right by 20
    EXPECT_EQ(10, ts->mPosition);
    mouse(hwnd, WM_MOUSEMOVE, 200, 55);  // outside the part, 130 further right
    EXPECT_EQ(80, ts->mPosition);
    mouse(hwnd, WM_LBUTTONUP, 200, 55);
    EXPECT_EQ("release", take_log());
    EXPECT_EQ(nullptr, w->mActive.find(ts, 0));
    mouse(hwnd, WM_MOUSEMOVE, 60, 20);
    EXPECT_EQ(80, ts->mPosition);

    // Not activated: the press goes by (and drags the window).
    pump(hwnd);
    ASSERT_EQ("", run("ts:set_activated(false)"));
    mouse(hwnd, WM_LBUTTONDOWN, 50, 20);
    EXPECT_EQ(1, pump(hwnd));
    EXPECT_EQ("", take_log());
    EXPECT_TRUE(engine_test::fails_with(L, "ts:set_activated(1)", "boolean expected"));
}

TEST_F(text_scrolls, collection_frees_the_callbacks_and_the_font) {
    const auto slots_held = [] { return g_reg_slot_count - g_reg_free_slots.getSize(); };
    const uint32_t held_before = slots_held();
    const DWORD gdi_before = bench::gdi_objects();
    ASSERT_EQ("", run("local t = make(rect.new(0, 0, 10, 10), 'x') t = nil collectgarbage() collectgarbage()"));
    EXPECT_EQ(held_before, slots_held());
    EXPECT_EQ(gdi_before, bench::gdi_objects());
    EXPECT_TRUE(engine_test::fails_with(L, "text_scroll.new(rect.new(0, 0, 1, 1), 'x', 2, f, white, 5)",
                                        "function expected"));
}

}  // namespace
