#pragma once
// The reference host's services for the benchmarks that run the engine without the host's window:
// title formatting, playlists and a player that stands still.

#include <playlist_format.h>
#include <tro_ui_zin.h>

#include <player.h>
#include <registry.h>
#include <trovaplay/sdk/client.h>

namespace bench {

// Registers the services, announces them to the component and sets g_play_control and g_pl_oper.
inline void open_reference_host_services() {
    static host::service_registry registry;
    static host::player player;
    player.register_services(registry);
    trovaplay_get_interface(&registry, nullptr)->services_init(true);
    g_play_control = static_cast<play_control*>(registry.get(play_control::class_guid, 0));
    g_pl_oper = static_cast<playlist_manager*>(registry.get(playlist_manager::class_guid, 0));
}

// Gives back what the engine holds of the services before the host's objects end with the program
// (the playlist rows' compiled format would otherwise be released into a host already gone).
inline void close_reference_host_services() {
    g_playlist_format.release();
    g_play_control = nullptr;
    g_pl_oper = nullptr;
}

}  // namespace bench
