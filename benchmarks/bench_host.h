#pragma once
// The reference host's services for the benchmarks that run the engine without the host's window:
// title formatting, playlists and a player that stands still.

#include <playlist_format.h>
#include <tro_ui_zin.h>

#include <host_window.h>
#include <player.h>
#include <registry.h>
#include <trovaplay/sdk/client.h>

namespace bench {

// Registers the services, announces them to the component and sets g_play_control and g_pl_oper.
// Also makes the host's main window, hidden and top-level as the reference host makes it: the
// engine runs in a process that has one (under wine the first window shown by a process without
// another top-level window costs about 2 ms more, which a benchmark without it would count).
inline void open_reference_host_services() {
    static HWND host_main_window = host::create_host_window(L"bench_host_main", &DefWindowProcW, nullptr, nullptr);
    (void)host_main_window;
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
