// The host's menus and shortcuts through the default skin on the real screen: the menu button opens
// the host's main menu, a right click on a playlist row opens the context menu of the selection,
// and a key in a skin window reaches the host's shortcuts. The host's automation picks the menu
// items by label, as a person would with the keyboard.

#include <support/files.h>
#include <support/host_process.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace test_support;

// Where skins/default/skin.lua puts its buttons (main window) and the playlist rows (playlist
// window), in window coordinates.
constexpr POINT kMenuButton = {238, 87};
constexpr POINT kCloseButton = {274, 87};
constexpr POINT kPlaylistRow2 = {150, 6 + 22};

struct menu_run {
    std::wstring work;
    std::wstring log_file;
    host_process* host = nullptr;

    menu_run(const wchar_t* name, const wchar_t* pick) : work(temp_folder(name)), log_file(work + L"\\log.txt") {
        host = new host_process({L"--skin", source_file("skins/default/skin.lua"), L"--profile", work + L"\\profile",
                                 L"--log", log_file, L"--run-for", L"60000", L"--menu-pick", pick,
                                 source_file("skins/default/demo.m3u")},
                                work + L"\\stdout.txt");
    }
    ~menu_run() { delete host; }
    std::string log() const { return read_file(log_file); }

    // Closes through the skin's close button and checks a clean end.
    void close(HWND main_window) {
        post_left_click(main_window, kCloseButton.x, kCloseButton.y);
        ASSERT_TRUE(host->wait(60000)) << log();
        const std::string text = log();
        EXPECT_EQ(0u, host->exit_code()) << text;
        EXPECT_EQ(std::vector<std::string>(), lines_containing(text, "ERROR")) << text;
        EXPECT_NE(std::string::npos, text.find("host: all host references released")) << text;
    }
};

TEST(menus, menu_button_runs_the_picked_main_menu_command) {
    menu_run run(L"main_menu", L"Play");
    ASSERT_TRUE(run.host->started()) << run.host->start_error();
    const HWND main_window = run.host->wait_for_window(L"zin_window_debug", L"main", 30000);
    ASSERT_NE(nullptr, main_window) << run.log();
    post_left_click(main_window, kMenuButton.x, kMenuButton.y);
    EXPECT_TRUE(wait_for_text(run.log_file, "console: OnNewTrack", 20000)) << run.log();
    EXPECT_TRUE(wait_for_text(run.log_file, "menu closed after Play", 20000)) << run.log();
    const std::string log = run.log();
    EXPECT_NE(std::string::npos,
              log.find("msgbox: menu Play|Pause|Stop|Next|Previous|Preferences|Exit|About|About -> Play"))
        << log;
    EXPECT_NE(std::string::npos, log.find("host: menu command: Play")) << log;
    run.close(main_window);
}

TEST(menus, playlist_right_click_and_keys_reach_the_host) {
    menu_run run(L"context_menu", L"Utilities/Count & length");
    ASSERT_TRUE(run.host->started()) << run.host->start_error();
    const HWND playlist_window = run.host->wait_for_window(L"zin_window_debug", L"playlist", 30000);
    ASSERT_NE(nullptr, playlist_window) << run.log();
    const HWND main_window = run.host->wait_for_window(L"zin_window_debug", L"main", 10000);
    ASSERT_NE(nullptr, main_window) << run.log();
    // The right click selects the row and shows the context menu of the selection.
    const LPARAM at = MAKELPARAM(kPlaylistRow2.x, kPlaylistRow2.y);
    PostMessageW(playlist_window, WM_MOUSEMOVE, 0, at);
    PostMessageW(playlist_window, WM_RBUTTONDOWN, MK_RBUTTON, at);
    PostMessageW(playlist_window, WM_RBUTTONUP, 0, at);
    EXPECT_TRUE(wait_for_text(run.log_file, "context command: Count & length: 1 tracks", 20000)) << run.log();
    // What is posted next must not reach the menu's own loop: wait for its end.
    EXPECT_TRUE(wait_for_text(run.log_file, "menu closed after Utilities/Count & length", 20000)) << run.log();
    // 'X' is the host's play shortcut.
    PostMessageW(main_window, WM_KEYDOWN, 'X', 0);
    EXPECT_TRUE(wait_for_text(run.log_file, "console: OnNewTrack", 20000)) << run.log();
    // The main menu has no such item: it is dismissed and nothing runs.
    post_left_click(main_window, kMenuButton.x, kMenuButton.y);
    EXPECT_TRUE(wait_for_text(run.log_file, "menu closed after dismissed", 20000)) << run.log();
    const std::string log = run.log();
    // The context menu's labels got their mnemonics; the picked path crossed the submenu.
    EXPECT_NE(std::string::npos, log.find("msgbox: menu Show location|Remove from playlist|Utilities -> "
                                          "Utilities/Count & length"))
        << log;
    // The shortcut runs the host's play command.
    EXPECT_NE(std::string::npos, untimed(log).find("host: shortcut: type 0 key 0x58\nhost: menu command: Play")) << log;
    run.close(main_window);
}

}  // namespace
