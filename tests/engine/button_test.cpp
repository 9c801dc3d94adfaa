// The button part: mouse sequences through the window's mouse dispatch with a callback log, the look
// of each state in the back buffer, states, ids and members.

#include "window_test_util.h"

#include <zin_classes/button.h>

using namespace window_test;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);      // normal image
constexpr COLORREF kGreen = RGB(0, 255, 0);    // hover image
constexpr COLORREF kWhite = RGB(255, 255, 255);  // pressed image
constexpr COLORREF kYellow = RGB(255, 255, 0);   // the window beneath the buttons

class buttons : public window_fixture {
protected:
    zin_window* w = nullptr;
    HWND hwnd = nullptr;

    void SetUp() override {
        window_fixture::SetUp();
        register_button_class(L);
        g_pressed_button = -1;
        g_next_button_id = -2;
        w = new_window("main", 100, 100, 200, 60);
        add_probe(w, rect(0, 0, 200, 60))->colour = kYellow;
        // A 90 x 20 bitmap: red, green and white columns of 30, one image each.
        ASSERT_EQ("", run("bmp = bitmap.new(90, 20)\n"
                          "img_n = image.new(bmp, 0, 0, 30, 20)\n"
                          "img_h = image.new(bmp, 30, 0, 60, 20)\n"
                          "img_p = image.new(bmp, 60, 0, 90, 20)\n"
                          "log = {}\n"
                          "function note(s) table.insert(log, s) end\n"
                          "function make(name, l, id)\n"
                          "  return button.new(rect.new(l, 10, l + 30, 30), img_n, id,\n"
                          "    function() note(name .. ' click') end, function() note(name .. ' enter') end,\n"
                          "    function() note(name .. ' press') end, function() note(name .. ' leave') end)\n"
                          "end"));
        fill_bitmap();
    }

    void TearDown() override {
        g_pressed_button = -1;
        window_fixture::TearDown();
    }

    void fill_bitmap() {
        lua_getglobal(L, "bmp");
        bitmap* b = static_cast<bitmap*>(lua_touserdata(L, -1));
        lua_pop(L, 1);
        ASSERT_TRUE(b && b->is_loaded());
        const COLORREF colours[3] = {kRed, kGreen, kWhite};
        for (int i = 0; i < 3; ++i) {
            const HBRUSH brush = CreateSolidBrush(colours[i]);
            const RECT area{i * 30, 0, i * 30 + 30, 20};
            FillRect(b->get_dc(), &area, brush);
            DeleteObject(brush);
        }
    }

    button* button_of(const char* global) {
        lua_getglobal(L, global);
        button* b = nullptr;
        if (strcmp(lua_class::get_name(L, -1), "button") == 0) b = static_cast<button*>(lua_touserdata(L, -1));
        lua_pop(L, 1);
        return b;
    }

    // Makes the script's buttons a (at x 10, id 1) and b (at x 100, id 2; one state with the three
    // images) and opens the window.
    void make_two_buttons() {
        ASSERT_EQ("", run("a = make('a', 10, 1)\n"
                          "b = make('b', 100, 2)\n"
                          "b:add_state(img_n, img_h, img_p)"));
        add_button("a");
        add_button("b");
        open();
    }

    void add_button(const char* global) {
        ASSERT_NE(nullptr, button_of(global));
        ASSERT_EQ("", run(std::string("main:add(") + global + ")"));
    }

    void open() {
        ASSERT_EQ("", run("main:create()"));
        hwnd = w->get_hwnd();
        ASSERT_NE(nullptr, hwnd);
        pump();
    }

    bool is_active(const char* global) { return w->mActive.find(button_of(global), 0) != nullptr; }
    void send(UINT msg, int x, int y) { mouse(hwnd, msg, x, y); }
};

// ---- Mouse sequences -------------------------------------------------------------------------------

TEST_F(buttons, press_move_off_move_back_release) {
    make_two_buttons();
    send(WM_MOUSEMOVE, 110, 20);
    EXPECT_EQ(kGreen, back_pixel(110, 20));
    send(WM_LBUTTONDOWN, 110, 20);
    EXPECT_EQ(kWhite, back_pixel(110, 20));
    EXPECT_EQ(2, g_pressed_button);
    send(WM_MOUSEMOVE, 170, 50);
    EXPECT_EQ(kRed, back_pixel(110, 20));
    EXPECT_TRUE(is_active("b")) << "a held button keeps seeing the mouse";
    send(WM_MOUSEMOVE, 115, 25);
    EXPECT_EQ(kWhite, back_pixel(110, 20));
    send(WM_LBUTTONUP, 115, 25);
    EXPECT_EQ(kGreen, back_pixel(110, 20));
    EXPECT_EQ("b enter,b press,b leave,b press,b click", take_log());
    EXPECT_EQ(-1, g_pressed_button);
    EXPECT_EQ(0, pump(hwnd)) << "a press on a button never drags the window";
    send(WM_MOUSEMOVE, 170, 50);
    EXPECT_EQ("b leave", take_log());
    EXPECT_FALSE(is_active("b"));
    EXPECT_EQ(0u, w->mActive.getSize());
}

TEST_F(buttons, press_move_off_release_gives_no_click) {
    make_two_buttons();
    send(WM_MOUSEMOVE, 110, 20);
    send(WM_LBUTTONDOWN, 110, 20);
    send(WM_MOUSEMOVE, 170, 50);
    send(WM_LBUTTONUP, 170, 50);
    EXPECT_EQ("b enter,b press,b leave", take_log());
    EXPECT_FALSE(is_active("b"));
    EXPECT_EQ(-1, g_pressed_button);
    EXPECT_EQ(kRed, back_pixel(110, 20));
}

TEST_F(buttons, double_click_presses) {
    make_two_buttons();
    send(WM_MOUSEMOVE, 110, 20);
    send(WM_LBUTTONDOWN, 110, 20);
    send(WM_LBUTTONUP, 110, 20);
    send(WM_LBUTTONDBLCLK, 110, 20);
    send(WM_LBUTTONUP, 110, 20);
    EXPECT_EQ("b enter,b press,b click,b press,b click", take_log());
    // Other buttons of the mouse are not the button's business: they fall through to the window.
    send(WM_RBUTTONDOWN, 110, 20);
    send(WM_RBUTTONUP, 110, 20);
    EXPECT_EQ("", take_log());
}

TEST_F(buttons, release_on_a_hovered_button_that_was_not_pressed) {
    make_two_buttons();
    send(WM_MOUSEMOVE, 110, 20);
    send(WM_LBUTTONUP, 110, 20);
    EXPECT_EQ("b enter", take_log());
    // Still under the mouse: it stays hovered and keeps seeing the mouse until it leaves.
    EXPECT_EQ(kGreen, back_pixel(110, 20));
    send(WM_MOUSEMOVE, 170, 50);
    EXPECT_EQ("b leave", take_log());
    EXPECT_EQ(kRed, back_pixel(110, 20));
    EXPECT_FALSE(is_active("b"));
}

TEST_F(buttons, press_dragged_from_one_button_onto_another) {
    make_two_buttons();
    send(WM_MOUSEMOVE, 20, 20);
    send(WM_LBUTTONDOWN, 20, 20);
    send(WM_MOUSEMOVE, 110, 20);
    EXPECT_EQ("a enter,a press,a leave,b enter", take_log());
    EXPECT_EQ(kGreen, back_pixel(110, 20)) << "another button is only hovered";
    EXPECT_TRUE(is_active("a"));
    send(WM_LBUTTONUP, 110, 20);
    EXPECT_EQ("", take_log()) << "no click on either button";
    EXPECT_EQ(-1, g_pressed_button);
    EXPECT_FALSE(is_active("a"));
    // Moving off b afterwards: b leaves, nothing stays hovered.
    send(WM_MOUSEMOVE, 170, 50);
    EXPECT_EQ("b leave", take_log());
    EXPECT_EQ(kRed, back_pixel(110, 20));
    EXPECT_EQ(0u, w->mActive.getSize());
    // And back onto a: a plain hover, not a press.
    send(WM_MOUSEMOVE, 20, 20);
    EXPECT_EQ("a enter", take_log());
}

// ---- Looks -----------------------------------------------------------------------------------------

TEST_F(buttons, without_states_every_mouse_state_looks_the_same) {
    make_two_buttons();
    EXPECT_EQ(kRed, back_pixel(20, 20));
    send(WM_MOUSEMOVE, 20, 20);
    EXPECT_EQ(kRed, back_pixel(20, 20));
    send(WM_LBUTTONDOWN, 20, 20);
    EXPECT_EQ(kRed, back_pixel(20, 20));
    send(WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(kRed, back_pixel(20, 20));
    EXPECT_EQ(kYellow, back_pixel(40, 20)) << "right edge is exclusive";
}

TEST_F(buttons, a_state_with_only_the_pressed_image) {
    ASSERT_EQ("", run("c = make('c', 10, 3)\nc:add_state(nil, nil, img_p)"));
    button* c = button_of("c");
    ASSERT_EQ(1u, c->mStates.getSize());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(DRAW_MODE_DIRECT, c->mStates[0].mLooks[i].mMode);
    EXPECT_EQ(c->mpDefaultImage, c->mStates[0].mLooks[0].mpImage);
    EXPECT_EQ(2u, c->mRefs.getSize()) << "the default image and the pressed one";
    add_button("c");
    open();
    EXPECT_EQ(kRed, back_pixel(20, 20));
    send(WM_MOUSEMOVE, 20, 20);
    EXPECT_EQ(kRed, back_pixel(20, 20));
    send(WM_LBUTTONDOWN, 20, 20);
    EXPECT_EQ(kWhite, back_pixel(20, 20));
    send(WM_LBUTTONUP, 20, 20);
}

TEST_F(buttons, a_state_index_outside_the_list_draws_the_default_image) {
    make_two_buttons();
    ASSERT_EQ("", run("b.state = 5"));
    EXPECT_EQ("5", engine_test::eval(L, "b.state"));
    send(WM_MOUSEMOVE, 110, 20);
    EXPECT_EQ(kRed, back_pixel(110, 20));
    ASSERT_EQ("", run("b.s = 0"));
    EXPECT_EQ(kGreen, back_pixel(110, 20)) << "writing the state repaints";
    send(WM_MOUSEMOVE, 170, 50);
}

TEST_F(buttons, draw_modes_are_limited_before_use) {
    ASSERT_EQ("", run("c = make('c', 10, 3)\nc:add_state(img_h, img_h, img_h, 1000, -100, 128)"));
    button* c = button_of("c");
    EXPECT_EQ(255, c->mStates[0].mLooks[0].mMode);
    EXPECT_EQ(-17, c->mStates[0].mLooks[1].mMode);
    EXPECT_EQ(128, c->mStates[0].mLooks[2].mMode);
    add_button("c");
    open();
    EXPECT_EQ(kGreen, back_pixel(20, 20)) << "mode 255 is an opaque blend";
    send(WM_MOUSEMOVE, 20, 20);  // mode -17: raster code 0, whatever the platform makes of it
    send(WM_LBUTTONDOWN, 20, 20);
    const COLORREF half = back_pixel(20, 20);  // green at half over yellow
    EXPECT_NEAR(127, GetRValue(half), 2);
    EXPECT_EQ(255, GetGValue(half));
    send(WM_LBUTTONUP, 20, 20);
    send(WM_MOUSEMOVE, 170, 50);
}

TEST_F(buttons, blits_never_read_outside_the_bitmap) {
    // Images that reach past the right and the left edge of the 90 x 20 bitmap.
    ASSERT_EQ("", run("right = button.new(rect.new(10, 10, 50, 30), image.new(bmp, 80, 0, 120, 20))\n"
                      "left = button.new(rect.new(100, 10, 140, 50), image.new(bmp, -10, 0, 30, 40))\n"
                      "wide = image.new(bmp, 80, 0, 120, 20)\n"
                      "blended = button.new(rect.new(150, 10, 190, 30), wide)\n"
                      "blended:add_state(wide, wide, wide, 255, 255, 255)"));
    add_button("right");
    add_button("left");
    add_button("blended");
    open();
    EXPECT_EQ(kWhite, back_pixel(15, 20));
    EXPECT_EQ(kYellow, back_pixel(25, 20)) << "nothing is drawn from beyond the bitmap";
    EXPECT_EQ(kYellow, back_pixel(105, 20));
    EXPECT_EQ(kRed, back_pixel(115, 20));
    EXPECT_EQ(kYellow, back_pixel(115, 35)) << "below the bitmap";
    // A blend is refused as a whole when its source reaches outside the bitmap: cut, it draws.
    EXPECT_EQ(kWhite, back_pixel(155, 20));
    EXPECT_EQ(kYellow, back_pixel(165, 20));
}

// ---- States, ids, members ------------------------------------------------------------------------

TEST_F(buttons, cycle_state_wraps) {
    ASSERT_EQ("", run("c = make('c', 10)\nc:add_state()\nc:add_state(img_h)\n"
                      "s = {} for i = 1, 3 do c:cycle_state() table.insert(s, c.state) end\n"
                      "e = make('e', 50)\ne:cycle_state()"));
    EXPECT_EQ("1,0,1", engine_test::eval(L, "table.concat(s, ',')"));
    EXPECT_EQ("0", engine_test::eval(L, "e.state"));
}

TEST_F(buttons, ids) {
    ASSERT_EQ("", run("c1 = make('c1', 10)\nc2 = make('c2', 10)\nc3 = make('c3', 10)\n"
                      "c4 = make('c4', 10, 7.9)\nc5 = make('c5', 10, -1)"));
    EXPECT_EQ(-2, button_of("c1")->mId);
    EXPECT_EQ(-3, button_of("c2")->mId);
    EXPECT_EQ(-4, button_of("c3")->mId);
    EXPECT_EQ(7, button_of("c4")->mId);
    EXPECT_EQ(-5, button_of("c5")->mId) << "-1 means no button: it is never a button's id";
}

TEST_F(buttons, members_and_argument_errors) {
    ASSERT_EQ("", run("c = make('c', 10)"));
    EXPECT_EQ("function", engine_test::eval(L, "type(c.add_state)"));
    EXPECT_EQ("0", engine_test::eval(L, "c.state"));
    EXPECT_NE(std::string::npos, run("local x = c.foo").find("'foo' not a member of this class"));
    EXPECT_NE(std::string::npos, run("c.add_state = 1").find("'add_state' not a member of this class"));
    EXPECT_NE("", run("c.state = 'x'"));

    const uint32_t slots = g_reg_slot_count;
    EXPECT_NE(std::string::npos, run("button.new(rect.new(0, 0, 1, 1))").find("image expected"));
    EXPECT_NE(std::string::npos,
              run("button.new(rect.new(0, 0, 1, 1), bmp, 1, function() end)").find("image expected"));
    EXPECT_NE(std::string::npos, run("button.new(img_n, img_n)").find("rect expected"));
    EXPECT_EQ(slots, g_reg_slot_count) << "a failed constructor takes no slot";
    const uint32_t refs = button_of("c")->mRefs.getSize();
    EXPECT_NE(std::string::npos, run("c:add_state(img_h, bmp)").find("image expected"));
    EXPECT_NE("", run("c:add_state(img_h, img_h, img_h, 'x')"));
    EXPECT_EQ(refs, button_of("c")->mRefs.getSize());
    EXPECT_EQ(0u, button_of("c")->mStates.getSize());
}

}  // namespace
