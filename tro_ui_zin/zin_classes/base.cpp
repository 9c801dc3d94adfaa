// class_base: construction, the default virtual operations, and the table of paint part classes.

#include "base.h"

#include "button.h"
#include "color_rect.h"
#include "picture.h"
#include "playlist.h"
#include "text_field.h"

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
    {"playlist", true, &part_of<playlist>},
    {"textfield", false, &part_of<text_field>},
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
