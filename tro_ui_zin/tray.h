#pragma once
// The running skin's tray icons: the tray-icon manager on the hidden main window, one record of
// script callbacks per icon, and the window procedure that turns the icons' mouse reports into
// script calls.
//
// An icon is known to the script by its id (what add_tray_icon answers): the id keeps its icon and
// its callback message (TRAY_FIRST_MESSAGE + id) until the icon is removed, whatever happens to
// other icons.

#include <lua_class/lua_class.h>

#include <array.h>
#include <trayicon.h>

#include <windows.h>

#include <cstdint>

struct tray_icon_record {
    lua_callback left_click;
    lua_callback right_click;
    lua_callback double_click;
    uint32_t id;  // the icon's id in the manager
};

// One record per icon of the running skin, in the order added.
extern CDynArray<tray_icon_record> g_tray_icons;
// The tray-icon manager of the running skin; null while no skin is loaded.
extern CTrayIcon* g_tray;

// Makes the manager on g_hWnd and puts tray_wnd_proc on top of it. There must be none yet.
void create_tray_icon();
// Deletes the manager (its icons leave the tray, the window gets its procedure back) and forgets
// every record. Safe when there is nothing to delete.
void destroy_tray_icon();
// Removes the record of the icon id, freeing its script functions; false when there is none.
bool remove_tray_record(uint32_t id);

// Left press, right press and left double click of an icon with a record: g_hWnd comes to the
// foreground and the record's callback runs. Everything else goes to the procedure below.
LRESULT CALLBACK tray_wnd_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
