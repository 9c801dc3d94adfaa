// GUID text: printing, parsing and raw hexadecimal.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <zut/guid.h>

namespace {

using namespace zut;

// {BF803668-2977-4C71-B9AB-5C77C338C970}
const GUID sample = {0xBF803668, 0x2977, 0x4C71, {0xB9, 0xAB, 0x5C, 0x77, 0xC3, 0x38, 0xC9, 0x70}};
const char* const sample_text = "BF803668-2977-4C71-B9AB-5C77C338C970";

bool same(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

GUID parse(const char* text) {
    GUID g;
    std::memset(&g, 0xAA, sizeof g);
    guid_from_text(g, text);
    return g;
}

TEST(PrintGuid, NullAndSample) {
    EXPECT_STREQ(print_guid(GUID()), "00000000-0000-0000-0000-000000000000");
    EXPECT_STREQ(print_guid(sample), sample_text);
    EXPECT_EQ(std::strlen(print_guid(sample)), 36u);
    const GUID all = {0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
    EXPECT_STREQ(print_guid(all).get_ptr(), "FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF");
    const GUID low = {0x00000001, 0x0002, 0x0003, {0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B}};
    EXPECT_STREQ(print_guid(low), "00000001-0002-0003-0405-060708090A0B");
}

TEST(GuidFromText, AcceptedForms) {
    EXPECT_TRUE(same(parse(sample_text), sample));
    EXPECT_TRUE(same(parse("{BF803668-2977-4C71-B9AB-5C77C338C970}"), sample));
    EXPECT_TRUE(same(parse("bf803668-2977-4c71-b9ab-5c77c338c970"), sample));
    EXPECT_TRUE(same(parse("BF80366829774C71B9AB5C77C338C970"), sample));
    EXPECT_TRUE(same(parse("{BF80366829774C71B9AB5C77C338C970}"), sample));
    EXPECT_TRUE(same(parse("BF803668--2977---4C71-B9AB-5C77C338C970"), sample));
    // Text after the closing brace is not read.
    EXPECT_TRUE(same(parse("{BF803668-2977-4C71-B9AB-5C77C338C970}trailing"), sample));
}

TEST(GuidFromText, RoundTrips) {
    GUID g = {0x12345678, 0x9ABC, 0xDEF0, {0x0F, 0x1E, 0x2D, 0x3C, 0x4B, 0x5A, 0x69, 0x78}};
    for (int round = 0; round < 50; ++round) {
        GUID back = parse(print_guid(g));
        ASSERT_TRUE(same(back, g)) << print_guid(g).get_ptr();
        // Vary every field.
        g.Data1 = g.Data1 * 2654435761u + 1;
        g.Data2 = static_cast<unsigned short>(g.Data2 * 31 + 7);
        g.Data3 = static_cast<unsigned short>(g.Data3 * 17 + 3);
        for (unsigned char& b : g.Data4) b = static_cast<unsigned char>(b * 13 + round);
    }
}

TEST(GuidFromText, ShortTextFillsOnlyWholeFields) {
    GUID g = parse("BF803668");
    EXPECT_EQ(g.Data1, 0xBF803668u);
    EXPECT_EQ(g.Data2, 0);
    EXPECT_EQ(g.Data3, 0);
    for (unsigned char b : g.Data4) EXPECT_EQ(b, 0);

    g = parse("BF803668-2977-4C");  // the third field does not fit
    EXPECT_EQ(g.Data1, 0xBF803668u);
    EXPECT_EQ(g.Data2, 0x2977);
    EXPECT_EQ(g.Data3, 0);

    g = parse("{BF803668-2977-4C71-B9AB-5C77C338C9}");  // the last field is two digits short
    EXPECT_EQ(g.Data3, 0x4C71);
    EXPECT_EQ(g.Data4[0], 0xB9);
    EXPECT_EQ(g.Data4[1], 0xAB);
    for (int n = 2; n < 8; ++n) EXPECT_EQ(g.Data4[n], 0) << n;

    EXPECT_TRUE(same(parse("BF80366"), GUID()));  // not even the first field
    EXPECT_TRUE(same(parse(""), GUID()));
    EXPECT_TRUE(same(parse("{}"), GUID()));
    EXPECT_TRUE(same(parse("}BF803668"), GUID()));
    EXPECT_TRUE(same(parse(nullptr), GUID()));
}

TEST(GuidFromText, BadCharactersCountAsZero) {
    GUID g = parse("XY803668-2977-4C71-B9AB-5C77C338C97G");
    EXPECT_EQ(g.Data1, 0x00803668u);
    EXPECT_EQ(g.Data4[7], 0x70);
    g = parse("zzzzzzzz");
    EXPECT_EQ(g.Data1, 0u);
}

TEST(PrintHexRaw, BytesInUpperCase) {
    const unsigned char bytes[] = {0x00, 0x7F, 0xA5, 0xFF};
    char out[16];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(print_hex_raw(bytes, 4, out), 4u);
    EXPECT_STREQ(out, "007FA5FF");
    EXPECT_EQ(out[9], '#');
    EXPECT_EQ(print_hex_raw(bytes, 0, out), 0u);
    EXPECT_STREQ(out, "");
}

TEST(PrintGuid, DigitLookupNeverReports) {
    t_size before = get_assert_count();
    print_guid p(sample);
    char out[3];
    print_hex_raw("\xFF", 1, out);
    EXPECT_EQ(get_assert_count(), before);
}

}  // namespace
