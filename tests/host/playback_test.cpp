// The reference host's player: its time line on a clock of the test's own, and what the play
// listeners hear.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <host_object.h>
#include <play_control.h>
#include <playback_engine.h>
#include <playlist_manager.h>
#include <registry.h>
#include <text.h>
#include <title_format.h>
#include <tracks.h>

#include <trovaplay/sdk/file_info.h>
#include <trovaplay/sdk/play_callback.h>
#include <trovaplay/sdk/play_control.h>

namespace {

using host::playback_engine;

// A play listener that writes every call it gets into a log, one line per event.
class recording_listener final : public play_callback_static {
public:
    explicit recording_listener(std::vector<std::string>& log, std::uint32_t flags = 1023)
        : m_log(log), m_flags(flags) {}
    int service_release() override { return 1; }
    int service_add_ref() override { return 1; }
    std::uint32_t get_flags() override { return m_flags; }

    void on_start(std::int32_t c, bool p) override { add("start " + std::to_string(c) + (p ? " paused" : "")); }
    void on_new_track(metadb_handle* t) override {
        add("new_track " + (t ? static_cast<host::track*>(t)->title() : std::string("null")));
        if (on_new_track_hook) on_new_track_hook();
    }
    void on_stop(std::int32_t r) override { add("stop " + std::to_string(r)); }
    void on_seek(double t) override { add("seek " + num(t)); }
    void on_pause(bool s) override { add(s ? "pause 1" : "pause 0"); }
    void on_edited(metadb_handle*) override { add("edited"); }
    void on_dynamic(const file_info&) override { add("dynamic"); }
    void on_dynamic_track(const file_info&) override { add("dynamic_track"); }
    void on_time(double t) override {
        add("time " + num(t));
        if (on_time_hook) on_time_hook();
    }
    void on_volume_change(float v) override {
        add("volume " + num(v));
        if (on_volume_hook) on_volume_hook();
    }

    std::string prefix;  // marks this listener's lines when several listen
    std::function<void()> on_new_track_hook;
    std::function<void()> on_time_hook;
    std::function<void()> on_volume_hook;

private:
    static std::string num(double v) {
        std::ostringstream s;
        s << v;
        return s.str();
    }
    void add(const std::string& line) { m_log.push_back(prefix + line); }
    std::vector<std::string>& m_log;
    std::uint32_t m_flags;
};

class playback : public ::testing::Test {
protected:
    playback() {
        m_objects_before = host::live_host_objects();
        registry.add(play_callback_static::class_guid, &listener, false);
        playlists = host::playlist_manager_impl::make();
        engine.reset(new playback_engine(registry, *playlists, [this] { return now; }));
        playlists->set_engine(engine.get());
    }
    ~playback() override {
        engine.reset();
        playlists->service_release();
        registry.release_all();
    }

    // Adds tracks "A", "B", ... with the given lengths to the active playlist, each of its own
    // missing file or of `path`.
    void add_tracks(const std::vector<double>& lengths, const std::string& path = std::string()) {
        std::vector<host::track*> made;
        for (double length : lengths) {
            host::track_facts f;
            f.title = std::string(1, char('A' + playlists->playlist_get_item_count(0) + made.size()));
            f.path = path.empty() ? "C:\\music\\" + f.title + ".mp3" : path;
            f.length = length;
            made.push_back(host::track::make(f));
        }
        playlists->add_items(0, made);
        for (host::track* t : made) t->service_release();
    }
    // Moves the clock on and lets the engine see it.
    void run_ms(std::uint64_t ms, std::uint64_t step = 100) {
        for (std::uint64_t done = 0; done < ms; done += step) {
            now += step;
            engine->tick();
        }
    }
    std::vector<std::string> take() {
        std::vector<std::string> out;
        out.swap(log);
        return out;
    }
    using lines = std::vector<std::string>;

    long m_objects_before = 0;
    std::uint64_t now = 1000000;
    std::vector<std::string> log;
    recording_listener listener{log};
    host::service_registry registry;
    host::playlist_manager_impl* playlists = nullptr;
    std::unique_ptr<playback_engine> engine;
};

TEST_F(playback, StartPlaysTheFocusOrTheFirstItem) {
    add_tracks({10, 20, 5});
    engine->start(play_control::track_command_play, false);
    EXPECT_EQ(take(), (lines{"start 1", "new_track A"}));
    EXPECT_TRUE(engine->is_playing());
    EXPECT_FALSE(engine->is_paused());
    EXPECT_EQ(engine->position(), 0.0);

    engine->stop();
    playlists->playlist_set_focus_item(0, 2);
    engine->start(play_control::track_command_play, true);
    EXPECT_EQ(take(), (lines{"stop 0", "start 1 paused", "new_track C"}));
    EXPECT_TRUE(engine->is_paused());
}

// The player's own fields: its time, and the playing track's length rounded as the track's
// own %length% rounds it (a playlist row and the display show the same length).
TEST_F(playback, PlayingTitleShowsTimeAndTheLengthAsTheTrackDoes) {
    add_tracks({65.5});
    std::string error;
    host::title_script* script = host::title_script::compile("%playback_time% / %length%", error);
    ASSERT_NE(script, nullptr) << error;
    host::play_control_impl* control = host::play_control_impl::make(*engine);
    zut::string8 out;
    EXPECT_FALSE(control->playback_format_title(nullptr, out, service_ptr_t<titleformat_script>(script), nullptr, 0));
    engine->start(play_control::track_command_play, false);
    run_ms(2000);
    EXPECT_TRUE(control->playback_format_title(nullptr, out, service_ptr_t<titleformat_script>(script), nullptr, 0));
    EXPECT_STREQ(out.get_ptr(), "0:02 / 1:06");
    control->service_release();
    script->service_release();
}

TEST_F(playback, NothingToPlayChangesNothing) {
    engine->start(play_control::track_command_play, false);
    engine->start(play_control::track_command_next, false);
    engine->stop();
    engine->pause(true);
    EXPECT_TRUE(take().empty());
    EXPECT_FALSE(engine->is_playing());
    service_ptr_t<metadb_handle> h;
    EXPECT_FALSE(engine->get_now_playing(h));
}

TEST_F(playback, TimeIsToldOnceEachWholeSecond) {
    add_tracks({10});
    engine->start(play_control::track_command_play, false);
    take();
    run_ms(2500);
    EXPECT_EQ(take(), (lines{"time 1", "time 2"}));
    EXPECT_NEAR(engine->position(), 2.5, 1e-9);
    now += 250;  // the position follows the clock between ticks, without events
    EXPECT_NEAR(engine->position(), 2.75, 1e-9);
    EXPECT_TRUE(take().empty());
}

TEST_F(playback, EndOfTrackGoesOnAndTheLastStopsWithEndOfFile) {
    add_tracks({2, 1.5});
    engine->start(play_control::track_command_play, false);
    take();
    now += 2300;  // one late tick: the time past the end carries over into the next track
    engine->tick();
    EXPECT_EQ(take(), (lines{"new_track B"}));
    EXPECT_NEAR(engine->position(), 0.3, 1e-9);
    service_ptr_t<metadb_handle> h;
    ASSERT_TRUE(engine->get_now_playing(h));
    EXPECT_EQ(static_cast<host::track*>(h.get_ptr())->title(), "B");
    h.release();

    run_ms(1200);
    EXPECT_EQ(take(), (lines{"time 1", "stop 1"}));
    EXPECT_FALSE(engine->is_playing());
    EXPECT_FALSE(engine->get_now_playing(h));
}

// A track without a known length whose file is missing cannot be played: it is passed over in the
// direction of the command, also when the track before it ends.
TEST_F(playback, TracksThatCannotBePlayedArePassedOver) {
    add_tracks({0, 10, 0, 1, 0});  // A, C and E cannot be played
    engine->start(play_control::track_command_play, false);
    engine->start(play_control::track_command_next, false);
    engine->start(play_control::track_command_prev, false);
    EXPECT_EQ(take(), (lines{"start 1", "new_track B", "stop 2", "start 2", "new_track D", "stop 2", "start 3",
                             "new_track B"}));
    engine->start(play_control::track_command_next, false);
    run_ms(1000);
    EXPECT_EQ(take(), (lines{"stop 2", "start 2", "new_track D", "stop 1"}));  // nothing after D plays
    EXPECT_FALSE(engine->is_playing());
}

TEST_F(playback, StopTellsTheReasonOnceAndNoNewTrack) {
    add_tracks({10, 10});
    engine->start(play_control::track_command_play, false);
    engine->start(play_control::track_command_next, false);
    engine->stop();
    engine->stop();
    EXPECT_EQ(take(), (lines{"start 1", "new_track A", "stop 2", "start 2", "new_track B", "stop 0"}));
    engine->start(play_control::track_command_play, false);
    engine->shutdown();
    EXPECT_EQ(take(), (lines{"start 1", "new_track A", "stop 3"}));
}

TEST_F(playback, NextAndPreviousFollowThePlaybackOrder) {
    add_tracks({10, 10, 10});
    engine->start(play_control::track_command_prev, false);  // stopped, no focus: nothing before it
    EXPECT_TRUE(take().empty());
    engine->start(play_control::track_command_next, false);  // stopped, no focus: the first item
    engine->start(play_control::track_command_prev, false);  // at the first item: nothing
    EXPECT_EQ(take(), (lines{"start 2", "new_track A"}));

    playlists->playback_order_set_active(host::order_repeat_playlist);
    engine->start(play_control::track_command_prev, false);
    EXPECT_EQ(take(), (lines{"stop 2", "start 3", "new_track C"}));
    run_ms(10000, 500);
    EXPECT_EQ(take().back(), "new_track A");  // after the last comes the first

    playlists->playback_order_set_active(host::order_repeat_track);
    run_ms(10000, 500);
    EXPECT_EQ(take().back(), "new_track A");  // the same track again
    engine->start(play_control::track_command_next, false);
    EXPECT_EQ(take().back(), "new_track B");  // asked for, next still moves on
}

TEST_F(playback, PauseHoldsTimeAndPlayResumes) {
    add_tracks({10});
    engine->start(play_control::track_command_play, false);
    run_ms(1000);
    take();
    engine->pause(true);
    engine->pause(true);
    run_ms(5000);
    EXPECT_EQ(take(), (lines{"pause 1"}));
    EXPECT_TRUE(engine->is_paused());
    EXPECT_NEAR(engine->position(), 1.0, 1e-9);

    engine->start(play_control::track_command_play, false);  // play while paused resumes
    EXPECT_EQ(take(), (lines{"pause 0"}));
    run_ms(1000);
    EXPECT_EQ(take(), (lines{"time 2"}));
    EXPECT_NEAR(engine->position(), 2.0, 1e-9);
}

TEST_F(playback, SeekMovesWithinTheTrackAndToItsEnd) {
    add_tracks({10});
    add_tracks({0}, host::to_utf8(host::module_path()));  // a file of no known length: it plays on and cannot seek
    engine->start(play_control::track_command_play, false);
    take();
    EXPECT_TRUE(engine->can_seek());
    engine->seek(4.5);
    EXPECT_NEAR(engine->position(), 4.5, 1e-9);
    run_ms(600);
    engine->seek(-3);
    engine->seek(std::nan(""));
    EXPECT_EQ(take(), (lines{"seek 4.5", "time 5", "seek 0"}));

    engine->seek(99);  // past the end: the track ends at once
    EXPECT_EQ(take(), (lines{"seek 10", "new_track B"}));
    EXPECT_FALSE(engine->can_seek());
    engine->seek(3);
    run_ms(100000, 1000);
    EXPECT_TRUE(engine->is_playing());
    EXPECT_EQ(take().size(), 100u);  // only the seconds
}

TEST_F(playback, VolumeIsClampedAndToldWhenItChanges) {
    engine->set_volume(-10.0f);
    engine->set_volume(-10.0f);
    engine->set_volume(-500.0f);
    engine->set_volume(3.0f);
    engine->set_volume(std::nanf(""));
    EXPECT_EQ(take(), (lines{"volume -10", "volume -100", "volume 0"}));
    EXPECT_EQ(engine->get_volume(), 0.0f);
}

TEST_F(playback, EveryListenerHearsEveryEventInOrder) {
    std::vector<std::string> quiet_log;
    recording_listener second(log);
    second.prefix = "2: ";
    recording_listener deaf(quiet_log, 0);
    registry.add(play_callback_static::class_guid, &second, false);
    registry.add(play_callback_static::class_guid, &deaf, false);
    add_tracks({10});
    engine->start(play_control::track_command_play, false);
    EXPECT_EQ(take(), (lines{"start 1", "2: start 1", "new_track A", "2: new_track A"}));
    EXPECT_TRUE(quiet_log.empty());
    engine->shutdown();
    registry.release_all();  // before `second` and `deaf` go away
}

TEST_F(playback, ListenerCommandsAreToldAfterTheEventsBeforeThem) {
    add_tracks({10, 10});
    bool once = true;
    listener.on_new_track_hook = [this, &once] {
        if (once) engine->stop();
        once = false;
    };
    engine->start(play_control::track_command_play, false);
    EXPECT_EQ(take(), (lines{"start 1", "new_track A", "stop 0"}));
    EXPECT_FALSE(engine->is_playing());

    listener.on_time_hook = [this] { engine->seek(8); };
    engine->start(play_control::track_command_play, false);
    run_ms(1000);
    listener.on_time_hook = nullptr;
    EXPECT_EQ(take(), (lines{"start 1", "new_track A", "time 1", "seek 8"}));
    EXPECT_NEAR(engine->position(), 8.0, 1e-9);
}

// Listeners that answer each other's events for ever (every event a command, as skins do) keep
// the player busy one delivery per tick, not for ever inside one call.
TEST_F(playback, ListenersAnsweringEachOtherAreHeldToOneRoundPerTick) {
    add_tracks({100});
    float next = -1.0f;
    listener.on_volume_hook = [&] { engine->set_volume(next -= 1.0f); };
    listener.on_new_track_hook = [&] { engine->start(play_control::track_command_play, false); };
    engine->set_volume(-1.0f);
    EXPECT_EQ(take(), (lines{"volume -1", "volume -2"}));
    engine->start(play_control::track_command_next, false);
    EXPECT_EQ(take(), (lines{"start 2", "new_track A", "stop 2", "start 1", "new_track A"}));
    // Each tick carries out what waited, and their answers wait again.
    run_ms(100);
    EXPECT_EQ(take(), (lines{"volume -3", "volume -4", "stop 2", "start 1", "new_track A", "stop 2", "start 1",
                             "new_track A"}));
    listener.on_volume_hook = nullptr;
    listener.on_new_track_hook = nullptr;
    engine->shutdown();
}

TEST_F(playback, AThrowingListenerDoesNotStopTheOthers) {
    struct throwing final : public play_callback_static {
        int service_release() override { return 1; }
        int service_add_ref() override { return 1; }
        std::uint32_t get_flags() override { return 1023; }
        void on_start(std::int32_t, bool) override { throw std::runtime_error("boom"); }
        void on_new_track(metadb_handle*) override { throw 42; }
        void on_stop(std::int32_t) override {}
        void on_seek(double) override {}
        void on_pause(bool) override {}
        void on_edited(metadb_handle*) override {}
        void on_dynamic(const file_info&) override {}
        void on_dynamic_track(const file_info&) override {}
        void on_time(double) override {}
        void on_volume_change(float) override {}
    } bad;
    registry.release_all();
    registry.add(play_callback_static::class_guid, &bad, false);
    registry.add(play_callback_static::class_guid, &listener, false);
    add_tracks({10});
    engine->start(play_control::track_command_play, false);
    EXPECT_EQ(take(), (lines{"start 1", "new_track A"}));
    engine->shutdown();
    registry.release_all();
}

TEST_F(playback, DefaultActionPlaysThatItem) {
    add_tracks({10, 10, 10});
    EXPECT_TRUE(playlists->playlist_execute_default_action(0, 1));
    EXPECT_FALSE(playlists->playlist_execute_default_action(0, 7));
    EXPECT_EQ(take(), (lines{"start 1", "new_track B"}));
    EXPECT_EQ(playlists->playlist_get_focus_item(0), 1u);
}

TEST_F(playback, EveryTrackReferenceIsGivenBack) {
    add_tracks({1, 1});
    engine->start(play_control::track_command_play, false);
    run_ms(1500);
    service_ptr_t<metadb_handle> h;
    ASSERT_TRUE(engine->get_now_playing(h));
    h.release();
    engine->shutdown();
    playlists->clear_all();
    EXPECT_EQ(host::live_host_objects(), m_objects_before + 1);  // the playlist manager itself
}

}  // namespace
