// Hostile scripts: the class metatables cannot be changed, so every engine object is destroyed
// exactly once; finalisers that run while the state closes can make nothing that outlives it, and
// meet valid window lists and paint lock.

#include "window_test_util.h"

#include <lua_class/lua_load.h>
#include <zin_classes/button.h>
#include <zin_classes/timer.h>

using namespace window_test;

namespace {

class hostile_script : public window_fixture {
protected:
    engine_test::debug_capture capture;

    void SetUp() override {
        window_fixture::SetUp();
        register_button_class(L);
        lua_class::binding<font>::register_type(L);
        lua_class::binding<timer>::register_type(L);
        engine_test::printed().clear();
    }
    // The unload's order: the state closes first, the lists and the paint lock go after it.
    void TearDown() override {
        if (g_lua) skin_load::close_state();
        clear_window_lists();
        delete_paint_lock();
        g_host_hook = nullptr;
        g_timers.clear();
        g_free_timer_ids.clear();
        pump();
    }

    size_t lines(const std::string& text) const { return capture.containing(text).size(); }
};

// The error of a change to a locked table (with the script position when the script made the
// change itself, without it when a library function did).
bool locked(const std::string& error) {
    const std::string text = "attempt to change a locked table";
    return error == text || error == "test:1: " + text;
}

const char* const kClasses[] = {"bitmap", "color", "font", "window", "point", "rect",
                                "image",  "button", "color_rect", "timer"};

TEST_F(hostile_script, class_metatables_cannot_be_changed) {
    for (const char* name : kClasses) {
        const std::string m = std::string(name) + ".__metatable";
        for (const std::string& change : {m + ".__gc = nil", "rawset(" + m + ", '__gc', nil)",
                                          m + ".__index = {}", "table.insert(" + m + ", 1)",
                                          "setmetatable(" + m + ", {})"})
            EXPECT_TRUE(locked(run(change))) << change;
    }
    // Reached through an object, as a script would.
    ASSERT_EQ("", run("t = timer.new(function() end) t:start(1) w = window.new('w', 1, 1, rect.new(0, 0, 9, 9))"));
    EXPECT_EQ(run("getmetatable(t).__gc = nil"), "test:1: attempt to change a locked table");
    EXPECT_EQ(run("getmetatable(w).__gc = function() end"), "test:1: attempt to change a locked table");
    // Other tables stay as they were, and class tables take new methods.
    EXPECT_EQ("", run("local x = {} x.a = 1 setmetatable(x, {}) function window:extra() return 1 end"));
    EXPECT_EQ("", run("assert(w:extra() == 1)"));
    // A class registered again (the engine never does) gets a metatable of its own.
    lua_class::binding<timer>::register_type(L);
    EXPECT_EQ("", run("assert(getmetatable(timer.new()) ~= getmetatable(t))"));
    // Closing the state destroys each object once: the running timer is stopped and forgotten.
    skin_load::close_state();
    for (timer* t : {g_timers[0], g_timers[1]}) EXPECT_EQ(nullptr, t);
    EXPECT_EQ(2u, lines("deleting timer"));
    EXPECT_EQ(1u, lines("deleting window"));
    EXPECT_EQ(0u, g_windows.getSize());
}

// A finaliser that runs while the state closes (a script one: a proxy's __gc) tries to make every
// kind of object and to repaint a window that is still open.
TEST_F(hostile_script, finalisers_at_close_make_nothing_that_outlives_the_state) {
    ASSERT_EQ("", run("w = window.new('w', 10, 10, rect.new(0, 0, 50, 50)) w:create() "
                      "im = image.new(bitmap.new(4, 4), 0, 0, 4, 4) "
                      "local p = newproxy(true) keep = p "
                      "getmetatable(p).__gc = function() "
                      "  local tries = { "
                      "    function() return window.new('late', 1, 1, rect.new(0, 0, 5, 5)) end, "
                      "    function() return timer.new(function() end) end, "
                      "    function() return color_rect.new(rect.new(0, 0, 1, 1), color.new(0, 0, 0)) end, "
                      "    function() return button.new(rect.new(0, 0, 1, 1), im) end, "
                      "    function() return w:add_paint_part(rect.new(0, 0, 4, 4), im) end, "
                      "  } "
                      "  for i = 1, 5 do local ok, e = pcall(tries[i]) print(e) end "
                      "  pcall(function() w:redraw(rect.new(0, 0, 10, 10)) end) "
                      "  print(rect.new(1, 2, 3, 4).r) "
                      "end"));
    ASSERT_NE(nullptr, window("w"));
    const HWND hwnd = window("w")->mWnd;
    ASSERT_NE(nullptr, hwnd);
    const uint32_t reports = zin_debug_report_count();
    skin_load::close_state();
    // Every creation was refused, and the values without destructor could still be made (the
    // finaliser may have run after the window's, when w was no window any more: the picture is
    // refused either way).
    const std::vector<std::string>& out = engine_test::printed();
    ASSERT_EQ(6u, out.size());
    EXPECT_NE(out[0].find("cannot make a window while the skin unloads"), std::string::npos) << out[0];
    EXPECT_NE(out[1].find("cannot make a timer while the skin unloads"), std::string::npos) << out[1];
    EXPECT_NE(out[2].find("cannot make a color_rect while the skin unloads"), std::string::npos) << out[2];
    EXPECT_NE(out[3].find("cannot make a button while the skin unloads"), std::string::npos) << out[3];
    EXPECT_TRUE(out[4].find("cannot make a picture while the skin unloads") != std::string::npos ||
                out[4].find("window expected") != std::string::npos)
        << out[4];
    EXPECT_EQ("3", out[5]);
    // Nothing survives: no window in the lists, the native window gone, no timer, and the paint
    // lock was never used after it was deleted.
    EXPECT_EQ(0u, g_windows.getSize());
    EXPECT_EQ(0u, g_window_handles.getSize());
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(0u, g_timers.getSize());
    EXPECT_EQ(reports, zin_debug_report_count());
    EXPECT_EQ(1u, lines("deleting window"));
}

// A finaliser that calls another object's __gc by hand while the state closes leaves it to the
// collector: each object is destroyed once.
TEST_F(hostile_script, a_hand_call_of_gc_at_close_destroys_nothing) {
    ASSERT_EQ("", run("t = timer.new(function() end) t:start(5) gc = getmetatable(t).__gc "
                      "local p = newproxy(true) keep = p "
                      "getmetatable(p).__gc = function() gc(t) gc(t) end"));
    skin_load::close_state();
    EXPECT_EQ(nullptr, g_timers[0]);
    EXPECT_EQ(1u, g_free_timer_ids.getSize());
}

}  // namespace
