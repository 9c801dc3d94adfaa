// The script table `trova` against a fake playback control and playlist manager: which host
// operation each command calls, the play-or-pause toggle, seeking, volume, playback orders with
// their text conversion and 0-based keys, quitting, and the errors of bad arguments.

#include "engine_test_util.h"
#include "play_control_stub.h"
#include "playlist_manager_stub.h"

#include <tro_ui_zin.h>
#include <trova_commands.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

// Records every call and keeps the player's state; the state changes as a host would change it.
class fake_player final : public play_control_stub {
public:
    std::vector<std::string> calls;
    bool playing = false;
    bool paused = false;
    bool can_seek = true;
    double position = 0;
    float volume = 0;

    void start(std::uint32_t p_command, bool p_paused) override {
        calls.push_back("start(" + std::to_string(p_command) + (p_paused ? ",true)" : ",false)"));
        playing = true;
        paused = p_paused;
    }
    void stop() override {
        calls.push_back("stop");
        playing = paused = false;
    }
    bool is_playing() override { return playing; }
    bool is_paused() override { return paused; }
    void pause(bool p_state) override {
        calls.push_back(p_state ? "pause(true)" : "pause(false)");
        paused = p_state;
    }
    void set_volume(float p_volume) override {
        calls.push_back("set_volume");
        volume = p_volume;
    }
    float get_volume() override { return volume; }
    void playback_seek(double p_seconds) override {
        calls.push_back("seek(" + std::to_string(static_cast<int>(p_seconds)) + ")");
        position = p_seconds;
    }
    bool playback_can_seek() override { return can_seek; }
    double playback_get_position() override { return position; }
};

// Only the playback orders are real; nothing else may be called.
class fake_playlists final : public playlist_manager_stub {
public:
    std::vector<std::string> orders;  // UTF-8 names
    std::uint32_t active = 0;
    int set_active_calls = 0;

    int service_release() override { return 1; }
    int service_add_ref() override { return 1; }
    std::uint32_t get_playlist_count() override { return unexpected(); }
    std::uint32_t get_active_playlist() override { return unexpected(); }
    void set_active_playlist(std::uint32_t) override { unexpected(); }
    std::uint32_t create_playlist(const char*, std::uint32_t, std::uint32_t) override { return unexpected(); }
    std::uint32_t playlist_get_item_count(std::uint32_t) override { return unexpected(); }
    std::uint32_t playlist_get_focus_item(std::uint32_t) override { return unexpected(); }
    void playlist_set_focus_item(std::uint32_t, std::uint32_t) override { unexpected(); }
    std::uint32_t playback_order_get_count() override { return static_cast<std::uint32_t>(orders.size()); }
    const char* playback_order_get_name(std::uint32_t p_order) override {
        return p_order < orders.size() ? orders[p_order].c_str() : nullptr;
    }
    std::uint32_t playback_order_get_active() override { return active; }
    void playback_order_set_active(std::uint32_t p_order) override {
        ++set_active_calls;
        active = p_order;
    }
    bool playlist_execute_default_action(std::uint32_t, std::uint32_t) override { return unexpected() != 0; }

private:
    std::uint32_t other_slot(int) override { return unexpected(); }
    std::uint32_t unexpected() {
        ADD_FAILURE() << "a playlist operation other than the playback orders was called";
        return 0;
    }
};

class trova_commands_test : public ::testing::Test {
protected:
    fake_player player;
    fake_playlists playlists;
    lua_State* L = nullptr;

    void SetUp() override {
        L = engine_test::new_state();
        register_trova_commands(L);
        g_play_control = &player;
        g_pl_oper = &playlists;
        g_quitting = false;
        g_trace_calls = false;
    }
    void TearDown() override {
        g_play_control = nullptr;
        g_pl_oper = nullptr;
        g_quitting = false;
        lua_close(L);
    }
    std::string run(const std::string& code) { return engine_test::run(L, code); }
    std::string eval(const std::string& expression) { return engine_test::eval(L, expression); }
    std::vector<std::string> calls_of(const std::string& code) {
        player.calls.clear();
        EXPECT_EQ("", run(code)) << code;
        return player.calls;
    }
};

using calls = std::vector<std::string>;

TEST_F(trova_commands_test, transport_commands_start_with_their_command_never_paused) {
    EXPECT_EQ(calls({"start(1,false)"}), calls_of("trova.play()"));
    EXPECT_EQ(calls({"start(2,false)"}), calls_of("trova.next()"));
    EXPECT_EQ(calls({"start(3,false)"}), calls_of("trova.prev()"));
    EXPECT_EQ(calls({"stop"}), calls_of("trova.stop()"));
}

TEST_F(trova_commands_test, pause_without_argument_toggles_between_play_pause_and_resume) {
    // Stopped: starts playing.
    EXPECT_EQ(calls({"start(1,false)"}), calls_of("trova.pause()"));
    // Playing: pauses.
    EXPECT_EQ(calls({"pause(true)"}), calls_of("trova.pause()"));
    // Paused: resumes.
    EXPECT_EQ(calls({"pause(false)"}), calls_of("trova.pause()"));
    // 2 is the toggle too, also after truncation.
    EXPECT_EQ(calls({"pause(true)"}), calls_of("trova.pause(2)"));
    EXPECT_EQ(calls({"pause(false)"}), calls_of("trova.pause(2.9)"));
}

TEST_F(trova_commands_test, pause_with_a_number_sets_the_pause_state) {
    player.playing = true;
    EXPECT_EQ(calls({"pause(true)"}), calls_of("trova.pause(1)"));
    EXPECT_EQ(calls({"pause(true)"}), calls_of("trova.pause(1)"));  // no toggle
    EXPECT_EQ(calls({"pause(false)"}), calls_of("trova.pause(0)"));
    EXPECT_EQ(calls({"pause(false)"}), calls_of("trova.pause(-0.5)"));  // truncates to 0
    EXPECT_EQ(calls({"pause(true)"}), calls_of("trova.pause(-3)"));
    // Stopped, a number other than 2 never starts playback.
    player.playing = false;
    EXPECT_EQ(calls({"pause(true)"}), calls_of("trova.pause(1)"));
}

TEST_F(trova_commands_test, is_playing_tells_stopped_playing_and_paused) {
    EXPECT_EQ("0", eval("trova.is_playing()"));
    player.playing = true;
    EXPECT_EQ("1", eval("trova.is_playing()"));
    player.paused = true;
    EXPECT_EQ("2", eval("trova.is_playing()"));
}

TEST_F(trova_commands_test, seek_only_when_the_track_can_seek) {
    player.can_seek = false;
    EXPECT_EQ(calls(), calls_of("trova.seek(30)"));
    player.can_seek = true;
    EXPECT_EQ(calls({"seek(30)"}), calls_of("trova.seek(30)"));
    EXPECT_EQ("30", eval("trova.time_elapsed()"));
    player.position = 12.5;
    EXPECT_EQ("12.5", eval("trova.time_elapsed()"));
}

TEST_F(trova_commands_test, volume_round_trip) {
    EXPECT_EQ("", run("trova.set_volume(-6.5)"));
    EXPECT_FLOAT_EQ(-6.5f, player.volume);
    EXPECT_EQ("-6.5", eval("trova.get_volume()"));
}

TEST_F(trova_commands_test, wrong_argument_types_are_script_errors) {
    EXPECT_NE(std::string::npos, run("trova.seek('x')").find("number expected, got string"));
    EXPECT_NE(std::string::npos, run("trova.set_volume()").find("number expected, got no value"));
    EXPECT_NE(std::string::npos, run("trova.pause({})").find("number expected, got table"));
    EXPECT_NE(std::string::npos, run("trova.set_order(nil)").find("string expected, got nil"));
    EXPECT_TRUE(player.calls.empty());
}

TEST_F(trova_commands_test, orders_are_listed_from_key_zero) {
    playlists.orders = {"Default", "Repeat (playlist)", "Shuffle (tracks)"};
    EXPECT_EQ("", run("o = trova.get_orders()"));
    EXPECT_EQ("Default", eval("o[0]"));
    EXPECT_EQ("Shuffle (tracks)", eval("o[2]"));
    EXPECT_EQ("nil", eval("o[3]"));
    // ipairs starts at key 1: with the second name.
    EXPECT_EQ("Repeat (playlist)", eval("(function() for _, v in ipairs(o) do return v end end)()"));
    playlists.orders.clear();
    EXPECT_EQ("nil", eval("next(trova.get_orders())"));
}

TEST_F(trova_commands_test, set_order_selects_the_first_exact_match_only) {
    playlists.orders = {"Default", "Shuffle", "Shuffle"};
    EXPECT_EQ("", run("trova.set_order('shuffle')"));  // differs in case: nothing
    EXPECT_EQ("", run("trova.set_order('Nope')"));
    EXPECT_EQ(0, playlists.set_active_calls);
    EXPECT_EQ("", run("trova.set_order('Shuffle')"));
    EXPECT_EQ(1, playlists.set_active_calls);
    EXPECT_EQ(1u, playlists.active);
    EXPECT_EQ("Shuffle", eval("trova.get_order()"));
}

TEST_F(trova_commands_test, order_names_cross_in_the_ansi_code_page) {
    if (GetACP() != 1252) GTEST_SKIP() << "needs the Western code page";
    playlists.orders = {"Default", "Zuf\xC3\xA4llig"};  // UTF-8 from the host
    EXPECT_EQ("", run("trova.set_order('Zuf\xE4llig')"));  // ANSI from the script
    EXPECT_EQ(1u, playlists.active);
    EXPECT_EQ("", run("a = trova.get_order() b = trova.get_orders()[1]"));
    EXPECT_EQ("Zuf\xE4llig", eval("a"));
    EXPECT_EQ("Zuf\xE4llig", eval("b"));
}

TEST_F(trova_commands_test, an_active_order_the_host_cannot_name_reads_as_empty_text) {
    playlists.orders = {"Default"};
    playlists.active = 7;
    EXPECT_EQ("", eval("trova.get_order()"));
}

TEST_F(trova_commands_test, quit_sets_the_flag_and_posts_the_quit_message) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    EXPECT_EQ("", run("trova.quit()"));
    EXPECT_TRUE(g_quitting);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, msg.wParam);
    EXPECT_TRUE(player.calls.empty());
}

TEST_F(trova_commands_test, commands_without_host_services_raise_a_script_error) {
    g_play_control = nullptr;
    g_pl_oper = nullptr;
    EXPECT_NE(std::string::npos, run("trova.play()").find("no playback control available"));
    EXPECT_NE(std::string::npos, run("trova.is_playing()").find("no playback control available"));
    EXPECT_NE(std::string::npos, run("trova.get_orders()").find("no playlist manager available"));
}

TEST_F(trova_commands_test, trova_is_a_plain_table_of_traced_functions) {
    EXPECT_EQ("nil", eval("getmetatable(trova)"));
    EXPECT_EQ("nil", eval("trova.new"));
    engine_test::debug_capture capture;
    g_trace_calls = true;
    EXPECT_EQ("", run("trova.pause(1)"));
    g_trace_calls = false;
    EXPECT_EQ(1u, capture.containing("calling trova::pause(").size());
}

}  // namespace
