#pragma once
// The paint part "button": an image per look (normal, hover, pressed), a list of alternative image
// sets (states) the script switches between, and four script callbacks (click, enter, press, leave).
//
//   button.new(rect, image [, id [, click [, enter [, press [, leave]]]]])
//   b:add_state([normal [, hover [, pressed [, normal mode [, hover mode [, pressed mode]]]]]])
//   b:cycle_state()
//   b.state  (any key beginning with "s"): the state index, read or written

#include "base.h"
#include "bitmap_image.h"

#include <array.h>

#include <stdint.h>

// Mouse states of a button (which look of the current state it shows).
enum button_mouse_state : int32_t { BUTTON_NORMAL = 0, BUTTON_HOVER = 1, BUTTON_PRESSED = 2 };

// One look of a state: the image and how it is drawn (draw mode, -17..255).
struct button_look {
    image* mpImage;
    int32_t mMode;
};

// One state: a look for each mouse state.
struct button_state {
    button_look mLooks[3];
};

class button final : public class_base {
public:
    lua_callback mClick;
    lua_callback mEnter;
    lua_callback mPress;
    lua_callback mLeave;
    uint32_t mStateIndex;          // entry of mStates shown; an index past the end shows the default
    int32_t mMouseState;           // button_mouse_state
    int32_t mId;
    image* mpDefaultImage;
    CDynArray<button_state> mStates;
    CDynArray<int> mRefs;          // registry slots keeping the default and the state images alive

    // The script's arguments from index 1 (see above).
    explicit button(lua_State* L);
    ~button();

    void draw(HDC dc, const rect& r, const rect& clip) override;
    bool message(const struct mouse_event& event) override;

    // Moves to the next state (back to the first after the last) and repaints.
    void cycle_state();
    // Sets the state index and repaints.
    void set_state(uint32_t index);

    static const char* get_name() { return "button"; }
    static lua_class::method_table get_methods();

private:
    void repaint();
};

// The id of the button the left mouse button went down on; -1 when none.
extern int32_t g_pressed_button;
// The id the next button made without one takes (-2, -3, ...).
extern int32_t g_next_button_id;

// Forgets the pressed button (the skin unload: its buttons are gone).
void button_reset_pressed();

// The button at a stack index ("button expected, got ..." otherwise).
button* check_button(lua_State* L, int index);

// __index and __newindex of "button".
int button_member_access(lua_State* L);

// Registers the script class "button" with its member function.
void register_button_class(lua_State* L);
