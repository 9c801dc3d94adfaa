// The progress bar and slider part: drags through the window's mouse dispatch with a callback log,
// the knob in the back buffer, vertical bars, members and what the collector frees.

#include "window_test_util.h"

#include <zin_classes/progbar.h>

using namespace window_test;

namespace {

constexpr COLORREF kKnob = RGB(255, 0, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);  // the window beneath the bars

class progbars : public window_fixture {
protected:
    zin_window* w = nullptr;
    HWND hwnd = nullptr;

    void SetUp() override {
        window_fixture::SetUp();
        register_prog_bar_class(L);
        w = new_window("main", 100, 100, 300, 80);
        add_probe(w, rect(0, 0, 300, 80))->colour = kYellow;
        // A red 10 x 10 knob, and a 150 x 10 one.
        ASSERT_EQ("", run("bmp = bitmap.new(150, 10)\n"
                          "knob = image.new(bmp, 0, 0, 10, 10)\n"
                          "wide = image.new(bmp, 0, 0, 150, 10)\n"
                          "log = {}\n"
                          "function note(s) table.insert(log, s) end\n"
                          "function make(r, max)\n"
                          "  return progbar.new(r, knob, max, function() note('press') end,\n"
                          "    function() note('change ' .. bar.position) end,\n"
                          "    function() note('release') end)\n"
                          "end"));
        lua_getglobal(L, "bmp");
        bitmap* b = static_cast<bitmap*>(lua_touserdata(L, -1));
        lua_pop(L, 1);
        const HBRUSH brush = CreateSolidBrush(kKnob);
        const RECT all{0, 0, 150, 10};
        FillRect(b->get_dc(), &all, brush);
        DeleteObject(brush);
    }

    // bar = a bar of the script in the window, which is then opened.
    prog_bar* open_with(const std::string& constructor) {
        EXPECT_EQ("", run("bar = " + constructor + "\nmain:add(bar)\nmain:create()"));
        hwnd = w->get_hwnd();
        pump();
        lua_getglobal(L, "bar");
        prog_bar* bar = static_cast<prog_bar*>(lua_touserdata(L, -1));
        lua_pop(L, 1);
        return bar;
    }

    std::string eval(const std::string& expression) { return engine_test::eval(L, expression); }
    void send(UINT msg, int x, int y) { mouse(hwnd, msg, x, y); }
    bool is_active(prog_bar* bar) { return w->mActive.find(bar, 0) != nullptr; }
};

TEST_F(progbars, press_drag_out_of_the_bar_and_release) {
    // 100 wide with a 10-wide knob: travel 90.
    prog_bar* bar = open_with("make(rect.new(20, 10, 120, 20), 900)");
    ASSERT_NE(nullptr, bar);
    EXPECT_FALSE(bar->is_vertical());
    EXPECT_EQ(90, bar->mTravel);
    EXPECT_EQ(kKnob, back_pixel(25, 15));
    EXPECT_EQ(kYellow, back_pixel(35, 15));
    EXPECT_EQ(kYellow, back_pixel(25, 25)) << "no track below the knob";

    send(WM_LBUTTONDOWN, 70, 15);  // c = 50: offset 45
    EXPECT_EQ(45, bar->mOffset);
    EXPECT_EQ("press,change 450", take_log());
    EXPECT_TRUE(is_active(bar));
    EXPECT_EQ(kKnob, back_pixel(70, 15));
    EXPECT_EQ(kYellow, back_pixel(25, 15)) << "the old knob was repainted away";

    // Beyond either end the knob stops at 0 or travel; the bar still sees the mouse.
    send(WM_MOUSEMOVE, 290, 70);
    EXPECT_EQ(90, bar->mOffset);
    send(WM_MOUSEMOVE, 295, 70);
    send(WM_MOUSEMOVE, 2, 2);
    EXPECT_EQ(0, bar->mOffset);
    EXPECT_EQ("change 900,change 0", take_log()) << "an unchanged offset calls nothing";
    send(WM_LBUTTONUP, 2, 2);
    EXPECT_EQ("release", take_log());
    EXPECT_FALSE(is_active(bar));
    EXPECT_EQ("false", eval("bar.sliding"));
    // Released: moves do nothing any more.
    send(WM_MOUSEMOVE, 70, 15);
    EXPECT_EQ("", take_log());
    EXPECT_EQ(kKnob, back_pixel(25, 15));
}

TEST_F(progbars, vertical_when_the_knob_is_as_wide_as_the_bar) {
    prog_bar* bar = open_with("make(rect.new(200, 10, 210, 70), 100)");
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(bar->is_vertical());
    EXPECT_EQ(50, bar->mTravel);
    send(WM_LBUTTONDOWN, 205, 40);  // c = 30: offset 25, position 50
    EXPECT_EQ("press,change 50", take_log());
    EXPECT_EQ(kKnob, back_pixel(205, 40));
    EXPECT_EQ(kYellow, back_pixel(205, 15));
    send(WM_MOUSEMOVE, 250, 200);
    EXPECT_EQ("change 100", take_log());
    send(WM_LBUTTONUP, 250, 200);
    EXPECT_EQ(kKnob, back_pixel(205, 65));
}

TEST_F(progbars, max_zero_keeps_position_zero_but_the_knob_moves) {
    prog_bar* bar = open_with("make(rect.new(20, 10, 120, 20), 0)");
    send(WM_LBUTTONDOWN, 70, 15);
    send(WM_MOUSEMOVE, 80, 15);
    send(WM_LBUTTONUP, 80, 15);
    EXPECT_EQ("press,change 0,change 0,release", take_log());
    EXPECT_EQ(55, bar->mOffset);
    EXPECT_EQ(kKnob, back_pixel(80, 15));
    EXPECT_EQ("", run("bar.position = 10"));
    EXPECT_EQ("0", eval("bar.position"));
}

TEST_F(progbars, a_knob_larger_than_its_bar_does_not_move) {
    prog_bar* bar = open_with("progbar.new(rect.new(20, 10, 120, 20), wide, 10)");
    EXPECT_EQ(0, bar->mTravel);
    send(WM_LBUTTONDOWN, 70, 15);
    send(WM_MOUSEMOVE, 300, 15);
    send(WM_LBUTTONUP, 300, 15);
    EXPECT_EQ(0, bar->mOffset);
    EXPECT_EQ("", run("bar.position = 5"));
    EXPECT_EQ(0, bar->mOffset);
}

TEST_F(progbars, hidden_knob_is_not_drawn_but_still_slides) {
    prog_bar* bar = open_with("make(rect.new(20, 10, 120, 20), 90)");
    EXPECT_EQ("", run("bar.show = false\nbar:redraw()"));
    EXPECT_EQ(kYellow, back_pixel(25, 15));
    send(WM_LBUTTONDOWN, 70, 15);
    send(WM_LBUTTONUP, 70, 15);
    EXPECT_EQ("press,change 45,release", take_log());
    EXPECT_EQ(kYellow, back_pixel(70, 15));
    // Not a slider: presses go by (and drag the window).
    EXPECT_EQ("", run("bar.enabled = false"));
    send(WM_LBUTTONDOWN, 30, 15);
    EXPECT_EQ(1, pump(hwnd));
    EXPECT_EQ("", take_log());
    EXPECT_EQ(45, bar->mOffset);
}

TEST_F(progbars, script_ending_a_drag_leaves_the_active_parts) {
    prog_bar* bar = open_with("make(rect.new(20, 10, 120, 20), 90)");
    send(WM_LBUTTONDOWN, 70, 15);
    EXPECT_TRUE(is_active(bar));
    EXPECT_EQ("", run("bar.sliding = false"));
    EXPECT_FALSE(is_active(bar));
    take_log();
    // A press elsewhere in the window starts no drag of the bar.
    send(WM_LBUTTONDOWN, 200, 60);
    send(WM_MOUSEMOVE, 30, 15);
    EXPECT_EQ("", take_log());
}

TEST_F(progbars, members) {
    prog_bar* bar = open_with("make(rect.new(20, 10, 120, 20), 90)");
    EXPECT_EQ("", run("bar.position = 180"));
    EXPECT_EQ("90", eval("bar.pos"));
    EXPECT_EQ(kKnob, back_pixel(115, 15));
    EXPECT_EQ("", run("bar.p = -1"));
    EXPECT_EQ("0", eval("bar.position"));
    EXPECT_EQ(kKnob, back_pixel(25, 15));
    EXPECT_EQ("", take_log()) << "writing the position calls nothing";
    EXPECT_EQ("", run("bar.max = -5"));
    EXPECT_EQ("0", eval("bar.maximum"));
    EXPECT_EQ("true", eval("bar.enabled"));
    EXPECT_EQ("true", eval("bar.SHOW"));
    EXPECT_EQ("false", eval("bar.Sliding"));
    EXPECT_TRUE(engine_test::fails_with(L, "bar.show = 1", "boolean expected"));
    EXPECT_TRUE(engine_test::fails_with(L, "bar.colour = 1", "'colour' not a member of 'progbar'"));
    EXPECT_TRUE(engine_test::fails_with(L, "local x = bar.size", "'size' not a member of 'progbar'"));
    EXPECT_EQ("true", eval("rawequal(bar.slider, knob)")) << "the knob, never an address";
    EXPECT_EQ("function", eval("type(bar.redraw)"));
    // A new knob replaces the old one (and its size sets the travel).
    EXPECT_EQ("", run("bar.slider = image.new(bmp, 0, 0, 20, 10)"));
    EXPECT_EQ("20", eval("bar.slider.rect.right"));
    EXPECT_EQ(80, bar->mTravel);
    EXPECT_TRUE(engine_test::fails_with(L, "bar.slider = 3", "image expected"));
    EXPECT_EQ("", run("bar:set_draw_mode(300)"));
    EXPECT_EQ(255, bar->mDrawMode);
    EXPECT_EQ("", run("bar:set_draw_mode()"));
    EXPECT_EQ(DRAW_MODE_DIRECT, bar->mDrawMode);
}

TEST_F(progbars, constructor_checks_and_collection_frees_every_slot) {
    EXPECT_TRUE(engine_test::fails_with(L, "progbar.new(rect.new(0, 0, 10, 10), 5, 1)", "image expected"));
    EXPECT_TRUE(engine_test::fails_with(L, "progbar.new(rect.new(0, 0, 10, 10), knob, 1, 7)",
                                        "function expected"));
    const uint32_t free_before = g_reg_free_slots.getSize();
    EXPECT_EQ("", run("local b = make(rect.new(0, 0, 100, 10), 5)\n"
                      "b = progbar.new(rect.new(0, 0, 100, 10), knob, 5, nil, function() end)\n"
                      "b = nil\ncollectgarbage()\ncollectgarbage()"));
    EXPECT_EQ(free_before + 6, g_reg_free_slots.getSize()) << "three callbacks and two knob references";
}

}  // namespace
