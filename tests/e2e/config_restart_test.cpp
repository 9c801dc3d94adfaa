// Settings that outlive the host: the reference host is run twice with the same profile folder. The
// second run is given no skin: it must open the one of the first run without asking, put its window
// back where the user left it, and hand the script the values it saved.

#include <support/files.h>
#include <support/host_process.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace test_support;

constexpr POINT kCloseButton = {274, 87};  // the default skin's close button (window coordinates)

struct run_files {
    std::wstring log_file;
    explicit run_files(const std::wstring& work, const wchar_t* name) : log_file(work + L"\\" + name) {}
    std::string log() const { return read_file(log_file); }
};

void expect_clean(const host_process& host, const std::string& log) {
    EXPECT_EQ(0u, host.exit_code()) << log;
    EXPECT_EQ(std::vector<std::string>(), lines_containing(log, "ERROR")) << log;
    EXPECT_EQ(std::vector<std::string>(), lines_containing(log, "WARNING")) << log;
    EXPECT_TRUE(has(log, "host: all host references released")) << log;
}

RECT window_rect(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

// Polls until the window stands at left, top (a move from another process arrives a moment later).
bool wait_for_position(HWND window, int left, int top) {
    for (int i = 0; i < 200; ++i) {
        const RECT r = window_rect(window);
        if (r.left == left && r.top == top) return true;
        Sleep(50);
    }
    return false;
}

TEST(config_restart, the_second_run_opens_the_same_skin_where_its_window_was_left) {
    const std::wstring work = temp_folder(L"restart");
    const std::wstring profile = work + L"\\profile";
    const std::wstring skin = source_file("skins/default/skin.lua");

    // 1. First run: the skin is chosen in the open-file dialog; the user moves the window and quits.
    const run_files first(work, L"first.txt");
    {
        host_process host({L"--skin", skin, L"--profile", profile, L"--log", first.log_file,
                           L"--run-for", L"45000"},
                          work + L"\\stdout1.txt");
        ASSERT_TRUE(host.started()) << host.start_error();
        const HWND window = host.wait_for_window(L"zin_window_debug", L"main", 30000);
        ASSERT_NE(nullptr, window) << first.log();
        SetWindowPos(window, nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(wait_for_position(window, 150, 120)) << first.log();
        post_left_click(window, kCloseButton.x, kCloseButton.y);
        ASSERT_TRUE(host.wait(30000)) << "the close button did not end the host\n" << first.log();
        const std::string log = first.log();
        expect_clean(host, log);
        EXPECT_EQ(1u, lines_containing(log, "open-file dialog -> ").size()) << log;
    }
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((profile + L"\\tro_ui_zin.cfg").c_str()));

    // 2. Second run without --skin: no dialog, the same skin, the window where it was left.
    const run_files second(work, L"second.txt");
    host_process host({L"--profile", profile, L"--log", second.log_file, L"--run-for", L"45000"},
                      work + L"\\stdout2.txt");
    ASSERT_TRUE(host.started()) << host.start_error();
    const HWND window = host.wait_for_window(L"zin_window_debug", L"main", 30000);
    ASSERT_NE(nullptr, window) << second.log();
    const RECT r = window_rect(window);
    EXPECT_EQ(150, r.left);
    EXPECT_EQ(120, r.top);
    EXPECT_EQ(300, r.right - r.left);
    post_left_click(window, kCloseButton.x, kCloseButton.y);
    ASSERT_TRUE(host.wait(30000)) << "the close button did not end the host\n" << second.log();
    const std::string log = second.log();
    expect_clean(host, log);
    EXPECT_EQ(std::vector<std::string>(), lines_containing(log, "open-file dialog")) << log;
}

// A skin of its own: it counts its runs, keeps a text it saves while it unloads, and reopens its
// window through config.load_windows.
const char kValueSkin[] =
    "w = window.new('keeper', 40, 30, rect.new(420, 330, 520, 400))\n"
    "local runs = config.load(0, 'runs') + 1\n"
    "print('runs ' .. runs)\n"
    "print('note ' .. config.load('none', 'note'))\n"
    "config.save(runs, 'runs')\n"
    "set_global_callback('OnUnload', function() config.save('left at unload \\233', 'note') end)\n"
    "if config.load_windows() then print('windows restored') else w:create() end\n";

TEST(config_restart, values_saved_by_the_script_come_back_at_the_next_run) {
    const std::wstring work = temp_folder(L"restart_values");
    const std::wstring skin = work + L"\\keeper.lua";
    ASSERT_TRUE(write_file(skin, kValueSkin));

    const run_result first = run_host({L"--skin", skin, L"--run-for", L"1500"}, work);
    EXPECT_EQ(0u, first.exit_code) << first.log;
    EXPECT_TRUE(has(first.log, "console: runs 1\n")) << first.log;
    EXPECT_TRUE(has(first.log, "console: note none\n")) << first.log;
    EXPECT_FALSE(has(first.log, "console: windows restored")) << first.log;
    EXPECT_EQ(std::vector<std::string>(), lines_containing(first.log, "ERROR")) << first.log;

    const run_result second = run_host({L"--run-for", L"1500"}, work);
    EXPECT_EQ(0u, second.exit_code) << second.log;
    EXPECT_TRUE(has(second.log, "console: runs 2\n")) << second.log;
    // The script's text is in the system code page; the console shows it in UTF-8.
    EXPECT_TRUE(has(second.log, "console: note left at unload \xC3\xA9\n")) << second.log;
    EXPECT_TRUE(has(second.log, "console: windows restored\n")) << second.log;
    EXPECT_EQ(std::vector<std::string>(), lines_containing(second.log, "open-file dialog")) << second.log;
    EXPECT_EQ(std::vector<std::string>(), lines_containing(second.log, "ERROR")) << second.log;
}

}  // namespace
