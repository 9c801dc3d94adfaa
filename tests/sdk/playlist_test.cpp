// Playlist manager wrappers against a recording playlist manager: the slots they call, their none
// values without an active playlist, moving the selection, names, and the playback wrappers.
#include "../engine/play_control_stub.h"
#include "playlist_model.h"

#include <zut/list.h>

#include <gtest/gtest.h>

#include <climits>

namespace {

using strings = std::vector<std::string>;

playlist_model with_selection(std::uint32_t n, std::vector<std::uint32_t> selected) {
    playlist_model m(n);
    for (std::uint32_t i : selected) m.items[i].selected = true;
    return m;
}

// The order the host was given by the last move.
std::string last_order(const playlist_model& m) {
    for (auto it = m.calls.rbegin(); it != m.calls.rend(); ++it)
        if (it->rfind("15:", 0) == 0) return it->substr(3);
    return "";
}

TEST(playlist_wrappers, MoveSelectionMovesSelectedBlocksAndStopsAtTheEnds) {
    playlist_model m = with_selection(5, {1, 2});
    m.activeplaylist_move_selection(1);
    EXPECT_EQ("0,3,1,2,4", last_order(m));

    m = with_selection(5, {4});
    m.activeplaylist_move_selection(1);
    EXPECT_EQ("0,1,2,3,4", last_order(m));  // the identity still goes to the host

    m = with_selection(5, {4});
    m.activeplaylist_move_selection(-2);
    EXPECT_EQ("0,1,4,2,3", last_order(m));

    m = with_selection(5, {0, 4});
    m.activeplaylist_move_selection(-1);
    EXPECT_EQ("0,1,2,4,3", last_order(m));
}

TEST(playlist_wrappers, MoveSelectionIsSafeForEmptyShortListsAndHugeDeltas) {
    playlist_model m;
    m.calls.clear();
    EXPECT_TRUE(m.playlist_move_selection(0, 0));
    EXPECT_TRUE(m.calls.empty());  // delta 0: no host call
    EXPECT_TRUE(m.playlist_move_selection(0, 3));
    EXPECT_EQ("", last_order(m));

    m = with_selection(1, {0});
    EXPECT_TRUE(m.playlist_move_selection(0, INT_MIN));
    EXPECT_EQ("0", last_order(m));

    m = with_selection(6, {1, 3});
    EXPECT_TRUE(m.playlist_move_selection(0, INT_MAX));
    EXPECT_EQ("0,2,4,5,1,3", last_order(m));
    m = with_selection(6, {1, 3});
    EXPECT_TRUE(m.playlist_move_selection(0, INT_MIN));
    EXPECT_EQ("1,3,0,2,4,5", last_order(m));
}

// A host that tells nothing of the items: the selection counts as empty, the order is the identity.
TEST(playlist_wrappers, MoveSelectionTreatsItemsTheHostSkipsAsUnselected) {
    class silent_model final : public playlist_model {
    public:
        using playlist_model::playlist_model;
        void playlist_enum_items(std::uint32_t, enum_items_callback&, const bit_array&) override {}
    };
    silent_model m(4);
    for (int i = 0; i < 4; ++i) m.items[i].selected = true;
    EXPECT_TRUE(m.playlist_move_selection(0, 1));
    EXPECT_EQ("0,1,2,3", last_order(m));
}

TEST(playlist_wrappers, ActiveFormsAnswerNoneWithoutFurtherCalls) {
    playlist_model m(3);
    m.active = playlist_manager::none;
    zut::list_t<service_ptr_t<metadb_handle>> handles;
    zut::string8 title("old");
    m.calls.clear();
    EXPECT_EQ(0u, m.activeplaylist_get_item_count());
    EXPECT_EQ(playlist_manager::none, m.activeplaylist_get_focus_item());
    EXPECT_FALSE(m.activeplaylist_remove_items(bit_array_true()));
    EXPECT_FALSE(m.activeplaylist_is_item_selected(0));
    EXPECT_FALSE(m.activeplaylist_activate_item(0));
    EXPECT_EQ(playlist_manager::none, m.activeplaylist_insert_items(0, handles, bit_array_true()));
    EXPECT_EQ(playlist_manager::none, m.activeplaylist_ensure_visible(0));
    EXPECT_FALSE(m.activeplaylist_add_items(handles, bit_array_true()));
    EXPECT_EQ(0u, m.activeplaylist_get_selection_count(10));
    m.activeplaylist_set_selection(bit_array_true(), bit_array_true());
    m.activeplaylist_set_focus_item(1);
    m.activeplaylist_set_item_selected(1, true);
    m.activeplaylist_move_selection(1);
    m.activeplaylist_item_format_title(0, nullptr, title, service_ptr_t<titleformat_script>(), nullptr, 1);
    EXPECT_STREQ("NJET", title.get_ptr());
    for (int slot : m.slots()) EXPECT_EQ(4, slot);
}

TEST(playlist_wrappers, SelectionQueriesUseTheItemEnumeration) {
    playlist_model m = with_selection(6, {1, 3, 4});
    EXPECT_TRUE(m.activeplaylist_is_item_selected(3));
    EXPECT_FALSE(m.activeplaylist_is_item_selected(2));
    EXPECT_FALSE(m.activeplaylist_is_item_selected(99));  // the host calls back for no item
    EXPECT_EQ(1u, m.playlist_get_selection_count(0, 1));  // stops at the limit
    EXPECT_EQ(3u, m.playlist_get_selection_count(0, 100));
    playlist_model first = with_selection(3, {0});
    EXPECT_EQ(0u, first.playlist_get_selection_count(0, 0));  // never more than the limit
    EXPECT_EQ(0u, first.activeplaylist_get_selection_count(0));
    bit_array_bittable mask(6);
    m.activeplaylist_get_selection_mask(mask);
    EXPECT_EQ("1,3-4", playlist_model::mask_text(mask, 6));

    m.calls.clear();
    m.activeplaylist_set_item_selected(2, true);
    m.playlist_clear_selection(0);
    EXPECT_EQ((strings{"4", "16:aff=2,sel=0-5", "16:aff=0-5,sel="}), m.calls);
}

TEST(playlist_wrappers, RemoveSelectionRemovesOrCrops) {
    playlist_model m = with_selection(5, {1, 2});
    EXPECT_TRUE(m.activeplaylist_remove_selection(false));
    EXPECT_EQ((strings{"item 0", "item 3", "item 4"}), m.titles());
    m = with_selection(5, {1, 2});
    EXPECT_TRUE(m.activeplaylist_remove_selection(true));
    EXPECT_EQ((strings{"item 1", "item 2"}), m.titles());
    EXPECT_TRUE(m.activeplaylist_clear());
    EXPECT_TRUE(m.items.empty());
}

TEST(playlist_wrappers, InsertionAppendsWithTheSelectionMask) {
    playlist_model m(2);
    zut::list_t<service_ptr_t<metadb_handle>> handles;
    handles.add_item(service_ptr_t<metadb_handle>());
    handles.add_item(service_ptr_t<metadb_handle>());
    m.calls.clear();
    EXPECT_TRUE(m.activeplaylist_add_items(handles, bit_array_val(true)));
    EXPECT_EQ((strings{"4", "20:-1,2,0-1"}), m.calls);
    EXPECT_EQ(1u, m.activeplaylist_insert_items(1, handles, bit_array_false()));
    EXPECT_EQ(6u, m.items.size());
}

TEST(playlist_wrappers, PlaylistNamesAreFoundAndMadeUnique) {
    playlist_model m;
    m.names = {"Default", "New Playlist", "new playlist (2)"};
    EXPECT_EQ(1u, m.find_playlist("NEW PLAYLIST"));
    EXPECT_EQ(playlist_manager::none, m.find_playlist("New"));
    EXPECT_EQ(3u, m.create_playlist_autoname());
    EXPECT_EQ("New Playlist (3)", m.names[3]);
    EXPECT_EQ(0u, m.find_or_create_playlist("default"));
    EXPECT_EQ(4u, m.find_or_create_playlist("Other", 5));
    m.name_fails_from = 1;
    EXPECT_EQ(playlist_manager::none, m.find_playlist("Other"));  // a failing name ends the search
}

TEST(playlist_wrappers, RemovingTheActivePlaylistActivatesANeighbour) {
    playlist_model m;
    m.names = {"a", "b", "c"};
    m.active = 2;
    EXPECT_TRUE(m.remove_playlist_switch(2));
    EXPECT_EQ(1u, m.active);
    m.active = 0;
    EXPECT_TRUE(m.remove_playlist_switch(1));
    EXPECT_EQ(0u, m.active);  // not the active one: no switch
    EXPECT_EQ((strings{"a"}), m.names);
}

TEST(playlist_wrappers, HighlightPlayingItemFocusesSelectsAndShowsIt) {
    playlist_model m(5);
    EXPECT_FALSE(m.highlight_playing_item());
    m.playing = 3;
    m.calls.clear();
    EXPECT_TRUE(m.highlight_playing_item());
    EXPECT_EQ((strings{"29", "5:0", "19:3", "16:aff=0-4,sel=3", "21:3"}), m.calls);
}

// Records the playback control slots.
class recording_control final : public play_control_stub {
public:
    strings calls;
    bool playing = false;
    bool paused = false;
    void start(std::uint32_t command, bool p) override {
        calls.push_back("start " + std::to_string(command) + (p ? " paused" : ""));
    }
    void stop() override { calls.push_back("stop"); }
    bool is_playing() override { return playing; }
    bool is_paused() override { return paused; }
    void pause(bool state) override { calls.push_back(state ? "pause" : "resume"); }
};

TEST(play_control_wrappers, PlayOrPauseTogglesOnlyWhilePlaying) {
    recording_control c;
    play_control_play_or_pause(c);
    c.playing = true;
    play_control_play_or_pause(c);
    c.paused = true;
    play_control_play_or_pause(c);
    play_control_start(c, play_control::track_command_prev, false);
    play_control_stop(c);
    EXPECT_EQ((strings{"start 1", "pause", "resume", "start 3", "stop"}), c.calls);
}

}  // namespace
