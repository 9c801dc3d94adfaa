// The reference host with the real component and its user interface: the skin given through the
// open-file dialog, failing skins answered and logged, debug output in the log.
#include <gtest/gtest.h>

#include <text.h>

#include <support/files.h>
#include <support/host_process.h>

namespace {

using namespace test_support;

const char kWindowSkin[] =
    "main = window.new('main', 50, 50, rect.new(100, 100, 300, 250))\n"
    "main:add(color_rect.new(rect.new(0, 0, 200, 150), color.new(255, 0, 0)))\n"
    "main:create()\n"
    "print('window skin loaded')\n";

// The host run for run_for milliseconds on a skin of this script, in a folder of its own.
run_result run_skin(const wchar_t* folder, const std::string& script, const wchar_t* run_for) {
    const std::wstring work = temp_folder(folder);
    const std::wstring skin = work + L"\\skin.lua";
    EXPECT_TRUE(write_file(skin, script));
    return run_host({L"--skin", skin, L"--run-for", run_for}, work);
}

TEST(ui, TheSkinFileAnswersTheDialogAndTheSkinRuns) {
    const std::wstring work = temp_folder(L"ui_skin");
    const std::wstring skin = work + L"\\skin.lua";
    ASSERT_TRUE(write_file(skin, kWindowSkin));
    const run_result r = run_host({L"--skin", skin, L"--run-for", L"300"}, work);
    EXPECT_EQ(r.exit_code, 0u) << r.log;
    EXPECT_TRUE(has(r.log, "host: starting the user interface zin_window_debug\n")) << r.log;
    EXPECT_TRUE(has(r.log, "msgbox: Open: open-file dialog -> " + host::to_utf8(skin) + "\n")) << r.log;
    EXPECT_TRUE(has(r.log, "console: window skin loaded\n")) << r.log;
    EXPECT_TRUE(has(r.log, "host: user interface started\n")) << r.log;
    EXPECT_TRUE(has(r.log, "host: --run-for time is over\n")) << r.log;
    EXPECT_TRUE(has(r.log, "host: user interface stopped\n")) << r.log;
    // The component's debug output, line by line in its order.
    EXPECT_TRUE(has(r.log, "debug: locating skin\n")) << r.log;
    EXPECT_LT(r.log.find("debug: loading lua\n"), r.log.find("debug: executing skin-script\n")) << r.log;
    EXPECT_FALSE(has(r.log, "debug: \n")) << r.log;
    EXPECT_FALSE(has(r.log, "ERROR")) << r.log;
}

TEST(ui, ASkinFileNobodyAskedForIsReported) {
    const std::wstring work = temp_folder(L"ui_unused");
    const run_result r = run_host(
        {L"--skin", work + L"\\skin.lua", L"--run-for", L"0", L"--component", beside_this_program(L"host_probe.dll")},
        work);
    EXPECT_EQ(r.exit_code, 0u) << r.log;
    EXPECT_TRUE(has(r.log, "host: no user interface offered; running without one\n")) << r.log;
    EXPECT_TRUE(has(r.log, "host: --skin was not used")) << r.log;
}

TEST(ui, FailingSkinsShowTheirMessageBoxInTheLogAndTheHostExitsCleanly) {
    const std::wstring work = temp_folder(L"ui_fail");
    struct failing {
        const char* script;
        std::string box;
    };
    const failing cases[] = {
        {"this is not lua\n", "msgbox: zin_window_debug: lua-load error: "},
        {"error('boom')\n", "msgbox: zin_window_debug: lua-execute error: "},
        {"x = 1\n", "msgbox: zin_window_debug: no window defined! -> ok\n"},
    };
    int n = 0;
    for (const failing& c : cases) {
        SCOPED_TRACE(c.script);
        const std::wstring dir = work + L"\\" + std::to_wstring(++n);
        CreateDirectoryW(dir.c_str(), nullptr);
        const std::wstring skin = dir + L"\\skin.lua";
        ASSERT_TRUE(write_file(skin, c.script));
        const run_result r = run_host({L"--skin", skin, L"--answer", L"cancel", L"--run-for", L"5000"}, dir);
        EXPECT_EQ(r.exit_code, 6u) << r.log;
        EXPECT_TRUE(has(r.log, c.box)) << r.log;
        // One line says why, with the component's last message.
        EXPECT_TRUE(has(r.log, "host: ERROR : the user interface gave no main window: its last message: " +
                                   c.box.substr(std::string("msgbox: ").size())))
            << r.log;
        // No wait for --run-for after a failed start-up.
        EXPECT_FALSE(has(r.log, "--run-for time is over")) << r.log;
        EXPECT_TRUE(has(r.log, "host: user interface stopped\n")) << r.log;
    }
    // The load error names the file and the line.
    const std::string first = read_file(work + L"\\1\\log.txt");
    EXPECT_TRUE(has(first, "lua-load error: " + host::to_utf8(work) + "\\1\\skin.lua:1:")) << first;
    EXPECT_TRUE(has(first, " -> ok\n")) << first;  // a box with only OK gets OK for "cancel"
}

// Popup menus nobody answers (no --menu-pick), even ones the skin opens while it starts and again
// after each one ends, do not keep --run-for from ending the run.
TEST(ui, RunForEndsPopupMenusNobodyAnswers) {
    const run_result r = run_skin(L"ui_menus",
                                  std::string(kWindowSkin) + "for i = 1, 3 do trova.show_main_menu() end\n"
                                                             "print('menus ended')\n"
                                                             "t = timer.new(function() trova.show_main_menu() end)\n"
                                                             "t:start(10)\n",
                                  L"300");
    EXPECT_EQ(r.exit_code, 0u) << r.log;
    EXPECT_TRUE(has(r.log, "console: menus ended\n")) << r.log;
    EXPECT_TRUE(has(r.log, "host: --run-for time is over\n")) << r.log;
    EXPECT_TRUE(has(r.log, "host: all host references released")) << r.log;
}

// A skin as its author writes it: one save helper that always passes four arguments, a script part
// whose create fails (reported, the skin goes on), and a window minimised once it is the active
// one: the window is unloaded (OnHide), and its destruction deactivates it (OnDeactivate, the window
// still open then); it is pending until the script opens it again.
TEST(ui, MinimisingTheActiveWindowDeactivatesItAsItGoes) {
    const run_result r = run_skin(
        L"ui_minimise",
        "function keep(value, name) config.save(value, name, true, nil) end\n"
        "keep(5, 'volume') keep(true, 'shuffle') keep(color.new(1, 2, 3), 'accent')\n"
        "Part = new_base_class(false)\n"
        "function Part.create(self) error('create broke') end\n"
        "w = window.new('mini', 40, 30, rect.new(120, 110, 220, 180))\n"
        "w:add(color_rect.new(rect.new(0, 0, 100, 70), color.new(0, 128, 255)), Part.new(rect.new(0, 0, 10, 10)))\n"
        "minimised = false\n"
        "w:set_callback('OnShow', function() print('mini: show') end)\n"
        "w:set_callback('OnHide', function() print('mini: hide') end)\n"
        "w:set_callback('OnActivate', function()\n"
        "  if minimised then return end\n"
        "  minimised = true print('mini: active, minimising') w:minimize()\n"
        "end)\n"
        "w:set_callback('OnDeactivate', function()\n"
        "  print('mini: deactivate, visible ' .. tostring(w:is_visible()))\n"
        "end)\n"
        "back = timer.new(function()\n"
        "  back:stop() print('mini: pending, visible ' .. tostring(w:is_visible())) w:create()\n"
        "end)\n"
        "back:start(300)\n"
        "w:create()\n",
        L"1500");
    EXPECT_EQ(r.exit_code, 0u) << r.log;
    const std::string log = untimed(r.log);
    const std::vector<std::string> errors = lines_containing(log, "ERROR");
    ASSERT_EQ(errors.size(), 1u) << r.log;
    EXPECT_TRUE(has(errors[0], "console: ERROR : ") && has(errors[0], "create broke")) << r.log;
    const std::vector<std::string> lines = lines_containing(log, "console: mini: ");
    const std::vector<std::string> expected = {
        // The window is made the foreground one before OnShow.
        "console: mini: active, minimising", "console: mini: show", "console: mini: hide",
        "console: mini: deactivate, visible true", "console: mini: pending, visible false",
        "console: mini: show"};
    // What follows the second show (its activation, the unload at the end) is not checked here.
    ASSERT_GE(lines.size(), expected.size()) << r.log;
    const std::vector<std::string> first(lines.begin(), lines.begin() + expected.size());
    EXPECT_EQ(expected, first) << r.log;
    EXPECT_TRUE(has(r.log, "host: all host references released")) << r.log;
}

// A skin as its author writes it, through the host. Parts filed into an open window, from a timer
// or from OnClose and OnHide, are hidden and shown with the others at the window's next close and
// open, and at no other time. A close asked for a window is that window's, also while a switch
// hands it the native window: asked after the switch in the old window's OnClose, from its own
// OnShow during that switch, or from the old window's OnHide (which cannot switch again).
TEST(ui, PartsAndClosesAreCarriedOutForTheWindowTheyName) {
    const run_result r = run_skin(
        L"ui_requests",
        "function say(s) print('ex: ' .. s) end\n"
        "Part = new_base_class(false)\n"
        "function Part.show(self) say('show ' .. self.name) end\n"
        "function Part.hide(self) say('hide ' .. self.name) end\n"
        "function part(name) local p = Part.new(rect.new(0, 0, 5, 5)) p.name = name return p end\n"
        "function win(name, x) local w = window.new(name, 40, 30, rect.new(x, 100, x + 90, 160))\n"
        "  w:add(color_rect.new(rect.new(0, 0, 90, 60), color.new(0, 128, 255))) return w end\n"
        "C, D, A, B, E = win('C', 50), win('D', 150), win('A', 250), win('B', 350), win('E', 450)\n"
        "C:add(part('C.p1')) D:add(part('D.p1'))\n"
        "D:set_callback('OnClose', function() D:add(part('D.p2')) end)\n"
        "D:set_callback('OnHide', function() D:add(part('D.p3')) end)\n"
        "for name, w in pairs({A = A, B = B}) do local name = name\n"
        "  w:set_callback('OnClose', function() say(name .. ' close') end)\n"
        "  w:set_callback('OnHide', function() say(name .. ' hide') end)\n"
        "  w:set_callback('OnShow', function() say(name .. ' show') end)\n"
        "end\n"
        "function visible() say('A ' .. tostring(A:is_visible()) .. ', B ' .. tostring(B:is_visible())) end\n"
        "C:create() D:create()\n"
        "t = timer.new(function() t:stop()\n"
        "  say('timer') C:add(part('C.p2'))\n"
        "  say('close C') C:close() say('open C') C:create()\n"
        "  say('close D') D:close() say('open D') D:set_callback('OnClose', nil) D:set_callback('OnHide', nil) D:create()\n"
        "  A:create()\n"
        "  A:set_callback('OnClose', function() say('A close') A:switch_to(B) B:close() end)\n"
        "  say('close A') A:close() visible()\n"
        "  A:create()\n"
        "  A:set_callback('OnClose', function() say('A close') A:switch_to(B) end)\n"
        "  B:set_callback('OnShow', function() say('B show') B:close() end)\n"
        "  say('close A') A:close() visible()\n"
        "  A:create()\n"
        "  A:set_callback('OnClose', function() say('A close') end)\n"
        "  B:set_callback('OnShow', function() say('B show') end)\n"
        "  A:set_callback('OnHide', function() say('A hide') B:close() A:switch_to(E) end)\n"
        "  say('switch A to B') A:switch_to(B) visible()\n"
        "  trova.quit()\n"
        "end)\n"
        "t:start(50)\n",
        L"5000");
    EXPECT_EQ(r.exit_code, 0u) << r.log;
    // The one error: a switch from a window that is unloading is refused.
    const std::vector<std::string> errors = lines_containing(untimed(r.log), "ERROR");
    ASSERT_EQ(errors.size(), 1u) << r.log;
    EXPECT_TRUE(has(errors[0], "console: ERROR : cannot switch from a window that is unloading")) << r.log;
    const std::vector<std::string> lines = lines_containing(untimed(r.log), "console: ex: ");
    std::string got;
    for (const std::string& line : lines) got += line.substr(line.find("ex: ") + 4) + "; ";
    EXPECT_EQ("show C.p1; show D.p1; timer; close C; hide C.p1; hide C.p2; open C; show C.p1; show C.p2; "
              "close D; hide D.p1; hide D.p2; hide D.p3; open D; show D.p1; show D.p2; show D.p3; A show; "
              "close A; A close; A hide; B show; B close; B hide; A false, B false; A show; "
              "close A; A close; A hide; B show; B close; B hide; A false, B false; A show; "
              "switch A to B; A hide; B close; B hide; A false, B false; ",
              got)
        << r.log;
}

TEST(ui, WithoutASkinTheDialogIsCancelled) {
    const std::wstring work = temp_folder(L"ui_none");
    const run_result r = run_host({L"--run-for", L"5000"}, work);
    EXPECT_EQ(r.exit_code, 6u) << r.log;
    EXPECT_TRUE(has(r.log, "msgbox: Open: open-file dialog -> cancel (no --skin)\n")) << r.log;
    EXPECT_TRUE(has(r.log, "host: ERROR : the user interface gave no main window")) << r.log;
    EXPECT_TRUE(has(r.log, "host: all host references released")) << r.log;
}

}  // namespace
