// Text conversion: UTF-8/UTF-16 primitives, the bulk converters and the converter objects.
#include <gtest/gtest.h>

#include "assert_watch.h"

#include <windows.h>

#include <cstring>
#include <string>

#include <zut/string_conv.h>

namespace {

using namespace zut;

const t_size whole = ~t_size(0);

struct decode_case {
    const char* bytes;
    t_size max;
    t_size length;
    unsigned value;
};

// ---- Decoding ----------------------------------------------------------------------------------------

TEST(Utf8Decode, ValidSequencesOfEveryLength) {
    const decode_case cases[] = {
        {"A", whole, 1, 0x41},
        {"\x7F", whole, 1, 0x7F},
        {"\xC2\x80", whole, 2, 0x80},
        {"\xC3\xA9", whole, 2, 0xE9},
        {"\xDF\xBF", whole, 2, 0x7FF},
        {"\xE0\xA0\x80", whole, 3, 0x800},
        {"\xE2\x82\xAC", whole, 3, 0x20AC},
        {"\xEF\xBF\xBF", whole, 3, 0xFFFF},
        {"\xF0\x90\x80\x80", whole, 4, 0x10000},
        {"\xF0\x9F\x98\x80", whole, 4, 0x1F600},
        {"\xF4\x8F\xBF\xBF", whole, 4, 0x10FFFF},
        {"\xF8\x88\x80\x80\x80", whole, 5, 0x200000},
        {"\xFC\x84\x80\x80\x80\x80", whole, 6, 0x4000000},
        {"\xFD\xBF\xBF\xBF\xBF\xBF", whole, 6, 0x7FFFFFFF},
        {"\xC3\xA9", 2, 2, 0xE9},
    };
    for (const decode_case& c : cases) {
        unsigned value = 12345;
        EXPECT_EQ(utf8_decode_char(c.bytes, &value, c.max), c.length) << c.bytes;
        EXPECT_EQ(value, c.value) << c.bytes;
        EXPECT_EQ(utf8_char_len(c.bytes, c.max), c.length);
        EXPECT_EQ(utf8_get_char(c.bytes), c.value);
    }
}

TEST(Utf8Decode, SurrogatesAndValuesAboveTheUnicodeRangeDecode) {
    unsigned value = 0;
    EXPECT_EQ(utf8_decode_char("\xED\xA0\x80", &value), 3u);
    EXPECT_EQ(value, 0xD800u);
    EXPECT_EQ(utf8_decode_char("\xED\xBF\xBF", &value), 3u);
    EXPECT_EQ(value, 0xDFFFu);
    EXPECT_EQ(utf8_decode_char("\xF4\x90\x80\x80", &value), 4u);
    EXPECT_EQ(value, 0x110000u);
}

TEST(Utf8Decode, OverlongFormsAreInvalid) {
    const char* overlong[] = {
        "\xC0\x80",                  // NUL in two bytes
        "\xC0\xAF", "\xC1\xBF",      // the leads C0 and C1
        "\xE0\x80\x80",              // 0 in three bytes
        "\xE0\x9F\xBF",              // 0x7FF in three bytes
        "\xF0\x82\x82\xAC",          // the euro sign in four bytes
        "\xF0\x8F\xBF\xBF",          // 0xFFFF in four bytes
        "\xF8\x87\xBF\xBF\xBF",      // 0x1FFFFF in five bytes
        "\xF8\x80\x80\x80\xAF",      // "/" in five bytes
        "\xFC\x83\xBF\xBF\xBF\xBF",  // 0x3FFFFFF in six bytes
        "\xFC\x80\x80\x80\x80\xAF",  // "/" in six bytes
    };
    for (const char* bytes : overlong) {
        unsigned value = 7;
        EXPECT_EQ(utf8_decode_char(bytes, &value), 0u) << bytes;
        EXPECT_EQ(value, 0u);
        EXPECT_FALSE(is_valid_utf8(bytes));
    }
}

TEST(Utf8Decode, TruncatedAndStrayBytesAreInvalid) {
    unsigned value = 7;
    EXPECT_EQ(utf8_decode_char("\xC3\xA9", &value, 1), 0u);  // a two-byte lead with max 1
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(utf8_decode_char("\xE2\x82\xAC", nullptr, 2), 0u);
    EXPECT_EQ(utf8_decode_char("\xE2\x82", nullptr), 0u);  // ends at the NUL
    EXPECT_EQ(utf8_decode_char("\xF0\x9F\x98", nullptr), 0u);
    EXPECT_EQ(utf8_decode_char("\xC3" "A", nullptr), 0u);  // no continuation byte
    EXPECT_EQ(utf8_decode_char("\x80", nullptr), 0u);      // lone continuation byte
    EXPECT_EQ(utf8_decode_char("\xBF", nullptr), 0u);
    EXPECT_EQ(utf8_decode_char("\xFE\x80\x80\x80\x80\x80\x80", nullptr), 0u);
    EXPECT_EQ(utf8_decode_char("\xFF", nullptr), 0u);
}

TEST(Utf8Decode, NulMaxZeroAndNull) {
    unsigned value = 7;
    EXPECT_EQ(utf8_decode_char("", &value), 0u);
    EXPECT_EQ(value, 0u);
    value = 7;
    EXPECT_EQ(utf8_decode_char("A", &value, 0), 0u);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(utf8_decode_char(nullptr, &value), 0u);
    EXPECT_EQ(utf8_decode_char("A", nullptr), 1u);
}

TEST(Utf8Lead, LengthFromTheLeadTables) {
    EXPECT_EQ(utf8_char_len_from_lead('A'), 1u);
    EXPECT_EQ(utf8_char_len_from_lead('\0'), 1u);
    EXPECT_EQ(utf8_char_len_from_lead('\xC3'), 2u);
    EXPECT_EQ(utf8_char_len_from_lead('\xE2'), 3u);
    EXPECT_EQ(utf8_char_len_from_lead('\xF0'), 4u);
    EXPECT_EQ(utf8_char_len_from_lead('\xF8'), 5u);
    EXPECT_EQ(utf8_char_len_from_lead('\xFC'), 6u);
    EXPECT_EQ(utf8_char_len_from_lead('\xFD'), 6u);
    EXPECT_EQ(utf8_char_len_from_lead('\x80'), 0u);
    EXPECT_EQ(utf8_char_len_from_lead('\xBF'), 0u);
    EXPECT_EQ(utf8_char_len_from_lead('\xFE'), 0u);
    EXPECT_EQ(utf8_char_len_from_lead('\xFF'), 0u);
}

// ---- Encoding ----------------------------------------------------------------------------------------

TEST(Utf8Encode, LengthsAndBytes) {
    char out[8] = {};
    EXPECT_EQ(utf8_encode_char(0x7FFFFFFF, out), 6u);
    EXPECT_EQ(std::string(out, 6), "\xFD\xBF\xBF\xBF\xBF\xBF");
    EXPECT_EQ(utf8_encode_char(0x80000000u, out), 0u);
    EXPECT_EQ(utf8_encode_char(0xFFFFFFFFu, nullptr), 0u);
    EXPECT_EQ(utf8_encode_char(0x20AC, out), 3u);
    EXPECT_EQ(std::string(out, 3), "\xE2\x82\xAC");
    EXPECT_EQ(utf8_encode_char(0xE9, out), 2u);
    EXPECT_EQ(std::string(out, 2), "\xC3\xA9");
    EXPECT_EQ(utf8_encode_char('A', out), 1u);
    EXPECT_EQ(out[0], 'A');
    EXPECT_EQ(utf8_encode_char(0, out), 1u);
    EXPECT_EQ(utf8_encode_char(0x1F600, nullptr), 4u);
}

TEST(Utf8Encode, EveryBoundaryRoundTrips) {
    const unsigned values[] = {1,        0x7F,     0x80,      0x7FF,     0x800,      0xFFFF,
                               0x10000,  0x10FFFF, 0x1FFFFF,  0x200000,  0x3FFFFFF,  0x4000000,
                               0x7FFFFFFF, 0xD800, 0xDFFF,    0xFFFD,    0x123456,   0x1F600};
    const t_size lengths[] = {1, 1, 2, 2, 3, 3, 4, 4, 4, 5, 5, 6, 6, 3, 3, 3, 4, 4};
    for (size_t i = 0; i < sizeof values / sizeof values[0]; ++i) {
        char out[8] = {};
        t_size n = utf8_encode_char(values[i], out);
        EXPECT_EQ(n, lengths[i]) << std::hex << values[i];
        EXPECT_EQ(utf8_encode_char(values[i], nullptr), n);
        unsigned back = 0;
        EXPECT_EQ(utf8_decode_char(out, &back), n);
        EXPECT_EQ(back, values[i]);
    }
}

// ---- Walking a text ----------------------------------------------------------------------------------

TEST(Utf8Walk, CharsToBytesAndCount) {
    const char* text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // a, e acute, euro, emoji: 1+2+3+4
    EXPECT_EQ(utf8_chars_to_bytes(text, 0), 0u);
    EXPECT_EQ(utf8_chars_to_bytes(text, 2), 3u);
    EXPECT_EQ(utf8_chars_to_bytes(text, 3), 6u);
    EXPECT_EQ(utf8_chars_to_bytes(text, 100), 10u);
    EXPECT_EQ(utf8_chars_to_bytes("ab\xFF" "cd", 5), 2u);

    EXPECT_EQ(utf8_count_chars(text), 4u);
    EXPECT_EQ(utf8_count_chars(text, 10), 4u);
    EXPECT_EQ(utf8_count_chars(text, 2), 1u);  // the second character does not fit in 2 bytes
    EXPECT_EQ(utf8_count_chars(text, 3), 2u);
    EXPECT_EQ(utf8_count_chars("ab\x80" "cd"), 2u);
    EXPECT_EQ(utf8_count_chars(""), 0u);
    EXPECT_EQ(utf8_count_chars(nullptr), 0u);
}

TEST(Utf8Walk, CopyMaxCopiesWholeCharacters) {
    const char* text = "a\xC3\xA9\xE2\x82\xAC";  // 1 + 2 + 3 bytes
    const struct {
        t_size max;
        t_size copied;
    } cases[] = {{1, 0}, {2, 1}, {3, 1}, {4, 3}, {5, 3}, {6, 3}, {7, 6}, {20, 6}};
    for (const auto& c : cases) {
        char out[24];
        std::memset(out, 'x', sizeof out);
        EXPECT_EQ(utf8_copy_max(text, out, c.max), c.copied) << c.max;
        EXPECT_EQ(std::string(out), std::string(text, c.copied));
        // Nothing beyond the NUL is written.
        for (t_size n = c.copied + 1; n < sizeof out; ++n) EXPECT_EQ(out[n], 'x');
    }
    char out[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(utf8_copy_max(text, out, 0), 0u);
    EXPECT_EQ(out[0], 'x');
    EXPECT_EQ(utf8_copy_max("ab\xFF" "cd", out, 4), 2u);
    EXPECT_STREQ(out, "ab");
}

TEST(Utf8Walk, ValidityAndAscii) {
    EXPECT_TRUE(is_valid_utf8(""));
    EXPECT_TRUE(is_valid_utf8("plain"));
    EXPECT_TRUE(is_valid_utf8("caf\xC3\xA9 \xE2\x82\xAC"));
    EXPECT_FALSE(is_valid_utf8("caf\xE9"));
    EXPECT_FALSE(is_valid_utf8("ok\xE2\x82"));
    EXPECT_FALSE(is_valid_utf8(nullptr));

    EXPECT_TRUE(is_lower_ascii(""));
    EXPECT_TRUE(is_lower_ascii("abc\x7F"));
    EXPECT_FALSE(is_lower_ascii("abc\x80"));
    EXPECT_FALSE(is_lower_ascii("caf\xC3\xA9"));
}

// Text that runs into memory the process cannot read is not valid, and reading it never faults.
TEST(Utf8Walk, TextRunningIntoUnreadableMemoryIsInvalid) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const t_size page = system.dwPageSize;
    char* block = static_cast<char*>(VirtualAlloc(nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(block, nullptr);
    DWORD old;
    ASSERT_TRUE(VirtualProtect(block + page, page, PAGE_NOACCESS, &old));
    struct tail_case {
        std::string bytes;  // written to end exactly at the unreadable page
        bool valid;
    };
    const tail_case cases[] = {
        {"ends here", false},                  // no NUL before the page
        {std::string("ends\0", 5), true},      // the NUL is the last readable byte
        {"caf\xC3\xA9", false},                 // a whole character, then the page
        {"ok\xE2\x82", false},                  // a character cut by the page
    };
    for (const tail_case& c : cases) {
        char* text = block + page - c.bytes.size();
        memcpy(text, c.bytes.data(), c.bytes.size());
        EXPECT_EQ(is_valid_utf8(text), c.valid) << c.bytes;
    }
    EXPECT_FALSE(is_valid_utf8(block + page));
    ASSERT_TRUE(VirtualFree(block, 0, MEM_RELEASE));
    EXPECT_FALSE(is_valid_utf8(block));  // freed
}

// ---- UTF-16 ------------------------------------------------------------------------------------------

TEST(Utf16, EncodeAndDecode) {
    wchar_t out[2] = {};
    EXPECT_EQ(utf16_encode_char(0x1F600, out), 2u);
    EXPECT_EQ(out[0], wchar_t(0xD83D));
    EXPECT_EQ(out[1], wchar_t(0xDE00));
    unsigned value = 0;
    EXPECT_EQ(utf16_decode_char(out, &value, 2), 2u);
    EXPECT_EQ(value, 0x1F600u);

    EXPECT_EQ(utf16_encode_char(0x10FFFF, out), 2u);
    EXPECT_EQ(out[0], wchar_t(0xDBFF));
    EXPECT_EQ(out[1], wchar_t(0xDFFF));
    EXPECT_EQ(utf16_encode_char(0xFFFF, out), 1u);
    EXPECT_EQ(out[0], wchar_t(0xFFFF));
    EXPECT_EQ(utf16_encode_char(0, out), 0u);
    EXPECT_EQ(utf16_encode_char(0x110000, out), 0u);
}

TEST(Utf16, LoneSurrogatesAndLimits) {
    unsigned value = 0;
    const wchar_t lone_low[] = {0xDC00, 0};
    EXPECT_EQ(utf16_decode_char(lone_low, &value), 1u);
    EXPECT_EQ(value, 0xDC00u);
    const wchar_t lone_high[] = {0xD800, L'a', 0};
    EXPECT_EQ(utf16_decode_char(lone_high, &value), 1u);
    EXPECT_EQ(value, 0xD800u);
    const wchar_t pair[] = {0xD83D, 0xDE00, 0};
    EXPECT_EQ(utf16_decode_char(pair, &value, 1), 1u);  // max 1: the unit unchanged
    EXPECT_EQ(value, 0xD83Du);
    EXPECT_EQ(utf16_decode_char(pair, &value, 0), 0u);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(utf16_decode_char(L"", &value), 0u);
    EXPECT_EQ(utf16_decode_char(L"", &value, 1), 1u);  // max 1 takes even a NUL
    EXPECT_EQ(utf16_decode_char(nullptr, &value), 0u);
}

// ---- UTF-8 <-> UTF-16 bulk ---------------------------------------------------------------------------

const char* const mixed_utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // a, e acute, euro, emoji
const wchar_t mixed_wide[] = {L'a', 0xE9, 0x20AC, 0xD83D, 0xDE00, 0};

TEST(BulkUtf8Wide, EstimateAndConvertRoundTrip) {
    EXPECT_EQ(estimate_utf8_to_wide(mixed_utf8), 6u);
    wchar_t wide[6];
    EXPECT_EQ(convert_utf8_to_wide(wide, 6, mixed_utf8), 5u);
    EXPECT_EQ(std::wstring(wide), std::wstring(mixed_wide));

    EXPECT_EQ(estimate_wide_to_utf8(mixed_wide), 11u);
    char utf8[11];
    EXPECT_EQ(convert_wide_to_utf8(utf8, 11, mixed_wide), 10u);
    EXPECT_STREQ(utf8, mixed_utf8);
}

TEST(BulkUtf8Wide, InputLengthBoundsTheWalk) {
    EXPECT_EQ(estimate_utf8_to_wide("abcdef", 2), 3u);
    wchar_t wide[8];
    EXPECT_EQ(convert_utf8_to_wide(wide, 8, "abcdef", 2), 2u);
    EXPECT_EQ(std::wstring(wide), L"ab");
    // A character cut by the input length is dropped.
    EXPECT_EQ(estimate_utf8_to_wide(mixed_utf8, 2), 2u);
    // The pair is cut by the length: its first unit alone becomes three bytes.
    EXPECT_EQ(estimate_wide_to_utf8(mixed_wide, 4), 1u + 1 + 2 + 3 + 3);
    char utf8[16];
    EXPECT_EQ(convert_wide_to_utf8(utf8, 16, L"abcdef", 3), 3u);
    EXPECT_STREQ(utf8, "abc");
}

TEST(BulkUtf8Wide, ConversionEndsAtInvalidInput) {
    // An invalid byte, an overlong form, a truncated sequence, a value beyond UTF-16.
    const char* inputs[] = {"ab\xFF" "cd", "ab\xC0\xAF" "cd", "ab\xE2\x82", "ab\xF4\x90\x80\x80" "cd"};
    for (const char* in : inputs) {
        EXPECT_EQ(estimate_utf8_to_wide(in), 3u);
        wchar_t wide[8];
        EXPECT_EQ(convert_utf8_to_wide(wide, 8, in), 2u);
        EXPECT_EQ(std::wstring(wide), L"ab");
    }
}

TEST(BulkUtf8Wide, SurrogatesPassAsSingleUnits) {
    // An encoded surrogate becomes one unit; a lone wide surrogate becomes three bytes.
    wchar_t wide[4];
    EXPECT_EQ(convert_utf8_to_wide(wide, 4, "\xED\xA0\x80" "x"), 2u);
    EXPECT_EQ(wide[0], wchar_t(0xD800));
    EXPECT_EQ(wide[1], L'x');
    const wchar_t lone[] = {0xDC00, L'y', 0};
    char utf8[8];
    EXPECT_EQ(estimate_wide_to_utf8(lone), 5u);
    EXPECT_EQ(convert_wide_to_utf8(utf8, 8, lone), 4u);
    EXPECT_STREQ(utf8, "\xED\xB0\x80y");
}

TEST(BulkUtf8Wide, OutputBufferEdges) {
    wchar_t wide[8];
    for (wchar_t& w : wide) w = L'#';
    EXPECT_EQ(convert_utf8_to_wide(wide, 0, "abc"), 0u);
    EXPECT_EQ(wide[0], L'#');  // nothing written at all
    EXPECT_EQ(convert_utf8_to_wide(wide, 1, "abc"), 0u);
    EXPECT_EQ(wide[0], 0);
    EXPECT_EQ(convert_utf8_to_wide(wide, 3, "abcd"), 2u);
    EXPECT_EQ(std::wstring(wide), L"ab");
    EXPECT_EQ(convert_utf8_to_wide(wide, 4, "abc"), 3u);
    EXPECT_EQ(std::wstring(wide), L"abc");
    // A pair that does not fit whole is cut.
    EXPECT_EQ(convert_utf8_to_wide(wide, 2, "a\xF0\x9F\x98\x80"), 1u);
    EXPECT_EQ(std::wstring(wide), L"a");

    char utf8[8];
    std::memset(utf8, '#', sizeof utf8);
    EXPECT_EQ(convert_wide_to_utf8(utf8, 0, L"abc"), 0u);
    EXPECT_EQ(utf8[0], '#');
    EXPECT_EQ(convert_wide_to_utf8(utf8, 1, L"abc"), 0u);
    EXPECT_EQ(utf8[0], 0);
    EXPECT_EQ(convert_wide_to_utf8(utf8, 3, L"abc"), 2u);
    EXPECT_STREQ(utf8, "ab");
    const wchar_t euro[] = {L'a', 0x20AC, 0};
    EXPECT_EQ(convert_wide_to_utf8(utf8, 5, euro), 4u);
    EXPECT_STREQ(utf8, "a\xE2\x82\xAC");
    EXPECT_EQ(convert_wide_to_utf8(utf8, 2, euro), 1u);
    EXPECT_STREQ(utf8, "a");
}

TEST(BulkUtf8Wide, NullAndEmptyInput) {
    EXPECT_EQ(estimate_utf8_to_wide(nullptr), 1u);
    EXPECT_EQ(estimate_utf8_to_wide(""), 1u);
    EXPECT_EQ(estimate_wide_to_utf8(nullptr), 1u);
    wchar_t wide[2] = {L'#', L'#'};
    EXPECT_EQ(convert_utf8_to_wide(wide, 2, nullptr), 0u);
    EXPECT_EQ(wide[0], 0);
    char utf8[2] = {'#', '#'};
    EXPECT_EQ(convert_wide_to_utf8(utf8, 2, nullptr), 0u);
    EXPECT_EQ(utf8[0], 0);
}

TEST(BulkUtf8Wide, EveryCodePointSampleRoundTrips) {
    assert_watch watch;
    for (unsigned c = 1; c <= 0x10FFFF; c += (c < 0x800 ? 1 : 97)) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        char utf8[8] = {};
        utf8_encode_char(c, utf8);
        wide_from_utf8 wide(utf8);
        utf8_from_wide back(wide.get_ptr());
        ASSERT_STREQ(back.get_ptr(), utf8) << std::hex << c;
    }
    EXPECT_EQ(watch.reports(), 0u);
}

// ---- Code pages (the test runner fixes the ANSI code page at 1252) -----------------------------------

TEST(CodePage, TheFixedAnsiCodePage) { EXPECT_EQ(GetACP(), 1252u); }

TEST(CodePage, EstimateAndConvert) {
    EXPECT_EQ(estimate_codepage_to_wide(CP_ACP, "caf\xE9"), 5u);
    wchar_t wide[8];
    EXPECT_EQ(convert_codepage_to_wide(CP_ACP, wide, 5, "caf\xE9"), 4u);
    const wchar_t cafe[] = {L'c', L'a', L'f', 0xE9, 0};
    EXPECT_EQ(std::wstring(wide), std::wstring(cafe));

    const wchar_t euro[] = {0x20AC, L'1', 0};
    EXPECT_EQ(estimate_wide_to_codepage(CP_ACP, euro), 3u);
    char ansi[8];
    EXPECT_EQ(convert_wide_to_codepage(CP_ACP, ansi, 3, euro), 2u);
    EXPECT_STREQ(ansi, "\x80" "1");
}

TEST(CodePage, TheNulBoundedLengthServesEstimateAndConversion) {
    // The input length reaches past the NUL: both steps stop at the NUL.
    const char text[] = "ab\0cd";
    EXPECT_EQ(estimate_codepage_to_wide(CP_ACP, text, 5), 3u);
    wchar_t wide[8];
    for (wchar_t& w : wide) w = L'#';
    EXPECT_EQ(convert_codepage_to_wide(CP_ACP, wide, 8, text, 5), 2u);
    EXPECT_EQ(std::wstring(wide), L"ab");
    for (t_size n = 2; n < 8; ++n) EXPECT_EQ(wide[n], 0) << n;

    const wchar_t wtext[] = {L'x', 0, L'y', L'z', 0};
    EXPECT_EQ(estimate_wide_to_codepage(CP_ACP, wtext, 4), 2u);
    char ansi[8];
    std::memset(ansi, '#', sizeof ansi);
    EXPECT_EQ(convert_wide_to_codepage(CP_ACP, ansi, 8, wtext, 4), 1u);
    EXPECT_STREQ(ansi, "x");

    // A shorter input length bounds it too.
    EXPECT_EQ(estimate_codepage_to_wide(CP_ACP, "abcdef", 2), 3u);
    EXPECT_EQ(convert_codepage_to_wide(CP_ACP, wide, 8, "abcdef", 2), 2u);
    EXPECT_EQ(std::wstring(wide), L"ab");
}

TEST(CodePage, BufferEdgesAndFailures) {
    wchar_t wide[4] = {L'#', L'#', L'#', L'#'};
    EXPECT_EQ(convert_codepage_to_wide(CP_ACP, wide, 0, "abc"), 0u);
    EXPECT_EQ(wide[0], L'#');
    // Too small for the text: the conversion fails and the result is empty and zero-filled.
    EXPECT_EQ(convert_codepage_to_wide(CP_ACP, wide, 3, "abcdef"), 0u);
    for (t_size n = 0; n < 3; ++n) EXPECT_EQ(wide[n], 0) << n;
    EXPECT_EQ(wide[3], L'#');  // never past the caller's length
    char ansi[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(convert_wide_to_codepage(CP_ACP, ansi, 0, L"abc"), 0u);
    EXPECT_EQ(ansi[0], '#');
    EXPECT_EQ(convert_wide_to_codepage(CP_ACP, ansi, 3, L"abcdef"), 0u);
    EXPECT_EQ(ansi[0], 0);
    EXPECT_EQ(ansi[2], 0);
    // An unknown code page fails: an empty result.
    EXPECT_EQ(convert_codepage_to_wide(12345, wide, 4, "abc"), 0u);
    EXPECT_EQ(wide[0], 0);
    EXPECT_EQ(estimate_codepage_to_wide(12345, "abc"), 1u);
    // Empty and null input.
    EXPECT_EQ(estimate_codepage_to_wide(CP_ACP, ""), 1u);
    EXPECT_EQ(estimate_codepage_to_wide(CP_ACP, nullptr), 1u);
    EXPECT_EQ(estimate_wide_to_codepage(CP_ACP, nullptr), 1u);
    EXPECT_EQ(convert_wide_to_codepage(CP_ACP, ansi, 4, nullptr), 0u);
    EXPECT_EQ(ansi[0], 0);
}

TEST(CodePage, CharactersOutsideTheCodePageBecomeReplacements) {
    const wchar_t han[] = {L'a', 0x4E2D, L'b', 0};
    codepage_from_wide ansi(han);
    EXPECT_STREQ(ansi.get_ptr(), "a?b");
    codepage_from_utf8 from_utf8("x\xE4\xB8\xAD" "y");
    EXPECT_STREQ(from_utf8.get_ptr(), "x?y");
}

TEST(CodePage, EveryByteRoundTrips) {
    for (unsigned b = 1; b < 256; ++b) {
        char text[2] = {char(b), 0};
        wide_from_codepage wide(text);
        ASSERT_EQ(wide.length(), 1u) << b;
        codepage_from_wide back(wide.get_ptr());
        EXPECT_STREQ(back.get_ptr(), text) << b;
        utf8_from_codepage utf8(text);
        EXPECT_TRUE(is_valid_utf8(utf8.get_ptr()));
        codepage_from_utf8 again(utf8.get_ptr());
        EXPECT_STREQ(again.get_ptr(), text) << b;
    }
}

// ---- Converter objects -------------------------------------------------------------------------------

TEST(Converters, BuffersAreSizedExactly) {
    utf8_from_wide empty(L"");
    EXPECT_STREQ(empty.get_ptr(), "");
    EXPECT_EQ(empty.get_buffer_size(), 1u);

    wide_from_utf8 wide(mixed_utf8);
    EXPECT_EQ(std::wstring(wide.get_ptr()), std::wstring(mixed_wide));
    EXPECT_EQ(wide.get_buffer_size(), 6u);
    EXPECT_EQ(wide.length(), 5u);

    utf8_from_wide utf8(mixed_wide);
    EXPECT_STREQ(utf8, mixed_utf8);
    EXPECT_EQ(utf8.get_buffer_size(), 11u);
}

TEST(Converters, InvalidInputKeepsThePartBeforeIt) {
    wide_from_utf8 wide("good\xC3" "bad");
    EXPECT_EQ(std::wstring(wide.get_ptr()), L"good");
    EXPECT_EQ(wide.get_buffer_size(), 5u);
}

TEST(Converters, LengthArgumentAndNullSource) {
    wide_from_utf8 part("abcdef", 3);
    EXPECT_EQ(std::wstring(part.get_ptr()), L"abc");
    utf8_from_wide wpart(L"abcdef", 2);
    EXPECT_STREQ(wpart.get_ptr(), "ab");
    wide_from_codepage cpart("abcdef", 4);
    EXPECT_EQ(std::wstring(cpart.get_ptr()), L"abcd");
    codepage_from_wide cwpart(L"abcdef", 1);
    EXPECT_STREQ(cwpart.get_ptr(), "a");
    utf8_from_codepage upart("caf\xE9 noir", 4);
    EXPECT_STREQ(upart.get_ptr(), "caf\xC3\xA9");
    codepage_from_utf8 cupart("caf\xC3\xA9 noir", 5);
    EXPECT_STREQ(cupart.get_ptr(), "caf\xE9");

    EXPECT_STREQ(utf8_from_wide(nullptr).get_ptr(), "");
    EXPECT_EQ(std::wstring(wide_from_utf8(nullptr).get_ptr()), L"");
    EXPECT_EQ(std::wstring(wide_from_codepage(nullptr).get_ptr()), L"");
    EXPECT_STREQ(codepage_from_wide(nullptr).get_ptr(), "");
    EXPECT_STREQ(utf8_from_codepage(nullptr).get_ptr(), "");
    EXPECT_STREQ(codepage_from_utf8(nullptr).get_ptr(), "");
}

TEST(Converters, ScriptBoundaryRoundTrip) {
    // UTF-8 inside, ANSI at the script boundary, wide for Windows.
    const char* utf8 = "Caf\xC3\xA9 \xE2\x82\xAC 5";
    codepage_from_utf8 ansi(utf8);
    EXPECT_STREQ(ansi.get_ptr(), "Caf\xE9 \x80 5");
    utf8_from_codepage back(ansi.get_ptr());
    EXPECT_STREQ(back.get_ptr(), utf8);
    wide_from_codepage wide(ansi.get_ptr());
    utf8_from_wide via_wide(wide.get_ptr());
    EXPECT_STREQ(via_wide.get_ptr(), utf8);
}

}  // namespace
