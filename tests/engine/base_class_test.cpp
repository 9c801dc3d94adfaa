// Script-defined parts: classes and instances, the part's operations forwarded to the script
// (create, draw, size, message, show, hide) through a real window, and what a script may do from
// inside them.

#include "window_test_util.h"

#include <zin_classes/base_class.h>

using namespace window_test;

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);

class script_parts : public window_fixture {
protected:
    zin_window* w = nullptr;
    HWND hwnd = nullptr;

    void SetUp() override {
        window_fixture::SetUp();
        lua_register(L, "new_base_class", &new_base_class);
        register_base_class(L);
        // A class whose functions write what they see into the log.
        ASSERT_EQ("", run("log = {}\n"
                          "function note(s) table.insert(log, s) end\n"
                          "function r2s(r) return r.left .. ',' .. r.top .. ',' .. r.right .. ',' .. r.bottom end\n"
                          "Part = new_base_class(true)\n"
                          "function Part.create(self, ...) note('create ' .. table.concat(arg, ' ') .. ' ' .. r2s(self.mRect)) end\n"
                          "function Part.draw(self, r, clip) note('draw ' .. r2s(r) .. ' ' .. r2s(clip)) end\n"
                          "function Part.size(self) note('size ' .. r2s(self.mRect)) end\n"
                          "function Part.show(self) note('show') end\n"
                          "function Part.hide(self) note('hide') end\n"
                          "function Part.message(self, code) note('message ' .. code) return answer end"));
    }

    void open(int resize_mode = 0) {
        w = new_window("main", 100, 100, 200, 60, resize_mode);
        add_probe(w, rect(0, 0, 200, 60))->colour = kBlue;
    }
    void create() {
        ASSERT_EQ("", run("main:create()"));
        hwnd = w->get_hwnd();
        ASSERT_NE(nullptr, hwnd);
        pump();
    }

    std::string eval(const std::string& expression) { return engine_test::eval(L, expression); }
    void send(UINT msg, int x, int y) { mouse(hwnd, msg, x, y); }
};

TEST_F(script_parts, new_calls_create_with_the_arguments_after_the_rect) {
    ASSERT_EQ("", run("p = Part.new(rect.new(10, 20, 30, 40), 5, 6)"));
    EXPECT_EQ("create 5 6 10,20,30,40", take_log(";"));
    EXPECT_EQ("true", eval("type(p) == 'table' and type(p.ref) == 'userdata'"));
    EXPECT_EQ("true", eval("Part.clipping"));
    // The part is a base_class to the typed checks, and the global class makes inert parts.
    lua_getglobal(L, "p");
    lua_getfield(L, -1, "ref");
    EXPECT_STREQ("base_class", lua_class::get_name(L, -1));
    base_class* part = static_cast<base_class*>(lua_touserdata(L, -1));
    lua_pop(L, 2);
    EXPECT_EQ(1, part->mClipping);
    ASSERT_EQ("", run("q = base_class.new(rect.new(0, 0, 5, 5))"));
    EXPECT_EQ("false", eval("base_class.clipping"));
}

TEST_F(script_parts, a_failing_create_is_reported_and_new_goes_on) {
    ASSERT_EQ("", run("function Part.create(self, what) error('create broke ' .. what) end"));
    engine_test::debug_capture debug;
    // From the main chunk and from a coroutine (a thread of its own).
    ASSERT_EQ("", run("p = Part.new(rect.new(10, 20, 30, 40), 'main') after = true\n"
                      "coroutine.wrap(function() q = Part.new(rect.new(1, 2, 3, 4), 'thread') end)()"));
    EXPECT_EQ("true", eval("after and type(p.ref) == 'userdata' and r2s(p.mRect) == '10,20,30,40'"));
    EXPECT_EQ("1,2,3,4", eval("r2s(q.mRect)"));
    EXPECT_EQ(1u, debug.containing("create broke main").size());
    EXPECT_EQ(1u, debug.containing("create broke thread").size());
    EXPECT_EQ(0, lua_gettop(L));
}

TEST_F(script_parts, every_class_has_its_own_metatable) {
    ASSERT_EQ("", run("Other = new_base_class(false)\n"
                      "a = Part.new(rect.new(0, 0, 1, 1)) b = Other.new(rect.new(0, 0, 1, 1))"));
    EXPECT_EQ("true", eval("Part.__metatable ~= Other.__metatable"));
    EXPECT_EQ("true", eval("getmetatable(a.ref) == Part.__metatable"));
    EXPECT_EQ("true", eval("getmetatable(b.ref) == Other.__metatable"));
    lua_getglobal(L, "b");
    lua_getfield(L, -1, "ref");
    EXPECT_STREQ("base_class", lua_class::get_name(L, -1));
    lua_pop(L, 2);
    // A hand call of the finaliser leaves a live part alone.
    ASSERT_EQ("", run("Part.__metatable.__gc(a.ref)"));
    EXPECT_EQ("true", eval("getmetatable(a.ref) == Part.__metatable"));
}

TEST_F(script_parts, bad_classes_and_arguments_are_script_errors) {
    EXPECT_TRUE(engine_test::fails_with(L, "new_base_class(1)", "boolean expected"));
    EXPECT_TRUE(engine_test::fails_with(L, "Part.new(5)", "rect expected"));
    EXPECT_TRUE(engine_test::fails_with(L, "Bad = new_base_class(true) Bad.draw = 3 Bad.new(rect.new(0, 0, 1, 1))",
                                        "the class's draw must be a function"));
    EXPECT_TRUE(engine_test::fails_with(L, "Bad = new_base_class(true) Bad.clipping = nil Bad.new(rect.new(0, 0, 1, 1))",
                                        "clipping must be a boolean"));
    EXPECT_TRUE(engine_test::fails_with(L, "Bad = new_base_class(true) Bad.__metatable = getmetatable(rect.new(0, 0, 1, 1))\n"
                                           "Bad.new(rect.new(0, 0, 1, 1))", "no part metatable"));
    EXPECT_EQ("", take_log(";")) << "nothing was created";
}

TEST_F(script_parts, window_field_show_draw_and_hide) {
    open();
    ASSERT_EQ("", run("p = Part.new(rect.new(10, 10, 50, 30)) main:add(p)"));
    EXPECT_EQ("true", eval("p.window == main"));
    take_log(";");
    create();
    const std::string log = take_log(";");
    EXPECT_EQ(0u, log.find("show;")) << log;
    EXPECT_NE(std::string::npos, log.find("draw 10,10,50,30 10,10,50,30")) << log;
    ASSERT_EQ("", run("main:redraw(rect.new(0, 0, 20, 20))"));
    EXPECT_EQ("draw 10,10,50,30 10,10,20,20", take_log(";"));
    ASSERT_EQ("", run("main:close()"));
    EXPECT_EQ("hide", take_log(";"));
}

TEST_F(script_parts, a_failing_draw_is_reported_and_painting_goes_on) {
    open();
    ASSERT_EQ("", run("function Part.draw() error('draw broke') end\n"
                      "p = Part.new(rect.new(10, 10, 50, 30)) main:add(p)"));
    probe_part* above = add_probe(w, rect(0, 0, 200, 60));
    above->colour = RGB(0, 255, 0);
    engine_test::debug_capture debug;
    create();
    EXPECT_FALSE(debug.containing("draw broke").empty());
    EXPECT_FALSE(above->clips.empty()) << "the part after the failing one was painted";
    EXPECT_EQ(RGB(0, 255, 0), back_pixel(20, 20));
    EXPECT_EQ(0, lua_gettop(L));
}

TEST_F(script_parts, a_draw_that_closes_its_window_or_adds_parts_is_safe) {
    open();
    ASSERT_EQ("", run("function Part.draw(self)\n"
                      "  if grow then grow = false main:add(Part.new(rect.new(0, 0, 5, 5))) end\n"
                      "  if close_now then close_now = false main:close() end\n"
                      "end\n"
                      "p = Part.new(rect.new(10, 10, 50, 30)) main:add(p)"));
    create();
    ASSERT_EQ("", run("grow = true main:redraw(rect.new(0, 0, 200, 60))"));
    EXPECT_EQ(3u, w->mParts.getSize());
    ASSERT_EQ("", run("close_now = true main:redraw(rect.new(0, 0, 200, 60))"));
    pump();
    EXPECT_EQ(nullptr, w->mWnd);
    EXPECT_EQ("false", eval("main:is_visible()"));
    // It opens again and paints.
    create();
    EXPECT_EQ(kBlue, back_pixel(100, 50));
}

TEST_F(script_parts, a_show_that_closes_the_window_shows_no_later_part) {
    open();
    ASSERT_EQ("", run("function Part.show(self) note('show ' .. self.name) if self.name == 'a' then main:close() end end\n"
                      "function Part.hide(self) note('hide ' .. self.name) end\n"
                      "a = Part.new(rect.new(0, 0, 10, 10)) a.name = 'a'\n"
                      "b = Part.new(rect.new(10, 0, 20, 10)) b.name = 'b'\n"
                      "main:add(a, b)"));
    take_log(";");
    ASSERT_EQ("", run("main:create()"));
    pump();
    EXPECT_EQ(nullptr, w->mWnd);
    // The hide of the closing window is the last word: no part is shown after it, and every part
    // is hidden, also the one never shown.
    EXPECT_EQ("show a;hide a;hide b", take_log(";"));
}

// A part filed into an open window (from a timer, OnClose or OnHide) gets nothing until the window
// closes: then it is hidden with the others, and shown with them when the window opens again.
TEST_F(script_parts, a_part_filed_into_an_open_window_waits_for_its_next_close_and_open) {
    const struct {
        const char* files;  // run with the window open, before it closes
        const char* close_and_open;
    } rows[] = {
        {"main:add(part('p2'))", "hide p1;hide p2;show p1;show p2"},
        {"main:set_callback('OnClose', function() main:add(part('p2')) end) "
         "main:set_callback('OnHide', function() main:add(part('p3')) end)",
         "hide p1;hide p2;hide p3;show p1;show p2;show p3"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.files);
        TearDown();
        SetUp();
        open();
        ASSERT_EQ("", run("Part.create, Part.draw = nil, nil\n"
                          "function Part.show(self) note('show ' .. self.name) end\n"
                          "function Part.hide(self) note('hide ' .. self.name) end\n"
                          "function part(name) local p = Part.new(rect.new(0, 0, 5, 5)) p.name = name return p end\n"
                          "main:add(part('p1'))"));
        create();
        take_log(";");
        ASSERT_EQ("", run(row.files));
        EXPECT_EQ("", take_log(";"));
        ASSERT_EQ("", run("main:close() main:set_callback('OnClose', nil) main:set_callback('OnHide', nil) main:create()"));
        pump();
        EXPECT_EQ(row.close_and_open, take_log(";"));
    }
}

TEST_F(script_parts, size_sees_the_new_rect_in_mRect) {
    open(3);
    // Anchored to the right edge: the window resizes the part.
    ASSERT_EQ("", run("p = Part.new(rect.new(-40, 10, 0, 30)) main:add(p)"));
    EXPECT_EQ("create  -40,10,0,30;size 160,10,200,30", take_log(";"));
    create();
    take_log(";");
    SetWindowPos(hwnd, nullptr, 100, 100, 250, 60, SWP_NOZORDER | SWP_NOACTIVATE);
    pump();
    EXPECT_NE(std::string::npos, take_log(";").find("size 210,10,250,30"));
    EXPECT_EQ("210", eval("p.mRect.left"));
}

TEST_F(script_parts, message_codes_and_hover) {
    open();
    ASSERT_EQ("", run("p = Part.new(rect.new(10, 10, 50, 30)) main:add(p)"));
    create();
    take_log(";");
    send(WM_MOUSEMOVE, 20, 20);
    send(WM_MOUSEMOVE, 21, 20);
    send(WM_MOUSEMOVE, 100, 50);
    EXPECT_EQ("message 9;message -1;message 10", take_log(";"));
    send(WM_MOUSEMOVE, 20, 20);
    EXPECT_EQ("message 9", take_log(";")) << "entering again";
    send(WM_RBUTTONDOWN, 20, 20);
    send(WM_RBUTTONUP, 20, 20);
    send(WM_MBUTTONDBLCLK, 20, 20);
    EXPECT_EQ("message 3;message 4;message 8", take_log(";"));
}

TEST_F(script_parts, a_true_answer_blocks_the_window_drag) {
    open();
    ASSERT_EQ("", run("p = Part.new(rect.new(10, 10, 50, 30)) main:add(p)\n"
                      "Silent = new_base_class(false) s = Silent.new(rect.new(60, 10, 90, 30)) main:add(s)"));
    create();
    pump(hwnd);
    take_log(";");
    ASSERT_EQ("", run("answer = true"));
    send(WM_LBUTTONDOWN, 20, 20);
    send(WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(0, pump(hwnd));
    EXPECT_EQ("message 0;message 1", take_log(";"));
    ASSERT_EQ("", run("answer = nil"));
    send(WM_LBUTTONDOWN, 20, 20);
    EXPECT_EQ(1, pump(hwnd)) << "no answer lets the press through";
    // A class without message never handles the mouse.
    send(WM_LBUTTONDOWN, 70, 20);
    EXPECT_EQ(1, pump(hwnd));
}

}  // namespace
