// class_base: construction, the default virtual operations, drawing an image, and the table of
// paint part classes.
//
// draw_image
//   1. The destination is r cut to clip; the source point moves with it.
//   2. Source and destination are cut to the image's bitmap together.
//   3. A constant-alpha blend for modes 1..255, otherwise the raster operation of the mode.

#include "base.h"

#include "base_class.h"
#include "button.h"
#include "color_rect.h"
#include "picture.h"
#include "playlist.h"
#include "progbar.h"
#include "text_field.h"
#include "text_scroll.h"

#include <zin_window/zin_window.h>

#include <string.h>

class_base::class_base(lua_State* L, int rect_index)
    : mRect(0, 0, 0, 0), mpWin(nullptr), mDrawMode(DRAW_MODE_DIRECT) {
    mRect = *check_rect(L, rect_index);
}

void class_base::size() {}

bool class_base::message(const struct mouse_event&) { return false; }

void class_base::redraw() {
    if (!ZIN_CHECK_MSG(mpWin != nullptr, "mpWin")) return;
    mpWin->redraw_rect(mRect);
}

void class_base::set_draw_mode_from_script(lua_State* L, int mode_index) {
    mDrawMode = lua_isnoneornil(L, mode_index)
                    ? DRAW_MODE_DIRECT
                    : clamp_draw_mode(lua_class::to_int32(luaL_checknumber(L, mode_index)));
}

// ---- Drawing an image ---------------------------------------------------------------------------

void draw_image(HDC dc, const rect& r, const rect& clip, const image* img, int32_t mode) {
    if (!img || img->draws_nothing() || mode == 0) return;
    HDC source = img->source_dc();
    if (!source) return;
    // 1. The destination: the part of r that is to be painted.
    rect o = r;
    if (!o.intersect(clip)) return;
    int64_t src_x = static_cast<int64_t>(img->mRect.left) + o.left - r.left;
    int64_t src_y = static_cast<int64_t>(img->mRect.top) + o.top - r.top;
    int64_t dst_x = o.left;
    int64_t dst_y = o.top;
    int64_t w = o.width();
    int64_t h = o.height();
    // 2. Cut to the bitmap: source and destination move together.
    if (src_x < 0) {
        dst_x -= src_x;
        w += src_x;
        src_x = 0;
    }
    if (src_y < 0) {
        dst_y -= src_y;
        h += src_y;
        src_y = 0;
    }
    const int64_t bitmap_w = img->mpBitmap->mBitmap.getWidth();
    const int64_t bitmap_h = img->mpBitmap->mBitmap.getHeight();
    if (src_x + w > bitmap_w) w = bitmap_w - src_x;
    if (src_y + h > bitmap_h) h = bitmap_h - src_y;
    if (w <= 0 || h <= 0) return;
    // 3. Blend or raster operation.
    const int x = static_cast<int>(dst_x), y = static_cast<int>(dst_y);
    const int cx = static_cast<int>(w), cy = static_cast<int>(h);
    const int sx = static_cast<int>(src_x), sy = static_cast<int>(src_y);
    mode = clamp_draw_mode(mode);
    if (mode > 0)
        AlphaBlend(dc, x, y, cx, cy, source, sx, sy, cx, cy,
                   make_blend_function(static_cast<uint8_t>(mode), false));
    else
        BitBlt(dc, x, y, cx, cy, source, sx, sy, g_raster_ops[-mode]);
}

// ---- Paint part classes -------------------------------------------------------------------------

namespace {

template <class T>
class_base* part_of(void* object) {
    return static_cast<T*>(object);
}

// One entry per paint part class.
const part_class_info kPartClasses[] = {
    {"picture", false, &part_of<lPaintPart>},
    {"color_rect", false, &part_of<color_rect>},
    {"button", true, &part_of<button>},
    {"base_class", true, &part_of<base_class>},
    {"playlist", true, &part_of<playlist>},
    {"textfield", false, &part_of<text_field>},
    {"progbar", true, &part_of<prog_bar>},
    {"text_scroll", true, &part_of<text_scroll>},
};

}  // namespace

const part_class_info* find_part_class(const char* class_name) {
    if (!class_name) return nullptr;
    for (const part_class_info& info : kPartClasses)
        if (strcmp(info.name, class_name) == 0) return &info;
    return nullptr;
}

class_base* to_paint_part(lua_State* L, int index, const part_class_info** info) {
    if (info) *info = nullptr;
    if (lua_type(L, index) != LUA_TUSERDATA) return nullptr;
    const part_class_info* found = find_part_class(lua_class::get_name(L, index));
    if (!found) return nullptr;
    if (info) *info = found;
    return found->to_part(lua_touserdata(L, index));
}
