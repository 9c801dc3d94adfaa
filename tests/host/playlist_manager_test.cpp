// The reference host's playlist manager: what its slots do to the playlists, and what the playlist
// listeners hear of each change (slot, arguments), only for the active playlist and only for the
// events their flags ask for.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <playback_engine.h>
#include <playlist_manager.h>
#include <registry.h>
#include <titleformat_config.h>
#include <tracks.h>

#include <trovaplay/sdk/metadb_handle_list.h>
#include <trovaplay/sdk/play_control.h>
#include <trovaplay/sdk/playlist_callback.h>

namespace {

using lines = std::vector<std::string>;

std::string mask_text(const bit_array& mask, t_size n) {
    std::string out;
    for (t_size i = 0; i < n; ++i)
        if (mask.get(i)) out += (out.empty() ? "" : ",") + std::to_string(i);
    return out;
}

// Writes every call into a log, one line per event with its arguments.
class recording_listener final : public playlist_callback_single_static {
public:
    explicit recording_listener(lines& log, std::uint32_t flags = ~0u) : m_log(log), m_flags(flags) {}
    int service_release() override { return 1; }
    int service_add_ref() override { return 1; }
    std::uint32_t get_flags() override { return m_flags; }

    void on_items_added(t_size base, const handle_list_const& data, const bit_array& sel) override {
        add("0 added " + std::to_string(base) + " n=" + std::to_string(data.get_count()) + " sel=" +
            mask_text(sel, data.get_count()));
        if (on_added) on_added();
    }
    void on_items_reordered(const t_size* order, t_size count) override {
        std::string text;
        for (t_size i = 0; i < count; ++i) text += (i ? "," : "") + std::to_string(order[i]);
        add("1 reordered " + text);
    }
    void on_items_removing(const bit_array& mask, t_size old_count, t_size new_count) override {
        add("2 removing " + mask_text(mask, old_count) + " " + std::to_string(old_count) + "->" +
            std::to_string(new_count));
    }
    void on_items_removed(const bit_array& mask, t_size old_count, t_size new_count) override {
        add("3 removed " + mask_text(mask, old_count) + " " + std::to_string(old_count) + "->" +
            std::to_string(new_count));
    }
    void on_items_selection_change(const bit_array& affected, const bit_array& state) override {
        add("4 selection " + mask_text(affected, 10) + "/" + mask_text(state, 10));
    }
    void on_item_focus_change(t_size from, t_size to) override {
        add("5 focus " + std::to_string(int(from)) + "->" + std::to_string(int(to)));
    }
    void on_items_modified(const bit_array& mask) override { add("6 modified " + mask_text(mask, 10)); }
    void on_items_modified_2(const bit_array& mask, std::uint32_t level) override {
        add("7 modified " + mask_text(mask, 10) + " level " + std::to_string(level));
    }
    void on_items_replaced(const bit_array&, const handle_list_const&) override { add("8 replaced"); }
    void on_item_ensure_visible(t_size item) override { add("9 ensure " + std::to_string(item)); }
    void on_playlist_switch() override { add("10 switch"); }
    void on_playlist_renamed(const char*, t_size) override { add("11 renamed"); }
    void on_playlist_locked(bool locked) override { add(locked ? "12 locked" : "12 unlocked"); }
    void on_titles_invalidated() override { add("13 titles"); }
    void on_playback_order_changed(t_size order) override { add("14 order " + std::to_string(order)); }

    std::function<void()> on_added;

private:
    void add(const std::string& line) { m_log.push_back(line); }
    lines& m_log;
    std::uint32_t m_flags;
};

class playlist_manager_host : public ::testing::Test {
protected:
    playlist_manager_host() {
        registry.add(playlist_callback_single_static::class_guid, &listener, false);
        playlists = host::playlist_manager_impl::make();
        playlists->set_registry(&registry);
    }
    ~playlist_manager_host() override {
        playlists->set_registry(nullptr);
        playlists->clear_all();
        playlists->service_release();
        registry.release_all();
    }
    // Tracks "A", "B", ... of a minute each appended to playlist p.
    void add_tracks(std::uint32_t p, int n) {
        std::vector<host::track*> made;
        for (int i = 0; i < n; ++i) {
            host::track_facts f;
            f.title = std::string(1, char('A' + playlists->playlist_get_item_count(p) + i));
            f.path = "C:\\music\\" + f.title + ".mp3";
            f.length = 60;
            made.push_back(host::track::make(f));
        }
        playlists->add_items(p, made);
        for (host::track* t : made) t->service_release();
    }
    std::string titles(std::uint32_t p) {
        std::string out;
        for (std::uint32_t i = 0; i < playlists->playlist_get_item_count(p); ++i)
            out += static_cast<host::track*>(playlists->get_item(p, i).get_ptr())->title();
        return out;
    }
    lines take() {
        lines out;
        out.swap(log);
        return out;
    }

    lines log;
    recording_listener listener{log};
    lines other_log;
    recording_listener only_focus{other_log, 1u << 5};  // registered by the tests that want it
    host::service_registry registry;
    host::playlist_manager_impl* playlists = nullptr;
};

TEST_F(playlist_manager_host, ChangesOfTheActivePlaylistAreToldWithTheirArguments) {
    add_tracks(0, 5);
    EXPECT_EQ((lines{"0 added 0 n=5 sel="}), take());
    playlists->playlist_set_selection(0, bit_array_range(0, 3), bit_array_one(1));
    playlists->playlist_set_focus_item(0, 1);
    const t_size order[5] = {4, 3, 2, 1, 0};
    EXPECT_TRUE(playlists->playlist_reorder_items(0, order, 5));
    EXPECT_EQ("EDCBA", titles(0));
    EXPECT_EQ(3u, playlists->playlist_get_focus_item(0)) << "the focus follows its item";
    EXPECT_TRUE(playlists->playlist_remove_items(0, bit_array_one(0)));
    playlists->playlist_ensure_visible(0, 2);
    playlists->items_modified(0, bit_array_one(3));
    playlists->items_modified_2(0, bit_array_one(2), 3);
    playlists->titles_invalidated();
    playlists->playback_order_set_active(2);
    EXPECT_TRUE(playlists->playlist_lock(0));
    EXPECT_EQ(playlist_manager::none, playlists->playlist_insert_items(0, 0, metadb_handle_list_t(), bit_array_true()))
        << "a locked playlist refuses changes";
    EXPECT_TRUE(playlists->playlist_unlock(0));
    EXPECT_EQ((lines{"4 selection 0,1,2/1", "5 focus -1->1", "1 reordered 4,3,2,1,0", "2 removing 0 5->4",
                     "3 removed 0 5->4", "9 ensure 2", "6 modified 3", "7 modified 2 level 3", "13 titles",
                     "14 order 2", "12 locked", "12 unlocked"}),
              take());
    EXPECT_EQ(2u, playlists->playlist_get_focus_item(0));
}

TEST_F(playlist_manager_host, OtherPlaylistsChangeSilentlyAndASwitchIsTold) {
    EXPECT_EQ(1u, playlists->create_playlist("Second", ~0u, ~0u));
    add_tracks(1, 2);
    playlists->playlist_remove_items(1, bit_array_true());
    EXPECT_TRUE(take().empty());
    playlists->set_active_playlist(1);
    playlists->set_active_playlist(1);  // no change, no event
    EXPECT_EQ(lines{"10 switch"}, take());
    EXPECT_TRUE(playlists->remove_playlists(bit_array_one(1)));
    EXPECT_EQ(lines{"10 switch"}, take());
    EXPECT_EQ(playlist_manager::none, playlists->get_active_playlist());
}

TEST_F(playlist_manager_host, ListenersHearOnlyTheEventsOfTheirFlags) {
    registry.add(playlist_callback_single_static::class_guid, &only_focus, false);
    add_tracks(0, 3);
    playlists->playlist_set_focus_item(0, 2);
    EXPECT_EQ(lines{"5 focus -1->2"}, other_log);
    EXPECT_EQ(2u, take().size());
}

TEST_F(playlist_manager_host, InsertionsPlaceAndSelectTheNewItems) {
    add_tracks(0, 3);
    playlists->playlist_set_focus_item(0, 1);
    take();
    metadb_handle_list_t two;
    two.add_item(playlists->get_item(0, 0));
    two.add_item(playlists->get_item(0, 2));
    EXPECT_EQ(1u, playlists->playlist_insert_items(0, 1, two, bit_array_val(true)));
    EXPECT_EQ("AACBC", titles(0));
    EXPECT_EQ(3u, playlists->playlist_get_focus_item(0));
    EXPECT_EQ(lines{"0 added 1 n=2 sel=0,1"}, take());
    EXPECT_EQ(2u, playlists->playlist_get_selection_count(0, 10));
}

TEST_F(playlist_manager_host, AListenerThatChangesThePlaylistSeesAConsistentOne) {
    add_tracks(0, 2);
    take();
    listener.on_added = [this] {
        // Selecting everything while the addition is being told.
        playlists->playlist_set_selection(0, bit_array_true(), bit_array_true());
    };
    add_tracks(0, 1);
    listener.on_added = nullptr;
    EXPECT_EQ((lines{"0 added 2 n=1 sel=", "4 selection 0,1,2,3,4,5,6,7,8,9/0,1,2,3,4,5,6,7,8,9"}), take());
    EXPECT_EQ(3u, playlists->playlist_get_selection_count(0, 10));
}

TEST_F(playlist_manager_host, TitlesUseTheGivenScriptOrTheRowFormat) {
    host::titleformat_config_impl* rows = host::make_playlist_row_format();
    playlists->set_row_format(rows);
    add_tracks(0, 1);
    zut::string8 title("old");
    playlists->playlist_item_format_title(0, 0, nullptr, title, service_ptr_t<titleformat_script>(), nullptr, 1);
    EXPECT_NE(std::string::npos, std::string(title.get_ptr()).find('A')) << title.get_ptr();
    playlists->playlist_item_format_title(0, 7, nullptr, title, service_ptr_t<titleformat_script>(), nullptr, 1);
    EXPECT_STREQ("", title.get_ptr());
    playlists->set_row_format(nullptr);
    rows->service_release();
}

// The row format marks the playing track's row; the rows that gain or lose the mark are told as
// modified.
TEST_F(playlist_manager_host, ThePlayingRowIsMarkedAndToldWhenTheMarkMoves) {
    host::titleformat_config_impl* rows = host::make_playlist_row_format();
    playlists->set_row_format(rows);
    host::playback_engine engine(registry, *playlists, [] { return std::uint64_t(0); });
    playlists->set_engine(&engine);
    add_tracks(0, 3);
    auto row = [&](std::uint32_t item) {
        zut::string8 title;
        playlists->playlist_item_format_title(0, item, nullptr, title, service_ptr_t<titleformat_script>(), nullptr, 1);
        return std::string(title.get_ptr());
    };
    take();
    EXPECT_TRUE(playlists->playlist_execute_default_action(0, 1));
    EXPECT_EQ((lines{"A", "\xC2\xBB B", "C"}), (lines{row(0), row(1), row(2)}));
    engine.start(play_control::track_command_next, false);
    EXPECT_EQ((lines{"B", "\xC2\xBB C"}), (lines{row(1), row(2)}));
    engine.stop();
    EXPECT_EQ("C", row(2));
    EXPECT_EQ((lines{"5 focus -1->1", "6 modified 1", "6 modified 1", "6 modified 2", "6 modified 2"}), take());
    playlists->set_engine(nullptr);
    playlists->set_row_format(nullptr);
    rows->service_release();
}

TEST_F(playlist_manager_host, TracksLeaveEveryPlaylistThatHoldsThem) {
    add_tracks(0, 3);  // A B C
    EXPECT_EQ(1u, playlists->create_playlist("Second", ~0u, ~0u));
    metadb_handle_list_t copies;
    copies.add_item(playlists->get_item(0, 2));
    copies.add_item(playlists->get_item(0, 0));
    copies.add_item(playlists->get_item(0, 2));
    EXPECT_TRUE(playlists->playlist_add_items(1, copies, bit_array_false()));
    metadb_handle_list_t all;
    EXPECT_TRUE(playlists->get_all_items_of_all_playlists(all));
    EXPECT_EQ(6u, all.get_count());
    metadb_handle_list_t gone;
    gone.add_item(playlists->get_item(0, 2));
    playlists->remove_items_from_all_playlists(gone);
    EXPECT_EQ("AB", titles(0));
    EXPECT_EQ("A", titles(1));
}

TEST_F(playlist_manager_host, SwapsMovesAndMarks) {
    add_tracks(0, 4);
    EXPECT_TRUE(playlists->playlist_swap_items(0, 0, 3));
    EXPECT_EQ("DBCA", titles(0));
    EXPECT_TRUE(playlists->playlist_move_item(0, 0, 2));
    EXPECT_EQ("BCDA", titles(0));
    EXPECT_FALSE(playlists->playlist_move_item(0, 0, 9));
    EXPECT_TRUE(playlists->playlist_mark_item(0, 1, true));
    EXPECT_EQ(1u, playlists->playlist_get_marked_count(0));
    EXPECT_FALSE(playlists->playlist_is_empty(0));
    EXPECT_NE(playlists->playlist_get_id(0), 0u);
    EXPECT_GE(playlists->playlist_get_change_count(0), 3u);
    const t_size bad[4] = {0, 0, 1, 2};
    EXPECT_FALSE(playlists->playlist_reorder_items(0, bad, 4)) << "not a permutation";
}

}  // namespace
