// The playlist view.
//
// Construction: 1. rect, font and the four colours (every argument is checked before anything is
//   made, so a constructor that raises leaves nothing behind), 2. the optional scroll callback,
//   3. row height from the font's text metrics, 4. add-file option 4, top 0, rows, listed.
// Drawing (r: where the part lies, clip: what to paint; nothing is drawn outside both):
//   1. Offset of the clip within the part; left/top alignment; the view's font.
//   2. first = dy / row height + top; last (exclusive) from the clip's bottom, limited to the
//      mirror and to top + rows + 1 (a partly visible last row is drawn).
//   3. The focus item.
//   4. Backgrounds in runs of rows of the same selection state.
//   5. Below the last row: background.
//   6. Rows: focus frame, title (formatted now when the mirror has none), text.
// Keys: 1. Space inverts the focus item's selection, 2. the target from the key, 3. clamped,
//   4. Shift (+Ctrl: move the selection) / plain (+Ctrl: focus only), 5. the host's focus.
// Mouse: press selects (Ctrl toggles, Shift extends, a press on a selected item waits for the
//   release or a drag), a drag extends or moves the selection and scrolls at the edges, a release
//   (or a move without the button, when the release went elsewhere) ends it, a double click plays,
//   a right press shows the context menu of the selection.

#include "playlist.h"

#include <lua_class/lua_compat.h>
#include <lua_class/lua_debug.h>
#include <zin_window/playlist_events.h>
#include <zin_window/zin_window.h>

#include <trovaplay/shared/shared.h>

#include <algorithm>
#include <vector>

int32_t g_pl_drag_mode = PL_DRAG_IDLE;
int32_t g_pl_anchor = -1;
int32_t g_pl_focus = -1;

namespace {

playlist_manager* host() { return g_pl_oper; }

int32_t item_count() {
    if (!host()) return 0;
    const uint32_t n = host()->activeplaylist_get_item_count();
    return n > static_cast<uint32_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(n);
}

int32_t saturate(int64_t v) { return clamp_to_int32(v); }

bool is_selected(int32_t item) { return item >= 0 && host() && host()->activeplaylist_is_item_selected(item); }

void set_host_focus(int32_t item) {
    if (host()) host()->activeplaylist_set_focus_item(static_cast<t_size>(item));
}

// Only the target is selected.
void select_only(int32_t item) {
    if (host()) host()->activeplaylist_set_selection(bit_array_true(), bit_array_one(static_cast<t_size>(item)));
}

void move_selection(int64_t delta) {
    if (host()) host()->activeplaylist_move_selection(saturate(delta));
}

// The row rectangle of an item in a view whose rows start at r.top.
RECT row_rect(const playlist& v, const rect& r, int32_t item) {
    const int64_t y = (static_cast<int64_t>(item) - v.mTop) * v.mRowHeight + r.top;
    return RECT{r.left, saturate(y), r.right, saturate(y + v.mRowHeight)};
}

void fill(HDC dc, RECT area, HBRUSH brush) {
    if (brush && area.bottom > area.top) FillRect(dc, &area, brush);
}

// ---- Script methods

int method_redraw(lua_State* L) {
    playlist* v = check_playlist(L, 1);
    // A view in no window has nothing to repaint.
    if (v->mpWin) v->redraw();
    return 0;
}

int method_set_pos(lua_State* L) {
    playlist* v = check_playlist(L, 1);
    const lua_Number pos = luaL_checknumber(L, 2);
    ZIN_ASSERT_MSG(pos >= 0 && pos <= 100, "pos >= 0 && pos <= 100");
    const lua_Number top = static_cast<lua_Number>(item_count() - static_cast<int64_t>(v->mRows)) * pos / 100;
    v->set_top(lua_class::to_int32(top));
    return 0;
}

int method_scroll(lua_State* L) {
    playlist* v = check_playlist(L, 1);
    int64_t top = static_cast<int64_t>(v->mTop) + lua_class::to_int32(luaL_checknumber(L, 2));
    const int64_t last = static_cast<int64_t>(item_count()) - v->mRows;
    if (top > last) top = last;
    if (top < 0) top = 0;
    v->set_top(saturate(top));
    return 0;
}

int method_get_pos(lua_State* L) {
    playlist* v = check_playlist(L, 1);
    const int64_t span = static_cast<int64_t>(item_count()) - v->mRows;
    lua_pushnumber(L, span > 0 ? static_cast<lua_Number>(static_cast<int64_t>(v->mTop) * 100 / span) : 0);
    return 1;
}

int method_scrollable(lua_State* L) {
    playlist* v = check_playlist(L, 1);
    lua_pushboolean(L, v->mTop != 0 || item_count() > v->mRows);
    return 1;
}

int method_set_add_file_option(lua_State* L) {
    playlist* v = check_playlist(L, 1);
    const int32_t n = lua_class::to_int32(luaL_checknumber(L, 2));
    if (n >= 0 && n < 6)
        v->mAddFileOption = n;
    else
        zin_debug_output("!!no recognized add-files-option\n");
    return 0;
}

int method_set_draw_mode(lua_State* L) {
    check_playlist(L, 1)->set_draw_mode_from_script(L, 2);
    return 0;
}

const luaL_Reg kMethods[] = {
    {"redraw", &method_redraw},
    {"set_pos", &method_set_pos},
    {"scroll", &method_scroll},
    {"get_pos", &method_get_pos},
    {"scrollable", &method_scrollable},
    {"set_add_file_option", &method_set_add_file_option},
    {"set_draw_mode", &method_set_draw_mode},
};

}  // namespace

void playlist_init_selection(uint32_t focus_item) {
    const int32_t item = focus_item > static_cast<uint32_t>(INT32_MAX) ? -1 : static_cast<int32_t>(focus_item);
    g_pl_focus = item;
    g_pl_anchor = item;
    g_pl_drag_mode = PL_DRAG_IDLE;
}

playlist* find_view_at(const zin_window* window, const point& p) {
    if (!window) return nullptr;
    for (uint32_t i = 0; i < window->mViews.getSize(); ++i)
        if (point_in_rect(p, window->mViews[i]->mRect)) return static_cast<playlist*>(window->mViews[i]);
    return nullptr;
}

playlist* check_playlist(lua_State* L, int index) {
    return static_cast<playlist*>(lua_compat::check_udata(L, index, "playlist"));
}

lua_class::method_table playlist::get_methods() {
    return {kMethods, static_cast<int>(sizeof kMethods / sizeof kMethods[0])};
}

// ---- Construction --------------------------------------------------------------------------------

playlist::playlist(lua_State* L)
    : class_base(L, 1),
      mAddFileOption(4),
      mBackColor(0),
      mSelBackColor(0),
      mTextColor(0),
      mFocusColor(0),
      mFont(nullptr),
      mFocusBrush(nullptr),
      mBackBrush(nullptr),
      mSelBackBrush(nullptr),
      mRows(0),
      mRowHeight(1),
      mTop(0),
      mVisible(false) {
    // 1.
    const int arg_count = zin_classes::constructor_arg_count(L);
    if (arg_count < 2) luaL_argerror(L, 2, "font expected, got nil");
    const font* f = check_font(L, 2);
    COLORREF colors[4];
    for (int i = 0; i < 4; ++i) {
        if (arg_count < 3 + i) luaL_argerror(L, 3 + i, "color expected, got nil");
        colors[i] = check_color(L, 3 + i)->value;
    }
    // 2. A seventh argument must be a function or nil.
    const bool has_scroll = arg_count >= 7 && !lua_isnil(L, 7);
    if (has_scroll) luaL_checktype(L, 7, LUA_TFUNCTION);
    // Nothing raises from here on.
    mTextColor = colors[0];
    mBackColor = colors[1];
    mSelBackColor = colors[2];
    mFocusColor = colors[3];
    mFont = CreateFontIndirectA(&f->lf);
    if (has_scroll) mScroll.slot = lua_class::ref(L, 7);
    // 3.
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, mFont ? static_cast<HGDIOBJ>(mFont) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    ZIN_ASSERT_MSG(metrics.tmHeight == uGetTextHeight(dc), "metrics.tmHeight == uGetTextHeight(hDC)");
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    // A font without height would divide by zero below.
    mRowHeight = std::max<int32_t>(1, metrics.tmHeight);
    // 4.
    size();
    g_playlist_views.push(this);
}

playlist::~playlist() {
    release_brushes();
    if (mFont) DeleteObject(mFont);
    if (g_lua) lua_class::unref(g_lua, mScroll.slot);
    // A view the collector destroys while the skin runs leaves no pointer behind.
    g_playlist_views.removeAll(this);
}

void playlist::size() { mRows = mRect.height() / mRowHeight; }

void playlist::create_brushes() {
    release_brushes();
    mVisible = true;
    mBackBrush = CreateSolidBrush(mBackColor);
    mSelBackBrush = CreateSolidBrush(mSelBackColor);
    mFocusBrush = CreateSolidBrush(mFocusColor);
}

void playlist::release_brushes() {
    mVisible = false;
    for (HBRUSH* brush : {&mBackBrush, &mSelBackBrush, &mFocusBrush}) {
        if (*brush) DeleteObject(*brush);
        *brush = nullptr;
    }
}

// ---- Rows and scrolling --------------------------------------------------------------------------

void playlist::redraw_item(int32_t item) {
    const int64_t row = static_cast<int64_t>(item) - mTop;
    if (row < 0 || row > mRows) return;  // the partly visible last row counts as shown
    if (!ZIN_CHECK_MSG(mpWin != nullptr, "mpWin")) return;
    rect r(mRect.left, saturate(mRect.top + row * mRowHeight), mRect.right,
           saturate(mRect.top + (row + 1) * mRowHeight));
    if (!r.intersect(mRect)) return;
    mpWin->redraw_rect(r);
}

void playlist::set_top(int32_t t) {
    // 1.
    const int64_t last = static_cast<int64_t>(item_count()) - mRows;
    int64_t top = t;
    if (top > last) top = last;
    if (top < 0) top = 0;
    // 2.
    if (top == mTop) return;
    mTop = static_cast<int32_t>(top);
    if (!mVisible) return;
    redraw();
    mScroll.call_if_set();
}

// ---- Drawing -------------------------------------------------------------------------------------

void playlist::draw(HDC dc, const rect& r, const rect& clip) {
    rect area = r;
    if (!area.intersect(clip)) return;
    // Rows never spill over the view, whatever clipping the caller set.
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    // 1.
    const int64_t dy = static_cast<int64_t>(area.top) - r.top;
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    HGDIOBJ old_font = mFont ? SelectObject(dc, mFont) : nullptr;
    // 2.
    const int64_t size = g_items.getSize();
    int64_t first = dy / mRowHeight + mTop;
    int64_t last = (static_cast<int64_t>(area.bottom) - r.top - 1) / mRowHeight + mTop + 1;
    last = std::min(last, size);
    last = std::min(last, static_cast<int64_t>(mTop) + mRows + 1);
    // 3.
    const int64_t focus = host() ? static_cast<int32_t>(host()->activeplaylist_get_focus_item()) : -1;
    // Selection of every drawn row, asked once.
    const int64_t count = last > first ? last - first : 0;
    std::vector<char>& selected = mRowSelected;  // kept: no allocation per paint
    selected.resize(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) selected[static_cast<size_t>(i)] = is_selected(static_cast<int32_t>(first + i));
    // 4.
    int64_t fill_from = area.top;
    if (count > 0) {
        RECT run = row_rect(*this, r, static_cast<int32_t>(first));
        for (int64_t i = 1; i <= count; ++i) {
            const bool state = selected[static_cast<size_t>(i - 1)];
            if (i < count && selected[static_cast<size_t>(i)] == state) {
                run.bottom += mRowHeight;
                continue;
            }
            fill(dc, run, state ? mSelBackBrush : mBackBrush);
            run.top = run.bottom;
            run.bottom = run.top + mRowHeight;
        }
        fill_from = run.top;
    }
    // 5.
    if (area.bottom > fill_from)
        fill(dc, RECT{r.left, saturate(fill_from), r.right, area.bottom}, mBackBrush);
    // 6.
    for (int64_t i = 0; i < count; ++i) {
        const int32_t item = static_cast<int32_t>(first + i);
        RECT row = row_rect(*this, r, item);
        if (item == focus && mFocusBrush) FrameRect(dc, &row, mFocusBrush);
        zut::string8& title = g_items[static_cast<uint32_t>(item)];
        if (title.get_length() == 0 && host())
            host()->activeplaylist_item_format_title(static_cast<t_size>(item), nullptr, title, g_playlist_format,
                                                     nullptr, 1);
        uTextOutColorsTabbed(dc, title.get_ptr(), static_cast<UINT>(title.get_length()), &row, 0, nullptr,
                             selected[static_cast<size_t>(i)], mTextColor, 1);
    }
    if (old_font) SelectObject(dc, old_font);
    RestoreDC(dc, saved);
}

// ---- Keys ----------------------------------------------------------------------------------------

bool playlist::clamp_index(int32_t& index) {
    const int32_t count = item_count();
    if (count <= 0) return false;
    if (index < 0) index = 0;
    if (index >= count) index = count - 1;
    return true;
}

void playlist::set_focus(int32_t target) {
    // An anchor that points nowhere starts at the target.
    if (g_pl_anchor < 0) g_pl_anchor = target;
    const int32_t low = std::min(g_pl_anchor, target);
    const int32_t high = std::max(g_pl_anchor, target);
    int32_t affected_low = low;
    int32_t affected_high = high;
    if (g_pl_focus >= 0) {
        affected_low = std::min(affected_low, g_pl_focus);
        affected_high = std::max(affected_high, g_pl_focus);
    }
    if (host())
        host()->activeplaylist_set_selection(
            bit_array_range(static_cast<t_size>(affected_low), static_cast<t_size>(affected_high - affected_low) + 1),
            bit_array_range(static_cast<t_size>(low), static_cast<t_size>(high - low) + 1));
    g_pl_focus = target;
}

bool playlist::on_key(WPARAM key, int32_t page) {
    if (!host()) return false;
    // 1. Without a focus item there is nothing to invert.
    if (key == VK_SPACE) {
        int32_t focus = g_pl_focus;
        if (focus >= 0 && focus < item_count()) host()->activeplaylist_set_item_selected(focus, !is_selected(focus));
        return true;
    }
    // 2.
    int64_t target;
    switch (key) {
    case VK_PRIOR: target = static_cast<int64_t>(g_pl_focus) - page; break;
    case VK_NEXT: target = static_cast<int64_t>(g_pl_focus) + page; break;
    case VK_UP: target = static_cast<int64_t>(g_pl_focus) - 1; break;
    case VK_DOWN: target = static_cast<int64_t>(g_pl_focus) + 1; break;
    case VK_END: target = static_cast<int64_t>(item_count()) - 1; break;
    case VK_HOME: target = 0; break;
    default: return false;
    }
    // 3.
    int32_t t = saturate(target);
    if (!clamp_index(t)) return false;
    // 4.
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (shift) {
        if (ctrl) {
            move_selection(static_cast<int64_t>(t) - g_pl_focus);
            g_pl_focus = g_pl_anchor = t;
            redraw_all_playlist_views();
        } else {
            set_focus(t);
        }
    } else {
        g_pl_focus = g_pl_anchor = t;
        if (!ctrl) select_only(t);
    }
    // 5.
    set_host_focus(t);
    return true;
}

// ---- Mouse ---------------------------------------------------------------------------------------

void playlist::end_drag() {
    g_pl_drag_mode = PL_DRAG_IDLE;
    if (mpWin) mpWin->remove_active(this);
    g_ensure_visible_suppressed = false;
    ReleaseCapture();
}

bool playlist::message(const struct mouse_event& event) {
    int32_t row = saturate((static_cast<int64_t>(event.pos.y) - mRect.top) / mRowHeight + mTop);
    const bool ctrl = (event.wparam & MK_CONTROL) != 0;
    const bool shift = (event.wparam & MK_SHIFT) != 0;
    switch (event.msg) {
    case WM_LBUTTONDOWN: {
        if (!clamp_index(row)) return true;
        g_ensure_visible_suppressed = true;
        if (mpWin && !mpWin->mActive.find(this, 0)) mpWin->add_active(this);
        const bool was_selected = is_selected(row);
        set_host_focus(row);
        if (ctrl) {
            if (host()) host()->activeplaylist_set_item_selected(row, !was_selected);
            g_pl_focus = g_pl_anchor = row;
            g_pl_drag_mode = PL_DRAG_SELECTING;
        } else if (shift) {
            set_focus(row);
            g_pl_drag_mode = PL_DRAG_SELECTING;
        } else if (was_selected) {
            g_pl_focus = row;
            g_pl_drag_mode = PL_DRAG_PRESSED_SELECTED;
        } else {
            g_pl_focus = g_pl_anchor = row;
            g_pl_drag_mode = PL_DRAG_SELECTING;
            select_only(row);
        }
        return true;
    }
    case WM_MOUSEMOVE: {
        if (g_pl_drag_mode == PL_DRAG_IDLE) return false;
        // The release went elsewhere (the capture was taken away): the drag is over, and a move
        // without the button must not go on moving the selection.
        if (!(event.wparam & MK_LBUTTON)) {
            end_drag();
            return true;
        }
        bool scrolled = false;
        const int32_t old_top = mTop;
        if (event.pos.y < mRect.top) {
            row = saturate(static_cast<int64_t>(row) - 1);
            set_top(row);
        } else if (event.pos.y >= mRect.bottom) {
            set_top(saturate(static_cast<int64_t>(row) - mRows + 1));
        }
        scrolled = mTop != old_top;
        if (!clamp_index(row)) return true;
        if (scrolled || row != g_pl_focus) {
            if (g_pl_drag_mode == PL_DRAG_SELECTING) {
                set_host_focus(row);
                set_focus(row);
            } else {
                move_selection(static_cast<int64_t>(row) - g_pl_focus);
                set_host_focus(row);
                redraw_all_playlist_views();
                g_pl_drag_mode = PL_DRAG_MOVING;
                g_pl_focus = row;
            }
        }
        ReleaseCapture();
        if (mpWin && mpWin->get_hwnd()) SetCapture(mpWin->get_hwnd());
        return true;
    }
    case WM_LBUTTONUP: {
        const bool has_items = clamp_index(row);
        if (g_pl_drag_mode == PL_DRAG_PRESSED_SELECTED && has_items) select_only(row);
        if (g_pl_drag_mode != PL_DRAG_SELECTING && has_items) g_pl_anchor = row;
        end_drag();
        return true;
    }
    case WM_LBUTTONDBLCLK:
        if (clamp_index(row) && host()) host()->activeplaylist_activate_item(row);
        return true;
    case WM_RBUTTONDOWN:
        if (!clamp_index(row)) return true;
        set_host_focus(row);
        if (!is_selected(row)) select_only(row);
        window_hooks::playlist_context_menu(event.hwnd);
        return true;
    default:
        return false;
    }
}
