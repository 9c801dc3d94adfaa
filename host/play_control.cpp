#include "play_control.h"

#include <exception>

#include "log.h"
#include "playback_engine.h"

namespace host {

namespace {

// The component calls these; nothing thrown may go back into it.
template <typename R, typename F>
R guard(const char* what, R fallback, F&& call) {
    try {
        return call();
    } catch (const std::exception& e) {
        log_host(std::string("ERROR : play_control ") + what + ": " + e.what());
    } catch (...) {
        log_host(std::string("ERROR : play_control ") + what + ": unknown exception");
    }
    return fallback;
}

}  // namespace

bool play_control_impl::get_now_playing(service_ptr_t<metadb_handle>& p_out) {
    return guard("get_now_playing", false, [&] { return m_engine.get_now_playing(p_out); });
}

void play_control_impl::start(std::uint32_t p_command, bool p_paused) {
    guard("start", 0, [&] { m_engine.start(p_command, p_paused); return 0; });
}

void play_control_impl::stop() {
    guard("stop", 0, [&] { m_engine.stop(); return 0; });
}

bool play_control_impl::is_playing() { return m_engine.is_playing(); }

bool play_control_impl::is_paused() { return m_engine.is_paused(); }

void play_control_impl::pause(bool p_state) {
    guard("pause", 0, [&] { m_engine.pause(p_state); return 0; });
}

void play_control_impl::set_volume(float p_volume) {
    guard("set_volume", 0, [&] { m_engine.set_volume(p_volume); return 0; });
}

float play_control_impl::get_volume() { return m_engine.get_volume(); }

void play_control_impl::playback_seek(double p_seconds) {
    guard("seek", 0, [&] { m_engine.seek(p_seconds); return 0; });
}

bool play_control_impl::playback_can_seek() { return m_engine.can_seek(); }

double play_control_impl::playback_get_position() {
    return guard("position", 0.0, [&] { return m_engine.position(); });
}

}  // namespace host
