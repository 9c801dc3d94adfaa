// color_rect: a part filled with one colour.

#include "color_rect.h"

#include "values.h"

#include <lua_class/lua_compat.h>

color_rect::color_rect(lua_State* L) : class_base(L, 1), mBrush(nullptr) {
    const color* c = check_color(L, 2);
    mBrush = CreateSolidBrush(c->value);
    ZIN_ASSERT_MSG(mBrush != nullptr, "CreateSolidBrush");
}

color_rect::~color_rect() {
    if (mBrush) DeleteObject(mBrush);
}

void color_rect::draw(HDC dc, const rect&, const rect& clip) {
    // Only what is to be painted, not the whole rect.
    if (!mBrush) return;
    const RECT area = clip.to_RECT();
    FillRect(dc, &area, mBrush);
}

lua_class::method_table color_rect::get_methods() { return lua_class::no_methods(); }
