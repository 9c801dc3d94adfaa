#pragma once
// The reference host's player as the host's run sees it: the playlist manager, the playback control
// and the playlist-row format as registered services, the tracks given on the command line, and
// the playback engine behind them.
#include <memory>
#include <string>
#include <vector>

#include "registry.h"

namespace host {

class playback_engine;
class playlist_manager_impl;
class play_control_impl;
class titleformat_config_impl;

class player {
public:
    player();
    ~player();
    player(const player&) = delete;
    player& operator=(const player&) = delete;

    // Offers the player's services in the registry and makes the engine's timer window.
    void register_services(service_registry& registry);
    // Puts the tracks named by `items` (files, or M3U playlists whose entries are taken) into the
    // active playlist. Problems are reported on the host's log; what can be used is used.
    void add_items(const std::vector<std::wstring>& items);
    // Starts playback (as the play command does).
    void play();
    // Stops playback for the host's exit; the listeners hear it while they are still there.
    void stop_for_exit();
    // Gives back every reference the player holds (before the host counts what is left).
    void release();

private:
    playlist_manager_impl* m_playlists = nullptr;
    play_control_impl* m_control = nullptr;
    titleformat_config_impl* m_row_format = nullptr;
    std::unique_ptr<playback_engine> m_engine;
};

}  // namespace host
