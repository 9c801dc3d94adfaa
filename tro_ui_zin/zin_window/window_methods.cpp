// The script class "window": window.new and the methods of a window object.

#include "zin_window.h"

#include <lua_class/lua_compat.h>

#include <zin_classes/bitmap_image.h>
#include <zin_classes/picture.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

zin_window* check_window(lua_State* L, int index) {
    return static_cast<zin_window*>(lua_compat::check_udata(L, index, "window"));
}

int32_t check_int(lua_State* L, int index) { return lua_class::to_int32(luaL_checknumber(L, index)); }

// "<expected> expected, got <class name>" as an argument error.
[[noreturn]] void class_error(lua_State* L, int index, const char* expected) {
    lua_pushfstring(L, "%s expected, got %s", expected, lua_class::get_name(L, index));
    luaL_argerror(L, index, lua_tostring(L, -1));
}

// A script-defined part instance is a table whose field "ref" holds the part: the value at index,
// or its field "ref" when it is a table, is pushed.
void push_part_value(lua_State* L, int index) {
    if (lua_istable(L, index)) {
        lua_getfield(L, index, "ref");
    } else {
        lua_pushvalue(L, index);
    }
    // Stack: [..., value]
}

// A picture has no class metatable: the userdata at index is one when it is a part of a window
// (a picture is filed into its window when it is made). Null otherwise.
class_base* find_picture(lua_State* L, int index) {
    if (lua_type(L, index) != LUA_TUSERDATA) return nullptr;
    if (lua_getmetatable(L, index)) {
        lua_pop(L, 1);
        return nullptr;
    }
    class_base* part = static_cast<lPaintPart*>(lua_touserdata(L, index));
    for (uint32_t i = 0; i < g_windows.getSize(); ++i) {
        const CDynArray<class_base*>& parts = g_windows[i]->mParts;
        for (uint32_t j = 0; j < parts.getSize(); ++j)
            if (parts[j] == part) return part;
    }
    return nullptr;
}

// The paint part at index for the list of active parts: every part may go there (those that do
// not answer the mouse answer false); raises "part expected, got ..." for anything else. Leaves the
// part's value pushed.
class_base* check_active_part(lua_State* L, int index) {
    push_part_value(L, index);
    // Stack: [..., value]
    class_base* part = to_paint_part(L, -1);
    if (!part) part = find_picture(L, -1);
    if (!part) {
        lua_pop(L, 1);
        class_error(L, index, "part");
    }
    return part;
}

int method_redraw(lua_State* L) {
    zin_window* w = check_window(L, 1);
    w->redraw_rect(*check_rect(L, 2));
    return 0;
}

int method_add_part_callback(lua_State* L) {
    zin_window* w = check_window(L, 1);
    const char* name = luaL_checkstring(L, 2);
    // 1. The region: a part's rect by index, or a script rect.
    rect* region;
    if (lua_type(L, 3) == LUA_TNUMBER) {
        const uint32_t index = static_cast<uint32_t>(lua_class::to_int32(lua_tonumber(L, 3)));
        if (index >= w->mParts.getSize()) luaL_error(L, "class-index out of range");
        region = &w->mParts[index]->mRect;
    } else {
        region = check_rect(L, 3);
    }
    // 3. The name before a slot is taken, so that a bad name leaves no slot behind.
    const int which = find_part_callback(name);
    if (which < 0) luaL_error(L, "%s is no part-callback-type", name);
    // 2.
    luaL_checktype(L, 4, LUA_TFUNCTION);
    region_callback entry{region, lua_callback{}};
    entry.callback.slot = lua_class::ref(L, 4);
    // 4. The rect's holder stays alive while the region is listed (a part is held by the list).
    w->mPartCallbacks[which].push(entry);
    if (lua_type(L, 3) != LUA_TNUMBER) w->mRefs.push(lua_class::ref(L, 3));
    return 0;
}

int method_is_visible(lua_State* L) {
    lua_pushboolean(L, check_window(L, 1)->mWnd != nullptr);
    return 1;
}

int method_create(lua_State* L) {
    zin_window* w = check_window(L, 1);
    if (!w->mWnd) w->create_native();
    return 0;
}

int method_add_paint_part(lua_State* L) {
    zin_window* w = check_window(L, 1);
    if (lua_isclosing(L)) lua_class::detail::raise_closing_error(L, "picture");
    lPaintPart* part = lPaintPart::push_new(L, 2, 3);
    // Stack: [window, rect, image, ..., picture]
    w->add_part(part, "picture");
    w->mRefs.push(lua_class::ref(L, -1));
    return 1;  // the picture
}

int method_minimize(lua_State* L) {
    zin_window* w = check_window(L, 1);
    post_minimise(w);
    return 0;
}

int method_set_callback(lua_State* L) {
    zin_window* w = check_window(L, 1);
    const char* name = luaL_checkstring(L, 2);
    const int which = find_window_callback(name);
    if (which < 0) luaL_error(L, "%s is no window-callback-type", name);
    lua_callback& callback = w->mCallbacks[which];
    callback.slot = lua_class::set_function_ref(L, 3, callback.slot);
    return 0;
}

int method_resize(lua_State* L) {
    zin_window* w = check_window(L, 1);
    const int32_t p = check_int(L, 2);
    // Any other value would post an unrelated hit-test code (a caption drag, the close button).
    if (!ZIN_CHECK_MSG(p >= 0 && p <= 7, "p >= 0 && p <= 7")) return 0;
    ReleaseCapture();
    if (!w->mWnd) return 0;
    // The sizing loop takes the press point in screen coordinates.
    POINT at{g_mouse_pos.x, g_mouse_pos.y};
    ClientToScreen(w->mWnd, &at);
    PostMessageW(w->mWnd, WM_NCLBUTTONDOWN, HTLEFT + p,
                 MAKELPARAM(static_cast<uint16_t>(at.x), static_cast<uint16_t>(at.y)));
    return 0;
}

int method_add(lua_State* L) {
    zin_window* w = check_window(L, 1);
    const int top = lua_gettop(L);
    for (int i = 2; i <= top; ++i) {
        // 1.
        push_part_value(L, i);
        // Stack: [window, arguments..., value]
        // 2.
        const char* class_name = lua_class::get_name(L, -1);
        if (lua_type(L, -1) != LUA_TUSERDATA || strcmp(class_name, "error") == 0)
            luaL_argerror(L, i, "no recognized class");
        if (strcmp(class_name, "rect") == 0) {
            // 3. A rect that anchors nothing is not kept.
            if (!w->add_anchor(*static_cast<rect*>(lua_touserdata(L, -1)))) {
                lua_pop(L, 1);
                continue;
            }
        } else {
            // 4. Only paint parts.
            class_base* part = to_paint_part(L, -1);
            if (!part) class_error(L, i, "part or rect");
            w->add_part(part, class_name);
        }
        // 5.
        w->mRefs.push(lua_class::ref(L, -1));
        lua_pop(L, 1);
        // Stack: [window, arguments...]
    }
    return 0;
}

int method_switch_to(lua_State* L) {
    zin_window* w = check_window(L, 1);
    zin_window* other = check_window(L, 2);
    w->switch_to(other);
    return 0;
}

int method_close(lua_State* L) {
    zin_window* w = check_window(L, 1);
    // A switch is handing the window its native window, whose record still names the old window:
    // the switch closes it once the hand-over is done.
    if (w->is_taking_over()) w->ask_to_leave(zin_window::leave_close);
    else if (w->mWnd) SendMessageW(w->mWnd, WM_CLOSE, 0, 0);
    return 0;
}

int method_get_pos(lua_State* L) {
    push_rect(L, check_window(L, 1)->mRect);
    return 1;
}

int method_set_pos(lua_State* L) {
    zin_window* w = check_window(L, 1);
    const rect r = *check_rect(L, 2);
    if (w->mWnd) {
        SetWindowPos(w->mWnd, nullptr, r.left, r.top, r.width(), r.height(), SWP_NOZORDER);
    } else {
        const int32_t old_width = w->width();
        const int32_t old_height = w->height();
        w->mRect = r;
        w->relayout(old_width, old_height);
    }
    return 0;
}

int method_set_add_file_option(lua_State* L) {
    zin_window* w = check_window(L, 1);
    const int32_t n = check_int(L, 2);
    if (n < 0 || n >= 6) luaL_error(L, "no such add_files-option");
    w->mAddFileOption = n;
    return 0;
}

int method_get_mouse_pos(lua_State* L) {
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    push_point(L, point(cursor.x, cursor.y));
    return 1;
}

int method_add_active(lua_State* L) {
    zin_window* w = check_window(L, 1);
    class_base* part = check_active_part(L, 2);
    // Stack: [window, part argument, ..., part]
    // The reference keeps the part alive while it is listed.
    w->mActiveRefs.push(active_ref{part, lua_class::ref(L, -1)});
    w->add_active(part);
    return 0;
}

int method_remove_active(lua_State* L) {
    zin_window* w = check_window(L, 1);
    push_part_value(L, 2);
    // Stack: [window, part argument, ..., value]
    class_base* part = to_paint_part(L, -1);
    if (!part) part = find_picture(L, -1);
    if (part) w->remove_active(part);
    return 0;
}

int method_load_docking_bitmap(lua_State* L) {
    zin_window* w = check_window(L, 1);
    bitmap* b = check_bitmap(L, 2);
    if (!b->is_loaded()) luaL_error(L, "bitmap not loaded");
    const uint32_t width = w->mMinWidth > 0 ? static_cast<uint32_t>(w->mMinWidth) : 0;
    const uint32_t height = w->mMinHeight > 0 ? static_cast<uint32_t>(w->mMinHeight) : 0;
    // The mask's size is worked out in 64 bits: a large minimum size must not wrap around.
    const uint64_t bytes = (static_cast<uint64_t>(width) * height + 8) / 8;
    uint8_t* bits = bytes <= SIZE_MAX ? static_cast<uint8_t*>(calloc(static_cast<size_t>(bytes), 1))
                                      : nullptr;
    if (!bits) luaL_error(L, "not enough memory");
    // Pixels beyond the bitmap are never black: only the part of the mask it covers is looked at.
    const HDC dc = b->get_dc();
    const uint32_t bitmap_w = static_cast<uint32_t>(std::max<int32_t>(b->mBitmap.getWidth(), 0));
    const uint32_t bitmap_h = static_cast<uint32_t>(std::max<int32_t>(b->mBitmap.getHeight(), 0));
    for (uint32_t y = 0; y < std::min(height, bitmap_h); ++y) {
        for (uint32_t x = 0; x < std::min(width, bitmap_w); ++x) {
            if (GetPixel(dc, static_cast<int>(x), static_cast<int>(y)) != 0) continue;
            const uint64_t i = static_cast<uint64_t>(y) * width + x;
            bits[i / 8] = static_cast<uint8_t>(bits[i / 8] | (1u << (i % 8)));
        }
    }
    free(w->mDockBits.bits);
    w->mDockBits = bitfield{bits, width, height};
    return 0;
}

const luaL_Reg kMethods[] = {
    {"redraw", &method_redraw},
    {"add_part_callback", &method_add_part_callback},
    {"is_visible", &method_is_visible},
    {"create", &method_create},
    {"add_paint_part", &method_add_paint_part},
    {"redraw_part", &method_redraw},
    {"minimize", &method_minimize},
    {"set_callback", &method_set_callback},
    {"resize", &method_resize},
    {"add", &method_add},
    {"switch_to", &method_switch_to},
    {"close", &method_close},
    {"get_pos", &method_get_pos},
    {"set_pos", &method_set_pos},
    {"set_add_file_option", &method_set_add_file_option},
    {"get_mouse_pos", &method_get_mouse_pos},
    {"add_active", &method_add_active},
    {"remove_active", &method_remove_active},
    {"load_docking_bitmap", &method_load_docking_bitmap},
};

}  // namespace

lua_class::method_table zin_window::get_methods() {
    return {kMethods, static_cast<int>(sizeof kMethods / sizeof kMethods[0])};
}

void zin_window::register_script_class(lua_State* L) { lua_class::binding<zin_window>::register_type(L); }
