// Files dropped on a skin window, and the playlist wrappers that add locations through the host's
// location filter: built drop blocks sent to real windows, the reference host's playlist manager, a
// location filter that records what it is asked, and a playback control that records its starts.

#include "window_test_util.h"
#include "fake_host.h"
#include "play_control_stub.h"

#include <zin_classes/playlist.h>
#include <zin_window/drop_files.h>
#include <zin_window/playlist_events.h>

#include <trovaplay/sdk/location_filter.h>
#include <trovaplay/sdk/metadb_handle.h>
#include <trovaplay/sdk/playable_location.h>

#include <shlobj.h>

#include <host_object.h>
#include <playlist_manager.h>
#include <tracks.h>

using namespace window_test;

namespace {

// Makes one track of every location and records the call.
class recording_filter final : public location_filter {
public:
    int service_release() override { return --refs; }
    int service_add_ref() override { return ++refs; }
    bool process_locations(const location_list_const& p_locations, metadb_handle_list_base& p_out) override {
        ++plain_calls;
        return fill(p_locations, p_out);
    }
    bool process_locations_ex(const location_list_const& p_locations, metadb_handle_list_base& p_out,
                              bool p_flag, std::uint32_t p_value1, std::uint32_t p_value2,
                              HWND p_parent) override {
        ++ex_calls;
        flag = p_flag;
        values = {p_value1, p_value2};
        parent = p_parent;
        return fill(p_locations, p_out);
    }

    int refs = 1;
    int plain_calls = 0;
    int ex_calls = 0;
    bool flag = false;
    std::pair<std::uint32_t, std::uint32_t> values{9, 9};
    HWND parent = nullptr;
    std::vector<std::string> paths;  // of the last call
    bool answer = true;              // what the filter answers
    bool makes_tracks = true;        // false: success with no tracks

private:
    bool fill(const location_list_const& locations, metadb_handle_list_base& out) {
        paths.clear();
        for (t_size i = 0; i < locations.get_count(); ++i) {
            paths.push_back(locations.get_item(i));
            if (!makes_tracks) continue;
            host::track_facts facts;
            facts.path = paths.back();
            host::track* t = host::track::make(facts);
            out.add_item(service_ptr_t<metadb_handle>(t));
            t->service_release();
        }
        return answer;
    }
};

// Records every start command; "playing" reports whether one came.
class recording_player final : public play_control_stub {
public:
    void start(std::uint32_t p_command, bool p_paused) override { starts.push_back({p_command, p_paused}); }
    bool is_playing() override { return !starts.empty(); }
    std::vector<std::pair<std::uint32_t, bool>> starts;
};

// A drop block as the shell makes it: wide paths, each ended by a NUL, the list by another, and the
// drop point in client coordinates.
HDROP make_drop(const std::vector<std::wstring>& files, POINT at) {
    size_t chars = 1;
    for (const std::wstring& f : files) chars += f.size() + 1;
    if (chars < 2) chars = 2;  // an empty list is two NULs
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    DROPFILES* d = static_cast<DROPFILES*>(GlobalLock(block));
    d->pFiles = sizeof(DROPFILES);
    d->pt = at;
    d->fNC = FALSE;
    d->fWide = TRUE;
    wchar_t* p = reinterpret_cast<wchar_t*>(d + 1);
    for (const std::wstring& f : files) {
        std::copy(f.begin(), f.end(), p);
        p += f.size() + 1;
    }
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

class dropped_files : public window_fixture {
protected:
    fake_host host_api_fake;
    recording_filter filter;
    recording_player player;
    host::playlist_manager_impl* playlists = nullptr;
    zin_window* w = nullptr;

    void SetUp() override {
        window_fixture::SetUp();
        lua_class::binding<font>::register_type(L);
        lua_class::binding<playlist>::register_type(L);
        reset_module_state();
        host_api_fake.offer(location_filter::class_guid, &filter);
        start_services(host_api_fake);
        playlists = host::playlist_manager_impl::make();
        g_pl_oper = playlists;
        g_play_control = &player;
        // Two tracks in the active playlist before every drop.
        add_tracks({"C:\\old\\one.mp3", "C:\\old\\two.mp3"});
        w = new_window("w", 300, 300, 200, 100);
        ASSERT_EQ("", run("w:create()"));
    }

    void TearDown() override {
        ASSERT_EQ("", run("w:close() if v then v_win:close() end"));
        playlist_unload();
        g_pl_oper = nullptr;
        g_play_control = nullptr;
        playlists->clear_all();
        playlists->service_release();
        // Every track handle and the filter were given back.
        EXPECT_EQ(0, host::live_host_objects());
        EXPECT_EQ(1, filter.refs);
        reset_module_state();
        window_fixture::TearDown();
    }

    void add_tracks(const std::vector<std::string>& paths) {
        std::vector<host::track*> made;
        for (const std::string& p : paths) {
            host::track_facts facts;
            facts.path = p;
            made.push_back(host::track::make(facts));
        }
        playlists->add_items(playlists->get_active_playlist(), made);
        for (host::track* t : made) t->service_release();
    }

    // The active playlist as "path" or "path*" (selected) per item.
    std::vector<std::string> items() {
        std::vector<std::string> out;
        const std::uint32_t active = playlists->get_active_playlist();
        for (std::uint32_t i = 0; i < playlists->playlist_get_item_count(active); ++i) {
            out.push_back(playlists->get_item(active, i)->get_location().get_path());
            if (playlists->playlist_is_item_selected(active, i)) out.back() += "*";
        }
        return out;
    }

    void drop(const std::vector<std::wstring>& files, POINT at = {10, 10}) {
        SendMessageW(w->mWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(make_drop(files, at)), 0);
    }
};

using strings = std::vector<std::string>;

TEST_F(dropped_files, option_zero_adds_nothing) {
    ASSERT_EQ("", run("w:set_add_file_option(0)"));
    drop({L"C:\\new\\a.mp3"});
    EXPECT_EQ((strings{"C:\\old\\one.mp3", "C:\\old\\two.mp3"}), items());
    EXPECT_EQ(0, filter.ex_calls);
}

TEST_F(dropped_files, appending_options_add_whole_paths_selected_with_the_window_as_parent) {
    // A name beyond MAX_PATH and one outside ASCII arrive whole, as UTF-8.
    const std::wstring long_name = L"C:\\" + std::wstring(300, L'x') + L".mp3";
    const std::wstring foreign = L"C:\\M\u00fcsik\\\u65e5\u672c \u266b.mp3";
    const std::string foreign_utf8 = "C:\\M\xc3\xbcsik\\\xe6\x97\xa5\xe6\x9c\xac \xe2\x99\xab.mp3";
    drop({long_name, foreign});
    EXPECT_EQ((strings{"C:\\" + std::string(300, 'x') + ".mp3", foreign_utf8}), filter.paths);
    EXPECT_EQ((strings{"C:\\old\\one.mp3", "C:\\old\\two.mp3", filter.paths[0] + "*", foreign_utf8 + "*"}),
              items());
    EXPECT_EQ(1, filter.ex_calls);
    EXPECT_EQ(0, filter.plain_calls);
    EXPECT_TRUE(filter.flag);
    EXPECT_EQ(std::make_pair(0u, 0u), filter.values);
    EXPECT_EQ(w->mWnd, filter.parent);
    // Options 4 and 5 act as 3.
    for (const char* option : {"4", "5"}) {
        ASSERT_EQ("", run(std::string("w:set_add_file_option(") + option + ")"));
        drop({L"C:\\new\\" + std::wstring(1, L'0' + (option[0] - '0'))});
    }
    EXPECT_EQ(6u, items().size());
    EXPECT_TRUE(player.starts.empty());
}

TEST_F(dropped_files, option_one_replaces_the_playlist_even_with_no_file) {
    ASSERT_EQ("", run("w:set_add_file_option(1)"));
    drop({L"C:\\new\\a.mp3", L"C:\\new\\b.mp3"});
    EXPECT_EQ((strings{"C:\\new\\a.mp3*", "C:\\new\\b.mp3*"}), items());
    drop({});
    EXPECT_EQ(strings{}, items());
    EXPECT_TRUE(player.starts.empty());
}

TEST_F(dropped_files, option_two_replaces_the_playlist_and_starts_playback) {
    ASSERT_EQ("", run("w:set_add_file_option(2)"));
    drop({L"C:\\new\\a.mp3"});
    EXPECT_EQ((strings{"C:\\new\\a.mp3*"}), items());
    ASSERT_EQ(1u, player.starts.size());
    EXPECT_EQ(std::make_pair(std::uint32_t(play_control::track_command_play), false), player.starts[0]);
}

TEST_F(dropped_files, a_playlist_view_under_the_drop_point_gives_its_option) {
    // A window whose view at 0,0 - 100,50 replaces the playlist (option 1) and which itself appends.
    ASSERT_EQ("", run("v_win = window.new('v_win', 10, 10, rect.new(300, 500, 500, 600)) "
                      "v = playlist.new(rect.new(0, 0, 100, 50), font.new('Arial', 12, 0, 400), color.new(0, 0, 0), "
                      "color.new(0, 0, 0), color.new(0, 0, 0), color.new(0, 0, 0)) "
                      "v:set_add_file_option(1) v_win:add(v) v_win:create()"));
    zin_window* with_view = window("v_win");
    auto drop_on_view_window = [&](POINT at) {
        SendMessageW(with_view->mWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(make_drop({L"C:\\new\\a.mp3"}, at)),
                     0);
    };
    drop_on_view_window(POINT{150, 60});  // beside the view
    EXPECT_EQ(3u, items().size());
    drop_on_view_window(POINT{99, 49});  // the view's last pixel
    EXPECT_EQ((strings{"C:\\new\\a.mp3*"}), items());
    // The last mouse position (inside the view, in any window's coordinates) plays no part.
    g_mouse_pos = point(10, 10);
    drop_on_view_window(POINT{100, 10});
    EXPECT_EQ(2u, items().size());
}

// ---- The playlist wrappers on their own ----------------------------------------------------------

TEST_F(dropped_files, inserting_locations_with_and_without_a_parent_window) {
    zut::ptr_list_t<const char> locations;
    locations.add_item("C:\\new\\a.mp3");
    const std::uint32_t active = playlists->get_active_playlist();
    // At a base, unselected, through the plain form.
    EXPECT_TRUE(playlists->playlist_insert_locations(active, 1, locations, false));
    EXPECT_EQ(1, filter.plain_calls);
    EXPECT_EQ((strings{"C:\\old\\one.mp3", "C:\\new\\a.mp3", "C:\\old\\two.mp3"}), items());
    // The active forms with and without a window.
    EXPECT_TRUE(playlists->activeplaylist_insert_locations_ex(0, locations, true, w->mWnd));
    EXPECT_EQ("C:\\new\\a.mp3*", items()[0]);
    EXPECT_TRUE(playlists->activeplaylist_add_locations(locations, false));
    EXPECT_EQ("C:\\new\\a.mp3", items().back());
    EXPECT_TRUE(playlists->playlist_add_locations_ex(active, locations, true, nullptr));
    EXPECT_EQ(6u, items().size());
    EXPECT_EQ(2, filter.ex_calls);
    EXPECT_EQ(2, filter.plain_calls);
}

TEST_F(dropped_files, one_location_goes_through_the_slot_with_a_parent_window) {
    metadb_handle_list_t tracks;
    EXPECT_TRUE(filter.process_location("C:\\one.mp3", tracks, false, 1, 2, w->mWnd));
    EXPECT_EQ(1, filter.ex_calls);
    EXPECT_EQ(strings{"C:\\one.mp3"}, filter.paths);
    EXPECT_FALSE(filter.flag);
    EXPECT_EQ(std::make_pair(1u, 2u), filter.values);
    EXPECT_EQ(1u, tracks.get_count());
}

TEST_F(dropped_files, a_refusing_filter_leaves_the_playlist_and_an_empty_answer_still_inserts) {
    zut::ptr_list_t<const char> locations;
    locations.add_item("C:\\new\\a.mp3");
    filter.answer = false;
    EXPECT_FALSE(playlists->activeplaylist_add_locations(locations, true, w->mWnd));
    EXPECT_EQ(2u, items().size());
    // Success without tracks: the insertion is still asked for, and decides the answer.
    filter.answer = true;
    filter.makes_tracks = false;
    const bool inserted = playlists->activeplaylist_add_locations(locations, true, w->mWnd);
    EXPECT_EQ(playlists->playlist_insert_items(0, ~0u, metadb_handle_list_t(),
                                               bit_array_true()) != playlist_manager::none,
              inserted);
    EXPECT_EQ(2u, items().size());
}

TEST_F(dropped_files, without_an_active_playlist_the_filter_is_never_asked) {
    playlists->remove_playlists(bit_array_true());
    ASSERT_EQ(playlist_manager::none, playlists->get_active_playlist());
    zut::ptr_list_t<const char> locations;
    locations.add_item("C:\\new\\a.mp3");
    EXPECT_FALSE(playlists->activeplaylist_add_locations(locations, true));
    EXPECT_FALSE(playlists->activeplaylist_insert_locations_ex(0, locations, true, nullptr));
    EXPECT_EQ(0, filter.plain_calls + filter.ex_calls);
}

TEST(location_filter_lookup, without_a_filter_adding_fails_quietly) {
    reset_module_state();
    fake_host bare;
    start_services(bare);
    host::playlist_manager_impl* playlists = host::playlist_manager_impl::make();
    zut::ptr_list_t<const char> locations;
    locations.add_item("C:\\a.mp3");
    EXPECT_FALSE(playlists->activeplaylist_add_locations(locations, true));
    EXPECT_EQ(0u, playlists->playlist_get_item_count(0));
    playlists->service_release();
    reset_module_state();
}

}  // namespace
