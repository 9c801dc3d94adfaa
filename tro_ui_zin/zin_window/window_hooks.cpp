// Points where other parts of the engine join the window code: window states from the
// configuration, docking, dropped files, key shortcuts, playlist views, script-defined parts and
// the tray's restart. Each does nothing (or answers "not handled") until its subsystem exists; the
// playlist views', docking, dropped-files, key and script-defined parts' points and the playlist's
// context menu are filled.

#include "zin_window.h"

#include "docking.h"
#include "drop_files.h"
#include "playlist_events.h"

#include <trayicon.h>
#include <trovaplay/sdk/console.h>
#include <trovaplay/sdk/contextmenu_manager.h>
#include <trovaplay/sdk/keyboard_shortcut_manager.h>
#include <zin_classes/base_class.h>
#include <zin_config/zin_config.h>

namespace window_hooks {

bool saved_window_rect(const char* name, rect* out) { return ::saved_window_rect(name, out); }

void dock_place_new(zin_window* w) { ::dock_place_new(w); }
void dock_attach(zin_window* w) { ::dock_attach(w); }
bool dock_has_node(zin_window* w) { return dock_find(w) != nullptr; }
void dock_move_group(zin_window* w, WINDOWPOS* pos) { ::dock_move_group(w, pos, nullptr); }
void dock_copy_relations(zin_window* from, zin_window* to) { ::dock_copy_relations(to, from); }
void dock_move_followers(zin_window* w) { ::dock_move_followers(w); }

void drop_files(zin_window* w, HDROP drop) { ::drop_files(w, drop, w->mWnd); }

// 1. The host's shortcuts; 2. in a window with playlist views, the shortcuts on the active
// playlist's selection, then the playlist keys. A host without a shortcut manager leaves the keys
// to the playlist views.
bool handle_key(zin_window* w, WPARAM key) {
    service_ptr_t<keyboard_shortcut_manager> shortcuts;
    const bool have_shortcuts = service_create_first(shortcuts);
    // 1.
    if (have_shortcuts && keyboard_shortcut_process(*shortcuts.get_ptr(), key)) return true;
    // 2.
    if (w->mViews.getSize() == 0) return false;
    if (have_shortcuts && keyboard_shortcut_process_playlist(*shortcuts.get_ptr(), key)) return true;
    return playlist::on_key(key, static_cast<playlist*>(w->mViews[0])->mRows);
}

void views_load(zin_window* w) {
    playlist_mirror_on();
    ZIN_ASSERT_MSG(
        !g_pl_oper || g_pl_oper->activeplaylist_get_item_count() == g_items.getSize(),
        "playlist::g_pl_oper->playlist_get_item_count(playlist::g_pl_oper->get_active_playlist()) == "
        "playlist::g_items.getSize()");
    for (uint32_t i = 0; i < w->mViews.getSize(); ++i) static_cast<playlist*>(w->mViews[i])->create_brushes();
}

void views_unload(zin_window* w) {
    for (uint32_t i = 0; i < w->mViews.getSize(); ++i) static_cast<playlist*>(w->mViews[i])->release_brushes();
    for (uint32_t i = 0; i < g_playlist_views.getSize(); ++i)
        if (g_playlist_views[i]->mVisible) return;
    playlist_mirror_off();
}

void playlist_context_menu(HWND window) {
    // The press is handled either way: a host failure is reported, not passed up the dispatch.
    console::guarded("playlist context menu", [&] { contextmenu_run_on_playlist_selection(window, nullptr, 1); });
}

void script_part_added(zin_window* w, base_class* part) {
    // The instance's field "window" names the window it is in.
    lua_State* L = g_lua;
    if (!L) return;
    part->push_instance(L);
    // Stack: [..., instance]
    if (lua_istable(L, -1)) {
        lua_pushliteral(L, "window");
        lua_class::get_ref(L, w->mSelfRef);
        // Stack: [..., instance, "window", window]
        lua_rawset(L, -3);
    }
    lua_pop(L, 1);
    // Stack: [...]
}

UINT taskbar_created_message() { return CTrayIcon::sTaskbarCreatedMsg; }
void taskbar_created() { CTrayIcon::readdAll(); }

}  // namespace window_hooks
