// The plain global functions in a skin's script state: debug_out, and get_winamp_pl_info with
// hand-written "pledit.txt" files (line ends, comments, case, missing keys, bad values, no file).

#include "engine_test_util.h"
#include "startup_test_util.h"

#include <global_functions.h>
#include <zin_classes/values.h>

#include <gtest/gtest.h>

using engine_test::eval;
using engine_test::run;

namespace {

TEST(PleditColor, ParsesTheLastSixHexDigitsAsRedGreenBlue) {
    COLORREF c = 0;
    EXPECT_TRUE(parse_pledit_color("#FF8000", &c));
    EXPECT_EQ(c, 0x000080FFu);
    c = 0;
    EXPECT_TRUE(parse_pledit_color("ff8000", &c));
    EXPECT_EQ(c, 0x000080FFu);
    EXPECT_TRUE(parse_pledit_color("12#FF8000", &c));
    EXPECT_EQ(c, 0x000080FFu);
    EXPECT_TRUE(parse_pledit_color("#0a0B0c", &c));
    EXPECT_EQ(c, 0x000C0B0Au);
    c = 7;
    for (const char* bad : {"#F80", "", "#", "#12345", "#GG8000", "#FF 800", "#FF800#"})
        EXPECT_FALSE(parse_pledit_color(bad, &c)) << bad;
    EXPECT_EQ(c, 7u);  // a failure leaves the colour alone
}

class GlobalFunctions : public ::testing::Test {
protected:
    void SetUp() override {
        L = skin_load::new_script_state();
        ASSERT_NE(L, nullptr);
        lua_compat::set_skin_dir(startup_test::widen(folder.dir()).c_str());
        ASSERT_EQ(run(L, "n, bg, sel = color.new(1, 2, 3), color.new(4, 5, 6), color.new(7, 8, 9)\n"
                         "f = font.new('Courier', 20, 3, 700)\n"),
                  "");
    }
    void TearDown() override {
        lua_close(L);
        lua_compat::set_skin_dir(nullptr);
    }
    // Reads the file into n, bg, sel and f; "" or the error.
    std::string read(const std::string& file) {
        return run(L, "get_winamp_pl_info('" + file + "', n, bg, sel, f)");
    }
    COLORREF color_of(const char* name) {
        lua_getglobal(L, name);
        const COLORREF value = static_cast<color*>(lua_touserdata(L, -1))->value;
        lua_pop(L, 1);
        return value;
    }
    const LOGFONTA& font_record() {
        lua_getglobal(L, "f");
        const LOGFONTA& lf = static_cast<font*>(lua_touserdata(L, -1))->lf;
        lua_pop(L, 1);
        return lf;
    }

    lua_State* L = nullptr;
    startup_test::skin_folder folder{"zin_pledit"};
};

TEST_F(GlobalFunctions, DebugOutWritesTwoLines) {
    engine_test::debug_capture capture;
    EXPECT_EQ(run(L, "debug_out('hello')"), "");
    EXPECT_TRUE(capture.contains("!DEBUG: hello\n"));
    EXPECT_TRUE(capture.contains("debug_out: hello\r\n"));
    EXPECT_TRUE(engine_test::fails_with(L, "debug_out()", "bad argument #1"));
    EXPECT_TRUE(engine_test::fails_with(L, "debug_out({})", "string expected"));
}

TEST_F(GlobalFunctions, ReadsColoursAndFontWithCrLfCommentsAndKeysInOtherCase) {
    folder.write("pledit.txt",
                 "; a comment\r\n[text]\r\nNORMAL=#00FF00\r\nnormalbg=#000010\r\n"
                 "SelectedBG=#FFFFFF\r\nFont=Verdana\r\n");
    EXPECT_EQ(read("pledit.txt"), "");
    EXPECT_EQ(color_of("n"), 0x0000FF00u);
    EXPECT_EQ(color_of("bg"), 0x00100000u);
    EXPECT_EQ(color_of("sel"), 0x00FFFFFFu);
    const LOGFONTA& lf = font_record();
    EXPECT_STREQ(lf.lfFaceName, "Verdana");
    EXPECT_EQ(lf.lfHeight, -11);
    EXPECT_EQ(lf.lfWidth, 0);  // the record is cleared
    EXPECT_EQ(lf.lfWeight, 0);
}

TEST_F(GlobalFunctions, LfLinesAndOtherSectionsWork) {
    folder.write("lf.txt", "[Other]\nNormal=#111111\n[Text]\nNormal=#FF8000\nFont=Arial Narrow Bold\n");
    EXPECT_EQ(read("lf.txt"), "");
    EXPECT_EQ(color_of("n"), 0x000080FFu);
    EXPECT_STREQ(font_record().lfFaceName, "Arial Nar");  // nine characters at most
}

TEST_F(GlobalFunctions, BadOrMissingValuesLeaveTheirColourAndAreReported) {
    folder.write("bad.txt", "[Text]\nNormal=#F80\nNormalBG=garbage!\nSelectedBG=#0000FF\n");
    engine_test::debug_capture capture;
    EXPECT_EQ(read("bad.txt"), "");
    EXPECT_EQ(color_of("n"), RGB(1, 2, 3));
    EXPECT_EQ(color_of("bg"), RGB(4, 5, 6));
    EXPECT_EQ(color_of("sel"), 0x00FF0000u);
    EXPECT_TRUE(capture.contains("error reading pledit.txt (0. color-value)\n"));
    EXPECT_TRUE(capture.contains("error reading pledit.txt (1. color-value)\n"));
    EXPECT_FALSE(capture.contains("error reading pledit.txt (2. color-value)\n"));
    EXPECT_STREQ(font_record().lfFaceName, "Arial");  // no Font key
}

TEST_F(GlobalFunctions, NoFileGivesTheDefaults) {
    engine_test::debug_capture capture;
    EXPECT_EQ(read("missing.txt"), "");
    EXPECT_EQ(color_of("n"), RGB(1, 2, 3));
    EXPECT_EQ(color_of("sel"), RGB(7, 8, 9));
    EXPECT_EQ(capture.containing("error reading pledit.txt").size(), 3u);
    EXPECT_STREQ(font_record().lfFaceName, "Arial");
    EXPECT_EQ(font_record().lfHeight, -11);
}

TEST_F(GlobalFunctions, WrongArgumentsAreScriptErrors) {
    EXPECT_TRUE(engine_test::fails_with(L, "get_winamp_pl_info('x', n, bg, sel, n)", "font expected, got color"));
    EXPECT_TRUE(engine_test::fails_with(L, "get_winamp_pl_info('x', n, 1, sel, f)", "color expected"));
    EXPECT_TRUE(engine_test::fails_with(L, "get_winamp_pl_info()", "bad argument #1"));
    // Without a running skin there is no tray to add to.
    EXPECT_TRUE(engine_test::fails_with(L, "add_tray_icon('x.ico', 0)", "no tray icons"));
    EXPECT_TRUE(engine_test::fails_with(L, "add_tray_icon('x.ico', 0, 5)", "function expected"));
}

}  // namespace
