#pragma once
// Script-defined parts: paint parts whose drawing and mouse handling the skin writes in Lua.
//
//   Part = new_base_class(clipping)       a class table {__metatable, clipping, new}
//   function Part.draw(self, r, clip) ... end   (also create, delete, show, hide, size, message)
//   p = Part.new(rect, ...)               an instance table {ref = the part, mRect = its rect}
//   main:add(p)                           the window takes the part through p.ref
//
// The engine forwards the part's operations to the class's functions, each called with the
// instance first: create (instance, arguments after the rect) once in new; draw (instance, rect,
// clip) with fresh rect copies; size (instance) after "mRect" took the part's new rect; message
// (instance, code) answering whether the part handled the mouse event; show and hide (instance)
// when the window gains and loses its native window (a part added to an open window waits for the
// next time it opens), never one twice in a row. The global class table "base_class" is such a
// class without functions.
//
// The instance and its part refer to each other through the registry: an instance lives until the
// script state closes. "delete" is held like the others but not called: the only time the part goes
// is while the state closes, when no script may run.

#include "base.h"

#include <stdint.h>

// Bases of the script-defined part that add no fields or operations.
template <class T>
class inline_base {};
class inline_class {};

class base_class final : public inline_base<base_class>, public inline_class, public class_base {
public:
    // The class functions, in this order.
    enum callback_index { CB_CREATE, CB_DELETE, CB_SHOW, CB_HIDE, CB_DRAW, CB_SIZE, CB_MESSAGE,
                          CB_COUNT };
    static const char* const kCallbackNames[CB_COUNT];

    lua_callback mCallbacks[CB_COUNT];
    int mInstanceRef;   // registry slot of the instance table
    int mRectRef;       // registry slot of the rect stored as the instance's "mRect"
    uint8_t mClipping;  // the class table's "clipping", kept for the script
    // Where the part stands with its window: filed (not shown since it was filed), shown or
    // hidden. A window shows each part that is not shown when it gains its native window and hides
    // each part that is not hidden when it loses it, so no callback of those walks makes a part get
    // show or hide twice in a row.
    enum class show_state : uint8_t { filed, shown, hidden };
    show_state mShowState = show_state::filed;

    // The part of the rect at stack index 1 (already checked); callbacks and slots are set by new.
    explicit base_class(lua_State* L);
    ~base_class();

    void draw(HDC dc, const rect& r, const rect& clip) override;
    void size() override;
    bool message(const struct mouse_event& event) override;
    // The fourth and fifth operations, the window's own for its script-defined parts.
    virtual void show();
    virtual void hide();

    // Pushes the instance table.
    void push_instance(lua_State* L) const;

    static const char* get_name() { return "base_class"; }

private:
    // Pushes the function and the instance when the function is set; false (nothing pushed) when
    // not.
    bool push_call(int which);
    void call_with_instance(int which);
};

// The script global new_base_class (clipping).
int new_base_class(lua_State* L);

// Registers the global class table "base_class" (a class without functions).
void register_base_class(lua_State* L);

// Mouse event code handed to a part's message function for a mouse message (WM_LBUTTONDOWN 0 ...
// WM_MBUTTONDBLCLK 8, the hover leave 10, a move -1); 9 is the hover enter.
int script_part_event_code(uint32_t msg);
