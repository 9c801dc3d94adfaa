// Typed configuration items: the factory by type name and the preferences controls they make.

#include <zin_config/conf_items.h>
#include <zin_config/pref_lists.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

namespace {

using namespace zin_config;

TEST(ConfItems, TheFactoryKnowsSixTypeNamesInAnyCase) {
    std::unique_ptr<conf_base> number(create_conf_by_type("NUMBER"));
    ASSERT_NE(nullptr, number);
    EXPECT_STREQ("number", number->get_type_name());
    EXPECT_EQ(0.0, static_cast<conf_number*>(number.get())->value());
    std::unique_ptr<conf_base> string(create_conf_by_type("String"));
    ASSERT_NE(nullptr, string);
    EXPECT_EQ(nullptr, static_cast<conf_string*>(string.get())->get());
    EXPECT_EQ(0u, static_cast<conf_string*>(string.get())->m_choices.getSize());
    for (const char* name : {"bool", "color", "font", "rect"}) {
        std::unique_ptr<conf_base> item(create_conf_by_type(name));
        ASSERT_NE(nullptr, item) << name;
        EXPECT_STREQ(name, item->get_type_name());
    }
    EXPECT_EQ(0u, static_cast<conf_color*>(std::unique_ptr<conf_base>(create_conf_by_type("color")).get())->value());
    for (const char* name : {"bitmap", "window", "", "numbers"})
        EXPECT_EQ(nullptr, std::unique_ptr<conf_base>(create_conf_by_type(name))) << name;
    EXPECT_TRUE(is_rect_type("RECT"));
    EXPECT_FALSE(is_rect_type("rectangle"));
}

class PrefControls : public ::testing::Test {
protected:
    HWND parent = nullptr;
    void SetUp() override {
        parent = CreateWindowExW(0, L"STATIC", L"page", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, parent);
    }
    void TearDown() override {
        for (uint32_t i = 0; i < g_color_swatches.getSize(); ++i) DeleteObject(g_color_swatches[i].brush);
        for (uint32_t i = 0; i < g_font_buttons.getSize(); ++i) DeleteObject(g_font_buttons[i].font);
        g_color_swatches.clear();
        g_font_buttons.clear();
        DestroyWindow(parent);
    }
    static std::wstring text_of(HWND w) {
        wchar_t buffer[256] = {};
        GetWindowTextW(w, buffer, 256);
        return buffer;
    }
    // Position of a child in the parent's client coordinates.
    POINT where(HWND child) const {
        RECT r;
        GetWindowRect(child, &r);
        POINT p{r.left, r.top};
        ScreenToClient(parent, &p);
        return p;
    }
};

TEST_F(PrefControls, ABoolThatHoldsTrueStartsChecked) {
    conf_bool on;
    on.value() = true;
    HWND box = on.create_control(parent, "Shuffle", 10, 50);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(BST_CHECKED, SendMessageW(box, BM_GETCHECK, 0, 0));
    EXPECT_EQ(L"Shuffle", text_of(box));
    EXPECT_EQ(56, where(box).y);
    conf_bool off;
    EXPECT_EQ(BST_UNCHECKED, SendMessageW(off.create_control(parent, "x", 10, 80), BM_GETCHECK, 0, 0));
}

TEST_F(PrefControls, AStringValueNotAmongItsChoicesBecomesTheLastChoice) {
    conf_string item;
    item.assign(L"medium");
    item.add_choice(L"small");
    item.add_choice(L"large");
    HWND box = item.create_control(parent, "Size", 10, 50);
    ASSERT_NE(nullptr, box);
    ASSERT_EQ(3u, item.m_choices.getSize());
    EXPECT_STREQ(L"medium", item.m_choices[2].get());
    EXPECT_EQ(3, SendMessageW(box, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(L"medium", text_of(box));
    EXPECT_EQ(220, where(box).x);
    // Already a choice: not added again.
    item.create_control(parent, "Size", 10, 80);
    EXPECT_EQ(3u, item.m_choices.getSize());
}

TEST_F(PrefControls, AColourListsItsSwatchAndAFontItsButton) {
    conf_color colour;
    colour.value() = RGB(1, 2, 3);
    HWND button = colour.create_control(parent, "Accent", 10, 50);
    ASSERT_NE(nullptr, button);
    EXPECT_EQ(L"Accent", text_of(button));
    ASSERT_EQ(1u, g_color_swatches.getSize());
    const color_swatch& swatch = g_color_swatches[0];
    EXPECT_NE(nullptr, swatch.brush);
    EXPECT_EQ(&g_color_swatches[0], find_color_swatch(swatch.swatch));
    EXPECT_EQ(&g_color_swatches[0], find_color_swatch_by_item(&colour));
    EXPECT_EQ(410, where(swatch.swatch).x);
    EXPECT_EQ(nullptr, find_color_swatch(button));

    conf_font font;
    strcpy(font.value().lfFaceName, "Arial");
    font.value().lfHeight = -12;
    HWND font_button = font.create_control(parent, "Title", 10, 80);
    ASSERT_EQ(1u, g_font_buttons.getSize());
    EXPECT_EQ(font_button, g_font_buttons[0].button);
    EXPECT_NE(nullptr, g_font_buttons[0].font);
    EXPECT_EQ(&g_font_buttons[0], find_font_button(font_button));
    EXPECT_EQ(nullptr, find_pref_control(font_button));
}

}  // namespace
