// The skin start-up through the service's init, against the recording fake host: the failures and
// their message boxes, the main window, the first window, the bring-to-front request, shutdown.

#include "startup_test_util.h"

#include <zin_classes/button.h>
#include <zin_window/callbacks.h>
#include <zin_window/zin_window.h>

#include <trovaplay/sdk/core_api.h>

#include <gtest/gtest.h>

using namespace startup_test;

namespace {

class Startup : public host_fixture {};

// Neither the main window's class nor the skin windows' class is left registered.
void expect_no_window_classes() {
    WNDCLASSW wc;
    const HINSTANCE instance = core_api::get_my_instance();
    EXPECT_FALSE(GetClassInfoW(instance, MAKEINTATOM(1), &wc));
    EXPECT_FALSE(GetClassInfoW(instance, L"zin_window_debug", &wc));
}

TEST_F(Startup, CancelledDialogGivesNullAndShutdownSurvives) {
    engine_test::debug_capture capture;
    EXPECT_EQ(get_ui_zin().init(&host_hook), nullptr);
    EXPECT_EQ(dialog().calls, 1);
    EXPECT_EQ(g_lua, nullptr);
    EXPECT_TRUE(boxes().empty());  // the user cancelled: nothing to tell
    EXPECT_TRUE(capture.contains("locating skin\n"));
    EXPECT_FALSE(capture.contains("loading lua\n"));
    // The dialog as the first start shows it.
    EXPECT_EQ(dialog().struct_size, static_cast<DWORD>(OPENFILENAME_SIZE_VERSION_400W));
    EXPECT_EQ(dialog().filter, L"Skins|*.lua|");
    EXPECT_EQ(dialog().buffer_length, 260u);
    EXPECT_EQ(dialog().flags, 0u);
    ASSERT_NE(g_cwd, nullptr);
    EXPECT_EQ(dialog().initial_dir, g_cwd);
    get_ui_zin().shutdown();
    get_ui_zin().shutdown();  // twice: nothing left to undo
    EXPECT_EQ(g_lua, nullptr);
    EXPECT_FALSE(g_skin_running);
    EXPECT_FALSE(get_ui_zin().is_visible());
}

TEST_F(Startup, MissingOrDuplicatedPlaybackControlIsReportedNotThrown) {
    fake_host empty;
    reset_module_state();
    empty.offer(console_receiver::class_guid, &console);
    empty.offer(playlist_manager::class_guid, &playlists);
    start_services(empty);
    HWND result = reinterpret_cast<HWND>(1);
    EXPECT_NO_THROW(result = get_ui_zin().init(&host_hook));
    EXPECT_EQ(result, nullptr);
    EXPECT_TRUE(console_has("ERROR : ui_zin::init: Service not found")) << console.lines.size();
    EXPECT_EQ(dialog().calls, 0);  // the start-up never ran

    fake_host twice;
    fake_play_control second{1};
    reset_module_state();
    twice.offer(console_receiver::class_guid, &console);
    twice.offer(play_control::class_guid, &control);
    twice.offer(play_control::class_guid, &second);
    twice.offer(playlist_manager::class_guid, &playlists);
    start_services(twice);
    EXPECT_NO_THROW(result = get_ui_zin().init(&host_hook));
    EXPECT_EQ(result, nullptr);
    EXPECT_TRUE(console_has("ERROR : ui_zin::init: Service duplicated"));
    EXPECT_EQ(dialog().calls, 0);
    reset_module_state();
    start_services(host);
}

TEST_F(Startup, SyntaxErrorShowsTheLoadBoxWithPathAndLine) {
    const std::string path = folder.write("broken.lua", "x = = 1\n");
    EXPECT_EQ(init_with(path), nullptr);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].caption, L"zin_window_debug: lua-load error");
    EXPECT_EQ(boxes()[0].type, static_cast<unsigned>(MB_ICONHAND));
    EXPECT_EQ(boxes()[0].text.rfind(widen(path) + L":1:", 0), 0u) << boxes()[0].text.c_str();
    EXPECT_EQ(g_lua, nullptr);
}

TEST_F(Startup, RuntimeErrorShowsTheExecuteBoxAndLeavesNothingReachable) {
    const std::string path =
        folder.write("fails.lua", one_window_skin("set_global_callback('OnStop', function() end)\n"
                                                  "error('skin broke')\n"));
    EXPECT_EQ(init_with(path), nullptr);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].caption, L"zin_window_debug: lua-execute error");
    EXPECT_EQ(boxes()[0].type, static_cast<unsigned>(MB_ICONHAND));
    EXPECT_NE(boxes()[0].text.find(L"skin broke"), std::wstring::npos);
    EXPECT_EQ(g_lua, nullptr);
    EXPECT_EQ(g_windows.getSize(), 0u);
    EXPECT_EQ(g_global_callbacks[GCB_ON_STOP].slot, 0);
    EXPECT_FALSE(g_skin_running);
}

TEST_F(Startup, NoWindowDefinedIsTold) {
    const std::string path = folder.write("empty.lua", "x = 1\n");
    EXPECT_EQ(init_with(path), nullptr);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, L"no window defined!");
    EXPECT_EQ(boxes()[0].caption, L"zin_window_debug");
    EXPECT_EQ(boxes()[0].type, static_cast<unsigned>(MB_ICONHAND));
    EXPECT_EQ(g_lua, nullptr);
}

TEST_F(Startup, SkinRunsAndItsFirstWindowOpens) {
    engine_test::debug_capture capture;
    fake_call_log().clear();
    const std::string path = folder.write(
        "skin.lua", one_window_skin("w2 = window.new('second', 10, 10, rect.new(0, 0, 50, 50))\n"));
    HWND main = init_with(path);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main, g_hWnd);
    EXPECT_TRUE(boxes().empty());
    EXPECT_TRUE(g_skin_running);
    EXPECT_NE(g_lua, nullptr);
    EXPECT_EQ(g_host_hook, &host_hook);
    EXPECT_EQ(g_play_control, static_cast<play_control*>(&control));
    EXPECT_EQ(g_pl_oper, static_cast<playlist_manager*>(&playlists));
    // The steps in order.
    const std::vector<std::string> steps = capture.containing("ing ");
    const std::vector<std::string> expected = {"loading config\n", "locating skin\n",
                                               "loading lua\n", "executing skin-script\n"};
    std::vector<std::string> seen;
    for (const std::string& s : steps)
        for (const std::string& e : expected)
            if (s == e) seen.push_back(s);
    EXPECT_EQ(seen, expected);
    // Beside its reference, the playlist manager was asked for the active playlist's focus item:
    // slot 4, then 13.
    std::vector<int> calls;
    for (int slot : fake_slots_of("playlist_manager#0"))
        if (slot > 2) calls.push_back(slot);
    EXPECT_EQ(calls, (std::vector<int>{4, 13}));
    // The main window: message-only, of the class with the integer atom 1.
    EXPECT_EQ(GetClassLongW(main, GCW_ATOM), 1u);
    EXPECT_NE(GetAncestor(main, GA_PARENT), GetDesktopWindow());
    // Of the two windows defined, the first was created; the second waits.
    ASSERT_EQ(g_windows.getSize(), 2u);
    ASSERT_EQ(g_window_handles.getSize(), 1u);
    EXPECT_EQ(g_window_handles[0].window, g_windows[0]);
    EXPECT_TRUE(get_ui_zin().is_visible());
    // hide and activate.
    get_ui_zin().hide();
    EXPECT_FALSE(get_ui_zin().is_visible());
    get_ui_zin().activate();
    EXPECT_TRUE(get_ui_zin().is_visible());
    // The skin's folder is the loader's.
    EXPECT_EQ(std::wstring(lua_compat::skin_dir()), widen(folder.dir()));
}

// The host's hide leaves no window open, whatever the windows' callbacks open or switch to while it
// runs (a usual skin: the main window closes and its mini window opens). Such a window waits for the
// next show with the others.
TEST_F(Startup, TheHostsHideLeavesNoWindowOpen) {
    const struct {
        const char* on_hide;
        const char* open_after_show;  // the windows the show opens, by name
    } rows[] = {
        {"mini:create()", "main mini side"},
        {"side:switch_to(mini)", "main mini"},  // side, open, hands its native window to mini
        {"mini:create() mini:close() mini:create() side:close()", "main mini"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.on_hide);
        get_ui_zin().shutdown();
        const std::string path = folder.write(
            "skin.lua", one_window_skin(std::string("mini = window.new('mini', 10, 10, rect.new(200, 20, 260, 60))\n"
                                                    "side = window.new('side', 10, 10, rect.new(300, 20, 360, 60))\n"
                                                    "w:create() side:create()\n"
                                                    "w:set_callback('OnHide', function() ") + row.on_hide + " end)\n"));
        ASSERT_NE(init_with(path), nullptr);
        ASSERT_EQ(g_window_handles.getSize(), 2u);
        get_ui_zin().hide();
        EXPECT_FALSE(get_ui_zin().is_visible());
        for (uint32_t i = 0; i < g_windows.getSize(); ++i) EXPECT_EQ(g_windows[i]->mWnd, nullptr) << g_windows[i]->mName;
        ASSERT_EQ("", engine_test::run(g_lua, "w:set_callback('OnHide', nil)"));
        get_ui_zin().activate();
        std::string open;
        for (uint32_t i = 0; i < g_windows.getSize(); ++i)
            if (g_windows[i]->mWnd) open += std::string(open.empty() ? "" : " ") + g_windows[i]->mName;
        EXPECT_EQ(row.open_after_show, open);
    }
}

// The start-up's closing collection runs the scripts' finalisers: one that fails is a script error
// like any other, and the skin still starts.
TEST_F(Startup, AFailingFinaliserInTheLastCollectionIsReported) {
    const std::string path = folder.write(
        "finaliser.lua", one_window_skin("collectgarbage(1e9)\n"
                                         "do local g = newproxy(true)\n"
                                         "getmetatable(g).__gc = function() error('finaliser broke') end end\n"));
    engine_test::debug_capture capture;
    HWND main = init_with(path);
    EXPECT_NE(main, nullptr);
    EXPECT_TRUE(g_skin_running);
    EXPECT_TRUE(boxes().empty());
    EXPECT_FALSE(capture.containing("finaliser broke").empty());
    bool reported = false;
    for (const std::string& l : console.lines)
        if (l.find("finaliser broke") != std::string::npos) reported = true;
    EXPECT_TRUE(reported);
}

TEST_F(Startup, AWindowTheScriptOpenedIsNotCreatedTwice) {
    const std::string path = folder.write("opens.lua",
                                          "w = window.new('a', 10, 10, rect.new(0, 0, 50, 50))\n"
                                          "v = window.new('b', 10, 10, rect.new(0, 0, 50, 50))\n"
                                          "v:create()\n");
    ASSERT_NE(init_with(path), nullptr);
    ASSERT_EQ(g_window_handles.getSize(), 1u);
    EXPECT_EQ(g_window_handles[0].window, g_windows[1]);
}

TEST_F(Startup, TheBringToFrontThreadAsksTheInterfaceThread) {
    const std::string path = folder.write("front.lua", one_window_skin());
    ASSERT_NE(init_with(path), nullptr);
    // The thread posts its request to the main window; wait for it, then deliver it. The bound
    // only keeps a broken build from hanging: a loaded machine may start the thread late.
    MSG msg = {};
    bool posted = false;
    const DWORD start = GetTickCount();
    while (!posted && GetTickCount() - start < 30000) {
        posted =
            PeekMessageW(&msg, g_hWnd, WM_ZIN_BRING_TO_FRONT, WM_ZIN_BRING_TO_FRONT, PM_REMOVE);
        if (!posted) Sleep(10);
    }
    ASSERT_TRUE(posted);
    EXPECT_EQ(DispatchMessageW(&msg), 0);
}

TEST_F(Startup, ShutdownCallsOnUnloadAndUnloadsEverything) {
    const std::string path = folder.write(
        "unload.lua",
        one_window_skin("set_global_callback('OnUnload', function() print('bye') end)\n"));
    const HWND main = init_with(path);
    ASSERT_NE(main, nullptr);
    const HWND first = g_window_handles[0].handle;
    g_pressed_button = 7;  // released over no button before the skin went away
    get_ui_zin().shutdown();
    EXPECT_EQ(g_pressed_button, -1);  // a new skin's button 7 must not look pressed
    EXPECT_TRUE(console_has("bye"));
    EXPECT_EQ(g_lua, nullptr);
    EXPECT_FALSE(g_skin_running);
    EXPECT_EQ(g_windows.getSize(), 0u);
    EXPECT_FALSE(get_ui_zin().is_visible());
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(g_global_callbacks[GCB_ON_UNLOAD].slot, 0);
    // No message can reach this module's code after the host unloads it.
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(g_hWnd, nullptr);
    expect_no_window_classes();
    get_ui_zin().shutdown();  // again: harmless
}

}  // namespace

namespace {

TEST_F(Startup, ShutdownGivesTheTwoHostServicesBack) {
    const int control_before = control.count();
    const int playlists_before = playlists.count();
    ASSERT_NE(init_with(folder.write("held.lua", one_window_skin())), nullptr);
    EXPECT_EQ(control.count(), control_before + 1);  // held for the engine's life
    EXPECT_EQ(playlists.count(), playlists_before + 1);
    get_ui_zin().shutdown();
    EXPECT_EQ(g_play_control, nullptr);
    EXPECT_EQ(g_pl_oper, nullptr);
    EXPECT_EQ(control.count(), control_before);
    EXPECT_EQ(playlists.count(), playlists_before);
    // A second start takes them again, once.
    ASSERT_NE(init_with(folder.write("held2.lua", one_window_skin())), nullptr);
    EXPECT_EQ(control.count(), control_before + 1);
    get_ui_zin().shutdown();
    EXPECT_EQ(control.count(), control_before);
}

}  // namespace

namespace {

// A script function standing in for a host that shuts the interface down from inside a callback.
int shutdown_from_script(lua_State*) {
    get_ui_zin().shutdown();
    return 0;
}

TEST_F(Startup, AnUnloadDuringAScriptCallWaitsForItToEnd) {
    const std::string path = folder.write(
        "reentrant.lua",
        one_window_skin("set_global_callback('OnStart', function()\n"
                        "  host_shutdown()\n"
                        "  after = (after or 0) + 1  -- the state is still there\n"
                        "end)\n"));
    ASSERT_NE(init_with(path), nullptr);
    lua_register(g_lua, "host_shutdown", &shutdown_from_script);
    fire_global_callback(GCB_ON_START);
    // The callback ran to its end on a live state; the unload waits in the message queue.
    ASSERT_NE(g_lua, nullptr);
    lua_getglobal(g_lua, "after");
    EXPECT_EQ(lua_tointeger(g_lua, -1), 1);
    lua_pop(g_lua, 1);
    EXPECT_FALSE(g_skin_running);
    MSG msg;
    bool unloaded = false;
    for (int i = 0; i < 100 && !unloaded; ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        unloaded = g_lua == nullptr;
        if (!unloaded) Sleep(10);
    }
    EXPECT_TRUE(unloaded);
    EXPECT_EQ(g_windows.getSize(), 0u);
    // The main window carried the waiting unload and went after it.
    EXPECT_EQ(g_hWnd, nullptr);
    expect_no_window_classes();
    get_ui_zin().shutdown();  // nothing left: harmless
}

}  // namespace
