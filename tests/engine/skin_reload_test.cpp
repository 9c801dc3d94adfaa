// The reload of a running skin: from its file again, with retry and cancel on failure, deferred
// while a script call runs, and with nothing of the old skin left behind.

#include "startup_test_util.h"
#include "../support/icon_file.h"
#include "../../benchmarks/gui_objects.h"

#include <tray.h>
#include <zin_config/zin_conf.h>
#include <zin_classes/timer.h>
#include <zin_window/callbacks.h>
#include <zin_window/zin_window.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

using namespace startup_test;
using engine_test::run;

namespace {

// Message boxes go to a function of the running test (recorded as well).
std::function<int(const std::wstring&)>& box_answerer() {
    static std::function<int(const std::wstring&)> answerer;
    return answerer;
}
int answer_box(const wchar_t* text, const wchar_t* caption, unsigned type) {
    record_message_box(text, caption, type);
    return box_answerer() ? box_answerer()(text ? text : L"") : IDOK;
}

using bench::gdi_objects;
using bench::thread_windows;

const char SKIN[] =
    "w = window.new('main', 10, 10, rect.new(20, 20, 120, 80))\n"
    "loads = (loads or 0) + 1\n"
    "t = timer.new(function() end)\n"
    "add_tray_icon('tray.ico', 0, function() clicked = true end)\n"
    "set_global_callback('OnUnload', function() print('unloading') end)\n";

class SkinReload : public host_fixture {
protected:
    void SetUp() override {
        use_profile_folder();
        host_fixture::SetUp();
        skin_load::set_message_box(&answer_box);
        box_answerer() = nullptr;
        folder.write("tray.ico", test_support::icon_file_bytes());
        skin_path = folder.write("skin.lua", SKIN);
        ASSERT_NE(init_with(skin_path), nullptr);
    }
    void TearDown() override {
        box_answerer() = nullptr;
        host_fixture::TearDown();
        drain_quit();
    }
    // Takes a posted quit request off the queue; true when there was one.
    static bool drain_quit() {
        MSG msg;
        return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
    }
    int timer_id() {
        lua_getglobal(g_lua, "t");
        const timer* t = static_cast<const timer*>(lua_touserdata(g_lua, -1));
        lua_pop(g_lua, 1);
        return t ? static_cast<int>(t->id) : -1;
    }
    size_t count_console(const std::string& line) {
        size_t n = 0;
        for (const std::string& l : console.lines) n += l == line;
        return n;
    }

    std::string skin_path;
};

TEST_F(SkinReload, ReloadRunsTheSkinAgainFromItsFile) {
    const HWND first_window = g_window_handles[0].handle;
    EXPECT_EQ(timer_id(), 44);
    EXPECT_EQ(run(g_lua, "t2 = timer.new(function() end)"), "");
    folder.write("skin.lua", std::string(SKIN) + "second = true\n");
    reload_skin();
    EXPECT_EQ(count_console("unloading"), 1u);  // the old skin's OnUnload
    ASSERT_NE(g_lua, nullptr);
    EXPECT_TRUE(g_skin_running);
    EXPECT_EQ(engine_test::eval(g_lua, "second"), "true");
    EXPECT_EQ(engine_test::eval(g_lua, "loads"), "1");  // a fresh state (it may lie where the old one did)
    EXPECT_EQ(timer_id(), 44);                          // every timer id was free again
    EXPECT_FALSE(IsWindow(first_window));
    ASSERT_EQ(g_window_handles.getSize(), 1u);
    // The new skin's tray icon answers.
    ASSERT_NE(g_tray, nullptr);
    EXPECT_EQ(g_tray->getCount(), 1u);
    SendMessageW(g_hWnd, TRAY_FIRST_MESSAGE, 0, WM_LBUTTONDOWN);
    EXPECT_EQ(engine_test::eval(g_lua, "clicked"), "true");
    EXPECT_TRUE(boxes().empty());
    EXPECT_FALSE(drain_quit());
}

TEST_F(SkinReload, AFailedLoadAsksRetryAndRetryLoadsTheFileAgain) {
    folder.write("skin.lua", "error('broken skin')\n");
    int retries = 0;
    box_answerer() = [&](const std::wstring& text) {
        if (text != L"Retry ?") return IDOK;
        // The user mends the skin before answering Retry.
        folder.write("skin.lua", SKIN);
        ++retries;
        return IDRETRY;
    };
    reload_skin();
    EXPECT_EQ(retries, 1);
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_EQ(boxes()[0].caption, L"zin_window_debug: lua-execute error");
    EXPECT_EQ(boxes()[1].text, L"Retry ?");
    EXPECT_EQ(boxes()[1].caption, L"Loading of Skin failed. Cancel quits trova!");
    EXPECT_EQ(boxes()[1].type, static_cast<unsigned>(MB_RETRYCANCEL | MB_ICONHAND));
    EXPECT_TRUE(g_skin_running);
    ASSERT_NE(g_lua, nullptr);
    EXPECT_EQ(g_windows.getSize(), 1u);
    EXPECT_FALSE(drain_quit());
}

TEST_F(SkinReload, CancelLeavesTheEngineUnloadedAsksToQuitAndKeepsTheSavedWindowStates) {
    folder.write("skin.lua", "x = = 1\n");
    box_answerer() = [](const std::wstring&) { return IDCANCEL; };
    reload_skin();
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_EQ(boxes()[0].caption, L"zin_window_debug: lua-load error");
    EXPECT_EQ(boxes()[1].text, L"Retry ?");
    EXPECT_TRUE(drain_quit());
    EXPECT_EQ(g_lua, nullptr);
    EXPECT_FALSE(g_skin_running);
    EXPECT_EQ(g_tray, nullptr);
    EXPECT_EQ(g_windows.getSize(), 0u);
    EXPECT_FALSE(KillTimer(g_hWnd, 44));  // the old skin's timer is gone
    // Unloading again, and shutting down, are safe; the window states saved by the reload stay.
    unload_skin();
    get_ui_zin().shutdown();
    ASSERT_TRUE(load_config());
    select_skin_section();
    ASSERT_NE(g_current_section, nullptr);
    ASSERT_EQ(g_current_section->states.getSize(), 1u);
    EXPECT_STREQ(g_current_section->states[0].name.get(), "main");
    clear_skin_sections();
}

// A script function standing in for the preferences page's Reload pressed inside a script call.
int reload_from_script(lua_State*) {
    reload_skin();
    return 0;
}

TEST_F(SkinReload, AReloadDuringAScriptCallWaitsForItToEnd) {
    lua_State* first = g_lua;
    lua_register(g_lua, "reload_now", &reload_from_script);
    ASSERT_EQ(run(g_lua, "set_global_callback('OnStart', function() reload_now() after = 1 end)"), "");
    fire_global_callback(GCB_ON_START);
    // The call ended on the old state; the reload comes from the message queue.
    ASSERT_EQ(g_lua, first);
    EXPECT_EQ(engine_test::eval(g_lua, "after"), "1");
    EXPECT_TRUE(g_skin_running);
    // The new state may lie where the old one did: the reload shows as a state without `after`.
    MSG msg;
    const ULONGLONG deadline = GetTickCount64() + 20000;
    while (GetTickCount64() < deadline &&
           !(g_lua != nullptr && g_skin_running && engine_test::eval(g_lua, "after") == "nil")) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    ASSERT_NE(g_lua, nullptr);
    EXPECT_TRUE(g_skin_running);
    EXPECT_EQ(engine_test::eval(g_lua, "after"), "nil");
}

TEST_F(SkinReload, AnExceptionDuringADeferredReloadStaysInsideTheMainWindowProcedure) {
    lua_register(g_lua, "reload_now", &reload_from_script);
    ASSERT_EQ(run(g_lua, "set_global_callback('OnStart', function() reload_now() end)"), "");
    fire_global_callback(GCB_ON_START);
    // The reload finds a broken skin, and asking the user fails.
    folder.write("skin.lua", "this is no script");
    box_answerer() = [](const std::wstring&) -> int { throw std::runtime_error("no box today"); };
    LRESULT result = 1;
    EXPECT_NO_THROW(result = main_window_proc(g_hWnd, WM_ZIN_RELOAD, 0, 0));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(g_lua, nullptr);
    bool reported = false;
    for (const std::string& l : console.lines)
        if (l.find("ERROR : ") == 0 && l.find("no box today") != std::string::npos) reported = true;
    EXPECT_TRUE(reported);
}

// The real message box: each box of this thread is noted with its owner and closed (Cancel for
// "Retry ?", OK for the others).
std::vector<std::pair<std::wstring, HWND>>& shown_boxes() {
    static std::vector<std::pair<std::wstring, HWND>> boxes;
    return boxes;
}
BOOL CALLBACK close_thread_box(HWND w, LPARAM) {
    wchar_t name[16] = {};
    GetClassNameW(w, name, 16);
    if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(w)) return TRUE;
    wchar_t caption[128] = {};
    GetWindowTextW(w, caption, 128);
    shown_boxes().emplace_back(caption, GetWindow(w, GW_OWNER));
    PostMessageW(w, WM_CLOSE, 0, 0);
    return FALSE;
}
void CALLBACK close_boxes(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), &close_thread_box, 0);
}

TEST_F(SkinReload, RetryBoxBelongsToThePreferencesPage) {
    unload_skin();
    folder.write("skin.lua", "error('broken skin')\n");
    const HWND page = CreateWindowExW(0, L"STATIC", L"page", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                      nullptr, nullptr, nullptr);
    g_pref_dialog = page;
    skin_load::set_message_box(nullptr);
    shown_boxes().clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &close_boxes);
    EXPECT_FALSE(load_skin_with_retry(L"retry caption"));
    KillTimer(nullptr, timer);
    g_pref_dialog = nullptr;
    DestroyWindow(page);
    ASSERT_EQ(shown_boxes().size(), 2u);
    EXPECT_EQ(shown_boxes()[0].first, L"zin_window_debug: lua-execute error");
    EXPECT_EQ(shown_boxes()[0].second, nullptr);  // the loader's boxes have no owner
    EXPECT_EQ(shown_boxes()[1].first, L"retry caption");
    EXPECT_EQ(shown_boxes()[1].second, page);
}

TEST_F(SkinReload, LoadingOverALoadedSkinIsRefused) {
    lua_State* running = g_lua;
    const uint32_t reports = zin_debug_report_count();
    EXPECT_FALSE(load_skin());
    EXPECT_EQ(zin_debug_report_count(), reports + 1);
    EXPECT_EQ(g_lua, running);
    EXPECT_TRUE(g_skin_running);
}

TEST_F(SkinReload, AHundredCyclesLeaveNoGdiObjectOrWindowBehind) {
    // A brush made here is seen: the count is real.
    const DWORD empty = gdi_objects();
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(gdi_objects(), empty + 1);
    DeleteObject(brush);
    reload_skin();  // the first cycle may make what lives for the whole run
    const DWORD gdi_before = gdi_objects();
    const DWORD windows_before = thread_windows();
    for (int i = 0; i < 100; ++i) reload_skin();
    EXPECT_TRUE(g_skin_running);
    EXPECT_EQ(gdi_objects(), gdi_before);
    EXPECT_EQ(thread_windows(), windows_before);
    EXPECT_EQ(g_tray->getCount(), 1u);
    EXPECT_EQ(g_tray_icons.getSize(), 1u);
}

}  // namespace
