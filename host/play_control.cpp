#include "play_control.h"

#include "guard.h"
#include "playback_engine.h"

namespace host {

bool play_control_impl::get_now_playing(service_ptr_t<metadb_handle>& p_out) {
    return guard("play_control get_now_playing", false, [&] { return m_engine.get_now_playing(p_out); });
}

void play_control_impl::start(std::uint32_t p_command, bool p_paused) {
    guarded("play_control start", [&] { m_engine.start(p_command, p_paused); });
}

void play_control_impl::stop() {
    guarded("play_control stop", [&] { m_engine.stop(); });
}

bool play_control_impl::is_playing() { return m_engine.is_playing(); }

bool play_control_impl::is_paused() { return m_engine.is_paused(); }

void play_control_impl::pause(bool p_state) {
    guarded("play_control pause", [&] { m_engine.pause(p_state); });
}

void play_control_impl::set_volume(float p_volume) {
    guarded("play_control set_volume", [&] { m_engine.set_volume(p_volume); });
}

float play_control_impl::get_volume() { return m_engine.get_volume(); }

void play_control_impl::playback_seek(double p_seconds) {
    guarded("play_control seek", [&] { m_engine.seek(p_seconds); });
}

bool play_control_impl::playback_can_seek() { return m_engine.can_seek(); }

double play_control_impl::playback_get_position() {
    return guard("play_control position", 0.0, [&] { return m_engine.position(); });
}

}  // namespace host
