// The player's time line.
//
// 1. Bring the position up to now: while playing and not paused, the clock's advance since the
//    last update is added to the position.
// 2. At the end of a track (only tracks with a known length end) go on to the next track of the
//    playback order, carrying the time past the end over; with no next track, stop (end of file).
// 3. Each whole second that the position reaches while a track plays is told once (on_time).
// 4. Deliver the queued events to every listener, in order. A listener's commands are carried out
//    at once, and their events are delivered behind the ones waiting; a command given from inside
//    an event that a listener's command caused waits for the next tick.
#include "playback_engine.h"

#include <cmath>
#include <vector>

#include <trovaplay/sdk/play_callback.h>
#include <trovaplay/sdk/play_control.h>

#include "guard.h"
#include "host_window.h"
#include "log.h"
#include "tracks.h"

namespace host {

namespace {

const wchar_t kTimerClass[] = L"trovaplay_playback";
const UINT_PTR kTimerId = 1;
const UINT kTimerMs = 100;
// A long pause of the whole process (a debugger, a suspended machine) skips at most this many
// tracks at once; the rest of the time is dropped.
const int kMaxTrackSkips = 1000;
// Listener commands caused by listener commands carried out within one delivery; further ones
// wait for the next tick.
const int kMaxListenerChain = 1;

enum slot : int {
    slot_start = 0,
    slot_new_track = 1,
    slot_stop = 2,
    slot_seek = 3,
    slot_pause = 4,
    slot_time = 8,
    slot_volume = 9,
};

const char* stop_reason_name(stop_reason reason) {
    switch (reason) {
        case stop_reason_user: return "stop asked for";
        case stop_reason_eof: return "end of the playlist";
        case stop_reason_starting_another: return "another track starts";
        case stop_reason_shutting_down: return "the host is quitting";
    }
    return "unknown reason";
}

std::string describe(const service_ptr_t<metadb_handle>& t) {
    const track* tr = static_cast<const track*>(t.get_ptr());
    if (tr == nullptr) return "(none)";
    const std::string artist = tr->artist();
    return (artist.empty() ? "" : artist + " - ") + tr->title();
}

}  // namespace

playback_engine::playback_engine(service_registry& registry, playlist_manager_impl& playlists, clock_fn clock)
    : m_registry(registry), m_playlists(playlists), m_clock(std::move(clock)) {
    if (!m_clock) m_clock = [] { return std::uint64_t(GetTickCount64()); };
    m_clock_ms = m_clock();
}

playback_engine::~playback_engine() { shutdown(); }

bool playback_engine::create_timer_window() {
    if (m_window) return true;
    m_window = create_host_window(kTimerClass, &playback_engine::timer_proc, HWND_MESSAGE, this);
    if (m_window == nullptr) return false;
    if (m_playing) set_timer(true);
    return true;
}

LRESULT CALLBACK playback_engine::timer_proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kTimerId) {
        playback_engine* self = window_owner<playback_engine>(wnd);
        if (self) guarded("the playback timer", [&] { self->tick(); });
        return 0;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

void playback_engine::set_timer(bool on) {
    if (m_window == nullptr || on == m_timer_on) return;
    if (on) m_timer_on = SetTimer(m_window, kTimerId, kTimerMs, nullptr) != 0;
    else {
        KillTimer(m_window, kTimerId);
        m_timer_on = false;
    }
}

void playback_engine::shutdown() {
    if (m_playing) {
        end(stop_reason_shutting_down);
        flush();
    }
    set_timer(false);
    if (m_window) {
        DestroyWindow(m_window);
        m_window = nullptr;
    }
    m_events.clear();
    m_deferred.clear();
    m_track.release();
}

// ---- Time line

void playback_engine::tick() {
    run_deferred();
    advance(m_clock());
    flush();
    if (!m_playing && m_deferred.empty()) set_timer(false);
}

void playback_engine::run_deferred() {
    std::vector<std::function<void()>> commands;
    commands.swap(m_deferred);
    for (const std::function<void()>& command : commands) command();
}

bool playback_engine::defer_from_listener(std::function<void()> command) {
    if (!m_delivering || m_delivering_chain < kMaxListenerChain) return false;
    m_deferred.push_back(std::move(command));
    set_timer(true);
    return true;
}

double playback_engine::track_length() const {
    const track* t = static_cast<const track*>(m_track.get_ptr());
    return t ? t->length() : 0.0;
}

// 0 when the length is unknown: such a track plays on until it is stopped or left.
std::int64_t playback_engine::track_length_ms() const {
    const double length = track_length();
    return length > 0 ? std::int64_t(std::llround(length * 1000.0)) : 0;
}

void playback_engine::advance(std::uint64_t now) {
    // 1. The clock's advance.
    const std::uint64_t elapsed_ms = now > m_clock_ms ? now - m_clock_ms : 0;
    m_clock_ms = now;
    if (!m_playing || m_paused) return;
    m_position_ms += std::int64_t(elapsed_ms);

    // 2. Track ends.
    for (int skips = 0;; ++skips) {
        const std::int64_t length = track_length_ms();
        if (length <= 0 || m_position_ms < length) break;
        const std::int64_t over = m_position_ms - length;
        const std::uint32_t next = first_playable(m_playlist, neighbour(+1, true), +1);
        if (next == playlist_manager::none) {
            end(stop_reason_eof);
            return;
        }
        const std::uint32_t old_item = m_item;
        m_item = next;
        m_track = m_playlists.get_item(m_playlist, next);
        m_position_ms = skips < kMaxTrackSkips ? over : 0;
        m_second = 0;
        log_host("playback: next track " + std::to_string(m_item + 1) + ": " + describe(m_track));
        playing_row_moved(m_playlist, old_item);
        queue(event{slot_new_track, 0, false, 0, 0, m_track});
    }

    // 3. Whole seconds.
    const long long second = m_position_ms / 1000;
    if (second > m_second) {
        m_second = second;
        queue(event{slot_time, 0, false, double(second), 0, {}});
    }
}

double playback_engine::position() const {
    if (!m_playing) return 0.0;
    std::int64_t pos = m_position_ms;
    if (!m_paused) {
        const std::uint64_t now = m_clock();
        if (now > m_clock_ms) pos += std::int64_t(now - m_clock_ms);
    }
    const std::int64_t length = track_length_ms();
    return double((length > 0 && pos > length) ? length : pos) / 1000.0;
}

// The item `step` places away from the playing one (or from the focus when stopped) in the
// playback order; none when there is none. `automatic`: a track ended by itself.
std::uint32_t playback_engine::neighbour(std::int32_t step, bool automatic) const {
    if (m_playing) return step_from(m_playlist, m_item, step, automatic);
    const std::uint32_t playlist = m_playlists.get_active_playlist();
    return step_from(playlist, m_playlists.playlist_get_focus_item(playlist), step, automatic);
}

std::uint32_t playback_engine::step_from(std::uint32_t playlist, std::uint32_t from, std::int32_t step,
                                         bool automatic) const {
    const std::uint32_t count = m_playlists.playlist_get_item_count(playlist);
    if (count == 0) return playlist_manager::none;
    const std::uint32_t order = m_playlists.order();
    if (automatic && order == order_repeat_track && from < count) return from;
    if (from >= count) return step > 0 ? 0 : playlist_manager::none;  // nothing before "no item"
    const std::int64_t to = std::int64_t(from) + step;
    if (to >= 0 && to < std::int64_t(count)) return std::uint32_t(to);
    if (order == order_repeat_playlist) return std::uint32_t((to % count + count) % count);
    return playlist_manager::none;
}

// A track that cannot be played is reported and passed over, in the direction of `step`; each item
// is tried once (the playback order may come round again).
std::uint32_t playback_engine::first_playable(std::uint32_t playlist, std::uint32_t item, std::int32_t step) const {
    const std::uint32_t count = m_playlists.playlist_get_item_count(playlist);
    for (std::uint32_t tried = 0; tried < count && item != playlist_manager::none; ++tried) {
        const service_ptr_t<metadb_handle> handle = m_playlists.get_item(playlist, item);
        const track* t = static_cast<const track*>(handle.get_ptr());
        if (t == nullptr) return playlist_manager::none;
        const std::string why = t->unplayable_reason();
        if (why.empty()) return item;
        log_host("ERROR : playback: track " + std::to_string(item + 1) + " cannot be played: " + why);
        item = step_from(playlist, item, step, false);
    }
    return playlist_manager::none;
}

// ---- Commands

void playback_engine::begin(std::uint32_t playlist, std::uint32_t item, std::int32_t command, bool paused) {
    service_ptr_t<metadb_handle> t = m_playlists.get_item(playlist, item);
    if (t.is_empty()) return;
    advance(m_clock());
    const std::uint32_t old_playlist = m_playing ? m_playlist : playlist_manager::none;
    const std::uint32_t old_item = m_item;
    if (m_playing) queue(event{slot_stop, stop_reason_starting_another, false, 0, 0, {}});
    m_playing = true;
    m_paused = paused;
    m_playlist = playlist;
    m_item = item;
    m_track = t;
    m_position_ms = 0;
    m_second = 0;
    m_clock_ms = m_clock();
    set_timer(true);
    log_host("playback: track " + std::to_string(item + 1) + ": " + describe(t) + (paused ? " (paused)" : ""));
    playing_row_moved(old_playlist, old_item);
    queue(event{slot_start, command, paused, 0, 0, {}});
    queue(event{slot_new_track, 0, false, 0, 0, t});
}

void playback_engine::end(stop_reason reason) {
    if (!m_playing) return;
    m_playing = false;
    m_paused = false;
    m_position_ms = 0;
    m_second = 0;
    m_track.release();
    set_timer(!m_deferred.empty());
    log_host(std::string("playback: stopped (") + stop_reason_name(reason) + ")");
    playing_row_moved(m_playlist, m_item);
    queue(event{slot_stop, reason, false, 0, 0, {}});
}

// The rows that gain or lose the playing mark (a row format may show it) are told to the playlist
// listeners as modified: the one that played before and the one that plays now.
void playback_engine::playing_row_moved(std::uint32_t old_playlist, std::uint32_t old_item) {
    std::uint32_t playlist = playlist_manager::none, item = playlist_manager::none;
    const bool playing = playing_item(playlist, item);
    if (playing && playlist == old_playlist && item == old_item) return;
    if (old_playlist != playlist_manager::none && old_item != playlist_manager::none)
        m_playlists.items_modified(old_playlist, bit_array_one(old_item));
    if (playing) m_playlists.items_modified(playlist, bit_array_one(item));
}

bool playback_engine::get_now_playing(service_ptr_t<metadb_handle>& out) {
    if (!m_playing || m_track.is_empty()) return false;
    out = m_track;
    return true;
}

void playback_engine::start(std::uint32_t command, bool paused) {
    if (defer_from_listener([=] { start(command, paused); })) return;
    std::uint32_t playlist = m_playing ? m_playlist : m_playlists.get_active_playlist();
    std::uint32_t item = playlist_manager::none;
    switch (command) {
        case play_control::track_command_play:
            if (m_playing && m_paused && !paused) {  // play while paused resumes
                pause(false);
                return;
            }
            item = m_playing ? m_item : m_playlists.playlist_get_focus_item(playlist);
            if (item >= m_playlists.playlist_get_item_count(playlist)) item = 0;
            break;
        case play_control::track_command_next:
            item = neighbour(+1, false);
            break;
        case play_control::track_command_prev:
            item = neighbour(-1, false);
            break;
        default:
            log_host("ERROR : play_control start: unknown command " + std::to_string(command));
            return;
    }
    item = first_playable(playlist, item, command == play_control::track_command_prev ? -1 : +1);
    if (m_playlists.get_item(playlist, item).is_empty()) {
        log_host("playback: nothing to play");
        return;
    }
    begin(playlist, item, std::int32_t(command), paused);
    flush();
}

bool playback_engine::play_item(std::uint32_t playlist, std::uint32_t item) {
    if (m_playlists.get_item(playlist, item).is_empty()) return false;
    if (defer_from_listener([=] { play_item(playlist, item); })) return true;
    item = first_playable(playlist, item, +1);
    if (item == playlist_manager::none) {
        log_host("playback: nothing to play");
        return true;  // the item was there
    }
    begin(playlist, item, play_control::track_command_play, false);
    flush();
    return true;
}

void playback_engine::on_playlist_inserted(std::uint32_t index) {
    if (m_playing && m_playlist >= index) ++m_playlist;
}

void playback_engine::on_playlist_removed(std::uint32_t index) {
    if (!m_playing || m_playlist == playlist_manager::none) return;
    if (m_playlist == index) {
        m_playlist = playlist_manager::none;
        m_item = playlist_manager::none;
    } else if (m_playlist > index) {
        --m_playlist;
    }
}

bool playback_engine::playing_item(std::uint32_t& playlist, std::uint32_t& item) const {
    if (!m_playing || m_playlist == playlist_manager::none || m_item == playlist_manager::none) return false;
    playlist = m_playlist;
    item = m_item;
    return true;
}

void playback_engine::stop() {
    if (defer_from_listener([=] { stop(); })) return;
    advance(m_clock());
    end(stop_reason_user);
    flush();
}

void playback_engine::pause(bool state) {
    if (defer_from_listener([=] { pause(state); })) return;
    advance(m_clock());
    if (m_playing && m_paused != state) {
        m_paused = state;
        queue(event{slot_pause, 0, state, 0, 0, {}});
    }
    flush();
}

void playback_engine::set_volume(float volume) {
    if (std::isnan(volume)) return;
    if (volume < volume_min) volume = volume_min;
    if (volume > volume_max) volume = volume_max;
    if (volume == m_volume) return;
    if (defer_from_listener([=] { set_volume(volume); })) return;
    m_volume = volume;
    queue(event{slot_volume, 0, false, 0, volume, {}});
    flush();
}

bool playback_engine::can_seek() const { return m_playing && track_length_ms() > 0; }

void playback_engine::seek(double seconds) {
    if (!std::isfinite(seconds)) return;
    if (defer_from_listener([=] { seek(seconds); })) return;
    advance(m_clock());
    if (!can_seek()) {
        flush();
        return;
    }
    const double length = track_length();
    if (seconds < 0) seconds = 0;
    if (seconds > length) seconds = length;
    m_position_ms = std::int64_t(std::llround(seconds * 1000.0));
    m_second = m_position_ms / 1000;
    queue(event{slot_seek, 0, false, seconds, 0, {}});
    advance(m_clock());  // a seek to the very end ends the track now
    flush();
}

// ---- Listeners

void playback_engine::flush() {
    // 4. Deliver in order. A listener's own commands queue behind the events already waiting; the
    // outer flush delivers them.
    if (m_delivering) return;
    m_delivering = true;
    struct clear_on_exit {
        bool& flag;
        ~clear_on_exit() { flag = false; }  // also when an exception leaves: later events still go out
    } clear{m_delivering};
    while (!m_events.empty()) {
        const event e = m_events.front();
        m_events.pop_front();
        m_delivering_chain = e.chain;
        deliver(e);
    }
}

void playback_engine::queue(event e) {
    e.chain = m_delivering ? m_delivering_chain + 1 : 0;
    m_events.push_back(e);
}

void playback_engine::deliver(const event& e) {
    // Taken first: a listener may change the registry while it is called.
    for (const service_ptr_t<service_base>& s : m_registry.all_of(play_callback_static::class_guid)) {
        play_callback_static* listener = static_cast<play_callback_static*>(s.get_ptr());
        guarded("a play listener", [&] {
            if ((listener->get_flags() & (1u << e.slot)) == 0) return;
            play_callback* pc = listener;
            switch (e.slot) {
                case slot_start: pc->on_start(e.number, e.flag); break;
                case slot_new_track: pc->on_new_track(e.track.get_ptr()); break;
                case slot_stop: pc->on_stop(e.number); break;
                case slot_seek: pc->on_seek(e.time); break;
                case slot_pause: pc->on_pause(e.flag); break;
                case slot_time: pc->on_time(e.time); break;
                case slot_volume: pc->on_volume_change(e.volume); break;
                default: break;
            }
        });
    }
}

}  // namespace host
