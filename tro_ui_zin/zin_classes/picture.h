#pragma once
// lPaintPart: the picture part made by the window method add_paint_part(rect, image): the image
// tiled over the part's rect. It never handles mouse events.
//
// Its script value is a "picture" userdata. "picture" is not a registered class: the value has no
// class metatable, reads as "error" and is never destroyed by the collector.

#include "base.h"
#include "bitmap_image.h"

class lPaintPart final : public class_base {
public:
    image* mpImage;    // the image shown
    int mImageRef;     // registry slot that keeps the image alive; 0 = none
    uint8_t mTile;     // 1: tiled over the rect

    // rect at rect_index, image at image_index of the running script call.
    lPaintPart(lua_State* L, int rect_index, int image_index);
    ~lPaintPart();

    // Pushes a new picture userdata built from the rect and the image at the two indices; raises
    // the class check's error when either is of the wrong class.
    static lPaintPart* push_new(lua_State* L, int rect_index, int image_index);

    void draw(HDC dc, const rect& r, const rect& clip) override;

    static const char* get_name() { return "picture"; }
    static lua_class::method_table get_methods();
};
