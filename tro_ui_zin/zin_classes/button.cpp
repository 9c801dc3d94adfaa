// The button part: drawing its looks and following the mouse.
//
// Drawing
//   1. Without states, or with a state index past the list, the default image is copied.
//   2. Otherwise the look of the current mouse state in the current state is drawn with its mode
//      (draw_image).
// Mouse (only moves, left presses, left double clicks and left releases are handled)
//   1. Move: a hovered or pressed button that the mouse left turns normal and calls leave; it stays
//      an active part while the left button is held somewhere (to see the release). A normal button
//      the mouse entered becomes active, and turns pressed (the mouse came back onto the button it
//      pressed: press) or hovered (enter).
//   2. Press: this button is the pressed one; pressed look; active; press.
//   3. Release: no button is pressed any more. A pressed button turns hovered and calls click. A
//      hovered button (pressed elsewhere, released here) stays hovered and active, so that it sees
//      the mouse leave; a normal one (released off it) leaves the active parts, no repaint.
//   4. Repaint and answer true.

#include "button.h"

#include <lua_class/lua_compat.h>
#include <zin_window/zin_window.h>

#include <cstring>

int32_t g_pressed_button = -1;
int32_t g_next_button_id = -2;

void button_reset_pressed() { g_pressed_button = -1; }

namespace {

// -1 stands for "no id": with it a plain hover would look like the return onto a pressed button.
int32_t take_automatic_id() {
    const int32_t id = g_next_button_id;
    g_next_button_id = (g_next_button_id == INT32_MIN) ? -2 : g_next_button_id - 1;
    return id;
}

// An optional image argument of add_state: absent or nil is the default image.
image* opt_image(lua_State* L, int index, image* default_image) {
    if (lua_isnoneornil(L, index)) return default_image;
    return check_image(L, index);
}

// An optional draw mode argument: absent or nil is -1 (direct copy).
int32_t opt_draw_mode(lua_State* L, int index) {
    if (lua_isnoneornil(L, index)) return DRAW_MODE_DIRECT;
    return clamp_draw_mode(lua_class::to_int32(luaL_checknumber(L, index)));
}

int method_add_state(lua_State* L) {
    button* b = check_button(L, 1);
    // Every argument is checked before a reference is taken, so that an error leaves none behind.
    button_state state;
    for (int i = 0; i < 3; ++i) {
        state.mLooks[i].mpImage = opt_image(L, 2 + i, b->mpDefaultImage);
        state.mLooks[i].mMode = opt_draw_mode(L, 5 + i);
    }
    for (int i = 0; i < 3; ++i)
        if (state.mLooks[i].mpImage != b->mpDefaultImage) b->mRefs.push(lua_class::ref(L, 2 + i));
    b->mStates.push(state);
    return 0;
}

int method_cycle_state(lua_State* L) {
    check_button(L, 1)->cycle_state();
    return 0;
}

const luaL_Reg kMethods[] = {
    {"add_state", &method_add_state},
    {"cycle_state", &method_cycle_state},
};

bool is_active(zin_window* w, class_base* part) {
    return w && w->mActive.find(part, 0) != nullptr;
}

}  // namespace

// ---- Construction ------------------------------------------------------------------------------

button::button(lua_State* L)
    : class_base(L),
      mStateIndex(0),
      mMouseState(BUTTON_NORMAL),
      mId(0),
      mpDefaultImage(nullptr) {
    // Checks first, references after: a constructor that raises leaves no slot behind.
    mpDefaultImage = check_image(L, 2);
    if (lua_type(L, 3) == LUA_TNUMBER) mId = lua_class::to_int32(lua_tonumber(L, 3));
    if (lua_type(L, 3) != LUA_TNUMBER || mId == -1) mId = take_automatic_id();
    lua_callback* callbacks[4] = {&mClick, &mEnter, &mPress, &mLeave};
    for (int i = 0; i < 4; ++i)
        if (lua_type(L, 4 + i) == LUA_TFUNCTION) callbacks[i]->slot = lua_class::ref(L, 4 + i);
    mRefs.push(lua_class::ref(L, 2));
}

button::~button() {
    lua_class::unref(g_lua, mClick.slot);
    lua_class::unref(g_lua, mEnter.slot);
    lua_class::unref(g_lua, mPress.slot);
    lua_class::unref(g_lua, mLeave.slot);
    for (uint32_t i = 0; i < mRefs.getSize(); ++i) lua_class::unref(g_lua, mRefs[i]);
    // The pressed button's id must not outlive the button (a new one could take it).
    if (g_pressed_button == mId) g_pressed_button = -1;
}

lua_class::method_table button::get_methods() {
    return {kMethods, static_cast<int>(sizeof kMethods / sizeof kMethods[0])};
}

button* check_button(lua_State* L, int index) {
    return static_cast<button*>(lua_compat::check_udata(L, index, "button"));
}

void register_button_class(lua_State* L) {
    lua_class::binding<button>::register_type(L, &button_member_access);
}

// ---- States ------------------------------------------------------------------------------------

void button::cycle_state() {
    ++mStateIndex;
    if (mStateIndex >= mStates.getSize()) mStateIndex = 0;
    repaint();
}

void button::set_state(uint32_t index) {
    mStateIndex = index;
    repaint();
}

void button::repaint() {
    // A button not yet in a window has nothing to repaint.
    if (mpWin) redraw();
}

// ---- Drawing -------------------------------------------------------------------------------------

void button::draw(HDC dc, const rect& r, const rect& clip) {
    // 1.
    if (mStateIndex >= mStates.getSize()) {
        draw_image(dc, r, clip, mpDefaultImage, DRAW_MODE_DIRECT);
        return;
    }
    // 2.
    const button_look& look = mStates[mStateIndex].mLooks[mMouseState];
    draw_image(dc, r, clip, look.mpImage, look.mMode);
}

// ---- Mouse ---------------------------------------------------------------------------------------

bool button::message(const struct mouse_event& event) {
    zin_window* w = mpWin;
    if (event.msg == WM_MOUSEMOVE) {
        // 1.
        const bool inside = point_in_rect(event.pos, mRect);
        if (mMouseState != BUTTON_NORMAL) {
            if (inside) return false;
            mMouseState = BUTTON_NORMAL;
            mLeave.call_if_set();
            if (g_pressed_button == -1 && w) w->remove_active(this);
        } else {
            if (!inside) return false;
            if (w && !is_active(w, this)) w->add_active(this);
            if (g_pressed_button == mId) {
                mMouseState = BUTTON_PRESSED;
                mPress.call_if_set();
            } else {
                mMouseState = BUTTON_HOVER;
                mEnter.call_if_set();
            }
        }
    } else if (is_left_press(event.msg)) {
        // 2.
        g_pressed_button = mId;
        mMouseState = BUTTON_PRESSED;
        if (w && !is_active(w, this)) w->add_active(this);
        mPress.call_if_set();
    } else if (event.msg == WM_LBUTTONUP) {
        // 3.
        g_pressed_button = -1;
        if (mMouseState != BUTTON_PRESSED) {
            if (mMouseState == BUTTON_NORMAL && w) w->remove_active(this);
            return true;
        }
        mMouseState = BUTTON_HOVER;
        mClick.call_if_set();
    } else {
        return false;
    }
    // 4.
    repaint();
    return true;
}

// ---- Members -------------------------------------------------------------------------------------

int button_member_access(lua_State* L) {
    button* b = check_button(L, 1);
    const char* key = nullptr;
    bool is_set = false;
    if (!lua_class::check_property_args(L, &key, &is_set) || !key) lua_class::raise_not_a_member(L);
    // Stack: [button, key] or [button, key, value]
    // 1. Reading: methods first.
    if (!is_set && lua_class::push_class_entry(L)) return 1;
    // Stack: [button, key, (value)]
    // 2. Any key beginning with "s" is the state index.
    if (key[0] != 's') lua_class::raise_not_a_member(L);
    if (is_set) {
        b->set_state(static_cast<uint32_t>(lua_class::to_int32(luaL_checknumber(L, 3))));
        return 0;
    }
    lua_pushnumber(L, static_cast<lua_Number>(b->mStateIndex));
    // Stack: [button, key, state index]
    return 1;
}
