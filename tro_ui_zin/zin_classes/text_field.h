#pragma once
// The paint part "textfield": one line of text in a font and colour. The text is shown as written
// (mode 2) or is a title-formatting expression evaluated against the track now playing (mode 0);
// the script re-evaluates it with update. A text holding the byte 3 carries colour marks and is
// drawn by the host library's colour-text routine.
//
//   textfield.new(rect, text [, mode [, font, color [, right]]])
//   tf:update()  tf:set_text(text [, mode])  tf:get_text()  tf:set_draw_mode([mode])
//
// text_base holds what text fields and scrolling texts share: the text and its evaluation, the
// font and colour, and the drawing of the prepared line.

#include "base.h"

#include <zut/string.h>

#include <stdint.h>

// Text modes.
enum text_mode : uint8_t { TEXT_TITLEFORMAT = 0, TEXT_MODE_1 = 1, TEXT_LITERAL = 2 };

// A process-wide text that mode 1 tests: while it is empty, mode 1 shows the script's text as
// written. Nothing writes it.
extern zut::string8 g_text_buffer;

class text_base : public class_base {
public:
    LOGFONTA mFont;          // copied from the font given at construction
    HFONT mhFont;            // made from mFont; owned
    COLORREF mColor;
    zut::string8 mText;      // the script's text as given (system ANSI code page)
    zut::string8 mDisplay;   // the line to draw (UTF-8), made by update_text
    uint8_t mHasColorCodes;  // the script's text holds the byte 3
    uint8_t mMode;           // text_mode
    float mWidthRatio;       // width / height of the font given at construction

    // The rect at index 1, the text and mode at text_index and text_index + 1, the font and colour
    // at font_index and font_index + 1 of the running script call.
    text_base(lua_State* L, int text_index, int font_index);

    // Takes the text at index and the mode at index + 1 (0 when absent or not a number), then
    // update_text. A title format that cannot be compiled or formatted throws.
    void set_text(lua_State* L, int index);
    // Makes the display text: the text itself (mode 2), or the text title-formatted against the
    // playing track (modes 0 and 1; mode 1 then shows the text as written while g_text_buffer is
    // empty).
    void update_text();
    // Draws the display text at rect's top, starting at its left edge or, with right, ending at its
    // right edge; cut by clip. The device context keeps its font, colour and modes.
    void draw_text(HDC dc, const rect& r, const rect& clip, bool right) const;

    // Makes the font handle again from mFont.
    void recreate_font();
    // Sets mFont's width from its height by the ratio kept at construction.
    void apply_width_ratio();

protected:
    ~text_base();
};

class text_field final : public text_base {
public:
    uint8_t mRight;  // text ends at the rect's right edge

    explicit text_field(lua_State* L);

    void draw(HDC dc, const rect& r, const rect& clip) override;

    static const char* get_name() { return "textfield"; }
    static lua_class::method_table get_methods();
};

// The text field at a stack index ("textfield expected, got ..." otherwise).
text_field* check_text_field(lua_State* L, int index);

// Formats a title-formatting expression (UTF-8) against the track now playing into out: the
// compiler and the playback control are asked anew for each call (a lookup costs little beside the
// compile and the formatting). Throws when there is no compiler or playback control, or the
// expression and its fallback cannot be compiled; out is empty when nothing plays.
void format_now_playing(const char* expression, zut::string_base& out);
