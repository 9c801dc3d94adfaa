#pragma once
// The reference host's play_control service: the player's commands, answered by the playback
// engine. Slots the reference host does not implement report so on the host's log.
#include <trovaplay/sdk/play_control.h>

#include "host_object.h"
#include "playlist_manager.h"  // HOST_NOT_IMPLEMENTED

namespace host {

class playback_engine;

class play_control_impl final : public host_object<play_control> {
public:
    // A new service with one reference (the caller's); `engine` must outlive every call into it.
    static play_control_impl* make(playback_engine& engine) { return new play_control_impl(engine); }

    bool get_now_playing(service_ptr_t<metadb_handle>& p_out) override;  // 3
    void start(std::uint32_t p_command, bool p_paused) override;        // 4
    void stop() override;                                                // 5
    bool is_playing() override;                                          // 6
    bool is_paused() override;                                           // 7
    void pause(bool p_state) override;                                   // 8
    void set_volume(float p_volume) override;                            // 11
    float get_volume() override;                                         // 12
    void playback_seek(double p_seconds) override;                       // 16
    bool playback_can_seek() override;                                   // 18
    double playback_get_position() override;                             // 19
    // 20: the playing track with %playback_time%, %playback_time_remaining% and %length% (from
    // the player) before the track's own fields.
    bool playback_format_title(titleformat_hook* p_hook, zut::string_base& p_out,
                               const service_ptr_t<titleformat_script>& p_script, titleformat_text_filter* p_filter,
                               std::uint32_t p_level) override;

    HOST_NOT_IMPLEMENTED("play_control", 9)
    HOST_NOT_IMPLEMENTED("play_control", 10)
    HOST_NOT_IMPLEMENTED("play_control", 13)
    HOST_NOT_IMPLEMENTED("play_control", 14)
    HOST_NOT_IMPLEMENTED("play_control", 15)
    HOST_NOT_IMPLEMENTED("play_control", 17)

private:
    explicit play_control_impl(playback_engine& engine) : m_engine(engine) {}
    void destroy() override { delete this; }

    playback_engine& m_engine;
};

}  // namespace host
