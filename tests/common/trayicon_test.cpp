// CTrayIcon on a window of the test: ids and their messages, removal and reuse of ids, dispatch of
// the icons' mouse reports, what reaches the shell, the taskbar's restart, and what reaches the
// window's old procedure.
#include <trayicon.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<UINT>& old_proc_messages() {
    static std::vector<UINT> messages;
    return messages;
}

LRESULT CALLBACK recording_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    old_proc_messages().push_back(msg);
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

std::vector<std::string>& clicks() {
    static std::vector<std::string> log;
    return log;
}
void left_a() { clicks().push_back("left a"); }
void left_c() { clicks().push_back("left c"); }
void right_c() { clicks().push_back("right c"); }
void middle_c() { clicks().push_back("middle c"); }
void double_c() { clicks().push_back("double c"); }

HICON make_icon() {
    BYTE and_mask[32 * 4];
    BYTE xor_mask[32 * 4];
    memset(and_mask, 0xFF, sizeof and_mask);
    memset(xor_mask, 0, sizeof xor_mask);
    return CreateIcon(GetModuleHandleW(nullptr), 32, 32, 1, 1, and_mask, xor_mask);
}

class TrayIcon : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &recording_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"tray_test_window";
        RegisterClassW(&wc);
        window = CreateWindowW(L"tray_test_window", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        old_proc_messages().clear();
        clicks().clear();
    }
    void TearDown() override { DestroyWindow(window); }

    LRESULT send(UINT msg, LPARAM lparam) { return SendMessageW(window, msg, 0, lparam); }
    bool reached_old_proc(UINT msg) const {
        for (UINT m : old_proc_messages())
            if (m == msg) return true;
        return false;
    }

    HWND window = nullptr;
};

TEST_F(TrayIcon, IdsAndMessagesFollowTheOrderOfAddingAndFreedIdsComeBack) {
    CTrayIcon tray(window);
    EXPECT_EQ(tray.getWindow(), window);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(tray.add(nullptr, nullptr), i);
        EXPECT_EQ(tray.getId(i), i);
        EXPECT_EQ(tray.mEntries[i].mData.uCallbackMessage, 0x801B + i);
        EXPECT_EQ(tray.mEntries[i].mData.cbSize, 152u);
        EXPECT_EQ(tray.mEntries[i].mData.uFlags, static_cast<UINT>(NIF_MESSAGE));
    }
    // The last one removed: its id is the next icon's.
    tray.remove(2);
    EXPECT_EQ(tray.add(nullptr, nullptr), 2u);
    EXPECT_EQ(tray.getId(2), 2u);
    // The first one removed: the others keep their ids; the next icon takes id 0 at the end.
    tray.remove(0);
    EXPECT_EQ(tray.getCount(), 2u);
    EXPECT_EQ(tray.getId(0), 1u);
    EXPECT_EQ(tray.getId(1), 2u);
    EXPECT_EQ(tray.add(nullptr, nullptr), 2u);
    EXPECT_EQ(tray.getId(2), 0u);
    EXPECT_EQ(tray.mEntries[2].mData.uCallbackMessage, 0x801Bu);
    EXPECT_EQ(tray.findId(2), 1u);
    EXPECT_EQ(tray.findId(7), UINT32_MAX);
    // Then ids go on past the highest given out.
    EXPECT_EQ(tray.add(nullptr, nullptr), 3u);
    EXPECT_EQ(tray.getId(3), 3u);
}

TEST_F(TrayIcon, TipIsCutTo63CharactersAndIconSetsItsFlag) {
    CTrayIcon tray(window);
    const std::wstring tip(100, L'x');
    HICON icon = make_icon();
    ASSERT_NE(icon, nullptr);
    tray.add(icon, tip.c_str());
    const NOTIFYICONDATAW& data = tray.mEntries[0].mData;
    EXPECT_EQ(std::wstring(data.szTip), std::wstring(63, L'x'));
    EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_TIP | NIF_ICON));
    EXPECT_EQ(data.hIcon, icon);
    tray.setIcon(nullptr, 0);
    EXPECT_EQ(tray.mEntries[0].mData.uFlags & NIF_ICON, 0u);
}

// A stand-in for the shell's notification area, while it lives: wine's Shell_NotifyIconW sends its
// record to the first top-level window of the class "Shell_TrayWnd" (WM_COPYDATA: the icon's window
// in wParam, the NIM_ message in dwData), which is then this one and not that of wine's desktop.
class fake_shell {
public:
    fake_shell() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Shell_TrayWnd";
        RegisterClassW(&wc);
        calls().clear();
        window = CreateWindowExW(WS_EX_TOPMOST, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    }
    ~fake_shell() { DestroyWindow(window); }
    // What reached it: {NIM_ADD / NIM_MODIFY / NIM_DELETE, the icon's window}, in order.
    static std::vector<std::pair<DWORD, HWND>>& calls() {
        static std::vector<std::pair<DWORD, HWND>> log;
        return log;
    }
    HWND window;

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
        if (msg != WM_COPYDATA) return DefWindowProcW(hwnd, msg, wparam, lparam);
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
        calls().emplace_back(static_cast<DWORD>(data->dwData), reinterpret_cast<HWND>(wparam));
        return TRUE;
    }
};

TEST_F(TrayIcon, EachIconReachesTheShellWhenItIsAddedAndItsRemovalToo) {
    fake_shell shell;
    ASSERT_EQ(FindWindowW(L"Shell_TrayWnd", nullptr), shell.window);
    using calls = std::vector<std::pair<DWORD, HWND>>;
    CTrayIcon tray(window);
    EXPECT_EQ(tray.mhRestartListener, nullptr);  // no icon, no listener
    tray.add(nullptr, nullptr);
    EXPECT_EQ(fake_shell::calls(), (calls{{NIM_ADD, window}}));
    EXPECT_NE(tray.mhRestartListener, nullptr);  // a message-only window's first icon makes it
    tray.add(nullptr, L"second");
    tray.remove(0);
    EXPECT_EQ(fake_shell::calls(), (calls{{NIM_ADD, window}, {NIM_ADD, window}, {NIM_DELETE, window}}));
}

TEST_F(TrayIcon, RemovingAnIconDestroysItsHandle) {
    CTrayIcon tray(window);
    HICON icon = make_icon();
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    tray.add(icon, nullptr);
    tray.remove(0);
    EXPECT_FALSE(GetIconInfo(icon, &info));
}

TEST_F(TrayIcon, MouseReportsReachTheIconThatWasClickedAfterARemoval) {
    CTrayIcon tray(window);
    tray.add(nullptr, nullptr);  // id 0
    tray.add(nullptr, nullptr);  // id 1
    tray.add(nullptr, nullptr);  // id 2
    tray.mEntries[0].mpOnLeftDown = &left_a;
    TrayIconEntry& c = tray.mEntries[2];
    c.mpOnLeftDown = &left_c;
    c.mpOnRightDown = &right_c;
    c.mpOnMiddleDown = &middle_c;
    c.mpOnLeftDouble = &double_c;
    tray.remove(1);
    // Icon c still has id 2 and message 0x801D.
    EXPECT_EQ(send(0x801D, WM_LBUTTONDOWN), 0);
    send(0x801D, WM_RBUTTONDOWN);
    send(0x801D, WM_MBUTTONDOWN);
    send(0x801D, WM_LBUTTONDBLCLK);
    send(0x801D, WM_LBUTTONUP);   // no callback for a release
    send(0x801C, WM_LBUTTONDOWN);  // the removed icon: nothing
    send(0x801B, WM_LBUTTONDOWN);
    EXPECT_EQ(clicks(), (std::vector<std::string>{"left c", "right c", "middle c", "double c", "left a"}));
    // None of them reached the old procedure.
    for (UINT m : {0x801Bu, 0x801Cu, 0x801Du}) EXPECT_FALSE(reached_old_proc(m)) << m;
}

TEST_F(TrayIcon, OnlyItsOwnMessagesAreKeptFromTheOldProcedure) {
    CTrayIcon tray(window);
    tray.add(nullptr, nullptr);
    ASSERT_NE(CTrayIcon::sTaskbarCreatedMsg, 0u);
    EXPECT_EQ(send(CTrayIcon::sTaskbarCreatedMsg, 0), 0);
    EXPECT_FALSE(reached_old_proc(CTrayIcon::sTaskbarCreatedMsg));
    // WM_COMMAND without a handler, a message below the range and a registered message above it.
    const UINT other = RegisterWindowMessageW(L"tray_test_other");
    send(WM_COMMAND, 0);
    send(WM_APP + 0x18, 0);
    send(other, 0);
    EXPECT_TRUE(reached_old_proc(WM_COMMAND));
    EXPECT_TRUE(reached_old_proc(WM_APP + 0x18));
    EXPECT_TRUE(reached_old_proc(other));
}

TEST_F(TrayIcon, CommandHandlerTakesWhatItAnswersTrueFor) {
    CTrayIcon tray(window);
    tray.mpCommandHandler = [](uint16_t id) { return id == 7; };
    SendMessageW(window, WM_COMMAND, 7, 0);
    EXPECT_FALSE(reached_old_proc(WM_COMMAND));
    SendMessageW(window, WM_COMMAND, 8, 0);
    EXPECT_TRUE(reached_old_proc(WM_COMMAND));
}

// A procedure put on top of the manager's, as the engine does; it records what reaches the window.
std::vector<UINT>& above_messages() {
    static std::vector<UINT> messages;
    return messages;
}
LRESULT CALLBACK above_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    above_messages().push_back(msg);
    return CallWindowProcW(&CTrayIcon::windowProc, hwnd, msg, wparam, lparam);
}

TEST_F(TrayIcon, TheTaskbarsRestartBroadcastReachesAMessageOnlyWindow) {
    HWND listener = nullptr;
    {
        CTrayIcon tray(window);
        tray.add(nullptr, nullptr);
        listener = tray.mhRestartListener;
        ASSERT_NE(listener, nullptr);
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&above_proc));
        above_messages().clear();
        // The shell broadcasts to top-level windows only.
        DWORD_PTR result = 0;
        SendMessageTimeoutW(HWND_BROADCAST, CTrayIcon::sTaskbarCreatedMsg, 0, 0, SMTO_NORMAL, 5000, &result);
        EXPECT_EQ(std::count(above_messages().begin(), above_messages().end(), CTrayIcon::sTaskbarCreatedMsg), 1);
        EXPECT_FALSE(reached_old_proc(CTrayIcon::sTaskbarCreatedMsg));
    }
    EXPECT_FALSE(IsWindow(listener));
}

TEST_F(TrayIcon, DestructionGivesTheWindowItsProcedureBack) {
    {
        CTrayIcon tray(window);
        EXPECT_EQ(CTrayIcon::spInstance, &tray);
        EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)),
                  &CTrayIcon::windowProc);
        tray.add(make_icon(), L"tip");
    }
    EXPECT_EQ(CTrayIcon::spInstance, nullptr);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)), &recording_proc);
    // The restart message now goes where it went before.
    send(CTrayIcon::sTaskbarCreatedMsg, 0);
    EXPECT_TRUE(reached_old_proc(CTrayIcon::sTaskbarCreatedMsg));
}

}  // namespace
