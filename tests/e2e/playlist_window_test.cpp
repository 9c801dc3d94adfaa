// The default skin's playlist window on the real screen: it shows the demo playlist's rows, a click
// selects a row and a double click plays it.

#include <support/files.h>
#include <support/host_process.h>
#include <support/png_read.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace test_support;

// Where skins/default/skin.lua puts the playlist window and its view (window coordinates).
constexpr int kLeft = 400, kTop = 410;
constexpr RECT kView = {6, 6, 294, 184};
constexpr std::uint32_t kText = rgb(150, 235, 160);
constexpr std::uint32_t kSelected = rgb(40, 80, 56);
constexpr int kTolerance = 40;
// A row of the demo list lies within 13 to 17 pixels; these points fall into rows 1 and 2 for
// every height in that range.
constexpr int kRow1Y = kView.top + 22;
constexpr int kRow2Y = kView.top + 37;

// Text-coloured pixels of a band of the view on the screen.
int lit_pixels(int top, int bottom) {
    std::vector<std::uint32_t> pixels;
    const int width = kView.right - kView.left;
    if (!screen_pixels(kLeft + kView.left, kTop + top, width, bottom - top, pixels)) return -1;
    int n = 0;
    for (std::uint32_t p : pixels) n += close_to(p, kText, kTolerance);
    return n;
}

template <class Done>
bool poll(Done done) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 20000) return false;
        Sleep(100);
    }
    return true;
}

TEST(playlist_window, shows_the_playlist_selects_and_plays_a_row) {
    const std::wstring work = temp_folder(L"playlist_window");
    const std::wstring log_file = work + L"\\log.txt";
    host_process host({L"--skin", source_file("skins/default/skin.lua"), L"--profile", work + L"\\profile", L"--log",
                       log_file, L"--run-for", L"60000", source_file("skins/default/demo.m3u")},
                      work + L"\\stdout.txt");
    ASSERT_TRUE(host.started()) << host.start_error();
    const HWND window = host.wait_for_window(L"zin_window_debug", L"playlist", 30000);
    ASSERT_NE(nullptr, window) << read_file(log_file);

    // Four rows of text at the top, nothing below them.
    EXPECT_TRUE(poll([] { return lit_pixels(kView.top, kView.top + 60) > 200; }))
        << "no rows on screen\n" << read_file(log_file);
    EXPECT_EQ(0, lit_pixels(kView.top + 90, kView.bottom));

    // A click selects the row: its background takes the selection colour.
    post_left_click(window, 150, kRow1Y);
    EXPECT_TRUE(wait_for_screen_colour(kLeft + 290, kTop + kRow1Y, kSelected, 8, 20000));

    // A double click plays the row.
    const LPARAM at = MAKELPARAM(150, kRow2Y);
    PostMessageW(window, WM_MOUSEMOVE, 0, at);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
    PostMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(wait_for_text(log_file, "host: playback: track 3", 20000)) << read_file(log_file);

    // The main window's close button quits.
    const HWND main_window = host.wait_for_window(L"zin_window_debug", L"main", 10000);
    ASSERT_NE(nullptr, main_window);
    post_left_click(main_window, 274, 87);
    ASSERT_TRUE(host.wait(60000)) << read_file(log_file);
    const std::string log = read_file(log_file);
    EXPECT_EQ(std::vector<std::string>(), lines_containing(log, "ERROR")) << log;
    EXPECT_NE(std::string::npos, log.find("host: all host references released")) << log;
}

}  // namespace
