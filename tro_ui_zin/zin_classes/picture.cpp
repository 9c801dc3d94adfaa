// lPaintPart: the picture part, an image tiled over the part's rect.
//
// draw (dc, r, clip)
//   1. An image without area (or without bitmap) draws nothing; so does an empty r and clip.
//   2. Tiles of the image's size are laid from r's top left corner, row by row; only the tiles
//      that meet both are drawn.
//   3. Each tile is cut to r and clip before it is copied, so nothing lands outside the part.

#include "picture.h"

#include <lua_class/lua_compat.h>

lPaintPart::lPaintPart(lua_State* L, int rect_index, int image_index)
    : class_base(L, rect_index), mpImage(nullptr), mImageRef(0), mTile(1) {
    image* im = check_image(L, image_index);
    mpImage = im;
    mImageRef = lua_class::ref(L, image_index);
}

lPaintPart::~lPaintPart() { lua_class::unref(g_lua, mImageRef); }

lPaintPart* lPaintPart::push_new(lua_State* L, int rect_index, int image_index) {
    rect_index = lua_compat::absolute_index(L, rect_index);
    image_index = lua_compat::absolute_index(L, image_index);
    // "picture" has no class metatable: the userdata stays without one.
    void* memory = lua_class::binding<lPaintPart>::push_new_userdata(L);
    // Stack: [..., picture]
    return new (memory) lPaintPart(L, rect_index, image_index);
}

void lPaintPart::draw(HDC dc, const rect& r, const rect& clip) {
    // 1.
    if (!mpImage || mpImage->draws_nothing()) return;
    rect area = r;
    if (!area.intersect(clip)) return;
    const rect& source = mpImage->mRect;
    const int64_t iw = source.width();
    const int64_t ih = source.height();
    HDC source_dc = mpImage->source_dc();
    // 2. The first row and column that meet the area (area lies inside r).
    const int64_t first_column = (static_cast<int64_t>(area.left) - r.left) / iw;
    const int64_t first_row = (static_cast<int64_t>(area.top) - r.top) / ih;
    for (int64_t ty = r.top + first_row * ih; ty < area.bottom; ty += ih) {
        for (int64_t tx = r.left + first_column * iw; tx < area.right; tx += iw) {
            // 3.
            rect tile(clamp_to_int32(tx), clamp_to_int32(ty), clamp_to_int32(tx + iw),
                      clamp_to_int32(ty + ih));
            if (!tile.intersect(area)) continue;
            BitBlt(dc, tile.left, tile.top, tile.width(), tile.height(), source_dc,
                   clamp_to_int32(source.left + (tile.left - tx)),
                   clamp_to_int32(source.top + (tile.top - ty)), SRCCOPY);
        }
    }
}

lua_class::method_table lPaintPart::get_methods() { return lua_class::no_methods(); }
