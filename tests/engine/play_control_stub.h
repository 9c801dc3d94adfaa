#pragma once
// A playback control for the tests whose fakes implement only the slots they look at: it is never
// counted, nothing plays, and every command does nothing.

#include <trovaplay/sdk/play_control.h>

class play_control_stub : public play_control {
public:
    int service_release() override { return 1; }
    int service_add_ref() override { return 1; }
    bool get_now_playing(service_ptr_t<metadb_handle>&) override { return false; }
    void start(std::uint32_t, bool) override {}
    void stop() override {}
    bool is_playing() override { return false; }
    bool is_paused() override { return false; }
    void pause(bool) override {}
    void set_volume(float) override {}
    float get_volume() override { return 0; }
    void playback_seek(double) override {}
    bool playback_can_seek() override { return false; }
    double playback_get_position() override { return 0; }
    bool playback_format_title(titleformat_hook*, zut::string_base& p_out, const service_ptr_t<titleformat_script>&,
                               titleformat_text_filter*, std::uint32_t) override {
        p_out.set_string("");
        return false;
    }
};
