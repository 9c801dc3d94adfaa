// The default skin's tray icon in the reference host: the shell's mouse reports of the icon (posted
// here to the host's hidden windows, as the shell posts them) reach the script, which drives the
// player.

#include <support/files.h>
#include <support/host_process.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace test_support;

constexpr POINT kCloseButton = {274, 87};  // the default skin's close button (window coordinates)
constexpr UINT kFirstTrayMessage = 0x801B;  // the callback message of the first tray icon

// Posts a mouse report of the first tray icon to every message-only window of the thread: the
// engine's hidden main window is one of them.
int post_tray_report(DWORD thread, UINT mouse) {
    int posted = 0;
    for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) {
        if (GetWindowThreadProcessId(w, nullptr) != thread) continue;
        PostMessageW(w, kFirstTrayMessage, 0, static_cast<LPARAM>(mouse));
        ++posted;
    }
    return posted;
}

TEST(tray, left_and_right_clicks_on_the_icon_play_and_stop) {
    const std::wstring work = temp_folder(L"tray");
    const std::wstring log_file = work + L"\\log.txt";
    auto log = [&] { return read_file(log_file); };
    host_process host({L"--skin", source_file("skins/default/skin.lua"), L"--profile", work + L"\\profile",
                       L"--log", log_file, L"--debug-log", L"--run-for", L"45000", source_file("skins/default/demo.m3u")},
                      work + L"\\stdout.txt");
    ASSERT_TRUE(host.started()) << host.start_error();
    const HWND window = host.wait_for_window(L"zin_window_debug", L"main", 30000);
    ASSERT_NE(nullptr, window) << log();
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);

    // Left press: play or pause, which starts the first track.
    ASSERT_GT(post_tray_report(thread, WM_LBUTTONDOWN), 0);
    EXPECT_TRUE(wait_for_text(log_file, "console: OnNewTrack", 20000)) << log();
    // Right press: stop.
    post_tray_report(thread, WM_RBUTTONDOWN);
    EXPECT_TRUE(wait_for_text(log_file, "console: OnStop", 20000)) << log();

    post_left_click(window, kCloseButton.x, kCloseButton.y);
    ASSERT_TRUE(host.wait(30000)) << "the close button did not end the host\n" << log();
    const std::string text = log();
    EXPECT_EQ(0u, host.exit_code()) << text;
    EXPECT_EQ(std::vector<std::string>(), lines_containing(text, "ERROR")) << text;
    EXPECT_EQ(std::vector<std::string>(), lines_containing(text, "WARNING")) << text;
    EXPECT_EQ(std::vector<std::string>(), lines_containing(text, "ASSERT")) << text;  // the icon loaded
    EXPECT_TRUE(has(text, "host: all host references released")) << text;
    const size_t play = text.find("calling trova::pause()");
    EXPECT_NE(std::string::npos, play) << text;
    EXPECT_NE(std::string::npos, text.find("calling trova::stop()", play)) << text;
}

}  // namespace
