// Reading M3U playlists, plain and extended.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include <m3u.h>

namespace {

using host::parse_m3u;

TEST(m3u, ExtendedEntriesTakeLengthAndTitle) {
    const auto r = parse_m3u(
        "#EXTM3U\n"
        "#EXTINF:123,Demo Artist - Demo Track 1\n"
        "track1.mp3\n"
        "#EXTINF:-1,Radio\n"
        "http://example.invalid/stream\n"
        "#EXTINF:61.5 tvg-id=\"x\",Attributes\n"
        "D:\\music\\three.ogg\n",
        "C:\\lists");
    ASSERT_EQ(r.entries.size(), 3u);
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.entries[0].path, "C:\\lists\\track1.mp3");
    EXPECT_TRUE(r.entries[0].has_info);
    EXPECT_EQ(r.entries[0].length, 123.0);
    EXPECT_EQ(r.entries[0].title, "Demo Artist - Demo Track 1");
    EXPECT_EQ(r.entries[1].path, "http://example.invalid/stream");  // addresses are kept as they are
    EXPECT_EQ(r.entries[1].length, 0.0);                            // -1: unknown
    EXPECT_EQ(r.entries[2].path, "D:\\music\\three.ogg");
    EXPECT_EQ(r.entries[2].length, 61.5);
    EXPECT_EQ(r.entries[2].title, "Attributes");
}

TEST(m3u, PlainListsCommentsAndLineEnds) {
    const auto r = parse_m3u("# a comment\r\none.mp3\r\n\r\n  two.mp3  \rsub/three.mp3\n\\root.mp3", "");
    ASSERT_EQ(r.entries.size(), 4u);
    EXPECT_EQ(r.entries[0].path, "one.mp3");  // no folder given: left relative
    EXPECT_FALSE(r.entries[0].has_info);
    EXPECT_EQ(r.entries[1].path, "two.mp3");
    EXPECT_EQ(r.entries[2].path, "sub/three.mp3");
    EXPECT_EQ(r.entries[3].path, "\\root.mp3");
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_TRUE(parse_m3u("", "C:\\x").entries.empty());
}

TEST(m3u, BadLinesAreReportedAndSkipped) {
    const auto r = parse_m3u(
        "#EXTINF:abc,Bad Length\n"
        "a.mp3\n"
        "#EXTINF:10,Lost\n"
        "#EXTINF:1e999,Huge\n"
        "b\x01.mp3\n"
        "c.mp3\n"
        "#EXTINF:5,Dangling\n",
        "C:\\l");
    ASSERT_EQ(r.entries.size(), 2u);
    EXPECT_EQ(r.entries[0].title, "Bad Length");
    EXPECT_EQ(r.entries[0].length, 0.0);
    EXPECT_EQ(r.entries[1].path, "C:\\l\\c.mp3");
    EXPECT_EQ(r.entries[1].title, "Huge");  // the entry after the refused line takes the #EXTINF
    EXPECT_EQ(r.entries[1].length, 0.0);
    ASSERT_EQ(r.warnings.size(), 5u);
    EXPECT_EQ(r.warnings[0], "line 1: bad length \"abc\", taken as unknown");
    EXPECT_EQ(r.warnings[1], "line 3: #EXTINF without an entry");
    EXPECT_EQ(r.warnings[2], "line 4: bad length \"1e999\", taken as unknown");
    EXPECT_EQ(r.warnings[3], "line 5: control characters, line skipped");
    EXPECT_EQ(r.warnings[4], "line 7: #EXTINF without an entry");
}

TEST(m3u, Utf8TextAndByteOrderMark) {
    const auto r = parse_m3u("\xEF\xBB\xBF#EXTINF:7,\xC3\x9C" "ber \xE2\x98\x83\n\xC3\xA9t\xC3\xA9.mp3\n", "C:\\l");
    ASSERT_EQ(r.entries.size(), 1u);
    EXPECT_EQ(r.entries[0].title, "\xC3\x9C" "ber \xE2\x98\x83");
    EXPECT_EQ(r.entries[0].path, "C:\\l\\\xC3\xA9t\xC3\xA9.mp3");
}

TEST(m3u, TextInTheSystemCodePageIsConverted) {
    const auto r = parse_m3u("\xE9t\xE9.mp3\n", "");  // not UTF-8
    ASSERT_EQ(r.entries.size(), 1u);
    const std::string& p = r.entries[0].path;
    EXPECT_GT(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, p.data(), int(p.size()), nullptr, 0), 0);
    if (GetACP() == 1252) {
        EXPECT_EQ(p, "\xC3\xA9t\xC3\xA9.mp3");
    }
}

TEST(m3u, FilesAreReadFromDiskWithTheirFolder) {
    wchar_t dir[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, dir), 0u);
    const std::wstring file = std::wstring(dir) + L"zin_m3u_test.m3u8";
    const char text[] = "#EXTINF:3,One\none.mp3\n";
    const HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, text, sizeof text - 1, &written, nullptr);
    CloseHandle(h);

    host::m3u_result r;
    std::string error;
    ASSERT_TRUE(host::load_m3u(file, r, error)) << error;
    ASSERT_EQ(r.entries.size(), 1u);
    EXPECT_EQ(r.entries[0].path.substr(r.entries[0].path.size() - 8), "\\one.mp3");
    EXPECT_NE(r.entries[0].path, "one.mp3");
    DeleteFileW(file.c_str());

    EXPECT_FALSE(host::load_m3u(file, r, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    EXPECT_TRUE(host::is_m3u_name(L"x.M3U"));
    EXPECT_TRUE(host::is_m3u_name(L"x.m3u8"));
    EXPECT_FALSE(host::is_m3u_name(L"x.mp3"));
}

}  // namespace
