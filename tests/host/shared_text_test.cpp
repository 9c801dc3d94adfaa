// shared.dll: UTF-8 comparison, case mapping and sort keys.
#include <gtest/gtest.h>

#include <trovaplay/shared/shared.h>
#include <zut/string.h>

namespace {

int sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

TEST(stricmp_utf8, AsciiIgnoresCase) {
    EXPECT_EQ(stricmp_utf8("Hello", "hELLO"), 0);
    EXPECT_EQ(sign(stricmp_utf8("abc", "abd")), -1);
    EXPECT_EQ(sign(stricmp_utf8("b", "A")), 1);
    EXPECT_EQ(sign(stricmp_utf8("ab", "abc")), -1);
    EXPECT_EQ(sign(stricmp_utf8("abc", "ab")), 1);
    EXPECT_EQ(stricmp_utf8("", ""), 0);
}

TEST(stricmp_utf8, NonAsciiIgnoresCase) {
    EXPECT_EQ(stricmp_utf8("\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89"), 0);                // Été / éTÉ
    EXPECT_EQ(stricmp_utf8("\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0",           // Москва
                           "\xD0\xBC\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90"),          // мОСКВА
              0);
    EXPECT_EQ(stricmp_utf8("\xCE\xA3", "\xCF\x83"), 0);  // Σ / σ
    EXPECT_NE(stricmp_utf8("\xC3\xA9", "e"), 0);
    EXPECT_EQ(sign(stricmp_utf8("a", "\xC3\xA9")), -1);  // by lower-cased code point
}

TEST(stricmp_utf8, InvalidBytesCompareByValue) {
    EXPECT_EQ(stricmp_utf8("\xFF", "\xFF"), 0);
    EXPECT_NE(stricmp_utf8("\xFF", "\xFE"), 0);
    EXPECT_NE(stricmp_utf8("\xC3", "\xC3\xA9"), 0);  // truncated sequence
}

TEST(stricmp_utf8_ex, LengthsBoundBothTexts) {
    EXPECT_EQ(stricmp_utf8_ex("New Playlist", 3, "NEW", ~0u), 0);
    EXPECT_EQ(stricmp_utf8_ex("abc", ~0u, "ABCdef", 3), 0);
    EXPECT_EQ(sign(stricmp_utf8_ex("abc", 2, "abc", 3)), -1);
    EXPECT_EQ(stricmp_utf8_ex("ab\0zz", 5, "AB", ~0u), 0);  // a NUL ends the text earlier
    EXPECT_EQ(stricmp_utf8_ex("\xC3\x89X", 2, "\xC3\xA9", ~0u), 0);
    EXPECT_EQ(stricmp_utf8_ex(nullptr, 0, "", ~0u), 0);
}

TEST(uCharLower, CodePoints) {
    EXPECT_EQ(uCharLower('A'), uint32_t('a'));
    EXPECT_EQ(uCharLower('1'), uint32_t('1'));
    EXPECT_EQ(uCharLower(0xC9), 0xE9u);
    EXPECT_EQ(uCharLower(0x41C), 0x43Cu);
    EXPECT_EQ(uCharLower(0x1F600), 0x1F600u);
    EXPECT_EQ(uCharUpper(0xE9), 0xC9u);
}

TEST(uAddStringUpper, AppendsTheUpperCaseForm) {
    zut::string8_t<> out("x:");
    uAddStringUpper(out, "mp3 \xC3\xA9t\xC3\xA9", ~0u);
    EXPECT_STREQ(out.get_ptr(), "x:MP3 \xC3\x89T\xC3\x89");
    zut::string8_t<> part;
    uAddStringUpper(part, "flac", 2);
    EXPECT_STREQ(part.get_ptr(), "FL");
    zut::string8_t<> low;
    uAddStringLower(low, "ABC\xC3\x89", ~0u);
    EXPECT_STREQ(low.get_ptr(), "abc\xC3\xA9");
}

TEST(uSortString, ConsistentCaseInsensitiveOrder) {
    uSortStringHandle a = uSortStringCreate("apple");
    uSortStringHandle b = uSortStringCreate("Banana");
    uSortStringHandle c = uSortStringCreate("APPLE");
    uSortStringHandle e = uSortStringCreate("");
    ASSERT_NE(a, nullptr);
    EXPECT_LT(uSortStringCompare(a, b), 0);
    EXPECT_GT(uSortStringCompare(b, a), 0);
    EXPECT_EQ(uSortStringCompare(a, c), 0);
    EXPECT_LT(uSortStringCompare(e, a), 0);
    EXPECT_EQ(uSortStringCompare(a, a), 0);
    uSortStringFree(a);
    uSortStringFree(b);
    uSortStringFree(c);
    uSortStringFree(e);
    uSortStringFree(nullptr);
}

}  // namespace
