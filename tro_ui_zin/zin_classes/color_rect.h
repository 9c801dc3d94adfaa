#pragma once
// color_rect: a paint part that fills what it is asked to paint with one solid colour.
//   color_rect.new(rect, color)
// It never handles mouse events; the collector deletes its brush.

#include "base.h"

class color_rect final : public class_base {
public:
    HBRUSH mBrush;  // solid brush of the colour given at construction, owned

    explicit color_rect(lua_State* L);
    ~color_rect();

    void draw(HDC dc, const rect& r, const rect& clip) override;

    static const char* get_name() { return "color_rect"; }
    static lua_class::method_table get_methods();
};
