// Points where later parts of the engine join the window code: window states from the
// configuration, docking, dropped files, key shortcuts, playlist views, script-defined parts and
// the tray's restart. Each does nothing (or answers "not handled") until its subsystem exists; the
// playlist views' points are filled.

#include "zin_window.h"

#include <trayicon.h>
#include <zin_config/zin_config.h>
#include "playlist_events.h"

namespace window_hooks {

bool saved_window_rect(const char* name, rect* out) { return ::saved_window_rect(name, out); }

void dock_place_new(zin_window*) {}
void dock_attach(zin_window*) {}
bool dock_has_node(zin_window*) { return false; }
void dock_move_group(zin_window*, WINDOWPOS*) {}
void dock_copy_relations(zin_window*, zin_window*) {}
void dock_move_followers(zin_window*) {}

void drop_files(zin_window*, HDROP drop) {
    // Nobody takes the files yet; the drop handle is still ours to free.
    if (drop) DragFinish(drop);
}

bool handle_key(zin_window* w, WPARAM key) {
    // The host's keyboard shortcuts join here, before the playlist keys.
    if (w->mViews.getSize() == 0) return false;
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

void playlist_context_menu(HWND) {}

void script_part_added(zin_window*, class_base*) {}
void script_part_show(class_base*) {}
void script_part_hide(class_base*) {}

UINT taskbar_created_message() { return CTrayIcon::sTaskbarCreatedMsg; }
void taskbar_created() { CTrayIcon::readdAll(); }

}  // namespace window_hooks
