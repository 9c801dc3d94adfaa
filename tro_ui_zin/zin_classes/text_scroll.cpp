// The scrolling text part.
//
// Measuring the period:
//   1. The display text as wide text; a screen device context with the part's font.
//   2. The widths of the text's pieces between colour codes are summed; a colour code runs from a
//      character 3 to the next one, both included; a lone character 3 ends the text.
//   3. The device context gets its font back and is released; period = max(sum, part width).
// Scrolling: position = (position + n) modulo period, always within 0..period - 1 whatever n's
// size and sign; 0 while the period is 0.
// Mouse:
//   1. While dragging: a move scrolls the text along with the mouse; the left release ends the
//      drag (the part leaves the window's active parts, release runs, the capture goes). Other
//      messages go on to step 2.
//   2. A left press or double click on an activated part starts a drag: press runs and the part
//      joins the active parts, so that it sees the mouse outside its rect.

#include "text_scroll.h"

#include <lua_class/lua_compat.h>
#include <lua_class/lua_debug.h>
#include <zin_window/zin_window.h>

#include <zut/string_conv.h>

#include <algorithm>

namespace {

void repaint(text_scroll* ts) {
    if (ts->mpWin) ts->redraw();
}

int32_t check_step(lua_State* L, int index) { return lua_class::to_int32(luaL_checknumber(L, index)); }

int method_scroll_left(lua_State* L) {
    text_scroll* ts = check_text_scroll(L, 1);
    ts->scroll(check_step(L, 2));
    repaint(ts);
    return 0;
}

int method_scroll_right(lua_State* L) {
    text_scroll* ts = check_text_scroll(L, 1);
    ts->scroll(-static_cast<int64_t>(check_step(L, 2)));
    repaint(ts);
    return 0;
}

int method_reset_pos(lua_State* L) {
    text_scroll* ts = check_text_scroll(L, 1);
    ts->mPosition = 0;
    repaint(ts);
    return 0;
}

int method_update(lua_State* L) {
    text_scroll* ts = check_text_scroll(L, 1);
    ts->set_text(L, 2);
    ts->measure_period();
    // A shorter text has a shorter period: bring the position back into it.
    ts->scroll(0);
    repaint(ts);
    return 0;
}

int method_set_activated(lua_State* L) {
    text_scroll* ts = check_text_scroll(L, 1);
    if (lua_type(L, 2) != LUA_TBOOLEAN) luaL_typerror(L, 2, "boolean");
    ts->mActivated = lua_toboolean(L, 2) ? 1 : 0;
    return 0;
}

int method_redraw(lua_State* L) {
    repaint(check_text_scroll(L, 1));
    return 0;
}

int method_set_draw_mode(lua_State* L) {
    check_text_scroll(L, 1)->set_draw_mode_from_script(L, 2);
    return 0;
}

const luaL_Reg kMethods[] = {
    {"redraw", &method_redraw},           {"update", &method_update},
    {"scroll_left", &method_scroll_left}, {"scroll_right", &method_scroll_right},
    {"reset_pos", &method_reset_pos},     {"set_activated", &method_set_activated},
    {"set_draw_mode", &method_set_draw_mode},
};

}  // namespace

// ---- Construction ------------------------------------------------------------------------------

text_scroll::text_scroll(lua_State* L)
    : text_base(L, 2, 4), mActivated(1), mDragging(0), mPeriod(0), mPosition(0) {
    // The text base has checked and taken its arguments; the callbacks are checked before any
    // slot is taken.
    check_optional_function(L, 6);
    check_optional_function(L, 7);
    size();
    if (!lua_isnoneornil(L, 6)) mPress.slot = lua_class::ref(L, 6);
    if (!lua_isnoneornil(L, 7)) mRelease.slot = lua_class::ref(L, 7);
}

text_scroll::~text_scroll() {
    lua_class::unref(g_lua, mPress.slot);
    lua_class::unref(g_lua, mRelease.slot);
}

lua_class::method_table text_scroll::get_methods() {
    return {kMethods, static_cast<int>(sizeof kMethods / sizeof kMethods[0])};
}

text_scroll* check_text_scroll(lua_State* L, int index) {
    return static_cast<text_scroll*>(lua_compat::check_udata(L, index, "text_scroll"));
}

// ---- Period and position -------------------------------------------------------------------------

int32_t measure_without_color_codes(const char* text, HFONT font) {
    // 1.
    const zut::wide_from_utf8 wide(text);
    const HDC dc = GetDC(nullptr);
    if (!ZIN_CHECK_MSG(dc != nullptr, "dc")) return 0;
    ZIN_ASSERT_MSG(font != nullptr, "m_font");
    const HGDIOBJ old_font = font ? SelectObject(dc, font) : nullptr;
    // 2.
    int64_t sum = 0;
    const wchar_t* p = wide.get_ptr();
    for (;;) {
        const wchar_t* end = p;
        while (*end && *end != 3) ++end;
        SIZE extent{0, 0};
        if (end > p && GetTextExtentPoint32W(dc, p, static_cast<int>(end - p), &extent)) sum += extent.cx;
        if (!*end) break;
        const wchar_t* close = end + 1;
        while (*close && *close != 3) ++close;
        if (!*close) break;  // a lone colour mark ends the text
        p = close + 1;
    }
    // 3.
    if (old_font) SelectObject(dc, old_font);
    ReleaseDC(nullptr, dc);
    return clamp_to_int32(sum);
}

void text_scroll::measure_period() {
    mPeriod = std::max(measure_without_color_codes(mDisplay.get_ptr(), mhFont), mRect.width());
    if (mPeriod < 0) mPeriod = 0;
}

void text_scroll::size() {
    text_base::size();
    measure_period();
    scroll(0);
}

void text_scroll::scroll(int64_t n) {
    if (mPeriod <= 0) {
        mPosition = 0;
        return;
    }
    const int64_t moved = (static_cast<int64_t>(mPosition) + n) % mPeriod;
    mPosition = static_cast<int32_t>(moved < 0 ? moved + mPeriod : moved);
}

// ---- Drawing -------------------------------------------------------------------------------------

int scroll_copies(const rect& r, int32_t position, int32_t period, rect copies[2]) {
    const int32_t start = clamp_to_int32(static_cast<int64_t>(r.left) - position);
    copies[0] = rect(start, r.top, add_clamped(start, period), r.bottom);
    if (static_cast<int64_t>(position) <= static_cast<int64_t>(period) - r.width()) return 1;
    copies[1] = rect(copies[0].right, r.top, r.right, r.bottom);
    return 2;
}

void text_scroll::draw(HDC dc, const rect& r, const rect& clip) {
    rect copies[2];
    const int count = scroll_copies(r, mPosition, mPeriod, copies);
    for (int i = 0; i < count; ++i) {
        rect visible = copies[i];
        if (visible.intersect(clip)) draw_text(dc, copies[i], visible, false);
    }
}

// ---- Mouse ---------------------------------------------------------------------------------------

bool text_scroll::message(const struct mouse_event& event) {
    // A window that closed during the drag (and opened again) has forgotten its active parts: the
    // release went with it, so the drag is over.
    if (mDragging && mpWin && !mpWin->mActive.find(this, 0)) mDragging = 0;
    // 1.
    if (mDragging) {
        if (event.msg == WM_MOUSEMOVE) {
            // The text follows the mouse: a move to the right scrolls it back.
            scroll(-static_cast<int64_t>(event.delta.x));
            repaint(this);
            return true;
        }
        if (event.msg == WM_LBUTTONUP) {
            if (mpWin) mpWin->remove_active(this);
            mDragging = 0;
            mRelease.call_if_set();
            ReleaseCapture();
            return true;
        }
    }
    // 2.
    if (!mActivated || !is_left_press(event.msg)) return false;
    mDragging = 1;
    mPress.call_if_set();
    // The release will never come to a window the callback closed: no drag stays behind.
    if (mpWin && !mpWin->mWnd) mDragging = 0;
    if (mDragging && mpWin && !mpWin->mActive.find(this, 0)) mpWin->add_active(this);
    return true;
}
