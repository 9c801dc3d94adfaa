// The debug-report and debug-output routines: observable through their hooks, and they return.
#include <debug.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Capture {
    std::vector<std::wstring> lines;
    std::vector<std::string> files;
    std::vector<int> numbers;
    std::vector<std::string> texts;
};

void onOutput(const wchar_t* text, void* context) { static_cast<Capture*>(context)->lines.push_back(text); }

void onReport(const zin_debug_report_info& info, void* context) {
    Capture* c = static_cast<Capture*>(context);
    EXPECT_EQ(info.type, zin_report_assert);
    c->files.push_back(info.file ? info.file : "");
    c->numbers.push_back(info.line);
    c->texts.push_back(info.text ? info.text : "<null>");
}

class DebugTest : public ::testing::Test {
protected:
    Capture capture;
    void SetUp() override {
        zin_set_debug_output_hook(onOutput, &capture);
        zin_set_debug_report_hook(onReport, &capture);
    }
    void TearDown() override {
        zin_set_debug_output_hook(nullptr, nullptr);
        zin_set_debug_report_hook(nullptr, nullptr);
    }
};

TEST_F(DebugTest, OutputReachesTheHookAsWideText) {
    zin_debug_output("!!saving of config failed\n");
    zin_debug_output(L"wide line\n");
    zin_debug_output(static_cast<const char*>(nullptr));
    ASSERT_EQ(capture.lines.size(), 2u);
    EXPECT_EQ(capture.lines[0], L"!!saving of config failed\n");
    EXPECT_EQ(capture.lines[1], L"wide line\n");
}

TEST_F(DebugTest, OutputConvertsUtf8) {
    zin_debug_output("caf\xC3\xA9 \xE2\x82\xAC\n");
    ASSERT_EQ(capture.lines.size(), 1u);
    EXPECT_EQ(capture.lines[0], L"caf\u00e9 \u20ac\n");
}

TEST_F(DebugTest, ReportCountsCallsTheHookWritesOneLineAndReturns) {
    uint32_t before = zin_debug_report_count();
    zin_debug_report("sample.cpp", 42, nullptr);
    zin_debug_report("x.cpp", 7, "negPos > 0");
    EXPECT_EQ(zin_debug_report_count() - before, 2u);
    ASSERT_EQ(capture.texts.size(), 2u);
    EXPECT_EQ(capture.files[0], "sample.cpp");
    EXPECT_EQ(capture.numbers[0], 42);
    EXPECT_EQ(capture.texts[0], "<null>");
    EXPECT_EQ(capture.texts[1], "negPos > 0");
    ASSERT_EQ(capture.lines.size(), 2u);
    EXPECT_EQ(capture.lines[0], L"ASSERT: sample.cpp(42)\n");
    EXPECT_EQ(capture.lines[1], L"ASSERT: x.cpp(7): negPos > 0\n");
}

TEST_F(DebugTest, MacrosReportOnlyFailedChecks) {
    uint32_t before = zin_debug_report_count();
    int value = 3;
    ZIN_ASSERT(value == 3);
    EXPECT_TRUE(ZIN_CHECK(value > 0));
    EXPECT_EQ(zin_debug_report_count(), before);
    ZIN_ASSERT(value == 4);
    EXPECT_FALSE(ZIN_CHECK_MSG(value < 0, "value must be negative"));
    ZIN_ASSERT_MSG(false, "plain text");
    EXPECT_EQ(zin_debug_report_count() - before, 3u);
    ASSERT_EQ(capture.texts.size(), 3u);
    EXPECT_EQ(capture.texts[0], "value == 4");
    EXPECT_EQ(capture.texts[1], "value must be negative");
    EXPECT_EQ(capture.texts[2], "plain text");
    EXPECT_NE(capture.files[0].find("debug_test.cpp"), std::string::npos);
    EXPECT_GT(capture.numbers[0], 0);
}

TEST_F(DebugTest, TheLineShowsTheFileNameOnly) {
    zin_debug_report("/build/src/#common/array.h", 12, "i < mSize");
    zin_debug_report("C:\\src\\misc.cpp", 3, nullptr);
    ASSERT_EQ(capture.lines.size(), 2u);
    EXPECT_EQ(capture.lines[0], L"ASSERT: array.h(12): i < mSize\n");
    EXPECT_EQ(capture.lines[1], L"ASSERT: misc.cpp(3)\n");
    EXPECT_EQ(capture.files[0], "/build/src/#common/array.h");  // the hook gets the file as given
}

TEST_F(DebugTest, LongTextsAreCutButTheLineStillEnds) {
    std::string text(5000, 'x');
    zin_debug_report("f", 1, text.c_str());
    zin_debug_output(text.c_str());
    ASSERT_EQ(capture.lines.size(), 2u);
    EXPECT_LT(capture.lines[0].size(), 1024u);
    EXPECT_EQ(capture.lines[0].back(), L'\n');
    EXPECT_EQ(capture.lines[0].compare(0, 14, L"ASSERT: f(1): "), 0);
    EXPECT_LT(capture.lines[1].size(), 1024u);
    EXPECT_GT(capture.lines[1].size(), 1000u);
}

TEST(DebugHooks, SetReturnsThePreviousHookAndContext) {
    int a = 0, b = 0;
    EXPECT_EQ(zin_set_debug_output_hook(onOutput, &a), nullptr);
    void* previous = nullptr;
    EXPECT_EQ(zin_set_debug_output_hook(onOutput, &b, &previous), onOutput);
    EXPECT_EQ(previous, &a);
    EXPECT_EQ(zin_set_debug_output_hook(nullptr, nullptr, &previous), onOutput);
    EXPECT_EQ(previous, &b);
    EXPECT_EQ(zin_set_debug_report_hook(onReport, &a), nullptr);
    EXPECT_EQ(zin_set_debug_report_hook(nullptr, nullptr, &previous), onReport);
    EXPECT_EQ(previous, &a);
}

TEST(DebugHooks, WithoutHooksEverythingStillReturns) {
    uint32_t before = zin_debug_report_count();
    zin_debug_output("no hook\n");
    zin_debug_report(nullptr, 0, nullptr);
    EXPECT_EQ(zin_debug_report_count() - before, 1u);
}

}  // namespace
