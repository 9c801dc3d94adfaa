#pragma once
// The reference host's player: it plays the active playlist's tracks in time, without sound. Time
// runs on the host's user-interface thread: a timer on a message-only window calls tick(), which
// moves the position on by the clock, goes on to the next track at the end of a track and tells the
// play listeners the whole seconds as they pass. Tests drive tick() themselves with a clock of
// their own.
//
// Every registered play listener (the services of class play_callback_static) hears each event
// it asked for in get_flags (bit n for listener slot n). Events are queued and delivered in order;
// a listener that calls back into the player (stop from inside on_new_track, say) has its events
// delivered after the ones already queued, so every listener sees the player's history in order.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <vector>
#include <functional>

#include <trovaplay/sdk/metadb_handle.h>

#include "playlist_manager.h"
#include "registry.h"

namespace host {

// Reasons given to on_stop.
enum stop_reason : std::int32_t {
    stop_reason_user = 0,              // stop asked for
    stop_reason_eof = 1,               // the last track ended
    stop_reason_starting_another = 2,  // another track starts in its place
    stop_reason_shutting_down = 3,     // the host is quitting
};

class playback_engine {
public:
    // Milliseconds from any fixed start.
    using clock_fn = std::function<std::uint64_t()>;

    // Volume in decibels: 0 is full, -100 silence.
    static constexpr float volume_min = -100.0f;
    static constexpr float volume_max = 0.0f;

    // `clock` empty: the system's tick count.
    playback_engine(service_registry& registry, playlist_manager_impl& playlists, clock_fn clock = clock_fn());
    ~playback_engine();
    playback_engine(const playback_engine&) = delete;
    playback_engine& operator=(const playback_engine&) = delete;

    // Makes the timer window (the host does; tests call tick() instead). False when it cannot.
    bool create_timer_window();
    // Moves time on to now.
    void tick();
    // Stops (reason shutting_down) and drops the timer window and every track reference.
    void shutdown();

    // ---- play_control.
    bool get_now_playing(service_ptr_t<metadb_handle>& out);
    void start(std::uint32_t command, bool paused);
    void stop();
    bool is_playing() const { return m_playing; }
    bool is_paused() const { return m_playing && m_paused; }
    void pause(bool state);
    void set_volume(float volume);
    float get_volume() const { return m_volume; }
    void seek(double seconds);
    bool can_seek() const;
    double position() const;

    // ---- playlist_manager.
    // Plays an item of a playlist (the default action). False when there is no such item.
    bool play_item(std::uint32_t playlist, std::uint32_t item);
    // A playlist was inserted at `index`: the playing item's playlist may have moved.
    void on_playlist_inserted(std::uint32_t index);
    // The playlist at `index` was removed: the playing track stays, but no longer in a playlist.
    void on_playlist_removed(std::uint32_t index);
    // Where the playing track stands (playlist and item); false when nothing plays or its item is
    // gone.
    bool playing_item(std::uint32_t& playlist, std::uint32_t& item) const;
    // The playing track's item moved to `item` (none: it was removed) by a change of its playlist.
    void playing_item_moved(std::uint32_t item) { m_item = item; }

private:
    struct event {
        int slot;  // the listener slot: 0 on_start ... 9 on_volume_change
        std::int32_t number;
        bool flag;
        double time;
        float volume;
        service_ptr_t<metadb_handle> track;
        int chain = 0;  // listener commands that led to it (0: the player's own, or a caller's)
    };

    void begin(std::uint32_t playlist, std::uint32_t item, std::int32_t command, bool paused);
    void playing_row_moved(std::uint32_t old_playlist, std::uint32_t old_item);
    void end(stop_reason reason);
    void advance(std::uint64_t now);
    double track_length() const;
    std::int64_t track_length_ms() const;
    std::uint32_t neighbour(std::int32_t step, bool automatic) const;
    std::uint32_t step_from(std::uint32_t playlist, std::uint32_t from, std::int32_t step, bool automatic) const;
    // The first item from `item` on (going `step` places at a time) whose track can be played.
    std::uint32_t first_playable(std::uint32_t playlist, std::uint32_t item, std::int32_t step) const;
    void set_timer(bool on);

    void queue(event e);
    void flush();
    // A command that a listener gives from inside an event that listener commands already led
    // to waits for the next tick (true): listeners that answer each other's events (a volume
    // change from the volume notification) would otherwise keep the player busy for ever.
    bool defer_from_listener(std::function<void()> command);
    void run_deferred();
    void deliver(const event& e);
    static LRESULT CALLBACK timer_proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

    service_registry& m_registry;
    playlist_manager_impl& m_playlists;
    clock_fn m_clock;
    HWND m_window = nullptr;
    bool m_timer_on = false;

    bool m_playing = false;
    bool m_paused = false;
    std::uint32_t m_playlist = playlist_manager::none;  // where the playing track is
    std::uint32_t m_item = playlist_manager::none;
    service_ptr_t<metadb_handle> m_track;
    // Milliseconds into the track, up to m_clock_ms (whole milliseconds: no drift from adding up).
    std::int64_t m_position_ms = 0;
    std::uint64_t m_clock_ms = 0;           // the clock when m_position_ms was last brought up to date
    long long m_second = 0;                 // the whole second last told to the listeners
    float m_volume = volume_max;

    std::deque<event> m_events;
    bool m_delivering = false;
    int m_delivering_chain = 0;  // the chain of the event being delivered
    std::vector<std::function<void()>> m_deferred;
};

}  // namespace host
