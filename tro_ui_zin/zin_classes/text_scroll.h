#pragma once
// The paint part "text_scroll": a line of text (as a text field: font, colour, title-formatted or
// literal text, colour codes) that runs in a loop through its rect. The script moves it step by
// step; the mouse drags it.
//
//   text_scroll.new(rect, text, mode, font, color [, press [, release]])
//   ts:scroll_left(n)  ts:scroll_right(n)  ts:reset_pos()  ts:update(text [, mode])
//   ts:set_activated(flag)  ts:redraw()  ts:set_draw_mode([mode])
//
// The loop's period is the larger of the text's width and the part's width; the text is drawn
// from position pixels into it, and a second copy follows the first one period later.

#include "text_field.h"

#include <stdint.h>

class text_scroll final : public text_base {
public:
    uint8_t mActivated;  // the mouse may drag the text
    uint8_t mDragging;
    lua_callback mPress;
    lua_callback mRelease;
    int32_t mPeriod;     // >= 0
    int32_t mPosition;   // 0 <= position < period; 0 when the period is 0

    // The script's arguments from index 1 (see above).
    explicit text_scroll(lua_State* L);
    ~text_scroll();

    void draw(HDC dc, const rect& r, const rect& clip) override;
    void size() override;
    bool message(const struct mouse_event& event) override;

    // Moves the text left by n pixels (right for a negative n), wrapping within the period.
    void scroll(int64_t n);
    // Measures the display text into the period.
    void measure_period();

    static const char* get_name() { return "text_scroll"; }
    static lua_class::method_table get_methods();
};

// Where the copies of a scrolled text lie in a part at r: the first at r.left - position, one
// period wide; a second one right after it while the first ends inside the part. Returns the
// number of copies (1 or 2) written to copies.
int scroll_copies(const rect& r, int32_t position, int32_t period, rect copies[2]);

// The width of a text (UTF-8) in a font, colour codes (from a byte 3 to the next, both included)
// left out; a byte 3 without a closing one ends the text.
int32_t measure_without_color_codes(const char* text, HFONT font);

// The scrolling text at a stack index ("text_scroll expected, got ..." otherwise).
text_scroll* check_text_scroll(lua_State* L, int index);
