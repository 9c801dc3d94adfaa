// The host's automation inside this process: dialogs answered on this thread, debug output caught,
// and the answer words of the command line.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>

#include <automation.h>
#include <debug_capture.h>
#include <log.h>
#include <options.h>
#include <text.h>

#include <support/files.h>

namespace {

using test_support::has;

// Every test logs to its own file and reads back what the automation wrote.
class automation_log : public ::testing::Test {
protected:
    std::wstring work, log_file;
    void SetUp() override {
        work = test_support::temp_folder(L"automation");
        log_file = work + L"\\log.txt";
        ASSERT_TRUE(host::log_open(log_file));
        host::log_show_debug(true);
    }
    std::string log() {
        host::log_close();
        return test_support::untimed(test_support::read_file(log_file));
    }
};

TEST_F(automation_log, MessageBoxesAreLoggedAndAnsweredByTheAnswerWord) {
    {
        host::automation a(L"", L"no");
        ASSERT_TRUE(a.start());
        EXPECT_EQ(MessageBoxW(nullptr, L"Go on?\nReally?", L"question", MB_YESNOCANCEL), IDNO);
        // A box without the asked button is answered by Cancel, else by OK.
        EXPECT_EQ(MessageBoxW(nullptr, L"pick", L"two", MB_OKCANCEL), IDCANCEL);
        EXPECT_EQ(MessageBoxW(nullptr, L"stop", L"zin_window_debug", MB_ICONHAND), IDOK);
    }
    {
        host::automation a(L"", L"");
        ASSERT_TRUE(a.start());
        EXPECT_EQ(MessageBoxW(nullptr, L"default", L"plain", MB_RETRYCANCEL), IDCANCEL);
        EXPECT_EQ(MessageBoxW(nullptr, L"default", L"plain", MB_OK), IDOK);
        // Neither the asked button nor Cancel nor OK: the box still returns one of its own answers.
        EXPECT_EQ(MessageBoxW(nullptr, L"keep?", L"yes or no", MB_YESNO), IDNO);
        EXPECT_EQ(MessageBoxW(nullptr, L"disk", L"failed", MB_ABORTRETRYIGNORE), IDIGNORE);
    }
    // Stopped: a second automation may start, and nothing is left of the first.
    const std::string text = log();
    EXPECT_TRUE(has(text, "msgbox: question: Go on? Really? -> no\n")) << text;
    EXPECT_TRUE(has(text, "msgbox: two: pick -> cancel\n")) << text;
    EXPECT_TRUE(has(text, "msgbox: zin_window_debug: stop -> ok\n")) << text;
    EXPECT_TRUE(has(text, "msgbox: plain: default -> cancel\n")) << text;
    EXPECT_TRUE(has(text, "msgbox: plain: default -> ok\n")) << text;
    EXPECT_TRUE(has(text, "msgbox: yes or no: keep? -> no\n")) << text;
    EXPECT_TRUE(has(text, "msgbox: failed: disk -> ignore\n")) << text;
}

BOOL ask_for_file(wchar_t (&file)[260]) {
    file[0] = 0;
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.lpstrFilter = L"Skins\0*.lua\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = 260;
    return GetOpenFileNameW(&ofn);
}

TEST_F(automation_log, TheOpenFileDialogGetsTheSkinFile) {
    const std::wstring skin = work + L"\\my skin.lua";
    ASSERT_TRUE(test_support::write_file(skin, "-- nothing\n"));
    wchar_t file[260];
    {
        host::automation a(skin, L"cancel");  // the answer word is for other dialogs
        ASSERT_TRUE(a.start());
        ASSERT_TRUE(ask_for_file(file));
        EXPECT_EQ(std::wstring(file), skin);
        EXPECT_TRUE(a.skin_given());
    }
    {
        host::automation a(L"", L"ok");
        ASSERT_TRUE(a.start());
        EXPECT_FALSE(ask_for_file(file));
        EXPECT_FALSE(a.skin_given());
    }
    const std::string text = log();
    EXPECT_TRUE(has(text, ": open-file dialog -> " + host::to_utf8(skin) + "\n")) << text;
    EXPECT_TRUE(has(text, ": open-file dialog -> cancel (no --skin)\n")) << text;
}

TEST_F(automation_log, AFileTheDialogDoesNotTakeEndsInCancelNotInAWait) {
    // A folder is opened by the dialog instead of being returned: the dialog stays, and is cancelled.
    wchar_t file[260];
    host::automation a(work, L"ok");
    ASSERT_TRUE(a.start());
    EXPECT_FALSE(ask_for_file(file));
    EXPECT_FALSE(a.skin_given());
    a.stop();
    const std::string text = log();
    EXPECT_TRUE(has(text, "the open-file dialog did not take " + host::to_utf8(work) + " -> cancel\n")) << text;
}

TEST_F(automation_log, DebugOutputArrivesAsWholeMarkedLines) {
    host::debug_capture_start();
    host::debug_capture_start();  // twice: still one line per text
    OutputDebugStringA("one\n");
    OutputDebugStringW(L"tw");
    OutputDebugStringW(L"o");
    OutputDebugStringW(L"\n");
    OutputDebugStringA("three\r\nfour\r\n");
    OutputDebugStringW(L"caf\u00e9\n");
    OutputDebugStringA("unfinished");
    host::debug_capture_stop();
    OutputDebugStringA("after the stop\n");
    const std::string text = log();
    EXPECT_TRUE(has(text, "debug: one\ndebug: two\ndebug: three\ndebug: four\ndebug: caf\xC3\xA9\ndebug: unfinished\n"))
        << text;
    EXPECT_FALSE(has(text, "after the stop")) << text;
}

TEST(automation_words, AnswerWordsOnTheCommandLine) {
    EXPECT_EQ(host::answer_button(L"ok"), IDOK);
    EXPECT_EQ(host::answer_button(L"Cancel"), IDCANCEL);
    EXPECT_EQ(host::answer_button(L"abort"), IDABORT);
    EXPECT_EQ(host::answer_button(L"retry"), IDRETRY);
    EXPECT_EQ(host::answer_button(L"ignore"), IDIGNORE);
    EXPECT_EQ(host::answer_button(L"yes"), IDYES);
    EXPECT_EQ(host::answer_button(L"NO"), IDNO);
    EXPECT_EQ(host::answer_button(L"maybe"), 0);
    EXPECT_EQ(host::answer_button(L""), 0);
    host::options o;
    std::wstring error;
    EXPECT_TRUE(host::parse_options({L"trovaplay.exe", L"--answer", L"retry"}, o, error));
    EXPECT_EQ(o.answer, L"retry");
    EXPECT_FALSE(host::parse_options({L"trovaplay.exe", L"--answer=maybe"}, o, error));
    EXPECT_TRUE(has(host::to_utf8(error), "--answer needs one of")) << host::to_utf8(error);
}

}  // namespace
