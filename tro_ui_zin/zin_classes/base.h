#pragma once
// class_base: the base of every paint part of a skin window, and mouse_event, the record that the
// mouse dispatch hands to parts.
//
// A part has a rectangle (window client coordinates), an owner window and a draw mode, and three
// virtual operations: draw, size and message. Parts live inside script userdata; each part class is
// destroyed by the script binding through its own destructor (there is no virtual destructor).

#include "values.h"

#include <lua_class/lua_class.h>

#include <windows.h>

#include <stdint.h>

class zin_window;
struct image;

// Message code of the hover-leave event handed to parts (one above WM_MOUSEWHEEL).
constexpr uint32_t WM_ZIN_HOVER_LEAVE = 0x20B;

// Windows declares a function of the same name: write the type as `struct mouse_event`.
struct mouse_event {
    HWND hwnd;      // the window that received the message
    uint32_t msg;   // WM_MOUSEMOVE .. WM_MBUTTONDBLCLK, or WM_ZIN_HOVER_LEAVE
    WPARAM wparam;  // key-state flags (0 for a message re-dispatched from WM_PARENTNOTIFY)
    LPARAM lparam;  // packed position
    point pos;      // the new mouse position (client coordinates)
    point delta;    // new position minus the previous one
};

// Draw modes (see the repaint): >= 1 constant alpha, 0 not drawn, -1 direct, -2..-17 raster
// operation.
constexpr int32_t DRAW_MODE_DIRECT = -1;

// A draw mode a script gives, cut to -17..255.
inline int32_t clamp_draw_mode(int32_t mode) { return mode < -17 ? -17 : (mode > 255 ? 255 : mode); }

// A left press: a button down or a double click.
inline bool is_left_press(uint32_t msg) { return msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK; }

// An optional callback argument: absent or nil leaves it unset; anything else must be a function.
inline void check_optional_function(lua_State* L, int index) {
    if (!lua_isnoneornil(L, index)) luaL_checktype(L, index, LUA_TFUNCTION);
}

class class_base {
public:
    rect mRect;           // where the part lies in its window; right and bottom exclusive
    zin_window* mpWin;    // the owner window; null until the part is added to one
    int32_t mDrawMode;    // -1 at construction

    // Takes the rect at stack index rect_index of the running script call ("rect expected, got ..."
    // otherwise). Every part constructor runs this first.
    explicit class_base(lua_State* L, int rect_index = 1);

    // Draws the part into dc. r is where the part lies in dc (its own rect, or that rect shifted
    // into the scratch bitmap); clip is the area of dc to paint, always inside r.
    virtual void draw(HDC dc, const rect& r, const rect& clip) = 0;
    // The part's rect changed (relayout of its window). Default: nothing.
    virtual void size();
    // A mouse event for the part; true when handled. Default: false.
    virtual bool message(const struct mouse_event& event);

    // Asks the owner window to repaint the part's rect; a part without owner is not repainted.
    void redraw();

    // The script method set_draw_mode (part[, mode]) of the parts that have one: the number
    // (-1 when absent) held to -17..255; no repaint.
    void set_draw_mode_from_script(lua_State* L, int mode_index);

    class_base(const class_base&) = delete;
    class_base& operator=(const class_base&) = delete;

protected:
    ~class_base() = default;
};

// Draws the part of an image placed at r that falls into clip, with a draw mode: a constant-alpha
// blend for 1..255, a raster operation for -1..-17, nothing for 0. Nothing is read from outside
// the image's bitmap.
void draw_image(HDC dc, const rect& r, const rect& clip, const image* img, int32_t mode);

// ---- Paint part classes seen from scripts -------------------------------------------------------
// The window accepts only paint parts in its part lists, and only parts that answer mouse events in
// its list of active parts. Each part class has one entry in the table behind these functions.

struct part_class_info {
    const char* name;                       // the script class name
    bool handles_messages;                  // overrides message
    class_base* (*to_part)(void* object);   // the part inside a userdata of that class
};

// The entry of a script class name (case-sensitive), or null when the class is no paint part.
const part_class_info* find_part_class(const char* class_name);

// The part held by the full userdata at index, or null when the value is no paint part. With
// info set, *info receives the class's entry.
class_base* to_paint_part(lua_State* L, int index, const part_class_info** info = nullptr);
