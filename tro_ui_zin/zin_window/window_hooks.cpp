// Points where later parts of the engine join the window code: window states from the
// configuration, docking, dropped files, key shortcuts, playlist views, script-defined parts and
// the tray's restart. Each does nothing (or answers "not handled") until its subsystem exists.

#include "docking.h"
#include "drop_files.h"
#include "zin_window.h"

namespace window_hooks {

bool saved_window_rect(const char*, rect*) { return false; }

void dock_place_new(zin_window* w) { ::dock_place_new(w); }
void dock_attach(zin_window* w) { ::dock_attach(w); }
bool dock_has_node(zin_window* w) { return dock_find(w) != nullptr; }
void dock_move_group(zin_window* w, WINDOWPOS* pos) { ::dock_move_group(w, pos, nullptr); }
void dock_copy_relations(zin_window* from, zin_window* to) { ::dock_copy_relations(to, from); }
void dock_move_followers(zin_window* w) { ::dock_move_followers(w); }

void drop_files(zin_window* w, HDROP drop) { ::drop_files(w, drop, w->mWnd); }

bool handle_key(zin_window*, WPARAM) { return false; }

void views_load(zin_window*) {}
void views_unload(zin_window*) {}

void script_part_added(zin_window*, class_base*) {}
void script_part_show(class_base*) {}
void script_part_hide(class_base*) {}

UINT taskbar_created_message() { return 0; }
void taskbar_created() {}

}  // namespace window_hooks
