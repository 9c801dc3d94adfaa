// The value types rect, point, color and font: constructors, rect methods and members, helpers.

#include "values.h"

#include <lua_class/lua_compat.h>
#include <lua_class/lua_debug.h>

#include <string.h>

namespace {

int32_t check_int(lua_State* L, int index) {
    return lua_class::to_int32(luaL_checknumber(L, index));
}

// "size: <w>x<h>", marked when the rect is turned inside out.
void write_size_line(int32_t width, int32_t height) {
    const bool negative = width < 0 || height < 0;
    lua_class::debug_printf("size: %ix%i%s\n", static_cast<int>(width),
                            static_cast<int>(height), negative ? " (warning: negative!)" : "");
}

}  // namespace

namespace zin_classes {

int constructor_arg_count(lua_State* L) { return lua_gettop(L); }

int32_t check_int_arg(lua_State* L, int index, int) {
    return lua_class::to_int32(luaL_checknumber(L, index));
}

void raise_not_a_member(lua_State* L, const char* class_name) {
    if (lua_type(L, 2) == LUA_TSTRING || lua_type(L, 2) == LUA_TNUMBER)
        luaL_error(L, "'%s' not a member of '%s'", lua_tostring(L, 2), class_name);
    else
        luaL_error(L, "'<%s>' not a member of '%s'", luaL_typename(L, 2), class_name);
}

}  // namespace zin_classes

// ---- point --------------------------------------------------------------------------------------

point::point(lua_State* L) : x(0), y(0) {
    const int count = zin_classes::constructor_arg_count(L);
    x = zin_classes::check_int_arg(L, 1, count);
    y = zin_classes::check_int_arg(L, 2, count);
    lua_class::debug_printf("x: %i, y: %i\n", static_cast<int>(x), static_cast<int>(y));
}

lua_class::method_table point::get_methods() { return lua_class::no_methods(); }

point* push_point(lua_State* L, const point& value) {
    point* p = lua_class::binding<point>::push_new_userdata(L);
    new (p) point(value);
    return p;
}

point* check_point(lua_State* L, int index) {
    return static_cast<point*>(lua_compat::check_udata(L, index, "point"));
}

// ---- rect ---------------------------------------------------------------------------------------

rect::rect(lua_State* L) : left(0), top(0), right(0), bottom(0) {
    const int count = zin_classes::constructor_arg_count(L);
    left = zin_classes::check_int_arg(L, 1, count);
    top = zin_classes::check_int_arg(L, 2, count);
    right = zin_classes::check_int_arg(L, 3, count);
    bottom = zin_classes::check_int_arg(L, 4, count);
    write_size_line(width(), height());
}

bool rect::intersect(const rect& other) {
    if (other.left > left) left = other.left;
    if (other.top > top) top = other.top;
    if (other.right < right) right = other.right;
    if (other.bottom < bottom) bottom = other.bottom;
    return left < right && top < bottom;
}

rect* push_rect(lua_State* L, const rect& value) {
    rect* r = lua_class::binding<rect>::push_new_userdata(L);
    new (r) rect(value);
    return r;
}

rect* check_rect(lua_State* L, int index) {
    return static_cast<rect*>(lua_compat::check_udata(L, index, "rect"));
}

namespace {

// r:mouse_inside()
int rect_mouse_inside(lua_State* L) {
    const rect* r = check_rect(L, 1);
    lua_pushboolean(L, point_in_rect(g_mouse_pos, *r));
    return 1;
}

// rect.new_size and rect.new1: four numbers from index 1, a new rect made of them returned.
enum class rect_form { size, inclusive };
int push_new_rect(lua_State* L, rect_form form) {
    lua_class::debug_printf("new rect\n");
    int32_t v[4];
    for (int i = 0; i < 4; ++i) v[i] = check_int(L, i + 1);
    const rect made = form == rect_form::size
                          ? rect(v[0], v[1], add_clamped(v[0], v[2]), add_clamped(v[1], v[3]))
                          : rect(v[0], v[1], add_clamped(v[2], 1), add_clamped(v[3], 1));
    const rect* r = push_rect(L, made);
    write_size_line(r->width(), r->height());
    return 1;
}

// rect.new_size(left, top, width, height)
int rect_new_size(lua_State* L) { return push_new_rect(L, rect_form::size); }

// rect.new1(left, top, right, bottom): inclusive corners made exclusive.
int rect_new1(lua_State* L) { return push_new_rect(L, rect_form::inclusive); }

const luaL_Reg kRectMethods[] = {
    {"mouse_inside", &rect_mouse_inside},
    {"new_size", &rect_new_size},
    {"new1", &rect_new1},
};

}  // namespace

lua_class::method_table rect::get_methods() {
    return {kRectMethods, static_cast<int>(sizeof kRectMethods / sizeof kRectMethods[0])};
}

int rect_member_access(lua_State* L) {
    rect* r = check_rect(L, 1);
    const char* key = nullptr;
    bool is_set = false;
    if (!lua_class::check_property_args(L, &key, &is_set) || !key)
        zin_classes::raise_not_a_member(L, "rect");
    // Stack: [rect, key] or [rect, key, value]
    // 1. Reading: the class table's entries (methods, "new") come first.
    if (!is_set && lua_class::push_class_entry(L)) return 1;
    // Stack: [rect, key] or [rect, key, value]
    // 2. The member by the key's first letter.
    int32_t* field = nullptr;
    switch (key[0]) {
    case 'l': field = &r->left; break;
    case 't': field = &r->top; break;
    case 'r': field = &r->right; break;
    case 'b': field = &r->bottom; break;
    case 'w':
        if (is_set)
            r->set_width(check_int(L, 3));
        else
            lua_pushnumber(L, r->width());
        return 1;
    case 'h':
        if (is_set)
            r->set_height(check_int(L, 3));
        else
            lua_pushnumber(L, r->height());
        return 1;
    default:
        zin_classes::raise_not_a_member(L, "rect");
    }
    if (is_set)
        *field = check_int(L, 3);
    else
        lua_pushnumber(L, *field);
    return 1;
}

// ---- color --------------------------------------------------------------------------------------

color::color(lua_State* L) : value(0) {
    const int count = zin_classes::constructor_arg_count(L);
    const uint32_t r = static_cast<uint32_t>(zin_classes::check_int_arg(L, 1, count)) & 0xFF;
    const uint32_t g = static_cast<uint32_t>(zin_classes::check_int_arg(L, 2, count)) & 0xFF;
    const uint32_t b = static_cast<uint32_t>(zin_classes::check_int_arg(L, 3, count)) & 0xFF;
    value = r | (g << 8) | (b << 16);
}

lua_class::method_table color::get_methods() { return lua_class::no_methods(); }

color* push_color(lua_State* L, COLORREF value) {
    color* c = lua_class::binding<color>::push_new_userdata(L);
    new (c) color(value);
    return c;
}

color* check_color(lua_State* L, int index) {
    return static_cast<color*>(lua_compat::check_udata(L, index, "color"));
}

// ---- font ---------------------------------------------------------------------------------------

font::font(lua_State* L) {
    memset(&lf, 0, sizeof lf);
    const int count = zin_classes::constructor_arg_count(L);
    if (lua_type(L, 1) != LUA_TSTRING) luaL_typerror(L, 1, "string");
    const char* face = lua_tostring(L, 1);
    const int32_t size = zin_classes::check_int_arg(L, 2, count);
    lf.lfWidth = zin_classes::check_int_arg(L, 3, count);
    lf.lfWeight = zin_classes::check_int_arg(L, 4, count);
    lf.lfHeight = size == INT32_MIN ? INT32_MAX : -size;
    // The face field holds 31 characters and the terminator: a longer name is cut.
    strncpy(lf.lfFaceName, face, sizeof lf.lfFaceName - 1);
    lf.lfFaceName[sizeof lf.lfFaceName - 1] = '\0';
}

lua_class::method_table font::get_methods() { return lua_class::no_methods(); }

font* check_font(lua_State* L, int index) {
    return static_cast<font*>(lua_compat::check_udata(L, index, "font"));
}
