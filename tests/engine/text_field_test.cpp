// The text field part: literal and title-formatted texts against a fake host (compiler and playback
// control), its script methods, failures as script errors, and its drawing with alignment, clip
// and colour marks.

#include "engine_test_util.h"
#include "fake_host.h"
#include "play_control_stub.h"

#include <tro_ui_zin.h>
#include <zin_classes/text_field.h>
#include <zin_classes/values.h>

#include <trovaplay/sdk/titleformat.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A "compiled" text: the fake player formats it as "<spec> of <track>".
class fake_script final : public titleformat_script {
public:
    explicit fake_script(std::string spec) : spec(std::move(spec)) {}
    std::string spec;
    int refs = 1;
    int service_release() override { return --refs; }
    int service_add_ref() override { return ++refs; }
    bool run(titleformat_hook*, zut::string_base&, titleformat_text_filter*) override { return false; }
};

// Compiles every text that does not begin with "$".
class fake_compiler final : public titleformat_compiler {
public:
    std::vector<std::unique_ptr<fake_script>> made;
    int service_release() override { return m_counted.release(); }
    int service_add_ref() override { return m_counted.add_ref(); }
    bool compile(service_ptr_t<titleformat_script>& p_out, const char* p_spec) override {
        if (p_spec[0] == '$') return false;
        made.push_back(std::make_unique<fake_script>(p_spec));
        p_out.attach(made.back().get());
        return true;
    }
    int count() const { return m_counted.count(); }

private:
    fake_service_base m_counted{"titleformat_compiler"};
};

// Only format_title (slot 20) is called here.
class fake_player final : public play_control_stub {
public:
    std::string track = "Song";  // empty: nothing plays
    std::vector<std::uint32_t> levels;
    bool is_playing() override { return !track.empty(); }
    bool playback_format_title(titleformat_hook* p_hook, zut::string_base& p_out,
                               const service_ptr_t<titleformat_script>& p_script, titleformat_text_filter* p_filter,
                               std::uint32_t p_level) override {
        levels.push_back(p_level);
        EXPECT_EQ(p_hook, nullptr);
        EXPECT_EQ(p_filter, nullptr);
        if (track.empty()) {
            p_out.set_string("");
            return false;
        }
        p_out.set_string((static_cast<fake_script*>(p_script.get_ptr())->spec + " of " + track).c_str());
        return true;
    }
};

class text_fields : public ::testing::Test {
protected:
    lua_State* L = nullptr;
    fake_host host;
    fake_compiler compiler;
    fake_player player;

    void SetUp() override {
        host.offer(titleformat_compiler::class_guid, &compiler);
        host.offer(play_control::class_guid, &player);  // asked for each update, not held
        start_services(host);
        L = engine_test::new_state();
        lua_class::binding<rect>::register_type(L, &rect_member_access);
        lua_class::binding<color>::register_type(L);
        lua_class::binding<font>::register_type(L);
        lua_class::binding<text_field>::register_type(L);
        g_lua = L;
        g_trace_calls = false;
        ASSERT_EQ("", run("f = font.new('Tahoma', 12, 0, 400)\nblack = color.new(0, 0, 0)"));
    }

    void TearDown() override {
        lua_close(L);
        g_lua = nullptr;
        g_reg_free_slots.clear();
        for (const auto& s : compiler.made) EXPECT_EQ(s->refs, 0) << s->spec;
        EXPECT_EQ(compiler.count(), 1);
        reset_module_state();
    }

    std::string run(const std::string& code) { return engine_test::run(L, code); }

    text_field* field(const char* global) {
        lua_getglobal(L, global);
        // Stack: [value]
        text_field* tf = static_cast<text_field*>(lua_touserdata(L, -1));
        lua_pop(L, 1);
        return tf;
    }

    std::string display(const char* global) { return field(global)->mDisplay.get_ptr(); }

    // Script text that evaluates to a string.
    std::string value(const std::string& expression) {
        EXPECT_EQ("", run("result = " + expression));
        lua_getglobal(L, "result");
        const char* text = lua_tostring(L, -1);
        const std::string out = text ? text : "<nil>";
        lua_pop(L, 1);
        return out;
    }
};

TEST_F(text_fields, LiteralAndFormattedTexts) {
    ASSERT_EQ("", run("lit = textfield.new(rect.new(0, 0, 100, 20), '%title%', 2, f, black)\n"
                      "tf = textfield.new(rect.new(0, 0, 100, 20), '%title%', nil, f, black)"));
    EXPECT_EQ(display("lit"), "%title%");
    EXPECT_EQ(display("tf"), "%title% of Song");
    EXPECT_EQ(player.levels, std::vector<std::uint32_t>{3});
    player.track = "Other";
    EXPECT_EQ(display("tf"), "%title% of Song");  // only update formats again
    ASSERT_EQ("", run("tf:update()"));
    EXPECT_EQ(display("tf"), "%title% of Other");
    EXPECT_EQ(value("tf:get_text()"), "%title%");
    // A text the compiler refuses shows the file name instead.
    ASSERT_EQ("", run("tf:set_text('$bad(')"));
    EXPECT_EQ(display("tf"), "%filename% of Other");
    EXPECT_EQ(value("tf:get_text()"), "$bad(");
    // set_text without a mode goes back to mode 0.
    ASSERT_EQ("", run("lit:set_text('%artist%')"));
    EXPECT_EQ(field("lit")->mMode, TEXT_TITLEFORMAT);
    EXPECT_EQ(display("lit"), "%artist% of Other");
    // Mode 1 shows the text as written (nothing fills the string it waits for).
    ASSERT_EQ("", run("lit:set_text('%artist%', 257)"));
    EXPECT_EQ(field("lit")->mMode, TEXT_MODE_1);
    EXPECT_EQ(display("lit"), "%artist%");
    // Nothing plays: the formatted line is empty.
    player.track.clear();
    ASSERT_EQ("", run("tf:update()"));
    EXPECT_EQ(display("tf"), "");
}

TEST_F(text_fields, DrawModeAndArguments) {
    ASSERT_EQ("", run("tf = textfield.new(rect.new(0, 0, 100, 20), 'x', 2, f, black, true)"));
    EXPECT_EQ(field("tf")->mRight, 1);
    ASSERT_EQ("", run("tf:set_draw_mode(1000)"));
    EXPECT_EQ(field("tf")->mDrawMode, 255);
    ASSERT_EQ("", run("tf:set_draw_mode(-100)"));
    EXPECT_EQ(field("tf")->mDrawMode, -17);
    ASSERT_EQ("", run("tf:set_draw_mode()"));
    EXPECT_EQ(field("tf")->mDrawMode, -1);
    ASSERT_EQ("", run("not_right = textfield.new(rect.new(0, 0, 100, 20), 'x', 2, f, black, 1)"));
    EXPECT_EQ(field("not_right")->mRight, 0);
    EXPECT_NE("", run("textfield.new(rect.new(0, 0, 1, 1), 'x', 2, black, black)"));
    EXPECT_NE(std::string::npos, run("textfield.new(rect.new(0, 0, 1, 1), nil, 2, f, black)").find("string expected, got nil"));
    EXPECT_NE(std::string::npos, run("tf:set_text({})").find("string expected, got table"));
}

TEST_F(text_fields, HostFailuresBecomeScriptErrors) {
    // A second compiler makes the lookup fail: the constructor and update raise script errors.
    fake_compiler second;
    host.offer(titleformat_compiler::class_guid, &second);
    ASSERT_EQ("", run("lit = textfield.new(rect.new(0, 0, 100, 20), 'x', 2, f, black)"));
    EXPECT_NE(std::string::npos, run("tf = textfield.new(rect.new(0, 0, 100, 20), 'x', 0, f, black)").find("Service duplicated"));
    EXPECT_NE(std::string::npos, run("lit:set_text('x')").find("Service duplicated"));
    EXPECT_EQ(second.count(), 1);
}

// A 120 x 20 white memory bitmap to draw into.
struct canvas {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap;
    HGDIOBJ old;
    canvas() {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = 120;
        bi.bmiHeader.biHeight = -20;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = SelectObject(dc, bitmap);
        const RECT all = {0, 0, 120, 20};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    // Leftmost and rightmost columns holding a dark pixel; -1 when none.
    std::pair<int, int> ink() const {
        int first = -1, last = -1;
        for (int x = 0; x < 120; ++x)
            for (int y = 0; y < 20; ++y)
                if (GetRValue(GetPixel(dc, x, y)) < 128) {
                    if (first < 0) first = x;
                    last = x;
                }
        return {first, last};
    }
};

TEST_F(text_fields, DrawsAlignedAndClippedAndRestoresTheContext) {
    ASSERT_EQ("", run("left = textfield.new(rect.new(10, 0, 110, 20), 'WWW', 2, f, black)\n"
                      "right = textfield.new(rect.new(10, 0, 110, 20), 'WWW', 2, f, black, true)\n"
                      "marked = textfield.new(rect.new(10, 0, 110, 20), 'a\\3FF0000\\3b', 2, f, black, true)\n"
                      "marked_left = textfield.new(rect.new(10, 0, 110, 20), 'a\\3FF0000\\3b', 2, f, black)"));
    {
        canvas c;
        const HGDIOBJ font_before = GetCurrentObject(c.dc, OBJ_FONT);
        const rect r(10, 0, 110, 20);
        field("left")->draw(c.dc, r, r);
        EXPECT_EQ(GetCurrentObject(c.dc, OBJ_FONT), font_before);
        EXPECT_EQ(GetTextAlign(c.dc) & (TA_RIGHT | TA_CENTER), unsigned(TA_LEFT));
        const auto ink = c.ink();
        EXPECT_GE(ink.first, 10);
        EXPECT_LE(ink.first, 13);
        EXPECT_LT(ink.second, 60);
    }
    {
        canvas c;
        const rect r(10, 0, 110, 20);
        field("right")->draw(c.dc, r, r);
        const auto ink = c.ink();
        EXPECT_GE(ink.second, 105);
        EXPECT_LE(ink.second, 109);
        EXPECT_GT(ink.first, 60);
    }
    {
        // The clip cuts: nothing outside it is painted.
        canvas c;
        field("right")->draw(c.dc, rect(10, 0, 110, 20), rect(10, 0, 100, 20));
        EXPECT_EQ(c.ink().second < 100, true);
    }
    {
        engine_test::debug_capture debug;
        canvas c;
        const rect r(10, 0, 110, 20);
        field("marked")->draw(c.dc, r, r);
        field("marked")->draw(c.dc, r, r);
        EXPECT_EQ(debug.containing("right-alignment not possible").size(), 2u);
    }
    {
        // Colour marks: the plain "a" in the part's colour from the left edge, the "b" in red.
        canvas c;
        const rect r(10, 0, 110, 20);
        field("marked_left")->draw(c.dc, r, r);
        const auto ink = c.ink();
        EXPECT_GE(ink.first, 10);
        EXPECT_LT(ink.second, 25);
        bool red = false;
        for (int x = 10; x < 40; ++x)
            for (int y = 0; y < 20; ++y) {
                const COLORREF p = GetPixel(c.dc, x, y);
                red |= GetRValue(p) > 200 && GetGValue(p) < 120 && GetBValue(p) < 120;
            }
        EXPECT_TRUE(red);
    }
}

}  // namespace
