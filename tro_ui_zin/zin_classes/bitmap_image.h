#pragma once
// Script classes bitmap (a memory bitmap) and image (a source rectangle within a bitmap).
//
//   bitmap.new()                 an empty bitmap
//   bitmap.new(file name)        loaded from the file (relative to the current directory); a file
//                                that cannot be loaded leaves it empty
//   bitmap.new(width, height)    made empty at that size, with the screen's format
//   methods copy_to, get_size, get_pixel; the collector releases the memory bitmap
//
//   image.new(bitmap, rect) / image.new(bitmap, left, top, right, bottom)
//   members "bitmap" and "rect" through image_member_access; an image keeps its bitmap alive
//   through a registry reference, which it gives back when collected.

#include "values.h"

#include <bitmap.h>
#include <lua_class/lua_class.h>

struct bitmap {
    CBitmapDC mBitmap;

    explicit bitmap(lua_State* L);
    ~bitmap() = default;

    bool is_loaded() const { return !mBitmap.isEmpty(); }
    HDC get_dc() const { return mBitmap.getDC(); }

    static const char* get_name() { return "bitmap"; }
    static lua_class::method_table get_methods();
};

bitmap* check_bitmap(lua_State* L, int index);

struct image {
    rect mRect;           // source rectangle within the bitmap
    bitmap* mpBitmap;     // the bitmap object (inside its userdata)
    int mBitmapRef;       // registry slot that keeps the bitmap object alive; 0 = none

    explicit image(lua_State* L);
    ~image();

    image(const image&) = delete;
    image& operator=(const image&) = delete;

    // The bitmap's device context, or null when the bitmap is empty.
    HDC source_dc() const { return mpBitmap ? mpBitmap->get_dc() : nullptr; }
    // True when drawing the image shows nothing: no bitmap, an empty one, or a source rectangle
    // without area.
    bool draws_nothing() const;

    static const char* get_name() { return "image"; }
    static lua_class::method_table get_methods();
};

image* check_image(lua_State* L, int index);

// __index and __newindex of "image": the keys "bitmap" and "rect", compared exactly.
int image_member_access(lua_State* L);
