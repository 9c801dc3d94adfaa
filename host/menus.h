#pragma once
// The reference host's menus and keyboard shortcuts, as host services:
//   - main-menu commands (mainmenu_commands), in this order: "Play", "Pause", "Stop", "Next",
//     "Previous"; "Preferences" (the preferences GUID; opens the preferences window), "Exit"
//     (ends the message loop); "About" in two services, to show that the first one found wins;
//   - the main-menu manager, which builds them all into a popup (separators between services);
//   - context-menu commands on tracks (contextmenu_item): "Show location" (writes the tracks'
//     paths to the log), "Remove from playlist" (from every playlist), and under "Utilities"
//     "Count & length" (writes the number of tracks and their total length);
//   - the context-menu manager, a fresh menu tree for every creation;
//   - the keyboard-shortcut manager: Z X C V B (previous, play, pause, stop, next), Ctrl+P
//     (preferences); Ctrl+L on the playlist's selection and Ctrl+Shift+L on the playing track
//     ("Show location").
// Every command run writes "menu command: <name>" or "context command: <name>: ..." to the log.
#include <cstdint>

#include <trovaplay/sdk/playlist_manager.h>  // handle_list_const

#include "registry.h"

namespace host {

void register_menu_services(service_registry& registry);
// Its parts.
void register_mainmenu_services(service_registry& registry);
void register_contextmenu_services(service_registry& registry);
void register_shortcut_service(service_registry& registry);

// Walks the services of class T in the registry's order and their items 0 .. count - 1 until
// match(service, index) answers true; then run(service, index) and true. False when none matched.
template <typename T, typename Match, typename Run>
bool run_first_item(service_registry& registry, std::uint32_t (T::*count)(), Match match, Run run) {
    for (std::uint32_t s = 0;; ++s) {
        service_ptr_t<T> service;
        service.attach(static_cast<T*>(registry.get(T::class_guid, s)));
        if (service.is_empty()) return false;
        const std::uint32_t n = (service.get_ptr()->*count)();
        for (std::uint32_t i = 0; i < n; ++i) {
            if (match(*service.get_ptr(), i)) {
                run(*service.get_ptr(), i);
                return true;
            }
        }
    }
}

// Runs the first main-menu command with that GUID; false when there is none.
bool run_main_command(service_registry& registry, const GUID& command);
// Runs the first context-menu command with that GUID on the tracks; false when there is none.
bool run_context_command(service_registry& registry, const GUID& command, const handle_list_const& tracks,
                         const GUID& caller);

}  // namespace host
