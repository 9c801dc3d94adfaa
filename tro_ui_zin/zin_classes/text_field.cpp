// The text field part and the text base it shares with scrolling texts.
//
// update_text
//   1. Mode 2: the display text is the script's text.
//   2. Otherwise compile the text with the host's compiler (falling back to "%filename%") and let
//      the playback control format the playing track with it (no hook, no filter, level 3).
//   3. Mode 1: while g_text_buffer is empty, the script's text replaces the result.
// draw_text
//   1. Alignment TA_RIGHT or TA_LEFT (with TA_TOP), the part's font, transparent background.
//   2. Without colour marks: the part's colour; the text at rect.left (or ending at rect.right),
//      rect.top, clipped to clip.
//   3. With colour marks: the host's colour-text routine at rect.left, rect.top; right alignment
//      cannot be honoured there and is reported.
//   4. The device context gets back its font, colour, background mode and alignment.

#include "text_field.h"

#include <lua_class/lua_compat.h>
#include <tro_ui_zin.h>

#include <debug.h>

#include <trovaplay/sdk/titleformat.h>
#include <trovaplay/shared/shared.h>
#include <zut/string_conv.h>

#include <cstring>

zut::string8 g_text_buffer;

namespace {

int method_update(lua_State* L) {
    text_field* tf = check_text_field(L, 1);
    tf->update_text();
    if (tf->mpWin) tf->redraw();
    return 0;
}

int method_set_text(lua_State* L) {
    text_field* tf = check_text_field(L, 1);
    tf->set_text(L, 2);
    if (tf->mpWin) tf->redraw();
    return 0;
}

int method_get_text(lua_State* L) {
    text_field* tf = check_text_field(L, 1);
    lua_pushlstring(L, tf->mText.get_ptr(), tf->mText.get_length());
    // Stack: [tf, ..., text]
    return 1;
}

int method_set_draw_mode(lua_State* L) {
    check_text_field(L, 1)->set_draw_mode_from_script(L, 2);
    return 0;
}

const luaL_Reg kMethods[] = {
    {"update", &method_update},
    {"set_text", &method_set_text},
    {"get_text", &method_get_text},
    {"set_draw_mode", &method_set_draw_mode},
};

}  // namespace

void format_now_playing(const char* expression, zut::string_base& out) {
    out.reset();
    service_ptr_t<titleformat_script> script;
    titleformat_compile_safe(script, expression);
    single_service_ptr_t<play_control> control;
    control->playback_format_title(nullptr, out, script, nullptr, 3);
}

// ---- text_base ---------------------------------------------------------------------------------

text_base::text_base(lua_State* L, int text_index, int font_index)
    : class_base(L, 1), mFont(), mhFont(nullptr), mColor(0), mHasColorCodes(0), mMode(TEXT_TITLEFORMAT),
      mWidthRatio(0.0f) {
    // Every argument is checked before anything is made, so that an error leaves nothing behind.
    const font* f = check_font(L, font_index);
    const color* c = check_color(L, font_index + 1);
    set_text(L, text_index);
    mFont = f->lf;
    mWidthRatio = mFont.lfHeight != 0 ? static_cast<float>(mFont.lfWidth) / static_cast<float>(mFont.lfHeight) : 0.0f;
    recreate_font();
    mColor = c->value;
}

text_base::~text_base() {
    if (mhFont) DeleteObject(mhFont);
}

void text_base::set_text(lua_State* L, int index) {
    if (lua_type(L, index) != LUA_TSTRING && lua_type(L, index) != LUA_TNUMBER)
        luaL_typerror(L, index, "string");
    size_t length = 0;
    const char* text = lua_tolstring(L, index, &length);
    mText.set_string(text, static_cast<t_size>(length));
    mMode = lua_type(L, index + 1) == LUA_TNUMBER
                ? static_cast<uint8_t>(lua_class::to_int32(lua_tonumber(L, index + 1)) & 0xFF)
                : static_cast<uint8_t>(TEXT_TITLEFORMAT);
    mHasColorCodes = memchr(mText.get_ptr(), 3, mText.get_length()) != nullptr;
    update_text();
}

void text_base::update_text() {
    const zut::utf8_from_codepage text(mText.get_ptr(), mText.get_length());
    // 1.
    if (mMode == TEXT_LITERAL) {
        mDisplay.set_string(text.get_ptr());
        return;
    }
    // 2.
    format_now_playing(text.get_ptr(), mDisplay);
    // 3.
    if (mMode == TEXT_MODE_1 && g_text_buffer.is_empty()) mDisplay.set_string(text.get_ptr());
}

void text_base::draw_text(HDC dc, const rect& r, const rect& clip, bool right) const {
    // 1.
    const UINT old_align = SetTextAlign(dc, (right ? TA_RIGHT : TA_LEFT) | TA_TOP);
    HGDIOBJ old_font = mhFont ? SelectObject(dc, mhFont) : nullptr;
    const int old_mode = SetBkMode(dc, TRANSPARENT);
    const RECT area = clip.to_RECT();
    const UINT length = static_cast<UINT>(mDisplay.get_length());
    if (!mHasColorCodes) {
        // 2.
        const COLORREF old_color = SetTextColor(dc, mColor);
        const int x = right ? r.right : r.left;
        uExtTextOut(dc, x, r.top, ETO_CLIPPED, &area, mDisplay.get_ptr(), length, nullptr);
        SetTextColor(dc, old_color);
    } else {
        // 3.
        if (right) zin_debug_output("!!right-alignment not possible with colored strings\n");
        uTextOutColors(dc, mDisplay.get_ptr(), length, r.left, r.top, &area, FALSE, mColor);
    }
    // 4.
    SetBkMode(dc, old_mode);
    if (old_font) SelectObject(dc, old_font);
    SetTextAlign(dc, old_align);
}

void text_base::recreate_font() {
    if (mhFont) DeleteObject(mhFont);
    mhFont = CreateFontIndirectA(&mFont);
    ZIN_ASSERT_MSG(mhFont != nullptr, "CreateFontIndirect");
}

void text_base::apply_width_ratio() {
    mFont.lfWidth = static_cast<LONG>(static_cast<float>(mFont.lfHeight) * mWidthRatio);
}

// ---- text_field --------------------------------------------------------------------------------

text_field::text_field(lua_State* L) : text_base(L, 2, 4), mRight(0) {
    mRight = lua_type(L, 6) == LUA_TBOOLEAN && lua_toboolean(L, 6);
    size();
}

void text_field::draw(HDC dc, const rect& r, const rect& clip) { draw_text(dc, r, clip, mRight != 0); }

lua_class::method_table text_field::get_methods() {
    return {kMethods, static_cast<int>(sizeof kMethods / sizeof kMethods[0])};
}

text_field* check_text_field(lua_State* L, int index) {
    return static_cast<text_field*>(lua_compat::check_udata(L, index, "textfield"));
}
