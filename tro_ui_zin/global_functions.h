#pragma once
// The skin's plain global functions: debug_out, the tray icons (add_tray_icon, remove_tray_icon)
// and get_winamp_pl_info, the reader of a classic skin's playlist colours and font ("pledit.txt").

#include <lua.h>

#include <windows.h>

// debug_out(text): "!DEBUG: <text>\n" and "debug_out: <text>\r\n" to the debug output.
int debug_out(lua_State* L);

// add_tray_icon(icon file, icon index[, left-click, right-click, double-click function]) -> the
// icon's id. The icon file is looked for in the start-up folder, then in the skin folder; a file
// without such an icon gives a tray icon without a picture. The working directory is the skin
// folder afterwards.
int add_tray_icon(lua_State* L);

// remove_tray_icon(id): the icon of that id leaves the tray; an unknown id is a console warning.
int remove_tray_icon(lua_State* L);

// get_winamp_pl_info(file name, normal color, normal background, selected background, font): reads
// the section "Text" of the file in the skin folder into the four objects.
int get_winamp_pl_info(lua_State* L);

// "#RRGGBB" (the "#" optional; the last six characters count, case does not) -> 0x00BBGGRR.
// False for fewer than six characters or a character that is no hexadecimal digit.
bool parse_pledit_color(const char* text, COLORREF* out);
