// Points where later parts of the engine join the window code: window states from the
// configuration, docking, dropped files, key shortcuts, playlist views, script-defined parts and
// the tray's restart. Each does nothing (or answers "not handled") until its subsystem exists.

#include "zin_window.h"

#include <trayicon.h>
#include <zin_config/zin_config.h>

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

bool handle_key(zin_window*, WPARAM) { return false; }

void views_load(zin_window*) {}
void views_unload(zin_window*) {}

void script_part_added(zin_window*, class_base*) {}
void script_part_show(class_base*) {}
void script_part_hide(class_base*) {}

UINT taskbar_created_message() { return CTrayIcon::sTaskbarCreatedMsg; }
void taskbar_created() { CTrayIcon::readdAll(); }

}  // namespace window_hooks
