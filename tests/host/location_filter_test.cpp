// The reference host's location filter: dropped paths become counted track handles in the caller's
// list, an M3U playlist its entries.
#include <gtest/gtest.h>

#include <location_filter.h>
#include <tracks.h>

#include <support/files.h>

#include <trovaplay/sdk/playable_location.h>
#include <zut/list.h>

#include <string>
#include <vector>

namespace {

using track_list = metadb_handle_list_t;

std::vector<std::string> paths_of(const track_list& tracks) {
    std::vector<std::string> out;
    for (t_size i = 0; i < tracks.get_count(); ++i) out.push_back(tracks.get_item(i)->get_location().get_path());
    return out;
}

TEST(location_filter, paths_and_playlists_become_tracks_that_the_list_holds) {
    const long before = host::live_host_objects();
    host::location_filter_impl* filter = host::location_filter_impl::make();
    const std::wstring folder = test_support::temp_folder(L"location_filter");
    const std::wstring m3u = folder + L"\\list.m3u";
    ASSERT_TRUE(test_support::write_file(m3u, "#EXTM3U\n#EXTINF:5,Band - Song\nC:\\music\\song.mp3\n"));
    const std::string m3u_utf8 = test_support::narrow(m3u);
    const std::string foreign = "C:\\M\xc3\xbcsik\\\xe2\x99\xab.mp3";
    {
        zut::ptr_list_t<const char> locations;
        for (const char* l : {foreign.c_str(), "", m3u_utf8.c_str()}) locations.add_item(l);
        track_list tracks;
        EXPECT_TRUE(filter->process_locations(locations, tracks));
        EXPECT_EQ((std::vector<std::string>{foreign, "C:\\music\\song.mp3"}), paths_of(tracks));
        // The slot with a parent window does the same.
        track_list more;
        EXPECT_TRUE(filter->process_locations_ex(locations, more, true, 0, 0, nullptr));
        EXPECT_EQ(2u, more.get_count());
    }
    filter->service_release();
    EXPECT_EQ(before, host::live_host_objects());  // every track went with its list
}

}  // namespace
