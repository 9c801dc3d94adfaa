// Paint part base, the tiled picture and the colour rectangle, drawn into a memory bitmap.

#include "engine_test_util.h"

#include <zin_classes/zin_classes.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using engine_test::fails_with;
using engine_test::run;

constexpr COLORREF kBackground = RGB(1, 2, 3);

// The image's bitmap: every pixel of a 40 x 30 bitmap distinct, RGB(x, y, 99).
COLORREF source_pixel(int x, int y) { return RGB(x, y, 99); }

class Parts : public ::testing::Test {
protected:
    void SetUp() override {
        L = engine_test::new_state();
        lua_class::binding<bitmap>::register_type(L);
        lua_class::binding<color>::register_type(L);
        lua_class::binding<rect>::register_type(L, &rect_member_access);
        lua_class::binding<image>::register_type(L, &image_member_access);
        lua_class::binding<color_rect>::register_type(L);
        g_lua = L;
        HDC screen = GetDC(nullptr);
        ASSERT_TRUE(target.create(200, 100, screen, false));
        ReleaseDC(nullptr, screen);
        clear_target();
        ASSERT_EQ(run(L, "b = bitmap.new(40, 30)"), "");
        HDC dc = object<bitmap>("b")->get_dc();
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) SetPixelV(dc, x, y, source_pixel(x, y));
    }
    void TearDown() override {
        lua_settop(L, 0);
        g_lua = nullptr;
        lua_close(L);
        g_reg_free_slots.clear();
    }
    template <class T>
    T* object(const char* name) {
        lua_getglobal(L, name);
        T* p = static_cast<T*>(lua_touserdata(L, -1));
        lua_pop(L, 1);
        return p;
    }
    void clear_target() {
        HBRUSH brush = CreateSolidBrush(kBackground);
        RECT all = {0, 0, 200, 100};
        FillRect(target.getDC(), &all, brush);
        DeleteObject(brush);
    }
    // A picture of the image global `name` over r, left on the stack.
    lPaintPart* picture(const char* image_name, const rect& r) {
        push_rect(L, r);
        lua_getglobal(L, image_name);
        lPaintPart* part = lPaintPart::push_new(L, -2, -1);
        return part;
    }
    COLORREF at(int x, int y) { return GetPixel(target.getDC(), x, y); }

    lua_State* L = nullptr;
    CBitmapDC target;
};

TEST_F(Parts, PictureTilesItsImageFromTheTopLeftCorner) {
    // A 30 x 20 image (source (5, 5)) over a 100 x 50 part at (10, 10): 4 columns, 3 rows.
    ASSERT_EQ(run(L, "i = image.new(b, 5, 5, 35, 25)"), "");
    const rect r(10, 10, 110, 60);
    lPaintPart* p = picture("i", r);
    EXPECT_EQ(p->mTile, 1);
    EXPECT_EQ(p->mDrawMode, -1);
    p->draw(target.getDC(), r, r);
    for (int y = 10; y < 60; y += 7)
        for (int x = 10; x < 110; x += 9)
            ASSERT_EQ(at(x, y), source_pixel(5 + (x - 10) % 30, 5 + (y - 10) % 20))
                << x << "," << y;
    EXPECT_EQ(at(109, 59), source_pixel(5 + 99 % 30, 5 + 49 % 20));
}

TEST_F(Parts, PictureNeverDrawsOutsideItsPart) {
    ASSERT_EQ(run(L, "i = image.new(b, 0, 0, 30, 20)"), "");
    const rect r(10, 10, 110, 60);
    lPaintPart* p = picture("i", r);
    // The whole target as clip: the last column and row of tiles reach past the part.
    p->draw(target.getDC(), r, rect(0, 0, 200, 100));
    EXPECT_EQ(at(109, 59), source_pixel(99 % 30, 49 % 20));
    EXPECT_EQ(at(110, 30), kBackground);
    EXPECT_EQ(at(125, 30), kBackground);
    EXPECT_EQ(at(50, 60), kBackground);
    EXPECT_EQ(at(50, 69), kBackground);
    EXPECT_EQ(at(9, 9), kBackground);
}

TEST_F(Parts, PictureChangesOnlyTheClip) {
    ASSERT_EQ(run(L, "i = image.new(b, 0, 0, 30, 20)"), "");
    const rect r(10, 10, 110, 60);
    lPaintPart* p = picture("i", r);
    const rect clip(45, 25, 75, 41);
    p->draw(target.getDC(), r, clip);
    for (int y = 5; y < 70; y += 3) {
        for (int x = 5; x < 120; x += 3) {
            const bool inside = point_in_rect(point(x, y), clip);
            const COLORREF expected =
                inside ? source_pixel((x - 10) % 30, (y - 10) % 20) : kBackground;
            ASSERT_EQ(at(x, y), expected) << x << "," << y;
        }
    }
}

TEST_F(Parts, PictureAsLargeAsItsImageDrawsItOnce) {
    ASSERT_EQ(run(L, "i = image.new(b, 0, 0, 40, 30)"), "");
    const rect r(20, 20, 60, 50);
    picture("i", r)->draw(target.getDC(), r, r);
    EXPECT_EQ(at(20, 20), source_pixel(0, 0));
    EXPECT_EQ(at(59, 49), source_pixel(39, 29));
    EXPECT_EQ(at(60, 49), kBackground);
}

TEST_F(Parts, ImagesWithoutAreaOrPixelsDrawNothing) {
    ASSERT_EQ(run(L, "flat = image.new(b, 0, 0, 30, 0); thin = image.new(b, 5, 0, 5, 20)"), "");
    ASSERT_EQ(run(L, "inside_out = image.new(b, 30, 20, 0, 0)"), "");
    ASSERT_EQ(run(L, "empty = image.new(bitmap.new(), 0, 0, 4, 4)"), "");
    const rect r(10, 10, 110, 60);
    for (const char* name : {"flat", "thin", "inside_out", "empty"}) {
        picture(name, r)->draw(target.getDC(), r, r);
        EXPECT_EQ(at(10, 10), kBackground) << name;
        EXPECT_EQ(at(60, 30), kBackground) << name;
    }
}

TEST_F(Parts, PictureShiftedIntoAScratchBitmap) {
    // Drawn with its rect moved (as the compositing does for a scratch bitmap).
    ASSERT_EQ(run(L, "i = image.new(b, 0, 0, 30, 20)"), "");
    lPaintPart* p = picture("i", rect(100, 100, 200, 150));
    const rect shifted(-35, -15, 65, 35);  // the part's rect seen from clip (135, 115)
    p->draw(target.getDC(), shifted, rect(0, 0, 20, 10));
    EXPECT_EQ(at(0, 0), source_pixel(35 % 30, 15));
    EXPECT_EQ(at(19, 9), source_pixel((35 + 19) % 30, (15 + 9) % 20));
    EXPECT_EQ(at(20, 0), kBackground);
}

TEST_F(Parts, PictureKeepsItsImageAlive) {
    ASSERT_EQ(run(L, "i = image.new(b, 0, 0, 30, 20)"), "");
    lPaintPart* p = picture("i", rect(0, 0, 30, 20));
    ASSERT_EQ(run(L, "i = nil; b = nil; collectgarbage(); collectgarbage()"), "");
    p->draw(target.getDC(), rect(0, 0, 30, 20), rect(0, 0, 30, 20));
    EXPECT_EQ(at(3, 4), source_pixel(3, 4));
    // The picture userdata carries no class: it is no registered class and reads as "error".
    EXPECT_STREQ(lua_class::get_name(L, -1), "error");
}

TEST_F(Parts, PictureChecksItsArguments) {
    ASSERT_EQ(run(L, "i = image.new(b, 0, 0, 30, 20); r = rect.new(0, 0, 5, 5)"), "");
    lua_getglobal(L, "r");
    lua_getglobal(L, "b");  // a bitmap where the image belongs
    const int top = lua_gettop(L);
    lua_pushcfunction(L, [](lua_State* S) {
        lPaintPart::push_new(S, 1, 2);
        return 1;
    });
    lua_insert(L, top - 1);
    EXPECT_NE(lua_pcall(L, 2, 1, 0), 0);
    EXPECT_NE(std::string(lua_tostring(L, -1)).find("image expected, got bitmap"),
              std::string::npos);
}

TEST_F(Parts, ColorRectFillsOnlyTheClip) {
    ASSERT_EQ(run(L, "c = color_rect.new(rect.new(10, 10, 60, 40), color.new(200, 100, 50))"), "");
    color_rect* part = object<color_rect>("c");
    EXPECT_EQ(part->mRect.right, 60);
    EXPECT_EQ(part->mpWin, nullptr);
    EXPECT_EQ(part->mDrawMode, -1);
    part->draw(target.getDC(), part->mRect, rect(20, 15, 30, 25));
    EXPECT_EQ(at(20, 15), RGB(200, 100, 50));
    EXPECT_EQ(at(29, 24), RGB(200, 100, 50));
    EXPECT_EQ(at(30, 24), kBackground);
    EXPECT_EQ(at(10, 10), kBackground);
    // Default operations: no mouse handling, nothing on size.
    struct mouse_event event = {};
    event.msg = WM_LBUTTONDOWN;
    EXPECT_FALSE(part->message(event));
    part->size();
}

TEST_F(Parts, ColorRectChecksItsArguments) {
    EXPECT_TRUE(
        fails_with(L, "color_rect.new(rect.new(0, 0, 1, 1))", "color expected, got nil"));
    EXPECT_TRUE(fails_with(L, "color_rect.new(color.new(1, 2, 3))", "rect expected, got color"));
}

TEST_F(Parts, PaintPartClassesAreKnownByName) {
    ASSERT_EQ(run(L, "c = color_rect.new(rect.new(0, 0, 1, 1), color.new(1, 2, 3))"), "");
    ASSERT_EQ(run(L, "r = rect.new(0, 0, 1, 1)"), "");
    lua_getglobal(L, "c");
    const part_class_info* info = nullptr;
    EXPECT_EQ(to_paint_part(L, -1, &info), object<color_rect>("c"));
    ASSERT_NE(info, nullptr);
    EXPECT_STREQ(info->name, "color_rect");
    EXPECT_FALSE(info->handles_messages);
    lua_getglobal(L, "r");
    EXPECT_EQ(to_paint_part(L, -1, &info), nullptr);
    EXPECT_EQ(info, nullptr);
    lua_pushnumber(L, 5);
    EXPECT_EQ(to_paint_part(L, -1), nullptr);
    lua_pop(L, 3);
    ASSERT_NE(find_part_class("picture"), nullptr);
    EXPECT_EQ(find_part_class("Color_Rect"), nullptr);
}

TEST_F(Parts, RedrawWithoutOwnerOnlyReports) {
    ASSERT_EQ(run(L, "c = color_rect.new(rect.new(0, 0, 1, 1), color.new(1, 2, 3))"), "");
    const uint32_t reports = zin_debug_report_count();
    object<color_rect>("c")->redraw();
    EXPECT_EQ(zin_debug_report_count() - reports, 1u);
}

}  // namespace
