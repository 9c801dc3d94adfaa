// Tray icons of a running skin: add, remove, add and click; which mouse reports reach the script;
// where icon files are found; what an unload leaves. The icons' mouse reports are sent to the main
// window directly, as the shell would post them.

#include "startup_test_util.h"
#include "../support/icon_file.h"

#include <tray.h>
#include <zin_window/zin_window.h>

#include <gtest/gtest.h>

using namespace startup_test;
using engine_test::run;

namespace {

class Tray : public host_fixture {
protected:
    void SetUp() override {
        host_fixture::SetUp();
        folder.write("tray.ico", test_support::icon_file_bytes());
    }
    // Starts a skin with one window and the extra script text.
    void start(const std::string& script) {
        ASSERT_NE(init_with(folder.write("tray.lua", one_window_skin(
                                                         "clicks = ''\n"
                                                         "function log(text) return function() clicks = clicks .. text .. ';' end end\n" +
                                                         script))),
                  nullptr);
        ASSERT_NE(g_tray, nullptr);
    }
    LRESULT report(uint32_t id, UINT mouse) { return SendMessageW(g_hWnd, TRAY_FIRST_MESSAGE + id, 0, mouse); }
    std::string global(const char* name) {
        lua_getglobal(g_lua, name);
        const std::string value = lua_tostring(g_lua, -1) ? lua_tostring(g_lua, -1) : "(nil)";
        lua_pop(g_lua, 1);
        return value;
    }
};

TEST_F(Tray, AddRemoveAddThenClicksReachTheIconThatWasClicked) {
    start("a = add_tray_icon('tray.ico', 0, log('left a'))\n"
          "b = add_tray_icon('tray.ico', 0, log('left b'), log('right b'), log('double b'))\n"
          "remove_tray_icon(a)\n"
          "c = add_tray_icon('tray.ico', 0, log('left c'))\n");
    EXPECT_EQ(global("a"), "0");
    EXPECT_EQ(global("b"), "1");
    EXPECT_EQ(global("c"), "0");  // the freed id comes back
    EXPECT_EQ(g_tray->getCount(), 2u);
    EXPECT_EQ(g_tray_icons.getSize(), 2u);
    EXPECT_EQ(report(1, WM_LBUTTONDOWN), 0);
    report(0, WM_LBUTTONDOWN);
    report(1, WM_RBUTTONDOWN);
    report(1, WM_LBUTTONDBLCLK);
    report(1, WM_MBUTTONDOWN);  // not the script's: passed on
    report(1, WM_LBUTTONUP);
    report(0, WM_RBUTTONDOWN);  // no right-click function
    report(5, WM_LBUTTONDOWN);  // no such icon
    EXPECT_EQ(global("clicks"), "left b;left c;right b;double b;");
}

TEST_F(Tray, RemovingAnUnknownIdWarnsOnTheConsole) {
    start("add_tray_icon('tray.ico', 0)\nadd_tray_icon('tray.ico', 0)\n");
    EXPECT_EQ(run(g_lua, "remove_tray_icon(5)"), "");
    EXPECT_TRUE(console_has("WARNING : no tray-icon with specified ID found"));
    EXPECT_EQ(run(g_lua, "remove_tray_icon(-1)"), "");
    EXPECT_EQ(run(g_lua, "remove_tray_icon(1) remove_tray_icon(1)"), "");  // the second one warns
    EXPECT_EQ(g_tray->getCount(), 1u);
    EXPECT_EQ(g_tray_icons.getSize(), 1u);
    EXPECT_EQ(g_tray_icons[0].id, 0u);
}

TEST_F(Tray, TheIconFileIsFoundInTheSkinFolderAndTheWorkingDirectoryStaysThere) {
    start("");
    folder.write("not_an_icon.txt", "plain text\n");
    SetCurrentDirectoryA(folder.temp().c_str());
    EXPECT_EQ(run(g_lua, "icon = add_tray_icon('tray.ico', 0)"), "");
    ASSERT_EQ(g_tray->getCount(), 1u);
    EXPECT_NE(g_tray->mEntries[0].mData.uFlags & NIF_ICON, 0u);
    EXPECT_NE(g_tray->mEntries[0].mData.hIcon, nullptr);
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    EXPECT_EQ(std::wstring(cwd) + L"\\", widen(folder.dir()));
    // A file that holds no icon gives a tray icon without a picture, and a debug report.
    const uint32_t reports = zin_debug_report_count();
    EXPECT_EQ(run(g_lua, "add_tray_icon('not_an_icon.txt', 0)"), "");
    EXPECT_EQ(zin_debug_report_count(), reports + 1);
    ASSERT_EQ(g_tray->getCount(), 2u);
    EXPECT_EQ(g_tray->mEntries[1].mData.uFlags & NIF_ICON, 0u);
    EXPECT_EQ(g_tray->mEntries[1].mData.hIcon, nullptr);
}

TEST_F(Tray, IndexMinusOneIsNoIconRatherThanTheFilesIconCount) {
    start("");
    // For -1 the shell answers how many icons the file holds, which is no icon handle.
    EXPECT_EQ(run(g_lua, "add_tray_icon('C:\\\\windows\\\\system32\\\\shell32.dll', -1)"), "");
    ASSERT_EQ(g_tray->getCount(), 1u);
    EXPECT_EQ(g_tray->mEntries[0].mData.uFlags & NIF_ICON, 0u);
    EXPECT_EQ(g_tray->mEntries[0].mData.hIcon, nullptr);
}

TEST_F(Tray, ACallbackMayRemoveItsOwnIconAndErrorsAreReported) {
    start("gone = add_tray_icon('tray.ico', 0, function() remove_tray_icon(gone) clicks = 'removed' end)\n"
          "add_tray_icon('tray.ico', 0, function() error('tray broke') end)\n");
    EXPECT_EQ(report(0, WM_LBUTTONDOWN), 0);
    EXPECT_EQ(global("clicks"), "removed");
    EXPECT_EQ(g_tray->getCount(), 1u);
    EXPECT_EQ(report(1, WM_LBUTTONDOWN), 0);
    bool reported = false;
    for (const std::string& l : console.lines)
        if (l.find("tray broke") != std::string::npos) reported = true;
    EXPECT_TRUE(reported);
}

TEST_F(Tray, BadCallbackArgumentsChangeNothing) {
    start("");
    EXPECT_TRUE(engine_test::fails_with(g_lua, "add_tray_icon('tray.ico', 0, nil, 7)", "function expected"));
    EXPECT_EQ(g_tray->getCount(), 0u);
    EXPECT_EQ(g_tray_icons.getSize(), 0u);
}

TEST_F(Tray, AnUnloadLeavesNoTrayBehind) {
    start("add_tray_icon('tray.ico', 0, log('left'))\n");
    HICON icon = g_tray->mEntries[0].mData.hIcon;
    ASSERT_NE(icon, nullptr);
    // The skin windows pass the taskbar's restart on to the manager.
    ASSERT_GT(g_window_handles.getSize(), 0u);
    EXPECT_EQ(SendMessageW(g_window_handles[0].handle, CTrayIcon::sTaskbarCreatedMsg, 0, 0), 0);
    unload_skin();  // (a shutdown takes the main window down as well)
    EXPECT_EQ(g_tray, nullptr);
    EXPECT_EQ(g_tray_icons.getSize(), 0u);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(g_hWnd, GWLP_WNDPROC)), &main_window_proc);
    ICONINFO info;
    EXPECT_FALSE(GetIconInfo(icon, &info));
    // A late report of the old icon finds nothing to call.
    EXPECT_EQ(report(0, WM_LBUTTONDOWN), 0);
}

}  // namespace
