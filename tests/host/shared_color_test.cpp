// shared.dll's colour dialog: the colour is written only when the user confirms, the custom colours
// are the caller's own array, and the host's automation answers the dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <automation.h>
#include <log.h>

#include <support/files.h>

#include <trovaplay/shared/shared.h>

namespace {

// The full dialog's red, green and blue boxes.
const int kRed = 706, kGreen = 707, kBlue = 708;

// What the timer does to the colour dialog once it stands: the colour typed in, then a button.
struct dialog_script {
    const wchar_t* red;
    const wchar_t* green;
    const wchar_t* blue;
    int button;
    bool done;
};
dialog_script g_script;

BOOL CALLBACK find_dialog(HWND wnd, LPARAM out) {
    wchar_t name[16] = {};
    GetClassNameW(wnd, name, 16);
    if (wcscmp(name, L"#32770") != 0 || !IsWindowVisible(wnd)) return TRUE;
    *reinterpret_cast<HWND*>(out) = wnd;
    return FALSE;
}

void CALLBACK drive_dialog(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &find_dialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog || g_script.done) return;
    g_script.done = true;
    KillTimer(nullptr, id);
    SetDlgItemTextW(dialog, kRed, g_script.red);
    SetDlgItemTextW(dialog, kGreen, g_script.green);
    SetDlgItemTextW(dialog, kBlue, g_script.blue);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(g_script.button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, g_script.button)));
}

BOOL choose(DWORD* colour, DWORD* custom, int button) {
    g_script = {L"16", L"32", L"48", button, false};
    SetTimer(nullptr, 0, 50, &drive_dialog);
    return uChooseColor(colour, nullptr, custom);
}

TEST(shared_color, TheColourIsWrittenOnlyWhenConfirmed) {
    DWORD custom[16] = {};
    custom[3] = 0x00ABCDEF;
    DWORD colour = 0x00010203;
    EXPECT_FALSE(choose(&colour, custom, IDCANCEL));
    EXPECT_EQ(colour, 0x00010203u);
    EXPECT_TRUE(choose(&colour, custom, IDOK));
    EXPECT_EQ(colour, 0x00302010u);  // 0x00BBGGRR
    EXPECT_EQ(custom[3], 0x00ABCDEFu);
    EXPECT_FALSE(uChooseColor(nullptr, nullptr, custom));
}

TEST(shared_color, TheHostsAutomationAnswersTheDialog) {
    const std::wstring log_file = test_support::temp_folder(L"shared_color") + L"\\log.txt";
    ASSERT_TRUE(host::log_open(log_file));
    DWORD custom[16] = {};
    DWORD colour = 0x00445566;
    {
        host::automation a(L"", L"cancel");
        ASSERT_TRUE(a.start());
        EXPECT_FALSE(uChooseColor(&colour, nullptr, custom));
    }
    {
        host::automation a(L"", L"ok");
        ASSERT_TRUE(a.start());
        EXPECT_TRUE(uChooseColor(&colour, nullptr, custom));
    }
    EXPECT_EQ(colour, 0x00445566u);
    host::log_close();
    const std::string log = test_support::read_file(log_file);
    EXPECT_TRUE(test_support::has(log, "-> cancel\n")) << log;
    EXPECT_TRUE(test_support::has(log, "-> ok\n")) << log;
}

}  // namespace
