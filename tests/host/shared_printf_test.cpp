// shared.dll: uPrintfV's format language.
#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include <trovaplay/shared/shared.h>
#include <zut/string.h>

namespace {

std::string fmt(const char* f, ...) {
    zut::string8_t<> out;
    va_list args;
    va_start(args, f);
    uPrintfV(out, f, args);
    va_end(args);
    return out.get_ptr();
}

TEST(uPrintfV, LiteralTextAndPercent) {
    EXPECT_EQ(fmt("plain"), "plain");
    EXPECT_EQ(fmt("100%%"), "100%");
    EXPECT_EQ(fmt(""), "");
}

TEST(uPrintfV, SignedAndUnsignedIntegers) {
    EXPECT_EQ(fmt("%d %i", 42, -7), "42 -7");
    EXPECT_EQ(fmt("%d", (int)0x80000000), "-2147483648");
    EXPECT_EQ(fmt("%u", 4294967295u), "4294967295");
    EXPECT_EQ(fmt("%lld", -9223372036854775807LL - 1), "-9223372036854775808");
    EXPECT_EQ(fmt("%I64u", 18446744073709551615ULL), "18446744073709551615");
    EXPECT_EQ(fmt("%hd", 70000), "4464");
    EXPECT_EQ(fmt("%hhu", 257), "1");
}

TEST(uPrintfV, HexAndOctal) {
    EXPECT_EQ(fmt("%x %X", 0xbeefu, 0xbeefu), "beef BEEF");
    EXPECT_EQ(fmt("%#x %#o", 255u, 8u), "0xff 010");
    EXPECT_EQ(fmt("%08X", 0x1Fu), "0000001F");
    EXPECT_EQ(fmt("%o", 8u), "10");
}

TEST(uPrintfV, WidthPrecisionFlags) {
    EXPECT_EQ(fmt("[%5d]", 42), "[   42]");
    EXPECT_EQ(fmt("[%-5d]", 42), "[42   ]");
    EXPECT_EQ(fmt("[%05d]", -42), "[-0042]");
    EXPECT_EQ(fmt("[%+d] [% d]", 5, 5), "[+5] [ 5]");
    EXPECT_EQ(fmt("[%.3d]", 7), "[007]");
    EXPECT_EQ(fmt("[%*d]", 4, 1), "[   1]");
    EXPECT_EQ(fmt("[%-*d]", 3, 1), "[1  ]");
    EXPECT_EQ(fmt("[%*d]", -3, 1), "[1  ]");
    EXPECT_EQ(fmt("[%.0d]", 0), "[]");
}

TEST(uPrintfV, TextIsUtf8) {
    EXPECT_EQ(fmt("%s!", "h\xC3\xA9llo"), "h\xC3\xA9llo!");
    EXPECT_EQ(fmt("%s", (const char*)nullptr), "(null)");
    // Width counts characters, precision bytes without cutting a character.
    EXPECT_EQ(fmt("[%4s]", "\xC3\xA9"), "[   \xC3\xA9]");
    EXPECT_EQ(fmt("[%.2s]", "a\xC3\xA9"), "[a]");
    EXPECT_EQ(fmt("[%.3s]", "a\xC3\xA9z"), "[a\xC3\xA9]");
    EXPECT_EQ(fmt("%ls", L"w\u00E9"), "w\xC3\xA9");
    EXPECT_EQ(fmt("%S", L"\u20AC"), "\xE2\x82\xAC");
}

TEST(uPrintfV, CharactersAreCodePoints) {
    EXPECT_EQ(fmt("%c%c", 'a', 0xE9), "a\xC3\xA9");
    EXPECT_EQ(fmt("%c", 0x1F600), "\xF0\x9F\x98\x80");
    EXPECT_EQ(fmt("[%c]", 0), "[]");
}

TEST(uPrintfV, FloatingPointAndPointers) {
    EXPECT_EQ(fmt("%.2f", 3.14159), "3.14");
    EXPECT_EQ(fmt("%6.1f|", 2.25), "   2.2|");
    EXPECT_EQ(fmt("%p", (void*)0x1234), "0x00001234");
    // A long double is wider than a double: the arguments after it must still line up.
    EXPECT_EQ(fmt("%.1Lf|%s|%d", 1.5L, "x", 7), "1.5|x|7");
}

TEST(uPrintfV, UnknownOrUnfinishedSpecificationsAreCopied) {
    EXPECT_EQ(fmt("%y", 1), "%y");
    EXPECT_EQ(fmt("end %-08"), "end %-08");
    EXPECT_EQ(fmt("end %"), "end %");
}

TEST(uPrintfV, AppendsToTheReceiver) {
    zut::string8_t<> out("start:");
    uPrintf(out, "%d", 1);
    uPrintf(out, "%s", "2");
    EXPECT_STREQ(out.get_ptr(), "start:12");
}

}  // namespace
