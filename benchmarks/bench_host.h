#pragma once
// The reference host's services for the benchmarks that run the engine without the host's window:
// title formatting, playlists and a player that stands still.

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

}  // namespace bench
