#include "play_control.h"

#include <algorithm>
#include <cmath>
#include <string>

#include <trovaplay/sdk/metadb_handle.h>
#include <trovaplay/shared/shared.h>
#include <trovaplay/sdk/titleformat.h>

#include "guard.h"
#include "playback_engine.h"
#include "title_format.h"
#include "tracks.h"

namespace host {

namespace {

// The fields only the player knows while a track plays.
class playback_fields final : public field_hook {
public:
    playback_fields(double position, double length) : m_position(position), m_length(length) {}
    bool process_field(titleformat_text_out* p_out, const char* p_name, t_size p_name_length, bool& p_found) override {
        p_found = false;
        auto is = [&](const char* what) { return stricmp_utf8_ex(p_name, p_name_length, what, ~0u) == 0; };
        std::string value;
        if (is("playback_time")) value = format_length(m_position);
        else if (is("playback_time_seconds")) value = std::to_string(static_cast<long long>(std::max(0.0, m_position)));
        else if (is("playback_time_remaining") && m_length > 0) value = format_length(std::max(0.0, m_length - m_position));
        // The length to the nearest second, as a track's own %length% shows it.
        else if (is("length") && m_length > 0) value = format_length(std::floor(m_length + 0.5));
        else return false;
        p_out->write(titleformat_input_type_other, value.c_str(), t_size(value.size()));
        p_found = true;
        return true;
    }

private:
    double m_position;
    double m_length;
};

}  // namespace

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

namespace host {

bool play_control_impl::playback_format_title(titleformat_hook* p_hook, zut::string_base& p_out,
                                              const service_ptr_t<titleformat_script>& p_script,
                                              titleformat_text_filter* p_filter, std::uint32_t) {
    return guard("play_control format_title", false, [&] {
        service_ptr_t<metadb_handle> playing;
        const title_script* script = title_script::from(p_script.get_ptr());
        if (!m_engine.get_now_playing(playing) || playing.is_empty() || script == nullptr) {
            p_out.set_string("");
            return false;
        }
        // Every track handle of this host is one of its tracks.
        track* t = static_cast<track*>(playing.get_ptr());
        playback_fields fields(m_engine.position(), t->length());
        t->format_with(p_hook, &fields, p_out, *script, p_filter);
        return true;
    });
}

}  // namespace host
