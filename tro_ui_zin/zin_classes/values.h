#pragma once
// The small value types of the skin engine and their script classes: rect, point, color, font.
// They are plain records (no virtual operations, trivially copyable) so that they can live inside a
// script userdata and be copied as bytes; the engine's geometry helpers work on them.
//
// Script classes (registered with lua_class::binding<T>::register_type in the start-up's order):
//   point  members x, y through point_member_access (lua_class)
//   rect   methods mouse_inside, new_size, new1; members through rect_member_access
//   color, font: no methods, no members
// None of them has a delete function: the collector just frees their memory.

#include <lua_class/lua_class.h>

#include <windows.h>

#include <stdint.h>

// Coordinate arithmetic is held at the int32 range instead of overflowing.
inline int32_t clamp_to_int32(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}
inline int32_t add_clamped(int32_t a, int32_t b) {
    return clamp_to_int32(static_cast<int64_t>(a) + b);
}

// ---- point --------------------------------------------------------------------------------------

struct point {
    int32_t x;
    int32_t y;

    point() = default;
    constexpr point(int32_t px, int32_t py) : x(px), y(py) {}
    // point.new(x, y)
    explicit point(lua_State* L);

    point operator+(const point& other) const {
        return point(add_clamped(x, other.x), add_clamped(y, other.y));
    }
    void add(const point& other) { *this = *this + other; }

    static const char* get_name() { return "point"; }
    static lua_class::method_table get_methods();
    static constexpr bool lua_has_delete = false;
};

// ---- rect ---------------------------------------------------------------------------------------

// Window client coordinates; right and bottom are exclusive. A negative width or height is allowed.
struct rect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;

    rect() = default;
    constexpr rect(int32_t l, int32_t t, int32_t r, int32_t b)
        : left(l), top(t), right(r), bottom(b) {}
    // rect.new(left, top, right, bottom)
    explicit rect(lua_State* L);

    int32_t width() const { return clamp_to_int32(static_cast<int64_t>(right) - left); }
    int32_t height() const { return clamp_to_int32(static_cast<int64_t>(bottom) - top); }

    // Moves left and top only (right and bottom stay where they are).
    void set_pos(int32_t l, int32_t t) {
        left = l;
        top = t;
    }
    void set_width(int32_t w) { right = add_clamped(left, w); }
    void set_height(int32_t h) { bottom = add_clamped(top, h); }
    void set_size(int32_t w, int32_t h) {
        set_width(w);
        set_height(h);
    }
    void offset_x(int32_t dx) {
        left = add_clamped(left, dx);
        right = add_clamped(right, dx);
    }
    void offset_y(int32_t dy) {
        top = add_clamped(top, dy);
        bottom = add_clamped(bottom, dy);
    }
    void offset(int32_t dx, int32_t dy) {
        offset_x(dx);
        offset_y(dy);
    }
    // Narrows this rect to its overlap with other; true when the overlap is not empty.
    bool intersect(const rect& other);

    RECT to_RECT() const { return RECT{left, top, right, bottom}; }

    static const char* get_name() { return "rect"; }
    static lua_class::method_table get_methods();
    static constexpr bool lua_has_delete = false;
};

// Left and top inclusive, right and bottom exclusive.
inline bool point_in_rect(const point& p, const rect& r) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The last mouse position the window procedure saw, in the client coordinates of that window
// (defined with the mouse dispatch).
extern point g_mouse_pos;

// __index and __newindex of "rect": keys by their first letter (l, t, r, b, w, h).
int rect_member_access(lua_State* L);

// Pushes a new script rect / point holding a copy of the value.
rect* push_rect(lua_State* L, const rect& value);
point* push_point(lua_State* L, const point& value);

// The rect / point at a stack index ("rect expected, got ..." otherwise).
rect* check_rect(lua_State* L, int index);
point* check_point(lua_State* L, int index);

// ---- color --------------------------------------------------------------------------------------

struct color {
    COLORREF value;  // 0x00BBGGRR

    color() = default;
    constexpr explicit color(COLORREF c) : value(c) {}
    // color.new(r, g, b): each component cut to its low 8 bits.
    explicit color(lua_State* L);

    static const char* get_name() { return "color"; }
    static lua_class::method_table get_methods();
    static constexpr bool lua_has_delete = false;
};

color* push_color(lua_State* L, COLORREF value);
color* check_color(lua_State* L, int index);

// ---- font ---------------------------------------------------------------------------------------

struct font {
    LOGFONTA lf;  // every field 0 but height, width, weight and face name

    // font.new(face name, size, width, weight): height = -size. A face name longer than the
    // record's 31 characters is cut.
    explicit font(lua_State* L);

    static const char* get_name() { return "font"; }
    static lua_class::method_table get_methods();
    static constexpr bool lua_has_delete = false;
};

font* check_font(lua_State* L, int index);

// ---- constructor arguments ----------------------------------------------------------------------

namespace zin_classes {

// Inside a constructor run by T.new: the number of arguments the script passed (they stand from
// index 1 on; the new object is kept off the stack while it is built).
int constructor_arg_count(lua_State* L);
// Argument index of a constructor as a 32-bit integer (truncated); a missing argument or one that
// is not a number raises "number expected, got ...".
int32_t check_int_arg(lua_State* L, int index, int arg_count);

// Raises "'<key>' not a member of '<class_name>'" for the key at stack index 2 of a member
// function.
[[noreturn]] void raise_not_a_member(lua_State* L, const char* class_name);

}  // namespace zin_classes
