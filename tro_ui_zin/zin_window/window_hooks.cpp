// Points where other parts of the engine join the window code: window states from the
// configuration, docking, dropped files, key shortcuts, playlist views, script-defined parts and
// the tray's restart. Those whose subsystem does not exist yet do nothing (or answer "not
// handled").

#include "zin_window.h"

#include <zin_classes/base_class.h>

namespace window_hooks {

bool saved_window_rect(const char*, rect*) { return false; }

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

void script_part_added(zin_window* w, class_base* part) {
    // The instance's field "window" names the window it is in.
    lua_State* L = g_lua;
    if (!L) return;
    static_cast<base_class*>(part)->push_instance(L);
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
void script_part_show(class_base* part) { static_cast<base_class*>(part)->show(); }
void script_part_hide(class_base* part) { static_cast<base_class*>(part)->hide(); }

UINT taskbar_created_message() { return 0; }
void taskbar_created() {}

}  // namespace window_hooks
