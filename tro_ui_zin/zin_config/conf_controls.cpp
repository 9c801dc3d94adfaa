// The preferences-page controls of the typed configuration items, and the page's record lists with
// their lookups. Labels are the names the script saved its values under (system ANSI code page).

#include "conf_items.h"
#include "pref_lists.h"

#include <trovaplay/sdk/core_api.h>
#include <zut/string_conv.h>

#include <cwchar>

CDynArray<zin_config::pref_control> g_pref_controls;
CDynArray<zin_config::color_swatch> g_color_swatches;
CDynArray<zin_config::font_button> g_font_buttons;

namespace zin_config {

namespace {

constexpr DWORD STYLE_CHECK_BOX = WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX;  // 0x50000003
constexpr DWORD STYLE_FLAT_BUTTON = WS_CHILD | WS_VISIBLE | BS_FLAT;        // 0x50008000
constexpr DWORD STYLE_SWATCH = WS_CHILD | WS_VISIBLE | WS_BORDER;           // 0x50800000
constexpr DWORD STYLE_LABEL = WS_CHILD | WS_VISIBLE;                        // 0x50000000
constexpr DWORD STYLE_DROP_DOWN =
    WS_CHILD | WS_VISIBLE | WS_BORDER | CBS_HASSTRINGS | CBS_AUTOHSCROLL | CBS_DROPDOWN;  // 0x50800242

HWND make_child(const wchar_t* class_name, const wchar_t* text, DWORD style, int x, int y, int cx,
                int cy, HWND parent) {
    return CreateWindowExW(0, class_name, text, style, x, y, cx, cy, parent, nullptr,
                           core_api::get_my_instance(), nullptr);
}

HWND make_labelled(const wchar_t* class_name, const char* label, DWORD style, int x, int y, int cx,
                   int cy, HWND parent) {
    zut::wide_from_codepage text(label ? label : "");
    return make_child(class_name, text.get_ptr(), style, x, y, cx, cy, parent);
}

template <class R, class K>
R* find_first(CDynArray<R>& list, K R::*field, const K& key) {
    for (uint32_t i = 0; i < list.getSize(); ++i)
        if (list[i].*field == key) return &list[i];
    return nullptr;
}

}  // namespace

HWND conf_base::create_control(HWND, const char*, int, int) { return nullptr; }

HWND conf_bool::create_control(HWND parent, const char* label, int x, int y) {
    HWND box = make_labelled(L"BUTTON", label, STYLE_CHECK_BOX, x, y + 6, 480, 18, parent);
    if (box && m_value) SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
    return box;
}

HWND conf_color::create_control(HWND parent, const char* label, int x, int y) {
    HWND swatch = make_child(L"STATIC", L"", STYLE_SWATCH, x + 400, y + 5, 80, 20, parent);
    g_color_swatches.push(color_swatch{swatch, CreateSolidBrush(m_value), this});
    return make_labelled(L"BUTTON", label, STYLE_FLAT_BUTTON, x, y + 6, 390, 18, parent);
}

HWND conf_font::create_control(HWND parent, const char* label, int x, int y) {
    HWND button = make_labelled(L"BUTTON", label, STYLE_FLAT_BUTTON, x, y + 1, 480, 28, parent);
    g_font_buttons.push(font_button{button, CreateFontIndirectA(&m_value)});
    return button;
}

HWND conf_string::create_control(HWND parent, const char* label, int x, int y) {
    make_labelled(L"STATIC", label, STYLE_LABEL, x, y + 6, 200, 18, parent);
    HWND box = make_child(L"COMBOBOX", m_string ? m_string : L"", STYLE_DROP_DOWN, x + 210, y + 6,
                          270, 18, parent);
    // The current value is always offered.
    if (m_string) {
        bool listed = false;
        for (uint32_t i = 0; i < m_choices.getSize() && !listed; ++i)
            listed = m_choices[i].get() && wcscmp(m_choices[i].get(), m_string) == 0;
        if (!listed) add_choice(m_string);
    }
    if (!box) return nullptr;
    for (uint32_t i = 0; i < m_choices.getSize(); ++i)
        if (m_choices[i].get())
            SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_choices[i].get()));
    // The edit field shows the current value (the window text given at creation does not reach it
    // everywhere).
    if (m_string) SetWindowTextW(box, m_string);
    return box;
}

color_swatch* find_color_swatch(HWND swatch) {
    return find_first(g_color_swatches, &color_swatch::swatch, swatch);
}
color_swatch* find_color_swatch_by_item(const conf_base* item) {
    for (uint32_t i = 0; i < g_color_swatches.getSize(); ++i)
        if (g_color_swatches[i].item == item) return &g_color_swatches[i];
    return nullptr;
}
font_button* find_font_button(HWND button) {
    return find_first(g_font_buttons, &font_button::button, button);
}
pref_control* find_pref_control(HWND control) {
    return find_first(g_pref_controls, &pref_control::control, control);
}

}  // namespace zin_config
