// Text conversion and value helpers.
#include <misc.h>

#include <gtest/gtest.h>

#include "report_capture.h"

#include <string>
#include <vector>

namespace {

std::wstring takeWide(wchar_t* buffer) {
    std::wstring text(buffer);
    delete[] buffer;
    return text;
}

std::string takeAnsi(char* buffer) {
    std::string text(buffer);
    delete[] buffer;
    return text;
}

// ---- toWide / toAnsi ------------------------------------------------------------------------------

TEST(Conversion, TheTestRunnerFixesTheAnsiCodePage) {
    // The C.UTF-8 locale of tools/wine-run.sh gives the Western European code page under wine.
    EXPECT_EQ(GetACP(), 1252u);
}

TEST(Conversion, EmptyTextGivesOneNul) {
    wchar_t* w = toWide("");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w[0], 0);
    delete[] w;
    char* a = toAnsi(L"");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a[0], 0);
    delete[] a;
}

TEST(Conversion, AsciiRoundTrip) {
    Reports reports;
    EXPECT_EQ(takeWide(toWide("skin.lua")), L"skin.lua");
    EXPECT_EQ(takeAnsi(toAnsi(L"C:\\skins\\default")), "C:\\skins\\default");
    EXPECT_EQ(reports.count(), 0u);
}

TEST(Conversion, AnsiCodePageRoundTrip) {
    if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252";
    Reports reports;
    // 0xE9 e acute, 0x80 euro sign, 0xFC u diaeresis, 0x9C oe ligature in code page 1252.
    const char ansi[] = "caf\xE9 \x80 \xFC\x9C";
    std::wstring wide = takeWide(toWide(ansi));
    EXPECT_EQ(wide, L"caf\u00e9 \u20ac \u00fc\u0153");
    EXPECT_EQ(takeAnsi(toAnsi(wide.c_str())), ansi);
    // Every byte 0x20..0xFF that the code page maps survives the round trip.
    std::string all;
    for (int c = 0x20; c <= 0xFF; ++c) all += static_cast<char>(c);
    std::wstring allWide = takeWide(toWide(all.c_str()));
    EXPECT_EQ(allWide.size(), all.size());
    EXPECT_EQ(takeAnsi(toAnsi(allWide.c_str())), all);
    EXPECT_EQ(reports.count(), 0u);
}

TEST(Conversion, UnmappableCharactersBecomeTheDefaultCharacter) {
    if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252";
    Reports reports;
    // CJK and Cyrillic have no place in code page 1252: each becomes '?'; nothing is cut.
    EXPECT_EQ(takeAnsi(toAnsi(L"a\u4e2d\u0416b")), "a??b");
    EXPECT_EQ(reports.count(), 0u);
}

TEST(Conversion, BufferIsSizedByTheConvertedLength) {
    // UTF-8 through the code-page form: the multibyte text is longer than the wide one, and is not cut.
    char* utf8 = toAnsiCP(L"\u20ac\u4e2d\u00e9", CP_UTF8);
    EXPECT_STREQ(utf8, "\xE2\x82\xAC\xE4\xB8\xAD\xC3\xA9");
    delete[] utf8;
    // And the wide text is shorter than the multibyte one.
    EXPECT_EQ(takeWide(toWideCP("\xE2\x82\xAC\xE4\xB8\xAD\xC3\xA9", CP_UTF8)), L"\u20ac\u4e2d\u00e9");
    // A long text.
    std::string longText(100000, 'x');
    std::wstring longWide = takeWide(toWide(longText.c_str()));
    EXPECT_EQ(longWide.size(), longText.size());
}

TEST(Conversion, FailuresAreReportedAndGiveAnEmptyText) {
    Reports reports;
    EXPECT_EQ(takeWide(toWide(nullptr)), L"");
    EXPECT_EQ(takeAnsi(toAnsi(nullptr)), "");
    EXPECT_EQ(reports.count(), 2u);
    // A code page that does not exist makes the system conversion fail.
    EXPECT_EQ(takeWide(toWideCP("abc", 12345)), L"");
    EXPECT_EQ(takeAnsi(toAnsiCP(L"abc", 12345)), "");
    EXPECT_EQ(reports.count(), 4u);
}

// ---- Value helpers --------------------------------------------------------------------------------

TEST(ValueHelpers, Clamp) {
    Reports reports;
    EXPECT_EQ(clamp(5, 10, 0), 5);
    EXPECT_EQ(clamp(-3, 10, 0), 0);
    EXPECT_EQ(clamp(12, 10, 0), 10);
    EXPECT_EQ(clamp(10, 10, 0), 10);
    EXPECT_EQ(clamp(0, 10, 0), 0);
    EXPECT_EQ(clamp(INT32_MIN, INT32_MAX, INT32_MIN), INT32_MIN);
    EXPECT_EQ(reports.count(), 0u);
    // The bounds swapped: reported, and the lower bound is checked first.
    EXPECT_EQ(clamp(5, 0, 10), 10);
    EXPECT_EQ(reports.count(), 1u);
    EXPECT_EQ(clamp(-5, 0, 10), 10);
    EXPECT_EQ(clamp(15, 0, 10), 0);  // not below min, above max
    EXPECT_EQ(reports.count(), 3u);
}

TEST(ValueHelpers, ClampFloat) {
    Reports reports;
    EXPECT_FLOAT_EQ(clamp(0.5f, 1.0f, 0.0f), 0.5f);
    EXPECT_FLOAT_EQ(clamp(-0.5f, 1.0f, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(clamp(1.5f, 1.0f, 0.0f), 1.0f);
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_FLOAT_EQ(clamp(0.5f, 0.0f, 1.0f), 1.0f);
    EXPECT_EQ(reports.count(), 1u);
}

TEST(ValueHelpers, MaxMinAndClampUpper) {
    EXPECT_EQ(getMax(3, 7), 7);
    EXPECT_EQ(getMax(7, 3), 7);
    EXPECT_EQ(getMin(3, 7), 3);
    EXPECT_EQ(getMin(7, 3), 3);
    EXPECT_EQ(getMax(-1, -2), -1);
    // Equal values give the first argument (observable through references to distinct objects).
    int a = 3, b = 3;
    EXPECT_EQ(getMax(a, b), 3);
    EXPECT_EQ(getMin(a, b), 3);
    int v = 12;
    clampUpper(v, 10);
    EXPECT_EQ(v, 10);
    clampUpper(v, 20);
    EXPECT_EQ(v, 10);
}

struct Base {
    virtual ~Base() {}
};
struct Derived : Base {
    explicit Derived(int* counter) : counter_(counter) {}
    ~Derived() override { ++*counter_; }
    int* counter_;
};

TEST(ValueHelpers, SetZeroAndSafeDelete) {
    int i = 5;
    float f = 2.5f;
    int* p = &i;
    setZero(i);
    setZero(f);
    setZero(p);
    EXPECT_EQ(i, 0);
    EXPECT_EQ(f, 0.0f);
    EXPECT_EQ(p, nullptr);

    int destroyed = 0;
    Base* object = new Derived(&destroyed);
    safeDelete(object);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(destroyed, 1);  // through the virtual destructor
    safeDelete(object);       // null: nothing happens
    EXPECT_EQ(destroyed, 1);
}

// ---- Text splitting -------------------------------------------------------------------------------

std::vector<std::string> strings(const CDynArray<char*>& a) {
    std::vector<std::string> out;
    for (uint32_t i = 0; i < a.mSize; ++i) out.push_back(a[i]);
    return out;
}

TEST(SplitLines, CutsAtEveryRunOfLineEnds) {
    char text[] = "first\r\n\r\nsecond\nthird\r\rfourth\n";
    CDynArray<char*> lines;
    splitLines(lines, text);
    EXPECT_EQ(strings(lines), (std::vector<std::string>{"first", "second", "third", "fourth"}));
}

TEST(SplitLines, EmptyLineBetweenTwoLines) {
    char text[] = "one\n\ntwo";
    CDynArray<char*> lines;
    splitLines(lines, text);
    EXPECT_EQ(strings(lines), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(lines[0], text);
}

TEST(SplitLines, EdgeTexts) {
    CDynArray<char*> lines;
    char empty[] = "";
    splitLines(lines, empty);
    EXPECT_EQ(lines.mSize, 0u);
    char onlyBreaks[] = "\r\n\n\r";
    splitLines(lines, onlyBreaks);
    EXPECT_EQ(lines.mSize, 0u);
    char leading[] = "\nx";
    splitLines(lines, leading);
    EXPECT_EQ(strings(lines), (std::vector<std::string>{"x"}));
    Reports reports;
    splitLines(lines, nullptr);
    EXPECT_EQ(reports.count(), 1u);
    EXPECT_EQ(lines.mSize, 1u);
}

TEST(SplitArgs, PlainAndQuotedArguments) {
    char text[] = "a \"b c\" d";
    CDynArray<char*> args;
    splitArgs(args, text);
    EXPECT_EQ(strings(args), (std::vector<std::string>{"a", "b c", "d"}));
}

TEST(SplitArgs, BlanksTabsAndEnds) {
    CDynArray<char*> args;
    char text[] = "  one\ttwo   three  ";
    splitArgs(args, text);
    EXPECT_EQ(strings(args), (std::vector<std::string>{"one", "two", "three"}));
    args.clear();
    char empty[] = "";
    splitArgs(args, empty);
    EXPECT_EQ(args.mSize, 0u);
    char blanks[] = " \t ";
    splitArgs(args, blanks);
    EXPECT_EQ(args.mSize, 0u);
}

TEST(SplitArgs, QuoteRules) {
    CDynArray<char*> args;
    // A quote inside a plain argument switches to the quoted state and stays in the text.
    char mixed[] = "ab\"c d\" e";
    splitArgs(args, mixed);
    EXPECT_EQ(strings(args), (std::vector<std::string>{"ab\"c d", "e"}));
    args.clear();
    // An unterminated quote runs to the end of the text.
    char open[] = "x \"y z";
    splitArgs(args, open);
    EXPECT_EQ(strings(args), (std::vector<std::string>{"x", "y z"}));
    args.clear();
    // A quote as the last byte ends the walk.
    char last[] = "x \"";
    splitArgs(args, last);
    EXPECT_EQ(strings(args), (std::vector<std::string>{"x"}));
    args.clear();
    // The byte after an opening quote belongs to the argument whatever it is.
    char doubled[] = "\"\"q\" r";
    splitArgs(args, doubled);
    EXPECT_EQ(strings(args), (std::vector<std::string>{"\"q", "r"}));
    args.clear();
    // Quoted arguments back to back.
    char twins[] = "\"a b\"\"c\"";
    splitArgs(args, twins);
    EXPECT_EQ(strings(args), (std::vector<std::string>{"a b", "c"}));
}

// ---- Sizes ----------------------------------------------------------------------------------------

TEST(SizeUnit, ScalesBy1024AboveThreeDigits) {
    double size = 999.0;
    EXPECT_EQ(sizeUnit(size), 0u);
    EXPECT_EQ(size, 999.0);
    size = 1000.0;
    EXPECT_EQ(sizeUnit(size), 1u);
    EXPECT_DOUBLE_EQ(size, 0.9765625);
    size = 5.0 * 1024 * 1024;
    EXPECT_EQ(sizeUnit(size), 2u);
    EXPECT_DOUBLE_EQ(size, 5.0);
    size = 3.0 * 1024 * 1024 * 1024;
    EXPECT_EQ(sizeUnit(size), 3u);
    size = 2.0 * 1024 * 1024 * 1024 * 1024;
    EXPECT_EQ(sizeUnit(size), 4u);
    EXPECT_DOUBLE_EQ(size, 2.0);
    // Past terabytes the scale stops at "TB".
    size = 5000.0 * 1024 * 1024 * 1024 * 1024;
    EXPECT_EQ(sizeUnit(size), 4u);
    EXPECT_DOUBLE_EQ(size, 5000.0);
    EXPECT_STREQ(sizeUnitName(0), L"b");
    EXPECT_STREQ(sizeUnitName(1), L"kb");
    EXPECT_STREQ(sizeUnitName(2), L"MB");
    EXPECT_STREQ(sizeUnitName(3), L"GB");
    EXPECT_STREQ(sizeUnitName(4), L"TB");
    EXPECT_STREQ(sizeUnitName(5), L"?");
}

}  // namespace
