// The preferences page inside the reference host: opened by --show-prefs in the host's own window,
// its values edited from outside as a user would, the colour dialog answered by the host's
// automation, the screen photographed with the page on it, and the edits back at the next run.

#include <support/files.h>
#include <support/host_process.h>
#include <support/png_read.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace test_support;

// Its window stands clear of the preferences window (at 40, 40).
const char kSkin[] =
    "w = window.new('main', 700, 100, rect.new(0, 0, 100, 60))\n"
    "local clock = config.load(true, 'Show the clock')\n"
    "local face = config.load('Arial', 'Title font name')\n"
    "print('clock ' .. tostring(clock))\n"
    "print('face ' .. face)\n"
    "config.save(clock, 'Show the clock')\n"
    "config.save(face, 'Title font name', true, {'Arial Black', 'Arial', 'Tahoma'})\n"
    "config.save(config.load(color.new(255, 0, 0), 'Background colour'), 'Background colour')\n"
    "config.save(config.load(4, 'Volume step'), 'Volume step')\n";

HWND child(HWND parent, const wchar_t* class_name, const wchar_t* text) {
    return FindWindowExW(parent, nullptr, class_name, text);
}

POINT centre(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

TEST(preferences, edits_made_on_the_page_survive_a_restart) {
    const std::wstring work = temp_folder(L"preferences");
    const std::wstring skin = work + L"\\skin.lua";
    const std::wstring log_file = work + L"\\first.txt";
    const std::wstring shot = work + L"\\page.png";
    ASSERT_TRUE(write_file(skin, kSkin));

    host_process host({L"--skin", skin, L"--profile", work + L"\\profile", L"--log", log_file, L"--show-prefs",
                       L"--answer", L"ok", L"--screenshot", shot, L"--run-for", L"60000"},
                      work + L"\\stdout1.txt");
    ASSERT_TRUE(host.started()) << host.start_error();
    const HWND prefs = host.wait_for_window(L"trovaplay_preferences", L"Preferences", 30000);
    ASSERT_NE(nullptr, prefs) << read_file(log_file);
    const HWND page = child(prefs, L"#32770", nullptr);
    ASSERT_NE(nullptr, page);
    for (const wchar_t* name : {L"Reload", L"Reset Config", L"Load Skin"})
        EXPECT_NE(nullptr, child(page, L"Button", name)) << narrow(name);

    // 1. The check box starts checked; the user clears it.
    const HWND clock = child(page, L"Button", L"Show the clock");
    ASSERT_NE(nullptr, clock);
    EXPECT_EQ(BST_CHECKED, SendMessageW(clock, BM_GETCHECK, 0, 0));
    SendMessageW(clock, BM_SETCHECK, BST_UNCHECKED, 0);
    // 2. The swatch shows the colour; the colour dialog is answered OK by the host's automation.
    const HWND swatch = child(page, L"Static", L"");
    ASSERT_NE(nullptr, swatch);
    const POINT spot = centre(swatch);
    EXPECT_TRUE(wait_for_screen_colour(spot.x, spot.y, 0xFF0000, 8, 10000));
    const HWND colour = child(page, L"Button", L"Background colour");
    ASSERT_NE(nullptr, colour);
    PostMessageW(colour, BM_CLICK, 0, 0);
    EXPECT_TRUE(wait_for_text(log_file, "-> ok\n", 20000)) << read_file(log_file);
    EXPECT_TRUE(wait_for_screen_colour(spot.x, spot.y, 0xFF0000, 8, 10000));
    // 3. A new text in the drop-down list.
    const HWND face = child(page, L"ComboBox", nullptr);
    ASSERT_NE(nullptr, face);
    SendMessageW(face, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Tahoma"));
    // 4. The user quits with the page open: it is closed (and saves) before the interface stops.
    const HWND host_window = FindWindowW(L"trovaplay_host", L"trovaplay");
    ASSERT_NE(nullptr, host_window);
    PostMessageW(host_window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(host.wait(30000)) << read_file(log_file);
    const std::string log = read_file(log_file);
    EXPECT_EQ(0u, host.exit_code()) << log;
    EXPECT_EQ(std::vector<std::string>(), lines_containing(log, "ERROR")) << log;
    EXPECT_LT(log.find("host: preferences closed"), log.find("host: user interface stopped")) << log;

    // The screenshot shows the page with its swatch.
    png_image image;
    ASSERT_EQ("", decode_png(read_bytes(shot), image));
    EXPECT_TRUE(close_to(image.pixel(spot.x, spot.y), 0xFF0000, 8));

    // 5. The next run hands the script the edited values.
    const run_result second = run_host({L"--run-for", L"1500"}, work);
    EXPECT_EQ(0u, second.exit_code) << second.log;
    EXPECT_TRUE(has(second.log, "console: clock false\n")) << second.log;
    EXPECT_TRUE(has(second.log, "console: face Tahoma\n")) << second.log;
}

// Polls for a preferences window other than the one given (the page closed and reopened it).
HWND wait_for_other_window(const host_process& host, HWND old_window) {
    for (int i = 0; i < 300; ++i) {
        const HWND window = host.wait_for_window(L"trovaplay_preferences", L"Preferences", 100);
        if (window && window != old_window && !IsWindow(old_window)) return window;
        Sleep(50);
    }
    return nullptr;
}

TEST(preferences, reset_config_reopens_the_preferences_with_the_skins_defaults) {
    const std::wstring work = temp_folder(L"preferences_reset");
    const std::wstring skin = work + L"\\skin.lua";
    const std::wstring log_file = work + L"\\log.txt";
    ASSERT_TRUE(write_file(skin, kSkin));
    host_process host({L"--skin", skin, L"--profile", work + L"\\profile", L"--log", log_file, L"--show-prefs",
                       L"--run-for", L"60000"},
                      work + L"\\stdout.txt");
    ASSERT_TRUE(host.started()) << host.start_error();
    const HWND first = host.wait_for_window(L"trovaplay_preferences", L"Preferences", 30000);
    ASSERT_NE(nullptr, first) << read_file(log_file);
    const HWND page = child(first, L"#32770", nullptr);
    SendMessageW(child(page, L"Button", L"Show the clock"), BM_SETCHECK, BST_UNCHECKED, 0);
    PostMessageW(child(page, L"Button", L"Reset Config"), BM_CLICK, 0, 0);
    // The page closes the host's preferences and runs its main-menu command to open them again.
    const HWND second = wait_for_other_window(host, first);
    ASSERT_NE(nullptr, second) << read_file(log_file);
    const HWND clock = child(child(second, L"#32770", nullptr), L"Button", L"Show the clock");
    ASSERT_NE(nullptr, clock);
    EXPECT_EQ(BST_CHECKED, SendMessageW(clock, BM_GETCHECK, 0, 0));
    PostMessageW(FindWindowW(L"trovaplay_host", L"trovaplay"), WM_CLOSE, 0, 0);
    ASSERT_TRUE(host.wait(30000)) << read_file(log_file);
    const std::string log = read_file(log_file);
    EXPECT_EQ(0u, host.exit_code()) << log;
    EXPECT_EQ(std::vector<std::string>(), lines_containing(log, "ERROR")) << log;
    EXPECT_TRUE(has(log, "host: menu command: Preferences\n")) << log;
    EXPECT_EQ(2u, lines_containing(log, "host: preferences opened").size()) << log;
}

}  // namespace
