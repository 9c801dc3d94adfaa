// The progress bar and slider part.
//
// Geometry: travel = bar length - knob length along the bar, never below 0 (a knob larger than
// its bar cannot move). offset = travel x position / max (0 when max is 0); position =
// offset x max / travel (0 when travel is 0).
//
// Mouse, with c = the mouse's coordinate along the bar, measured from the bar's left (top) edge:
//   1. While sliding: a move sets the knob from c; the left release ends the drag (the bar leaves
//      the window's active parts, release runs, the capture goes). Both answer true.
//   2. Otherwise a left press or double click on a slider starts a drag: press runs, the knob is
//      set from c, and the bar joins the active parts so that it sees the mouse outside its rect.
// Setting the knob from c:
//   1. offset = c - knob length / 2, held to 0..travel.
//   2. An unchanged offset changes nothing.
//   3. Else the position follows, change runs, and the strip covering the old and the new knob is
//      repainted.

#include "progbar.h"

#include <lua_class/lua_compat.h>
#include <zin_window/zin_window.h>

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace {

int method_redraw(lua_State* L) {
    prog_bar* bar = check_prog_bar(L, 1);
    if (bar->mpWin) bar->redraw();
    return 0;
}

int method_set_draw_mode(lua_State* L) {
    check_prog_bar(L, 1)->set_draw_mode_from_script(L, 2);
    return 0;
}

const luaL_Reg kMethods[] = {
    {"redraw", &method_redraw},
    {"set_draw_mode", &method_set_draw_mode},
};

}  // namespace

// ---- Construction ------------------------------------------------------------------------------

prog_bar::prog_bar(lua_State* L)
    : class_base(L),
      mFlags(FLAG_SLIDER | FLAG_SHOW),
      mKnobRef(0),
      mpKnob(nullptr),
      mPosition(0.0f),
      mOffset(0),
      mMax(0),
      mTravel(0) {
    // Checks first, references after: a constructor that raises leaves no slot behind.
    image* knob = check_image(L, 2);
    const int32_t max = lua_class::to_int32(luaL_checknumber(L, 3));
    for (int i = 4; i <= 6; ++i) check_optional_function(L, i);
    mpKnob = knob;
    mMax = std::max<int32_t>(max, 0);
    if (knob->mRect.width() == mRect.width()) mFlags |= FLAG_VERTICAL;
    size();
    mKnobRef = lua_class::ref(L, 2);
    lua_callback* callbacks[3] = {&mPress, &mChange, &mRelease};
    for (int i = 0; i < 3; ++i)
        if (!lua_isnoneornil(L, 4 + i)) callbacks[i]->slot = lua_class::ref(L, 4 + i);
}

prog_bar::~prog_bar() {
    lua_class::unref(g_lua, mPress.slot);
    lua_class::unref(g_lua, mChange.slot);
    lua_class::unref(g_lua, mRelease.slot);
    lua_class::unref(g_lua, mKnobRef);
}

lua_class::method_table prog_bar::get_methods() {
    return {kMethods, static_cast<int>(sizeof kMethods / sizeof kMethods[0])};
}

prog_bar* check_prog_bar(lua_State* L, int index) {
    return static_cast<prog_bar*>(lua_compat::check_udata(L, index, "progbar"));
}

void register_prog_bar_class(lua_State* L) {
    lua_class::binding<prog_bar>::register_type(L, &prog_bar_member_access);
}

// ---- Geometry ----------------------------------------------------------------------------------

int32_t prog_bar::knob_length() const {
    return is_vertical() ? mpKnob->mRect.height() : mpKnob->mRect.width();
}

int32_t prog_bar::knob_breadth() const {
    return is_vertical() ? mpKnob->mRect.width() : mpKnob->mRect.height();
}

int32_t prog_bar::offset_of(float position) const {
    if (mMax == 0) return 0;
    return lua_class::to_int32(static_cast<double>(mTravel) * position / mMax);
}

void prog_bar::size() {
    const int32_t length = is_vertical() ? mRect.height() : mRect.width();
    mTravel = clamp_to_int32(std::max<int64_t>(static_cast<int64_t>(length) - knob_length(), 0));
    mOffset = offset_of(mPosition);
}

void prog_bar::set_position(lua_Number position) {
    // NaN fails both comparisons and ends up at 0.
    if (!(position >= 0)) position = 0;
    if (position > mMax) position = mMax;
    mPosition = static_cast<float>(position);
    const int32_t offset = offset_of(mPosition);
    if (offset == mOffset) return;
    mOffset = offset;
    if (mpWin) redraw();
}

// ---- Drawing -----------------------------------------------------------------------------------

void prog_bar::draw(HDC dc, const rect& r, const rect& clip) {
    if (!(mFlags & FLAG_SHOW)) return;
    rect knob(r.left, r.top, r.left, r.top);
    if (is_vertical())
        knob.offset_y(mOffset);
    else
        knob.offset_x(mOffset);
    knob.set_size(mpKnob->mRect.width(), mpKnob->mRect.height());
    draw_image(dc, knob, clip, mpKnob, DRAW_MODE_DIRECT);
}

// ---- Mouse -------------------------------------------------------------------------------------

bool prog_bar::message(const struct mouse_event& event) {
    const int64_t c = is_vertical() ? static_cast<int64_t>(event.pos.y) - mRect.top
                                    : static_cast<int64_t>(event.pos.x) - mRect.left;
    // 1.
    if (mFlags & FLAG_SLIDING) {
        if (event.msg == WM_MOUSEMOVE) {
            set_from_mouse(c);
            return true;
        }
        if (event.msg == WM_LBUTTONUP) {
            if (mpWin) mpWin->remove_active(this);
            mFlags &= ~FLAG_SLIDING;
            mRelease.call_if_set();
            ReleaseCapture();
            return true;
        }
        return false;
    }
    // 2.
    if (!(mFlags & FLAG_SLIDER) || !is_left_press(event.msg)) return false;
    mFlags |= FLAG_SLIDING;
    mPress.call_if_set();
    if (end_drag_if_closed()) return true;
    set_from_mouse(c);
    // A callback may have ended the drag (or closed the window) meanwhile.
    if ((mFlags & FLAG_SLIDING) && mpWin && !mpWin->mActive.find(this, 0)) mpWin->add_active(this);
    return true;
}

void prog_bar::stop_sliding() {
    mFlags &= ~FLAG_SLIDING;
    if (mpWin) mpWin->remove_active(this);
}

bool prog_bar::end_drag_if_closed() {
    // The release will never come to a closed window, and reopening it forgets its active parts:
    // a drag left standing would follow the mouse without a button held.
    if (!mpWin || mpWin->mWnd) return false;
    stop_sliding();
    return true;
}

void prog_bar::set_from_mouse(int64_t c) {
    // 1.
    const int32_t k = knob_length();
    const int32_t old_offset = mOffset;
    const int32_t offset = clamp_to_int32(std::min<int64_t>(std::max<int64_t>(c - k / 2, 0), mTravel));
    // 2.
    if (offset == old_offset) return;
    // 3.
    mOffset = offset;
    mPosition = mTravel == 0 ? 0.0f : static_cast<float>(static_cast<double>(offset) * mMax / mTravel);
    mChange.call_if_set();
    if (!mpWin || end_drag_if_closed()) return;
    const int32_t from = std::min(old_offset, offset);
    const int32_t to = add_clamped(std::max(old_offset, offset), k);
    const rect strip = is_vertical() ? rect(mRect.left, add_clamped(mRect.top, from),
                                            add_clamped(mRect.left, knob_breadth()),
                                            add_clamped(mRect.top, to))
                                     : rect(add_clamped(mRect.left, from), mRect.top,
                                            add_clamped(mRect.left, to),
                                            add_clamped(mRect.top, knob_breadth()));
    mpWin->redraw_rect(strip);
}

// ---- Members -----------------------------------------------------------------------------------

namespace {

// The flag a key names, or 0: "e..." the slider flag, then "show" and "sliding" (any case).
uint32_t flag_of_key(const char* key) {
    if (key[0] == 'e') return prog_bar::FLAG_SLIDER;
    if (strcasecmp(key, "show") == 0) return prog_bar::FLAG_SHOW;
    if (strcasecmp(key, "sliding") == 0) return prog_bar::FLAG_SLIDING;
    return 0;
}

void set_knob(lua_State* L, prog_bar* bar) {
    image* knob = check_image(L, 3);
    const int old_ref = bar->mKnobRef;
    bar->mKnobRef = lua_class::ref(L, 3);
    bar->mpKnob = knob;
    lua_class::unref(L, old_ref);
    // A knob of another size moves over another travel.
    bar->size();
    if (bar->mpWin) bar->redraw();
}

}  // namespace

int prog_bar_member_access(lua_State* L) {
    prog_bar* bar = check_prog_bar(L, 1);
    const char* key = nullptr;
    bool is_set = false;
    if (!lua_class::check_property_args(L, &key, &is_set) || !key)
        zin_classes::raise_not_a_member(L, "progbar");
    // Stack: [bar, key] or [bar, key, value]
    // Reading: methods first.
    if (!is_set && lua_class::push_class_entry(L)) return 1;
    if (key[0] == 'p') {
        if (is_set) {
            bar->set_position(luaL_checknumber(L, 3));
            return 0;
        }
        lua_pushnumber(L, bar->mPosition);
        return 1;
    }
    if (key[0] == 'm') {
        if (is_set) {
            bar->mMax = std::max<int32_t>(lua_class::to_int32(luaL_checknumber(L, 3)), 0);
            return 0;
        }
        lua_pushnumber(L, bar->mMax);
        return 1;
    }
    if (const uint32_t flag = flag_of_key(key)) {
        if (!is_set) {
            lua_pushboolean(L, (bar->mFlags & flag) != 0);
            return 1;
        }
        if (lua_type(L, 3) != LUA_TBOOLEAN) luaL_typerror(L, 3, "boolean");
        if (!lua_toboolean(L, 3) && flag == prog_bar::FLAG_SLIDING) {
            // A drag the script ends leaves the active parts too, or the next press anywhere in
            // the window would start a new one.
            bar->stop_sliding();
            return 0;
        }
        if (lua_toboolean(L, 3))
            bar->mFlags |= flag;
        else
            bar->mFlags &= ~flag;
        return 0;
    }
    if (strcasecmp(key, "slider") == 0) {
        if (is_set) {
            set_knob(L, bar);
            return 0;
        }
        // The knob image itself, as the script gave it.
        lua_class::get_ref(L, bar->mKnobRef);
        // Stack: [bar, key, knob image]
        return 1;
    }
    zin_classes::raise_not_a_member(L, "progbar");
}
