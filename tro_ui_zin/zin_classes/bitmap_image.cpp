// Script classes bitmap and image.
//
// bitmap:copy_to(src, dst, x, y, sx, sy, w, h)
//   1. Missing numbers count as 0; an empty source only warns.
//   2. w or h 0: the whole source (both become the source's size).
//   3. Grow the destination, content kept, to the larger of its old size and the size needed
//      (an empty destination takes the source's format); it forgets its source file.
//   4. Copy the block.

#include "bitmap_image.h"

#include <lua_class/lua_compat.h>
#include <lua_class/lua_debug.h>
#include <trovaplay/sdk/console.h>
#include <zut/string_conv.h>

#include <string.h>

#include <string>

namespace {

// Optional number argument: missing or nil counts as 0.
int32_t opt_int(lua_State* L, int index) {
    if (lua_isnoneornil(L, index)) return 0;
    return lua_class::to_int32(luaL_checknumber(L, index));
}

bitmap* check_loaded_bitmap(lua_State* L, int index) {
    bitmap* b = check_bitmap(L, index);
    if (!b->is_loaded()) luaL_error(L, "bitmap not loaded");
    return b;
}

// ---- bitmap methods -----------------------------------------------------------------------------

int bitmap_copy_to(lua_State* L) {
    bitmap* src = check_bitmap(L, 1);
    bitmap* dst = check_bitmap(L, 2);
    // 1.
    const int32_t x = opt_int(L, 3);
    const int32_t y = opt_int(L, 4);
    const int32_t sx = opt_int(L, 5);
    const int32_t sy = opt_int(L, 6);
    int32_t w = opt_int(L, 7);
    int32_t h = opt_int(L, 8);
    if (!src->is_loaded()) {
        console::warning("cannot copy empty bitmap");
        return 0;
    }
    // 2.
    if (w == 0 || h == 0) {
        w = src->mBitmap.getWidth();
        h = src->mBitmap.getHeight();
    }
    ZIN_ASSERT_MSG(x >= 0 && y >= 0 && sx >= 0 && sy >= 0 && w > 0 && h > 0,
                   "x >= 0 && y >= 0 && sx >= 0 && sy >= 0 && w > 0 && h > 0");
    // 3. Growing may replace the device context of the source too (when it is the destination).
    int32_t need_w = add_clamped(x, w);
    int32_t need_h = add_clamped(y, h);
    if (dst->is_loaded()) {
        if (dst->mBitmap.getWidth() > need_w) need_w = dst->mBitmap.getWidth();
        if (dst->mBitmap.getHeight() > need_h) need_h = dst->mBitmap.getHeight();
    }
    if (!dst->mBitmap.create(need_w, need_h, src->get_dc(), true)) return 0;
    // 4.
    BitBlt(dst->get_dc(), x, y, w, h, src->get_dc(), sx, sy, SRCCOPY);
    return 0;
}

int bitmap_get_size(lua_State* L) {
    const bitmap* b = check_loaded_bitmap(L, 1);
    push_point(L, point(b->mBitmap.getWidth(), b->mBitmap.getHeight()));
    return 1;
}

int bitmap_get_pixel(lua_State* L) {
    const bitmap* b = check_loaded_bitmap(L, 1);
    const int32_t x = lua_class::to_int32(luaL_checknumber(L, 2));
    const int32_t y = lua_class::to_int32(luaL_checknumber(L, 3));
    const bool inside = x >= 0 && y >= 0 && x < b->mBitmap.getWidth() && y < b->mBitmap.getHeight();
    if (!ZIN_CHECK_MSG(inside, "x, y inside the bitmap")) {
        push_color(L, CLR_INVALID);
        return 1;
    }
    push_color(L, GetPixel(b->get_dc(), x, y));
    return 1;
}

const luaL_Reg kBitmapMethods[] = {
    {"copy_to", &bitmap_copy_to},
    {"get_size", &bitmap_get_size},
    {"get_pixel", &bitmap_get_pixel},
};

}  // namespace

// ---- bitmap -------------------------------------------------------------------------------------

bitmap::bitmap(lua_State* L) {
    const int count = zin_classes::constructor_arg_count(L);
    if (count == 0 || lua_isnil(L, 1)) return;  // an empty bitmap
    if (lua_type(L, 1) == LUA_TSTRING) {
        const char* name = lua_tostring(L, 1);
        zut::wide_from_utf8 path(name);
        // A file that cannot be loaded leaves it empty; the skin's author learns why a part is gone.
        if (!mBitmap.setFile(path.get_ptr()))
            console::warning((std::string("cannot load bitmap ") + name).c_str());
        return;
    }
    if (lua_type(L, 1) != LUA_TNUMBER) luaL_typerror(L, 1, "string");
    const int32_t width = zin_classes::check_int_arg(L, 1, count);
    const int32_t height = zin_classes::check_int_arg(L, 2, count);
    HDC screen = GetDC(nullptr);
    mBitmap.create(width, height, screen, false);
    if (screen) ReleaseDC(nullptr, screen);
}

lua_class::method_table bitmap::get_methods() {
    return {kBitmapMethods, static_cast<int>(sizeof kBitmapMethods / sizeof kBitmapMethods[0])};
}

bitmap* check_bitmap(lua_State* L, int index) {
    return static_cast<bitmap*>(lua_compat::check_udata(L, index, "bitmap"));
}

// ---- image --------------------------------------------------------------------------------------

image::image(lua_State* L) : mRect(0, 0, 0, 0), mpBitmap(nullptr), mBitmapRef(0) {
    const int count = zin_classes::constructor_arg_count(L);
    // Every argument is checked before the bitmap reference is taken.
    bitmap* b = check_bitmap(L, 1);
    if (count >= 2 && lua_type(L, 2) == LUA_TNUMBER) {
        mRect.left = zin_classes::check_int_arg(L, 2, count);
        mRect.top = zin_classes::check_int_arg(L, 3, count);
        mRect.right = zin_classes::check_int_arg(L, 4, count);
        mRect.bottom = zin_classes::check_int_arg(L, 5, count);
    } else {
        mRect = *check_rect(L, 2);
    }
    mpBitmap = b;
    mBitmapRef = lua_class::ref(L, 1);
    const bool negative = mRect.width() < 0 || mRect.height() < 0;
    lua_class::debug_printf("ImageSize: %ix%i%s\n", static_cast<int>(mRect.width()),
                            static_cast<int>(mRect.height()),
                            negative ? " (warning: negative!)" : "");
}

image::~image() { lua_class::unref(g_lua, mBitmapRef); }

bool image::draws_nothing() const {
    return !mpBitmap || !mpBitmap->is_loaded() || mRect.width() <= 0 || mRect.height() <= 0;
}

lua_class::method_table image::get_methods() { return lua_class::no_methods(); }

image* check_image(lua_State* L, int index) {
    return static_cast<image*>(lua_compat::check_udata(L, index, "image"));
}

int image_member_access(lua_State* L) {
    image* im = check_image(L, 1);
    const char* key = nullptr;
    bool is_set = false;
    if (!lua_class::check_property_args(L, &key, &is_set) || !key)
        zin_classes::raise_not_a_member(L, "image");
    // Stack: [image, key] or [image, key, value]
    if (strcmp(key, "bitmap") == 0) {
        if (!is_set) {
            if (im->mBitmapRef == 0)
                lua_pushnil(L);
            else
                lua_class::get_ref(L, im->mBitmapRef);
            // Stack: [image, key, bitmap]
            return 1;
        }
        // The new value must be a bitmap before the old one is let go.
        bitmap* b = check_bitmap(L, 3);
        const int slot = lua_class::ref(L, 3);
        lua_class::unref(L, im->mBitmapRef);
        im->mBitmapRef = slot;
        im->mpBitmap = b;
        return 1;
    }
    if (strcmp(key, "rect") == 0) {
        if (!is_set) {
            push_rect(L, im->mRect);
            // Stack: [image, key, rect]
            return 1;
        }
        im->mRect = *check_rect(L, 3);
        return 1;
    }
    zin_classes::raise_not_a_member(L, "image");
}
