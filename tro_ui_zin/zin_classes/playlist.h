#pragma once
// The paint part "playlist": the host's active playlist as rows of formatted titles, with
// selection, focus, scrolling, keys, drag reordering, double-click play and the context menu.
//
//   playlist.new(rect, font, text colour, background, selected background, focus frame [, scroll])
//   v:redraw()  v:set_pos(percent)  v:scroll(n)  v:get_pos()  v:scrollable()
//   v:set_add_file_option(n)  v:set_draw_mode([mode])
//
// Titles come from the title mirror g_items (zin_window/playlist_events.h); the playlist changes
// only through the host's playlist manager, whose events come back through the listener.

#include "base.h"

#include <stdint.h>

#include <vector>

class playlist final : public class_base {
public:
    class tvp_callbacks;  // the host's playlist listener (zin_window/playlist_events.h)

    lua_callback mScroll;       // called after the top row changed
    int32_t mAddFileOption;     // 0..5, read by the file drop
    COLORREF mBackColor;
    COLORREF mSelBackColor;
    COLORREF mTextColor;
    COLORREF mFocusColor;
    HFONT mFont;
    HBRUSH mFocusBrush;         // the three brushes exist while the view is visible
    HBRUSH mBackBrush;
    HBRUSH mSelBackBrush;
    int32_t mRows;              // whole rows that fit
    int32_t mRowHeight;         // the font's text height, at least 1
    std::vector<char> mRowSelected;  // draw's buffer: the selection of the rows it draws
    int32_t mTop;               // index of the first shown item
    bool mVisible;              // set while the owner window has its native window

    explicit playlist(lua_State* L);
    ~playlist();

    void draw(HDC dc, const rect& r, const rect& clip) override;
    void size() override;
    bool message(const struct mouse_event& event) override;

    // Repaints one item's row when it is shown.
    void redraw_item(int32_t item);
    // Clamps t to 0 .. item count - rows; when the top changes, repaints and calls the scroll
    // callback (only while visible).
    void set_top(int32_t t);
    void create_brushes();
    void release_brushes();

    // The keys of the window procedure; page = rows of the window's first view. True when used.
    static bool on_key(WPARAM key, int32_t page);
    // index into 0 .. count - 1; false (index untouched) for an empty list.
    static bool clamp_index(int32_t& index);
    // Range selection from the anchor to target; focus = target.
    static void set_focus(int32_t target);

    static const char* get_name() { return "playlist"; }
    static lua_class::method_table get_methods();

private:
    // The left button is up: no drag, not active, the host may scroll the views again.
    void end_drag();
};

// The selection state all views share (they show the same playlist).
enum playlist_drag_mode : int32_t {
    PL_DRAG_IDLE = 0,
    PL_DRAG_SELECTING = 1,
    PL_DRAG_PRESSED_SELECTED = 2,
    PL_DRAG_MOVING = 3,
};
extern int32_t g_pl_drag_mode;
extern int32_t g_pl_anchor;
extern int32_t g_pl_focus;

// The start-up's focus item: both the views' focus and their selection anchor.
void playlist_init_selection(uint32_t focus_item);

// The first view of a window whose rect holds the point (window client coordinates), or null.
playlist* find_view_at(const zin_window* window, const point& p);

playlist* check_playlist(lua_State* L, int index);
