// Docking in the reference host with the default skin, driven by system mouse input: dragging the
// main window takes the playlist window docked below it along, and a dragged window snaps to
// another's edge.

#include <support/files.h>
#include <support/host_process.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace test_support;

// Where skins/default/skin.lua puts its two windows.
constexpr RECT kMain = {400, 300, 700, 410};
constexpr RECT kPlaylist = {400, 410, 700, 600};
constexpr POINT kEmptySpot = {150, 66};  // below the display: a left press there drags
constexpr POINT kCloseButton = {274, 87};

RECT window_rect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

std::string text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " - " + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// Polls until the window's top-left corner is x, y.
bool wait_for_place(HWND w, int x, int y, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        const RECT r = window_rect(w);
        if (r.left == x && r.top == y) return true;
        if (GetTickCount() - start > timeout_ms) return false;
        Sleep(20);
    }
}

// Polls until the thread of the window is (or is no longer) in the system's move loop.
bool wait_for_move_loop(HWND w, bool inside, DWORD timeout_ms) {
    const DWORD thread = GetWindowThreadProcessId(w, nullptr);
    const DWORD start = GetTickCount();
    for (;;) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (GetGUIThreadInfo(thread, &info) && ((info.flags & GUI_INMOVESIZE) != 0) == inside) return true;
        if (GetTickCount() - start > timeout_ms) return false;
        Sleep(20);
    }
}

// System mouse input at a screen position (absolute coordinates over the primary screen).
void send_mouse(DWORD flags, POINT at) {
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = static_cast<LONG>((at.x * 65535LL + w / 2) / (w - 1));
    in.mi.dy = static_cast<LONG>((at.y * 65535LL + h / 2) / (h - 1));
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

// Waits until the window's thread has taken its pending messages (a message sent to it is answered
// only from its message retrieval).
void let_window_thread_run(HWND w) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
}

// The skin's tray icon reaches the shell while the skin loads. Wine on a display without a
// notification area then puts up a window of its own for the icons, and a drag that is under way
// when it appears never becomes a move: wait for it first (briefly: a desktop with a notification
// area shows no such window).
void wait_for_tray_window() {
    const DWORD start = GetTickCount();
    for (;;) {
        const HWND tray = FindWindowW(nullptr, L"Wine System Tray");
        if ((tray && IsWindowVisible(tray)) || GetTickCount() - start > 3000) break;
        Sleep(20);
    }
    Sleep(100);
}

// Drags with the left button from one screen point to another in a few steps; the cursor's real
// start and end (the system may round absolute coordinates) are handed back. The window's thread
// takes each step before the next: the system's move loop ends at the last position it has seen.
::testing::AssertionResult drag(HWND w, POINT from, POINT to, POINT& real_from, POINT& real_to) {
    send_mouse(0, from);
    let_window_thread_run(w);
    GetCursorPos(&real_from);
    send_mouse(MOUSEEVENTF_LEFTDOWN, from);
    if (!wait_for_move_loop(w, true, 10000)) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info);
        return ::testing::AssertionFailure() << "no move loop (foreground " << (GetForegroundWindow() == w)
                                             << ", active " << (info.hwndActive == w) << ", capture "
                                             << (info.hwndCapture == w) << ")";
    }
    const int steps = 4;
    for (int i = 1; i <= steps; ++i) {
        send_mouse(0, POINT{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        let_window_thread_run(w);
    }
    GetCursorPos(&real_to);
    send_mouse(MOUSEEVENTF_LEFTUP, to);
    if (!wait_for_move_loop(w, false, 10000)) return ::testing::AssertionFailure() << "move loop never ended";
    return ::testing::AssertionSuccess();
}

TEST(docking, dragging_the_main_window_moves_the_docked_window_and_a_dragged_window_snaps) {
    const std::wstring work = temp_folder(L"docking");
    const std::wstring log_file = work + L"\\log.txt";
    host_process host({L"--skin", source_file("skins/default/skin.lua"), L"--profile", work + L"\\profile",
                       L"--log", log_file, L"--run-for", L"60000"},
                      work + L"\\stdout.txt");
    ASSERT_TRUE(host.started()) << host.start_error();
    const HWND main = host.wait_for_window(L"zin_window_debug", L"main", 30000);
    const HWND playlist = host.wait_for_window(L"zin_window_debug", L"playlist", 30000);
    ASSERT_NE(nullptr, main) << read_file(log_file);
    ASSERT_NE(nullptr, playlist) << read_file(log_file);
    ASSERT_TRUE(wait_for_place(playlist, kPlaylist.left, kPlaylist.top, 10000)) << text(window_rect(playlist));

    wait_for_tray_window();

    // 1. The main window dragged by 60, 50: the playlist window stays docked below it.
    POINT from, to;
    ASSERT_TRUE(drag(main, {kMain.left + kEmptySpot.x, kMain.top + kEmptySpot.y},
                     {kMain.left + kEmptySpot.x + 60, kMain.top + kEmptySpot.y + 50}, from, to));
    const int dx = to.x - from.x, dy = to.y - from.y;
    EXPECT_TRUE(wait_for_place(main, kMain.left + dx, kMain.top + dy, 10000)) << text(window_rect(main));
    EXPECT_TRUE(wait_for_place(playlist, kMain.left + dx, kMain.bottom + dy, 10000))
        << text(window_rect(playlist));

    // 2. The playlist window (registered later, so it moves alone) dragged to 6 pixels right of the
    //    main window's right edge: it snaps flush to it.
    const RECT m = window_rect(main);
    const RECT p = window_rect(playlist);
    const POINT grip{p.left + 2, p.top + 100};  // the frame around the playlist view
    ASSERT_TRUE(drag(playlist, grip, {grip.x + (m.right + 6 - p.left), grip.y - 80}, from, to));
    const int py = p.top + (to.y - from.y);
    EXPECT_TRUE(wait_for_place(playlist, m.right, py, 10000)) << text(window_rect(playlist));
    EXPECT_EQ(m.left, window_rect(main).left);

    // 3. Docked on the right now: the main window takes it along again.
    const RECT m2 = window_rect(main);
    ASSERT_TRUE(drag(main, {m2.left + kEmptySpot.x, m2.top + kEmptySpot.y}, {m2.left + kEmptySpot.x - 40, m2.top + kEmptySpot.y + 30},
                     from, to));
    EXPECT_TRUE(wait_for_place(main, m2.left + (to.x - from.x), m2.top + (to.y - from.y), 10000));
    EXPECT_TRUE(wait_for_place(playlist, window_rect(main).right, py + (to.y - from.y), 10000))
        << text(window_rect(playlist));

    post_left_click(main, kCloseButton.x, kCloseButton.y);  // the skin quits the host
    EXPECT_TRUE(host.wait(30000));
    const std::string log = read_file(log_file);
    EXPECT_EQ(std::vector<std::string>(), lines_containing(log, "ERROR")) << log;
}

}  // namespace
