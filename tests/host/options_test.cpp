// The reference host's command line and log.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <log.h>
#include <options.h>
#include <text.h>

#include <support/files.h>

namespace {

std::vector<std::wstring> line(std::initializer_list<const wchar_t*> a) {
    std::vector<std::wstring> v{L"trovaplay.exe"};
    for (auto s : a) v.emplace_back(s);
    return v;
}

TEST(options, Defaults) {
    host::options o;
    std::wstring err;
    ASSERT_TRUE(host::parse_options(line({}), o, err));
    EXPECT_TRUE(o.profile.empty());
    EXPECT_TRUE(o.log_file.empty());
    EXPECT_FALSE(o.run_for_set);
    EXPECT_FALSE(o.help);
}

TEST(options, AllOptionsBothForms) {
    host::options o;
    std::wstring err;
    ASSERT_TRUE(host::parse_options(
        line({L"--profile", L"C:\\p q", L"--log=x.log", L"--run-for", L"500", L"--component", L"c.dll"}), o, err));
    EXPECT_EQ(o.profile, L"C:\\p q");
    EXPECT_EQ(o.log_file, L"x.log");
    EXPECT_TRUE(o.run_for_set);
    EXPECT_EQ(o.run_for_ms, 500u);
    EXPECT_EQ(o.component, L"c.dll");
}

TEST(options, LaterOptionsAreTakenAlready) {
    host::options o;
    std::wstring err;
    ASSERT_TRUE(host::parse_options(line({L"--skin", L"s.lua", L"--answer=ok", L"--screenshot", L"x.png"}), o, err));
    EXPECT_EQ(o.skin, L"s.lua");
    EXPECT_EQ(o.answer, L"ok");
    EXPECT_EQ(o.screenshot, L"x.png");
}

TEST(options, BadLinesAreRefused) {
    host::options o;
    std::wstring err;
    EXPECT_FALSE(host::parse_options(line({L"--bogus"}), o, err));
    EXPECT_FALSE(err.empty());
    EXPECT_FALSE(host::parse_options(line({L"--run-for"}), o, err));
    EXPECT_FALSE(host::parse_options(line({L"--run-for", L"abc"}), o, err));
    EXPECT_FALSE(host::parse_options(line({L"--run-for", L"-5"}), o, err));
    EXPECT_FALSE(host::parse_options(line({L"--run-for", L"99999999999"}), o, err));
    EXPECT_FALSE(host::parse_options(line({L"--profile="}), o, err));
    EXPECT_TRUE(host::parse_options(line({L"--help"}), o, err));
    EXPECT_TRUE(o.help);
}

TEST(options, PlayAndTracks) {
    host::options o;
    std::wstring err;
    ASSERT_TRUE(host::parse_options(line({L"a.mp3", L"--play", L"--log", L"x.log", L"list.m3u"}), o, err));
    EXPECT_TRUE(o.play);
    EXPECT_FALSE(o.show_prefs);
    EXPECT_EQ(o.items, (std::vector<std::wstring>{L"a.mp3", L"list.m3u"}));
    EXPECT_EQ(o.log_file, L"x.log");
    EXPECT_FALSE(host::parse_options(line({L"--play=1"}), o, err));  // a switch takes no value
    EXPECT_EQ(err, L"option --play takes no value: --play=1");
    EXPECT_FALSE(host::parse_options(line({L"--help=x"}), o, err));
    EXPECT_FALSE(host::parse_options(line({L"-x"}), o, err));
    EXPECT_TRUE(host::parse_options(line({L"--menu-pick", L"Utilities/Count & length"}), o, err));
    EXPECT_EQ(o.menu_pick, L"Utilities/Count & length");
    EXPECT_FALSE(host::parse_options(line({L"--menu-pick="}), o, err));
    EXPECT_EQ(err, L"--menu-pick needs a menu item label");
    host::options prefs;
    ASSERT_TRUE(host::parse_options(line({L"--show-prefs"}), prefs, err));
    EXPECT_TRUE(prefs.show_prefs);
    EXPECT_FALSE(prefs.play);
    EXPECT_FALSE(host::parse_options(line({L"--show-prefs=1"}), prefs, err));
}

TEST(options, TheUsageTextListsEveryOptionTheParserTakes) {
    const std::wstring usage = host::usage_text();
    const wchar_t* const with_value[] = {L"--profile", L"--log",    L"--run-for",   L"--skin",
                                         L"--answer",  L"--screenshot", L"--component", L"--menu-pick"};
    for (const wchar_t* name : with_value) {
        SCOPED_TRACE(host::to_utf8(name));
        EXPECT_NE(usage.find(std::wstring(L"[") + name + L" "), std::wstring::npos);
        EXPECT_NE(usage.find(std::wstring(L"\n  ") + name + L" "), std::wstring::npos);
        host::options o;
        std::wstring err;
        const wchar_t* value = std::wstring(name) == L"--answer" ? L"ok" : L"1";
        EXPECT_TRUE(host::parse_options(line({name, value}), o, err)) << host::to_utf8(err);
    }
    for (const wchar_t* name : {L"--play", L"--debug-log", L"--full-screen", L"--show-prefs", L"--help"}) {
        SCOPED_TRACE(host::to_utf8(name));
        EXPECT_NE(usage.find(std::wstring(L"\n  ") + name + L" "), std::wstring::npos);
        host::options o;
        std::wstring err;
        EXPECT_TRUE(host::parse_options(line({name}), o, err)) << host::to_utf8(err);
    }
}

std::string read_all(const std::wstring& path) {
    std::ifstream f(host::to_utf8(path).c_str(), std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

TEST(log, LinesAreMarkedAndSplit) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"trovaplay_log_test.txt";
    ASSERT_TRUE(host::log_open(path));
    const unsigned before = host::log_count(host::log_kind::console);
    host::log_line(host::log_kind::console, "hello \xC3\xA9");
    host::log_line(host::log_kind::console, "two\r\nlines\n");
    host::log_line(host::log_kind::console, "");
    host::log_line(host::log_kind::console, "cut here", 3);
    host::log_line(host::log_kind::debug, "hidden");  // debug lines only when asked
    host::log_show_debug(true);
    host::log_line(host::log_kind::debug, "dbg");
    host::log_show_debug(false);
    host::log_line(host::log_kind::msgbox, "box");
    host::log_host("mine");
    host::log_close();
    EXPECT_EQ(host::log_count(host::log_kind::console), before + 5);
    const std::string text = read_all(path);
    EXPECT_EQ(test_support::untimed(text),
              "console: hello \xC3\xA9\nconsole: two\nconsole: lines\nconsole: \nconsole: cut\n"
              "debug: dbg\nmsgbox: box\nhost: mine\n");
    ASSERT_GT(text.size(), 13u);  // every line starts with its time: "hh:mm:ss.mmm "
    EXPECT_TRUE(text[2] == ':' && text[5] == ':' && text[8] == '.' && text[12] == ' ') << text;
    DeleteFileW(path.c_str());
}

}  // namespace
