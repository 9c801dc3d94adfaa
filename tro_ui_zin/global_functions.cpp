// The skin's plain global functions.
//
// add_tray_icon(file, index[, left[, right[, double]]])
//   1. The arguments: file (script text), index (truncated), and each callback a function or nil;
//      a bad argument is an error before anything is made.
//   2. The icon: from the file in the start-up folder, else in the skin folder ("not an icon file"
//      counts as no icon); the working directory is the skin folder afterwards.
//   3. Add it to the tray manager; its id is the result.
//   4. A record with the id and the callbacks.
// get_winamp_pl_info(file, normal, normal_bg, selected_bg, font)
//   1. The arguments: a string, three colors, a font.
//   2. The file: the skin folder and the file name.
//   3. "Normal", "NormalBG", "SelectedBG" of the section "Text" (9 characters at most each) into the
//      three colors; one that does not parse is reported on the debug output and left alone.
//   4. "Font" (9 characters at most, default "Arial") becomes the font's face name, height -11,
//      every other field 0.
// parse_pledit_color(text)
//   1. Skip one leading "#".
//   2. Fewer than six characters: no colour.
//   3. The last six characters are RRGGBB, in either case.
//   4. They become 0x00BBGGRR; any character that is no hexadecimal digit: no colour.

#include "global_functions.h"

#include "tray.h"
#include "tro_ui_zin.h"

#include <lua_class/lua_class.h>
#include <lua_class/lua_compat.h>
#include <zin_classes/values.h>

#include <trovaplay/sdk/console.h>
#include <trovaplay/sdk/core_api.h>
#include <zut/primitives.h>
#include <zut/string_conv.h>

#include <debug.h>

#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace {

// ExtractIconW answers 1 for a file that is no icon file, executable or library, and for index -1
// the number of icons in the file, which is no icon either.
HICON extract_icon_in(const wchar_t* folder, const wchar_t* file, int32_t index) {
    if (folder && folder[0]) SetCurrentDirectoryW(folder);
    if (index == -1) return nullptr;
    HICON icon = ExtractIconW(core_api::get_my_instance(), file, static_cast<UINT>(index));
    return reinterpret_cast<UINT_PTR>(icon) <= 1 ? nullptr : icon;
}

// The callback arguments from index 3 on: each absent, nil or a function.
void check_callback_args(lua_State* L) {
    for (int i = 3; i <= 5; ++i)
        if (!lua_isnoneornil(L, i) && lua_type(L, i) != LUA_TFUNCTION) luaL_typerror(L, i, "function");
}

// The value of key in the section "Text", cut to 9 characters (a buffer of 10).
std::wstring read_text_key(const std::wstring& path, const wchar_t* key, const wchar_t* fallback) {
    wchar_t value[10] = {};
    GetPrivateProfileStringW(L"Text", key, fallback, value, 10, path.c_str());
    return value;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool parse_pledit_color(const char* text, COLORREF* out) {
    if (!text) return false;
    // 1.
    if (*text == '#') ++text;
    // 2.
    const size_t length = strlen(text);
    if (length < 6) return false;
    // 3.
    char rrggbb[6];
    for (int i = 0; i < 6; ++i) {
        const char c = text[length - 6 + i];
        rrggbb[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    // 4. Blue, green, red from the high byte down.
    COLORREF value = 0;
    for (int i : {4, 5, 2, 3, 0, 1}) {
        const int digit = hex_digit(rrggbb[i]);
        if (digit < 0) return false;
        value = (value << 4) | static_cast<COLORREF>(digit);
    }
    *out = value;
    return true;
}

int debug_out(lua_State* L) {
    const char* text = luaL_checkstring(L, 1);
    if (!zut::debug_output_wanted()) return 0;  // nobody reads it: nothing to convert
    return lua_class::detail::call_native(L, [&] {
        // Script text is in the system ANSI code page; the debug output takes UTF-8.
        const std::string utf8 = zut::utf8_from_codepage(text).get_ptr();
        zin_debug_output(("!DEBUG: " + utf8 + "\n").c_str());
        zin_debug_output(("debug_out: " + utf8 + "\r\n").c_str());
        return 0;
    });
}

int add_tray_icon(lua_State* L) {
    // 1.
    const char* file = luaL_checkstring(L, 1);
    const int32_t index = lua_class::to_int32(luaL_checknumber(L, 2));
    check_callback_args(L);
    if (!g_tray) return luaL_error(L, "no tray icons without a running skin");
    const uint32_t id = lua_class::detail::call_native(L, [&] {
        // 2.
        const zut::wide_from_codepage wide_file(file);
        const wchar_t* skin_dir = lua_compat::skin_dir();
        HICON icon = extract_icon_in(g_cwd, wide_file.get_ptr(), index);
        if (!icon) icon = extract_icon_in(skin_dir, wide_file.get_ptr(), index);
        ZIN_ASSERT_MSG(icon != nullptr, "hIcon");
        if (skin_dir && skin_dir[0]) SetCurrentDirectoryW(skin_dir);
        // 3.
        return static_cast<int>(g_tray->getId(g_tray->add(icon, nullptr)));
    });
    // 4.
    tray_icon_record record{};
    record.id = id;
    lua_callback* callbacks[3] = {&record.left_click, &record.right_click, &record.double_click};
    for (int i = 0; i < 3; ++i)
        if (!lua_isnoneornil(L, 3 + i)) callbacks[i]->slot = lua_class::set_function_ref(L, 3 + i, 0);
    if (!g_tray_icons.add(record, 1)) {
        for (lua_callback* c : callbacks) lua_class::unref(L, c->slot);
        return luaL_error(L, "out of memory");
    }
    lua_pushnumber(L, id);
    // Stack: [arguments..., id]
    return 1;
}

int remove_tray_icon(lua_State* L) {
    const int32_t id = lua_class::to_int32(luaL_checknumber(L, 1));
    return lua_class::detail::call_native(L, [&] {
        const uint32_t index = (g_tray && id >= 0) ? g_tray->findId(static_cast<uint32_t>(id)) : UINT32_MAX;
        if (index == UINT32_MAX) {
            console::warning("no tray-icon with specified ID found");
            return 0;
        }
        g_tray->remove(index);
        remove_tray_record(static_cast<uint32_t>(id));
        return 0;
    });
}

int get_winamp_pl_info(lua_State* L) {
    // 1.
    const char* file = luaL_checkstring(L, 1);
    color* colors[3] = {check_color(L, 2), check_color(L, 3), check_color(L, 4)};
    font* out_font = check_font(L, 5);
    return lua_class::detail::call_native(L, [&] {
        // 2.
        const wchar_t* skin_dir = lua_compat::skin_dir();
        const std::wstring path = std::wstring(skin_dir ? skin_dir : L"") + zut::wide_from_codepage(file).get_ptr();
        // 3.
        static const wchar_t* const keys[3] = {L"Normal", L"NormalBG", L"SelectedBG"};
        for (int i = 0; i < 3; ++i) {
            const zut::codepage_from_wide value(read_text_key(path, keys[i], L"").c_str());
            COLORREF parsed;
            if (parse_pledit_color(value.get_ptr(), &parsed))
                colors[i]->value = parsed;
            else
                zin_debug_output(("error reading pledit.txt (" + std::to_string(i) + ". color-value)\n").c_str());
        }
        // 4.
        const zut::codepage_from_wide face(read_text_key(path, L"Font", L"Arial").c_str());
        memset(&out_font->lf, 0, sizeof out_font->lf);
        out_font->lf.lfHeight = -11;
        strncpy(out_font->lf.lfFaceName, face.get_ptr(), LF_FACESIZE - 1);
        return 0;
    });
}
