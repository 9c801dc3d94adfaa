#pragma once
// The preferences page's record lists, filled while the page makes its controls: every value
// control with its item, the colour swatches with their brushes and the font buttons with their
// fonts. Each list is empty while no page exists; the page empties them when it goes.

#include "conf_items.h"

#include <array.h>

#include <windows.h>

namespace zin_config {

struct pref_control {
    HWND control;
    conf_base* item;
};

struct color_swatch {
    HWND swatch;
    HBRUSH brush;
    conf_base* item;
};

struct font_button {
    HWND button;
    HFONT font;
};

}  // namespace zin_config

extern CDynArray<zin_config::pref_control> g_pref_controls;
extern CDynArray<zin_config::color_swatch> g_color_swatches;
extern CDynArray<zin_config::font_button> g_font_buttons;

namespace zin_config {

// Linear searches; the first match, or null.
color_swatch* find_color_swatch(HWND swatch);
color_swatch* find_color_swatch_by_item(const conf_base* item);
font_button* find_font_button(HWND button);
pref_control* find_pref_control(HWND control);

}  // namespace zin_config
