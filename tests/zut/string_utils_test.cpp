// String helpers: formatters, parsers, path helpers, searching and comparing, order arrays.
#include <gtest/gtest.h>

#include "assert_watch.h"

#include <windows.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include <zut/string_conv.h>
#include <zut/string_utils.h>

namespace {

using namespace zut;

const t_size none = ~t_size(0);

// ---- Time --------------------------------------------------------------------------------------------

TEST(FormatTime, Table) {
    const struct {
        t_int64 seconds;
        const char* text;
    } cases[] = {
        {-5, "0:00"},
        {0, "0:00"},
        {59, "0:59"},
        {60, "1:00"},
        {3599, "59:59"},
        {3600, "1:00:00"},
        {86399, "23:59:59"},
        {86400, "1d 0:00:00"},
        {90061, "1d 1:01:01"},
        {604800, "1wk 0d 0:00:00"},
        {604800 + 2 * 86400 + 5, "1wk 2d 0:00:05"},
        {LLONG_MIN, "0:00"},
        {LLONG_MAX, "15250284452471wk 3d 15:30:07"},
    };
    for (const auto& c : cases) EXPECT_STREQ(format_time(c.seconds), c.text) << c.seconds;
    // The longest text fits the buffer with its NUL.
    EXPECT_LT(std::strlen(format_time(LLONG_MAX)), 32u);
}

// ---- Integers ----------------------------------------------------------------------------------------

TEST(FormatUint, Table) {
    const struct {
        t_uint64 value;
        unsigned min_digits, radix;
        const char* text;
    } cases[] = {
        {0, 0, 10, "0"},
        {255, 4, 16, "00FF"},
        {255, 0, 16, "FF"},
        {255, 0, 2, "11111111"},
        {1234567890123ULL, 0, 10, "1234567890123"},
        {7, 3, 10, "007"},
        {35, 0, 36, "23"},   // radix above 16 clamped to 16
        {5, 0, 1, "101"},    // radix below 2 clamped to 2
        {5, 0, 0, "101"},
        {10, 0, 8, "12"},
        {~0ULL, 0, 10, "18446744073709551615"},
        {~0ULL, 0, 16, "FFFFFFFFFFFFFFFF"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(format_uint(c.value, c.min_digits, c.radix), c.text) << c.value << " " << c.radix;
    }
}

TEST(FormatUint, SixtyFourDigitsAndClampedMinimum) {
    EXPECT_EQ(std::string(format_uint(~0ULL, 0, 2)), std::string(64, '1'));
    EXPECT_EQ(std::string(format_uint(1, 100, 10)), std::string(63, '0') + "1");
    EXPECT_EQ(std::string(format_uint(1ULL << 63, 0, 2)), "1" + std::string(63, '0'));
}

TEST(FormatInt, Table) {
    const struct {
        t_int64 value;
        unsigned min_digits, radix;
        const char* text;
    } cases[] = {
        {-5, 3, 10, "-05"},
        {-5, 1, 10, "-5"},
        {-5, 2, 10, "-5"},
        {-5, 0, 10, "-5"},
        {5, 3, 10, "005"},
        {0, 0, 10, "0"},
        {-255, 0, 16, "-FF"},
        {-255, 6, 16, "-000FF"},
        {LLONG_MAX, 0, 10, "9223372036854775807"},
        {LLONG_MIN, 0, 10, "-9223372036854775808"},
        {LLONG_MIN, 0, 16, "-8000000000000000"},
        {-1, 0, 99, "-1"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(format_int(c.value, c.min_digits, c.radix), c.text) << c.value << " " << c.radix;
    }
    EXPECT_EQ(std::string(format_int(LLONG_MIN, 0, 2)), "-1" + std::string(63, '0'));
    EXPECT_EQ(std::string(format_int(-1, 200, 10)), "-" + std::string(62, '0') + "1");
}

TEST(FormatHex, UpperLowerAndClamp) {
    EXPECT_STREQ(format_hex(0xBEEF, 0), "BEEF");
    EXPECT_STREQ(format_hex(0xBEEF, 8), "0000BEEF");
    EXPECT_STREQ(format_hex(0, 0), "0");
    EXPECT_STREQ(format_hex(0xAB, 40), "00000000000000AB");
    EXPECT_STREQ(format_hex(~0ULL, 0), "FFFFFFFFFFFFFFFF");
    EXPECT_STREQ(format_hex_lowercase(0xBEEF, 6), "00beef");
    EXPECT_STREQ(format_hex_lowercase(~0ULL, 99), "ffffffffffffffff");
}

TEST(FormatHexdump, SpacingAndCase) {
    const unsigned char bytes[] = {0x00, 0x1F, 0xA0, 0xFF};
    EXPECT_STREQ(format_hexdump(bytes, 4, " "), "00 1F A0 FF");
    EXPECT_STREQ(format_hexdump(bytes, 4, nullptr), "001FA0FF");
    EXPECT_STREQ(format_hexdump(bytes, 4, ", "), "00, 1F, A0, FF");
    EXPECT_STREQ(format_hexdump(bytes, 1, " "), "00");
    EXPECT_STREQ(format_hexdump(bytes, 0, " "), "");
    EXPECT_STREQ(format_hexdump_lowercase(bytes, 4, "-"), "00-1f-a0-ff");
}

TEST(FormatFixedpoint, Table) {
    const struct {
        t_int64 value;
        unsigned digits;
        const char* text;
    } cases[] = {
        {-1234, 2, "-12.34"}, {1234, 2, "12.34"}, {5, 0, "5.0"},      {-5, 0, "-5.0"},
        {5, 2, "0.05"},       {0, 2, "0.00"},     {0, 0, "0.0"},      {100, 2, "1.00"},
        {-7, 3, "-0.007"},    {123, 3, "0.123"},  {1234, 3, "1.234"},
        {LLONG_MIN, 0, "-9223372036854775808.0"},
        {LLONG_MIN, 19, "-0.9223372036854775808"},
        {LLONG_MIN, 20, "-0.09223372036854775808"},
    };
    for (const auto& c : cases) EXPECT_STREQ(format_fixedpoint(c.value, c.digits), c.text) << c.value;
    // The digit count is clamped to 64.
    EXPECT_EQ(std::string(format_fixedpoint(1, 1000)), "0." + std::string(63, '0') + "1");
}

// ---- Floating point ----------------------------------------------------------------------------------

std::string float_text(double value, unsigned digits, bool force_sign = false, t_size max = 64) {
    char out[600];
    std::memset(out, '#', sizeof out);
    float_to_string(out, max, value, digits, force_sign);
    return out;
}

TEST(FloatToString, Table) {
    EXPECT_EQ(float_text(3.14159, 2), "3.14");
    EXPECT_EQ(float_text(0.05, 2), "0.05");
    EXPECT_EQ(float_text(-2, 1), "-2.0");
    EXPECT_EQ(float_text(2.5, 0), "3");
    EXPECT_EQ(float_text(0, 0), "0");
    EXPECT_EQ(float_text(0, 3), "0.000");
    EXPECT_EQ(float_text(1.999, 2), "2.00");
    EXPECT_EQ(float_text(7, 2, true), "+7.00");
    EXPECT_EQ(float_text(-7, 2, true), "-7.00");
    EXPECT_EQ(float_text(123456.5, 1), "123456.5");
    EXPECT_EQ(float_text(0.000123, 6), "0.000123");
}

TEST(FloatToString, NeverPastTheBuffer) {
    char out[8];
    std::memset(out, '#', sizeof out);
    float_to_string(out, 0, 1.5, 2, false);
    EXPECT_EQ(out[0], '#');  // nothing at all for max 0
    float_to_string(out, 1, 1.5, 2, false);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], '#');
    std::memset(out, '#', sizeof out);
    float_to_string(out, 4, 12345.678, 2, false);
    EXPECT_STREQ(out, "123");
    EXPECT_EQ(out[4], '#');
}

TEST(FloatToString, NonFiniteAndHugeValuesStayBounded) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(float_text(std::numeric_limits<double>::quiet_NaN(), 2), "nan");
    EXPECT_EQ(float_text(inf, 2), "inf");
    EXPECT_EQ(float_text(-inf, 2), "-inf");
    EXPECT_EQ(float_text(inf, 2, true), "+inf");

    // Values whose scaled form does not fit 64 bits.
    std::string big = float_text(1e20, 2, false, 600);
    EXPECT_EQ(big, "100000000000000000000.00");
    std::string huge = float_text(1e300, 3, false, 600);
    EXPECT_EQ(huge.size(), 301u + 4u);
    EXPECT_EQ(huge.substr(0, 2), "10");
    EXPECT_EQ(huge.substr(huge.size() - 4), ".000");
    std::string max = float_text(-std::numeric_limits<double>::max(), 64, false, 600);
    EXPECT_EQ(max.size(), 1u + 309u + 1u + 64u);
    EXPECT_EQ(max[0], '-');
    // Bounded by a small buffer as well.
    EXPECT_EQ(float_text(1e300, 2, false, 10).size(), 9u);
    // Many decimals of an ordinary value.
    EXPECT_EQ(float_text(0.5, 30, false, 600), "0.500000000000000000000000000000");
}

TEST(FormatFloat, WidthPadsWithBlanks) {
    EXPECT_STREQ(format_float(3.14159, 8, 2), "    3.14");
    EXPECT_STREQ(format_float(3.14159, 0, 2), "3.14");
    EXPECT_STREQ(format_float(-3.14159, 3, 3), "-3.142");
    EXPECT_STREQ(format_float(1e300, 0, 2).get_ptr(), std::string(float_text(1e300, 2)).c_str());
    EXPECT_EQ(format_float(1e300, 0, 2).length(), 63u);
}

// ---- Parsing -----------------------------------------------------------------------------------------

TEST(StringToFloat, Table) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"3.5", 3.5},       {"  -2,25", -2.25}, {"+7", 7},         {"1e3", 1000},
        {"2.5E-2", 0.025},  {"12abc", 12},      {"1.2.3", 1.2},    {"", 0},
        {"-", 0},           {".5", 0.5},        {"1e+2", 100},     {"0.000001", 0.000001},
        {"123456789012345678901234567890", 1.2345678901234568e29},
        {"1e400", std::numeric_limits<double>::infinity()},
        {"1e-400", 0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(string_to_float(c.text), c.value) << c.text;
    EXPECT_DOUBLE_EQ(string_to_float("12345", 3), 123);
    EXPECT_DOUBLE_EQ(string_to_float(nullptr), 0);
    // At most 127 bytes are taken.
    std::string long_text = std::string(126, '0') + "12";
    EXPECT_DOUBLE_EQ(string_to_float(long_text.c_str()), 1);
}

TEST(IntegerParsers, DigitsBoundsAndWrapping) {
    EXPECT_EQ(atoui_ex("12345", none), 12345u);
    EXPECT_EQ(atoui_ex("12345", 2), 12u);
    EXPECT_EQ(atoui_ex("12a45", none), 12u);
    EXPECT_EQ(atoui_ex("x1", none), 0u);
    EXPECT_EQ(atoui_ex("4294967296", none), 0u);  // wraps
    EXPECT_EQ(atoui_ex(nullptr, none), 0u);

    EXPECT_EQ(atoui64_ex("18446744073709551615"), ~0ULL);
    EXPECT_EQ(atoui64_ex("18446744073709551616"), 0ULL);
    EXPECT_EQ(atoui64_ex("abc"), 0ULL);
    EXPECT_EQ(atoi64_ex("-42"), -42);
    EXPECT_EQ(atoi64_ex("42x"), 42);
    EXPECT_EQ(atoi64_ex("-9223372036854775808"), LLONG_MIN);
    EXPECT_EQ(atoi64_ex("--1"), 0);
}

TEST(IntegerParsers, Classification) {
    EXPECT_TRUE(char_is_numeric('0'));
    EXPECT_TRUE(char_is_numeric('9'));
    EXPECT_FALSE(char_is_numeric('a'));
    EXPECT_FALSE(char_is_numeric('/'));
    EXPECT_TRUE(is_numeric_string("0123"));
    EXPECT_TRUE(is_numeric_string("12ab", 2));
    EXPECT_FALSE(is_numeric_string("12ab"));
    EXPECT_FALSE(is_numeric_string(""));
    EXPECT_FALSE(is_numeric_string("-1"));
    EXPECT_FALSE(is_numeric_string(nullptr));
    EXPECT_TRUE(is_multiline("a\nb"));
    EXPECT_TRUE(is_multiline("a\rb"));
    EXPECT_FALSE(is_multiline("a\nb", 1));
    EXPECT_FALSE(is_multiline("ab"));
}

// ---- Paths -------------------------------------------------------------------------------------------

TEST(Paths, SeparatorsAndBadCharacters) {
    for (char c : std::string("\\/|:")) EXPECT_TRUE(is_path_separator(c)) << c;
    EXPECT_FALSE(is_path_separator('.'));
    for (char c : std::string("\\/|:*?\"<>")) EXPECT_TRUE(is_path_bad_char(c)) << c;
    EXPECT_FALSE(is_path_bad_char('a'));
    EXPECT_FALSE(is_path_bad_char(' '));
    EXPECT_TRUE(has_path_bad_chars("a*b"));
    EXPECT_FALSE(has_path_bad_chars("name.txt"));
    EXPECT_EQ(scan_filename("c:\\dir\\a.txt"), 7u);
    EXPECT_EQ(scan_filename("a.txt"), 0u);
    EXPECT_EQ(scan_filename("http://x/y"), 9u);
    EXPECT_EQ(scan_filename("dir/"), 4u);
}

TEST(Paths, FileNames) {
    EXPECT_STREQ(string_filename_ext("c:\\dir\\a.b.txt?x=1"), "a.b.txt");
    EXPECT_STREQ(string_filename("c:\\dir\\a.b.txt?x=1"), "a.b");
    EXPECT_STREQ(string_filename("c:\\dir\\readme?x"), "readme");
    EXPECT_STREQ(string_filename("c:\\dir\\.profile"), ".profile");
    EXPECT_STREQ(string_filename("song.mp3"), "song");
    EXPECT_STREQ(string_filename("dir/"), "");
    EXPECT_STREQ(string_filename_ext("dir|sub/name"), "name");
    EXPECT_STREQ(string_filename(nullptr), "");
}

TEST(Paths, Extensions) {
    EXPECT_STREQ(string_extension("c:\\dir\\.profile"), "profile");
    EXPECT_STREQ(string_extension("c:\\dir\\noext"), "");
    EXPECT_STREQ(string_extension("c:\\a.b\\noext"), "");
    EXPECT_STREQ(string_extension("c:\\dir\\a.b.txt?x=1"), "txt");
    EXPECT_STREQ(string_extension("song.MP3"), "MP3");
    std::string ext31 = "a." + std::string(31, 'e');
    EXPECT_EQ(std::string(string_extension(ext31.c_str())), std::string(31, 'e'));
    std::string ext32 = "a." + std::string(32, 'e');
    EXPECT_STREQ(string_extension(ext32.c_str()), "");
    EXPECT_EQ(string_extension("x.abc").length(), 3u);
}

TEST(Paths, DirectoriesAndReplacedExtensions) {
    EXPECT_STREQ(string_directory("c:\\dir\\a.txt"), "c:\\dir");
    EXPECT_STREQ(string_directory("a.txt"), "");
    EXPECT_STREQ(string_directory("\\a.txt"), "");
    EXPECT_STREQ(string_directory("x/y/z"), "x/y");

    EXPECT_STREQ(string_replace_extension("c:\\a.b\\file", "txt"), "c:\\a.b\\file.txt");
    EXPECT_STREQ(string_replace_extension("c:\\dir\\file.mp3", "ogg"), "c:\\dir\\file.ogg");
    EXPECT_STREQ(string_replace_extension("file.tar.gz", "bz2"), "file.tar.bz2");
    EXPECT_STREQ(string_replace_extension("file.", "x"), "file.x");
}

TEST(Paths, OnATempFolder) {
    // The helpers on a real path of the machine.
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    utf8_from_wide folder(temp);
    std::string path = std::string(folder.get_ptr()) + "zut_path_test.cfg";
    EXPECT_STREQ(string_filename_ext(path.c_str()), "zut_path_test.cfg");
    EXPECT_STREQ(string_filename(path.c_str()), "zut_path_test");
    EXPECT_STREQ(string_extension(path.c_str()), "cfg");
    std::string dir = std::string(folder.get_ptr());
    dir.pop_back();  // the trailing separator
    EXPECT_EQ(std::string(string_directory(path.c_str())), dir);
    wide_from_utf8 wide_dir(string_directory(path.c_str()));
    DWORD attributes = GetFileAttributesW(wide_dir.get_ptr());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// ---- Searching and comparing -------------------------------------------------------------------------

TEST(Compare, PartialAndBounded) {
    EXPECT_EQ(strcmp_partial("hello world", none, "hello", none), 0);
    EXPECT_EQ(strcmp_partial("hello", none, "hello world", none), -1);  // the text reads NUL
    EXPECT_EQ(strcmp_partial("hello", 3, "hel", none), 0);
    EXPECT_EQ(strcmp_partial("hello", 3, "hell", none), -1);
    EXPECT_EQ(strcmp_partial("abc", none, "abd", none), -1);
    EXPECT_EQ(strcmp_partial("abe", none, "abd", none), 1);
    EXPECT_EQ(strcmp_partial("abc", none, "", none), 0);
    EXPECT_EQ(strcmp_partial("abc", none, "abX", 2), 0);
    // Signed bytes: a byte of 0x80 or above sorts before ASCII.
    EXPECT_EQ(strcmp_partial("\xC3", none, "a", none), -1);

    EXPECT_EQ(strcmp_ex("abc", none, "abc", none), 0);
    EXPECT_EQ(strcmp_ex("ab", none, "abc", none), -1);
    EXPECT_EQ(strcmp_ex("abc", none, "ab", none), 1);
    EXPECT_EQ(strcmp_ex("abc", 2, "abd", 2), 0);
    EXPECT_EQ(strcmp_ex("abc", none, "abd", none), -1);
    EXPECT_EQ(strcmp_ex("\xC3", none, "a", none), -1);
    EXPECT_EQ(strcmp_ex(nullptr, none, "", none), 0);
}

TEST(Compare, AsciiCaseFolding) {
    EXPECT_EQ(stricmp_ascii("Hello", "hELLO"), 0);
    EXPECT_EQ(stricmp_ascii("apple", "Banana"), -1);
    EXPECT_EQ(stricmp_ascii("Zoo", "apple"), 1);
    EXPECT_EQ(stricmp_ascii("ab", "abc"), -1);
    EXPECT_EQ(stricmp_ascii("abc", "AB"), 1);
    EXPECT_EQ(ascii_tolower('Q'), 'q');
    EXPECT_EQ(ascii_tolower('q'), 'q');
    EXPECT_EQ(ascii_tolower('\xC9'), '\xC9');
    EXPECT_EQ(ascii_tolower('['), '[');
}

TEST(Search, ForwardAndBackward) {
    const char* text = "abcabcab";
    EXPECT_EQ(strstr_ex(text, none, "abc", none, 0), 0u);
    EXPECT_EQ(strstr_ex(text, none, "abc", none, 1), 3u);
    EXPECT_EQ(strstr_ex(text, none, "abc", none, 4), none);
    EXPECT_EQ(strstr_ex(text, none, "cab", none, 0), 2u);
    EXPECT_EQ(strstr_ex(text, 4, "cab", none, 0), none);  // bounded text
    EXPECT_EQ(strstr_ex(text, none, "", none, 5), 5u);     // empty pattern returns start
    EXPECT_EQ(strstr_ex("ab", none, "abc", none, 0), none);
    EXPECT_EQ(strstr_ex(text, none, "abX", 2, 1), 3u);

    EXPECT_EQ(strrstr_ex(text, none, "abc", none, none), 3u);
    EXPECT_EQ(strrstr_ex(text, none, "abc", none, 2), 0u);
    EXPECT_EQ(strrstr_ex(text, none, "ab", none, none), 6u);
    EXPECT_EQ(strrstr_ex(text, 7, "ab", none, none), 3u);
    EXPECT_EQ(strrstr_ex(text, none, "zz", none, none), none);
    EXPECT_EQ(strrstr_ex("a", none, "ab", none, none), none);

    EXPECT_EQ(strchr_ex("a.b.c", none, '.', 0), 1u);
    EXPECT_EQ(strchr_ex("a.b.c", none, '.', 2), 3u);
    EXPECT_EQ(strchr_ex("a.b.c", 3, '.', 2), none);
    EXPECT_EQ(strrchr_ex("a.b.c", none, '.', none), 3u);
    EXPECT_EQ(strrchr_ex("a.b.c", none, '.', 2), 1u);
    EXPECT_EQ(strchr_ex("a.b.c", '.'), 1u);
    EXPECT_EQ(strchr_ex("a.b.c", '.', 2), 3u);
    EXPECT_EQ(strrchr_ex("a.b.c", '.'), 3u);
    EXPECT_EQ(strchr_ex("abc", 'z'), none);
    // The NUL is the empty pattern: found at the start position.
    EXPECT_EQ(strchr_ex("abc", '\0'), 0u);
    EXPECT_EQ(strchr_ex("abc", none, '\0', 2), 2u);
    EXPECT_EQ(strrchr_ex("abc", none, '\0', 1), 1u);
}

TEST(Search, FindFirstAtCharacterStarts) {
    // "e acute" is C3 A9; the pattern A9 would match inside it, but only character starts count.
    EXPECT_EQ(string_find_first("caf\xC3\xA9 bar", none, "bar", none), 6u);
    EXPECT_EQ(string_find_first("caf\xC3\xA9", none, "\xA9", none), none);
    EXPECT_EQ(string_find_first("caf\xC3\xA9", none, "\xC3\xA9", none), 3u);
    EXPECT_EQ(string_find_first("abc", none, "", none), 0u);
    EXPECT_EQ(string_find_first("ab\xFF" "cd", none, "cd", none), none);  // stops at invalid
    EXPECT_EQ(string_find_first("abcd", 3, "cd", none), none);
    EXPECT_EQ(string_find_first("abcd", none, "cd", 1), 2u);
}

TEST(Strings, BoundedLengthsAndCopies) {
    EXPECT_EQ(strlen_max("hello", none), 5u);
    EXPECT_EQ(strlen_max("hello", 3), 3u);
    EXPECT_EQ(strlen_max(nullptr, 10), 0u);
    EXPECT_EQ(wcslen_max(L"hello", none), 5u);
    EXPECT_EQ(wcslen_max(L"hello", 2), 2u);
    EXPECT_EQ(wcslen_max(nullptr, 2), 0u);

    char* copy = strdup_n("hello", 3);
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "hel");
    std::free(copy);
    copy = strdup_n("hi", none);
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "hi");
    std::free(copy);
}

TEST(Strings, AsciiConversion) {
    assert_watch watch;
    char out[32];
    convert_to_ascii("caf\xC3\xA9 \xE2\x82\xAC!", none, out, '_');
    EXPECT_STREQ(out, "caf_ _!");
    convert_to_ascii("ab\xFF" "c", none, out, '?');
    EXPECT_STREQ(out, "ab?c");
    convert_to_ascii("abcdef", 3, out, '?');
    EXPECT_STREQ(out, "abc");
    convert_to_ascii("caf\xC3\xA9", 4, out, '?');  // the cut character is invalid within 4 bytes
    EXPECT_STREQ(out, "caf?");
    EXPECT_EQ(watch.reports(), 0u);

    string8 s;
    s.set_ascii("na\xC3\xAFve", '*');
    EXPECT_STREQ(s, "na*ve");
    // A text inside the string's own block.
    s = "x\xC3\xA9y";
    s.set_ascii(s.get_ptr() + 1, '-');
    EXPECT_STREQ(s, "-y");
    EXPECT_EQ(watch.reports(), 0u);
}

TEST(Strings, AsciiReplacementMustBePositive) {
    assert_watch watch;
    char out[8];
    convert_to_ascii("\xC3\xA9", none, out, 0);
    EXPECT_EQ(watch.reports(), 1u);
    EXPECT_STREQ(get_last_assert_expression(), L"replace>0");
    EXPECT_STREQ(out, "?");
    string8 s;
    s.set_ascii("\xC3\xA9", '\xE9');
    EXPECT_EQ(watch.reports(), 2u);
    EXPECT_STREQ(s, "?");
}

TEST(Strings, SkipTrailingCharAndFindLast) {
    string8 s("path\\");
    s.skip_trailing_char('\\');
    EXPECT_STREQ(s, "path");
    s.skip_trailing_char('\\');
    EXPECT_STREQ(s, "path");
    s = "price \xE2\x82\xAC";
    s.skip_trailing_char(0x20AC);
    EXPECT_STREQ(s, "price ");
    s = "";
    s.skip_trailing_char('a');
    EXPECT_STREQ(s, "");

    string_fixed_t<32> fixed;
    fixed = "a/b/c";
    EXPECT_EQ(fixed.find_last('/'), 3u);
    EXPECT_EQ(fixed.find_last('/', 2), 1u);
    EXPECT_EQ(fixed.find_last('z'), none);
}

// ---- Order arrays and bytes --------------------------------------------------------------------------

TEST(OrderArrays, SwapFindSourceReverse) {
    t_size order[] = {0, 1, 2, 3, 4};
    EXPECT_EQ(order_swap(order, 1, 3), 3u);
    EXPECT_EQ(order[1], 3u);
    EXPECT_EQ(order[3], 1u);
    // A cycle 0 -> 2 -> 4 -> 0: the index whose entry is 0 is 4.
    t_size cycle[] = {2, 1, 4, 3, 0};
    EXPECT_EQ(order_find_source(cycle, 0), 4u);
    EXPECT_EQ(order_find_source(cycle, 2), 0u);
    EXPECT_EQ(order_find_source(cycle, 1), 1u);
    t_size seq[] = {0, 1, 2, 3, 4, 5};
    order_reverse(seq, 1, 4);
    const t_size expected[] = {0, 4, 3, 2, 1, 5};
    for (int n = 0; n < 6; ++n) EXPECT_EQ(seq[n], expected[n]);
    order_reverse(seq, 0, 0);
    EXPECT_EQ(seq[0], 0u);
}

TEST(OrderArrays, BytesAndMinimum) {
    unsigned char bytes[] = {1, 2, 3, 4, 5};
    reverse_bytes(bytes, 5);
    EXPECT_EQ(bytes[0], 5);
    EXPECT_EQ(bytes[2], 3);
    EXPECT_EQ(bytes[4], 1);
    char a[] = "abc", b[] = "xyz";
    EXPECT_EQ(swap_bytes(a, b, 3), 3u);
    EXPECT_STREQ(a, "xyz");
    EXPECT_STREQ(b, "abc");
    EXPECT_EQ(min_t(3, 5), 3u);
    EXPECT_EQ(min_t(5, 3), 3u);
    EXPECT_EQ(min_t(4, 4), 4u);
}

TEST(Formatters, DigitLookupNeverReports) {
    assert_watch watch;
    for (unsigned radix = 0; radix < 40; ++radix) format_uint(~0ULL, 0, radix);
    format_hexdump(&watch, sizeof watch, " ");
    EXPECT_EQ(watch.reports(), 0u);
}

}  // namespace
