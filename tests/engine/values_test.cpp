// The script value types rect, point, color, font, bitmap and image, driven from script text:
// members, methods, debug lines and wrong arguments.

#include "engine_test_util.h"
#include "fake_host.h"

#include <zin_classes/zin_classes.h>

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

namespace {

using engine_test::eval;
using engine_test::fails_with;
using engine_test::run;

class Values : public ::testing::Test {
protected:
    void SetUp() override {
        L = engine_test::new_state();
        lua_class::binding<bitmap>::register_type(L);
        lua_class::binding<color>::register_type(L);
        lua_class::binding<font>::register_type(L);
        lua_class::binding<point>::register_type(L, &point_member_access);
        lua_class::binding<rect>::register_type(L, &rect_member_access);
        lua_class::binding<image>::register_type(L, &image_member_access);
        g_lua = L;
    }
    void TearDown() override {
        g_lua = nullptr;
        lua_close(L);
        g_reg_free_slots.clear();
        g_mouse_pos = point(0, 0);
    }
    // The object inside the userdata of a global.
    template <class T>
    T* global(const char* name) {
        lua_getglobal(L, name);
        T* object = static_cast<T*>(lua_touserdata(L, -1));
        lua_pop(L, 1);
        return object;
    }
    lua_State* L = nullptr;
};

// ---- rect ---------------------------------------------------------------------------------------

TEST_F(Values, RectMembersGoByFirstLetter) {
    ASSERT_EQ(run(L, "r = rect.new(10, 0, 20, 5)"), "");
    EXPECT_EQ(eval(L, "r.left"), "10");
    EXPECT_EQ(eval(L, "r.lxyz"), "10");
    EXPECT_EQ(eval(L, "r.t .. ',' .. r.right .. ',' .. r.bottom"), "0,20,5");
    EXPECT_EQ(eval(L, "r.w .. 'x' .. r.h"), "10x5");
    ASSERT_EQ(run(L, "r.w = 30"), "");
    EXPECT_EQ(eval(L, "r.right"), "40");
    EXPECT_EQ(eval(L, "r.width"), "30");
    ASSERT_EQ(run(L, "r.height = 7; r.top = 2.9; r.l = -1.9"), "");
    EXPECT_EQ(eval(L, "r.left .. ',' .. r.top .. ',' .. r.right .. ',' .. r.bottom"), "-1,2,40,7");
}

TEST_F(Values, RectUnknownMembersRaise) {
    ASSERT_EQ(run(L, "r = rect.new(0, 0, 1, 1)"), "");
    EXPECT_TRUE(fails_with(L, "local v = r.x", "'x' not a member of 'rect'"));
    EXPECT_TRUE(fails_with(L, "r.zoom = 1", "'zoom' not a member of 'rect'"));
    EXPECT_TRUE(fails_with(L, "r[''] = 1", "'' not a member of 'rect'"));
    EXPECT_TRUE(fails_with(L, "local v = r[{}]", "not a member of 'rect'"));
    EXPECT_TRUE(fails_with(L, "r.w = 'wide'", "number expected"));
    // Method names and the constructor win on reading.
    EXPECT_EQ(eval(L, "type(r.new_size)"), "function");
    EXPECT_EQ(eval(L, "r.new == rect.new"), "true");
}

TEST_F(Values, RectMethodsMakeNewRects) {
    engine_test::debug_capture debug;
    ASSERT_EQ(run(L, "a = rect.new1(0, 0, 9, 9); b = rect.new_size(5, 5, 10, 20)"), "");
    EXPECT_EQ(eval(L, "a.w .. 'x' .. a.h"), "10x10");
    EXPECT_EQ(eval(L, "b.l .. ',' .. b.t .. ',' .. b.r .. ',' .. b.b"), "5,5,15,25");
    const std::vector<std::string> expected = {"new rect\n", "size: 10x10\n", "new rect\n",
                                               "size: 10x20\n"};
    std::vector<std::string> lines;
    for (const std::string& line : debug.lines)
        if (line.rfind("new rect", 0) == 0 || line.rfind("size:", 0) == 0) lines.push_back(line);
    EXPECT_EQ(lines, expected);
}

TEST_F(Values, RectDebugLinesWarnOfNegativeSizes) {
    engine_test::debug_capture debug;
    ASSERT_EQ(run(L, "r = rect.new(10, 10, 5, 30)"), "");
    EXPECT_TRUE(debug.contains("size: -5x20 (warning: negative!)\n"));
    ASSERT_EQ(run(L, "r = rect.new(0, 0, 5, 30)"), "");
    EXPECT_TRUE(debug.contains("size: 5x30\n"));
}

TEST_F(Values, RectConstructorNeedsFourNumbers) {
    EXPECT_TRUE(fails_with(L, "rect.new(1, 2, 3)", "number expected, got no value"));
    EXPECT_TRUE(fails_with(L, "rect.new(1, 2, 'x', 4)", "number expected, got string"));
    EXPECT_TRUE(fails_with(L, "rect.new_size(1, 2, 3)", "number expected"));
    // Huge numbers are held at the int32 range.
    ASSERT_EQ(run(L, "r = rect.new_size(2147483000, 0, 5000, 1)"), "");
    EXPECT_EQ(eval(L, "r.right"), "2147483647");
}

TEST_F(Values, MouseInsideCountsLeftAndTopOnly) {
    ASSERT_EQ(run(L, "r = rect.new(10, 20, 30, 40)"), "");
    const struct {
        point p;
        const char* inside;
    } cases[] = {
        {{10, 20}, "true"}, {{29, 39}, "true"}, {{30, 25}, "false"},
        {{15, 40}, "false"}, {{9, 25}, "false"}, {{15, 19}, "false"},
    };
    for (const auto& c : cases) {
        g_mouse_pos = c.p;
        EXPECT_EQ(eval(L, "r:mouse_inside()"), c.inside) << c.p.x << "," << c.p.y;
    }
}

// ---- point, color, font -------------------------------------------------------------------------

TEST_F(Values, PointMembersAndDebugLine) {
    engine_test::debug_capture debug;
    ASSERT_EQ(run(L, "p = point.new(3, -4.7)"), "");
    EXPECT_TRUE(debug.contains("x: 3, y: -4\n"));
    EXPECT_EQ(eval(L, "p.x .. ',' .. p.y"), "3,-4");
    ASSERT_EQ(run(L, "p.x = 3.7"), "");
    EXPECT_EQ(eval(L, "p.x"), "3");
    EXPECT_TRUE(fails_with(L, "point.new(1)", "number expected, got no value"));
}

TEST_F(Values, ColorKeepsTheLowEightBitsOfEachComponent) {
    ASSERT_EQ(run(L, "c = color.new(256, 1, 2); d = color.new(-1, 255, 511)"), "");
    EXPECT_EQ(global<color>("c")->value, 0x00020100u);
    EXPECT_EQ(global<color>("d")->value, 0x00FFFFFFu);
    EXPECT_TRUE(fails_with(L, "color.new(1, 2)", "number expected, got no value"));
}

TEST_F(Values, FontFillsItsFourFields) {
    ASSERT_EQ(run(L, "f = font.new('Arial', 12, 3, 700)"), "");
    const LOGFONTA& lf = global<font>("f")->lf;
    EXPECT_EQ(lf.lfHeight, -12);
    EXPECT_EQ(lf.lfWidth, 3);
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_STREQ(lf.lfFaceName, "Arial");
    EXPECT_EQ(lf.lfItalic, 0);
    EXPECT_EQ(lf.lfCharSet, 0);
    EXPECT_EQ(lf.lfEscapement, 0);
    // A face name too long for the record is cut to 31 characters.
    ASSERT_EQ(run(L, "g = font.new(string.rep('x', 40), 10, 0, 400)"), "");
    EXPECT_EQ(std::string(global<font>("g")->lf.lfFaceName), std::string(31, 'x'));
    EXPECT_TRUE(fails_with(L, "font.new(12, 10, 0, 400)", "string expected, got number"));
    EXPECT_TRUE(fails_with(L, "font.new('Arial', 10)", "number expected, got no value"));
}

// ---- bitmap and image ---------------------------------------------------------------------------

// A 24-bit BMP file of 6 x 4 pixels: pixel (x, y) = RGB(40 x, 60 y, 7).
std::string write_test_bmp() {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + "zin_values_test.bmp";
    const int width = 6, height = 4, stride = 20;
    unsigned char header[54] = {'B', 'M'};
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) header[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    put32(2, 54 + stride * height);
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    header[26] = 1;
    header[28] = 24;
    put32(34, stride * height);
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return path;
    fwrite(header, 1, sizeof header, f);
    for (int y = height - 1; y >= 0; --y) {
        unsigned char row[stride] = {};
        for (int x = 0; x < width; ++x) {
            row[3 * x] = 7;                                      // blue
            row[3 * x + 1] = static_cast<unsigned char>(60 * y);  // green
            row[3 * x + 2] = static_cast<unsigned char>(40 * x);  // red
        }
        fwrite(row, 1, stride, f);
    }
    fclose(f);
    return path;
}

TEST_F(Values, BitmapFromFileSizeAndPixels) {
    const std::string path = write_test_bmp();
    ASSERT_EQ(run(L, "b = bitmap.new([[" + path + "]])"), "");
    EXPECT_EQ(eval(L, "b:get_size().x .. 'x' .. b:get_size().y"), "6x4");
    ASSERT_EQ(run(L, "c = b:get_pixel(2, 3)"), "");
    EXPECT_EQ(global<color>("c")->value, RGB(80, 180, 7));
    // Outside the bitmap: a debug report and CLR_INVALID.
    const uint32_t reports = zin_debug_report_count();
    ASSERT_EQ(run(L, "c = b:get_pixel(6, 0)"), "");
    EXPECT_EQ(global<color>("c")->value, CLR_INVALID);
    EXPECT_EQ(zin_debug_report_count() - reports, 1u);
    DeleteFileA(path.c_str());
}

TEST_F(Values, EmptyBitmapsRefuseQueries) {
    reset_module_state();
    fake_host host;
    fake_console_receiver console{0};
    host.offer(console_receiver::class_guid, &console);
    start_services(host);
    ASSERT_EQ(run(L, "e = bitmap.new(); m = bitmap.new('no such file.bmp')"), "");
    // Only the file that could not be loaded is told of.
    EXPECT_EQ(console.lines, std::vector<std::string>{"WARNING : cannot load bitmap no such file.bmp"});
    reset_module_state();
    EXPECT_TRUE(fails_with(L, "e:get_size()", "bitmap not loaded"));
    EXPECT_TRUE(fails_with(L, "m:get_pixel(0, 0)", "bitmap not loaded"));
    EXPECT_TRUE(fails_with(L, "bitmap.new({})", "string expected, got table"));
    EXPECT_TRUE(fails_with(L, "rect.new(0,0,1,1):get_size()", "not a member of 'rect'"));
    EXPECT_TRUE(fails_with(L, "bitmap.get_size(rect.new(0,0,1,1))", "bitmap expected, got rect"));
}

TEST_F(Values, CopyToWithOnlyTwoBitmapsCopiesTheWhole) {
    const std::string path = write_test_bmp();
    ASSERT_EQ(run(L, "a = bitmap.new([[" + path + "]]); b = bitmap.new(); a:copy_to(b)"), "");
    EXPECT_EQ(eval(L, "b:get_size().x .. 'x' .. b:get_size().y"), "6x4");
    bitmap* b = global<bitmap>("b");
    EXPECT_EQ(GetPixel(b->get_dc(), 5, 3), RGB(200, 180, 7));
    EXPECT_EQ(b->mBitmap.mpFile, nullptr);
    DeleteFileA(path.c_str());
}

TEST_F(Values, CopyToGrowsEachDimensionToTheLarger) {
    const std::string path = write_test_bmp();
    ASSERT_EQ(run(L, "a = bitmap.new([[" + path + "]]); b = bitmap.new(4, 10)"), "");
    SetPixel(global<bitmap>("b")->get_dc(), 1, 8, RGB(1, 2, 3));
    // The block (1, 1, 3 x 2) of a to (5, 2) of b: b must be 8 wide; it stays 10 high.
    ASSERT_EQ(run(L, "bitmap.copy_to(a, b, 5, 2, 1, 1, 3, 2)"), "");
    EXPECT_EQ(eval(L, "b:get_size().x .. 'x' .. b:get_size().y"), "8x10");
    HDC dc = global<bitmap>("b")->get_dc();
    EXPECT_EQ(GetPixel(dc, 1, 8), RGB(1, 2, 3));       // content kept
    EXPECT_EQ(GetPixel(dc, 5, 2), RGB(40, 60, 7));      // a(1, 1)
    EXPECT_EQ(GetPixel(dc, 7, 3), RGB(120, 120, 7));    // a(3, 2)
    DeleteFileA(path.c_str());
}

TEST_F(Values, CopyToFromAnEmptyBitmapCopiesNothing) {
    ASSERT_EQ(run(L, "a = bitmap.new(); b = bitmap.new(3, 3); a:copy_to(b, 10, 10)"), "");
    EXPECT_EQ(eval(L, "b:get_size().x"), "3");
    ASSERT_EQ(run(L, "c = bitmap.new(); a:copy_to(c)"), "");
    EXPECT_TRUE(global<bitmap>("c")->mBitmap.isEmpty());
    // Negative positions are reported; the copy is still made.
    const uint32_t reports = zin_debug_report_count();
    ASSERT_EQ(run(L, "b:copy_to(c, 0, 0, 0, -1)"), "");
    EXPECT_EQ(zin_debug_report_count() - reports, 1u);
    EXPECT_EQ(eval(L, "c:get_size().x"), "3");
}

TEST_F(Values, ImageMembers) {
    engine_test::debug_capture debug;
    ASSERT_EQ(run(L, "b = bitmap.new(8, 8); i = image.new(b, rect.new(1, 2, 5, 7))"), "");
    EXPECT_TRUE(debug.contains("ImageSize: 4x5\n"));
    EXPECT_EQ(eval(L, "i.bitmap == b"), "true");
    ASSERT_EQ(run(L, "s = i.rect"), "");
    EXPECT_EQ(eval(L, "s.l .. ',' .. s.t .. ',' .. s.r .. ',' .. s.b"), "1,2,5,7");
    // The rect member is a copy.
    ASSERT_EQ(run(L, "local r = i.rect; r.left = 100"), "");
    EXPECT_EQ(eval(L, "i.rect.left"), "1");
    ASSERT_EQ(run(L, "i.rect = rect.new(0, 0, 2, 2)"), "");
    EXPECT_EQ(global<image>("i")->mRect.right, 2);
    ASSERT_EQ(run(L, "i2 = image.new(b, 3, 4, 1, 2)"), "");
    EXPECT_TRUE(debug.contains("ImageSize: -2x-2 (warning: negative!)\n"));
    EXPECT_TRUE(fails_with(L, "local v = i.Bitmap", "'Bitmap' not a member of 'image'"));
    EXPECT_TRUE(fails_with(L, "local v = i.new", "'new' not a member of 'image'"));
}

TEST_F(Values, ImageBitmapIsCheckedBeforeTheOldIsLetGo) {
    ASSERT_EQ(run(L, "b = bitmap.new(8, 8); i = image.new(b, 0, 0, 8, 8)"), "");
    EXPECT_TRUE(fails_with(L, "i.bitmap = rect.new(0, 0, 1, 1)", "bitmap expected, got rect"));
    EXPECT_EQ(eval(L, "i.bitmap == b"), "true");
    ASSERT_EQ(run(L, "c = bitmap.new(2, 2); i.bitmap = c"), "");
    EXPECT_EQ(eval(L, "i.bitmap == c"), "true");
    EXPECT_EQ(global<image>("i")->mpBitmap, global<bitmap>("c"));
}

TEST_F(Values, ImageKeepsItsBitmapAliveAndLetsGoWhenCollected) {
    ASSERT_EQ(run(L, "i = image.new(bitmap.new(4, 4), 0, 0, 4, 4); collectgarbage()"), "");
    EXPECT_EQ(eval(L, "i.bitmap:get_size().x"), "4");
    const int slot = global<image>("i")->mBitmapRef;
    ASSERT_GE(slot, lua_class::LUA_REGISTRY_OFFSET);
    ASSERT_EQ(run(L, "i = nil; collectgarbage(); collectgarbage()"), "");
    lua_rawgeti(L, LUA_REGISTRYINDEX, slot);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
}

TEST_F(Values, ImageConstructorChecksEveryArgument) {
    ASSERT_EQ(run(L, "b = bitmap.new(4, 4)"), "");
    EXPECT_TRUE(fails_with(L, "image.new()", "bitmap expected, got nil"));
    EXPECT_TRUE(fails_with(L, "image.new(rect.new(0,0,1,1), b)", "bitmap expected, got rect"));
    EXPECT_TRUE(fails_with(L, "image.new(b)", "rect expected, got nil"));
    EXPECT_TRUE(fails_with(L, "image.new(b, 1, 2, 3)", "number expected, got no value"));
    // A refused image takes no reference to its bitmap.
    const uint32_t issued = g_reg_slot_count;
    const uint32_t free_slots = g_reg_free_slots.getSize();
    EXPECT_TRUE(fails_with(L, "image.new(b, 'x')", "rect expected"));
    EXPECT_EQ(g_reg_slot_count, issued);
    EXPECT_EQ(g_reg_free_slots.getSize(), free_slots);
}

}  // namespace
