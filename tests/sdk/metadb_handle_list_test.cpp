// Helpers over lists of track handles: sorting by text, by sort path, by path and by address,
// duplicate removal, differences of sorted lists, total length; locations compared and written.

#include "fake_file_info.h"
#include "fake_host.h"

#include <trovaplay/sdk/metadb_handle_list.h>
#include <trovaplay/sdk/play_control.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

metadb_handle_list_t list_of(std::initializer_list<fake_handle*> handles) {
  metadb_handle_list_t list;
  for (fake_handle* h : handles) list.add_item(h);
  return list;
}

std::string paths(const metadb_handle_list_base& list) {
  std::string out;
  for (t_size i = 0; i < list.get_count(); ++i) out += std::string(i ? "," : "") + list.get_item(i)->get_location().get_path();
  return out;
}

class no_script final : public titleformat_script {
 public:
  int service_release() override { return 1; }
  int service_add_ref() override { return 1; }
  bool run(titleformat_hook*, zut::string_base&, titleformat_text_filter*) override { return false; }
};

TEST(metadb_handle_list, SortByFormattedText) {
  fake_handle c("c"), a("a"), b("B"), a2("a");
  {
    metadb_handle_list_t list = list_of({&c, &a, &b, &a2});
    no_script script;
    sort_by_titleformat_range(list, 1, 3, script, nullptr);  // the first item stays
    EXPECT_EQ(paths(list), "c,a,a,B");  // the host's order: without regard to case
    EXPECT_EQ(list.get_item(1).get_ptr(), &a);  // equal texts keep their order
    EXPECT_EQ(list.get_item(2).get_ptr(), &a2);
    sort_by_titleformat_range(list, 0, 4, script, nullptr);
    EXPECT_EQ(paths(list), "a,a,B,c");
    sort_by_titleformat_range(list, 0, 0, script, nullptr);
    EXPECT_EQ(paths(list), "a,a,B,c");
    sort_by_location_path(list);  // bytes: capitals first
    EXPECT_EQ(paths(list), "B,a,a,c");
  }
  EXPECT_EQ(a.refs + b.refs + c.refs + a2.refs, 4);
}

class fake_sort_paths final : public sort_path_provider {
 public:
  int service_release() override { return m_counted.release(); }
  int service_add_ref() override { return m_counted.add_ref(); }
  bool get_sort_path(const service_ptr_t<metadb_handle>& p_handle, zut::string_base& p_out) override {
    const std::string path = p_handle->get_location().get_path();
    if (path == "none") return false;
    p_out.set_string(("k" + path).c_str());
    return true;
  }
  int count() const { return m_counted.count(); }

 private:
  fake_service_base m_counted{"sort_path_provider"};
};

TEST(metadb_handle_list, SortBySortPath) {
  fake_host host;
  fake_sort_paths provider;
  host.offer(sort_path_provider::class_guid, &provider);
  start_services(host);
  fake_handle z("z"), none("none"), m("m");
  {
    metadb_handle_list_t list = list_of({&z, &none, &m});
    sort_by_sort_path_range(list, 0, 3);
    EXPECT_EQ(paths(list), "none,m,z");  // no sort path: the empty text, first
  }
  EXPECT_EQ(provider.count(), 1);
  reset_module_state();
}

TEST(metadb_handle_list, AddressesDuplicatesAndDifferences) {
  fake_handle x("x"), y("y"), z("z");
  metadb_handle_list_t list = list_of({&x, &y, &x, &z, &y});
  drop_duplicate_handles(list);
  // One of each stays (which copy follows the unstable sort); the survivors keep their order.
  const std::string kept = paths(list);
  EXPECT_TRUE(kept == "x,y,z" || kept == "x,z,y") << kept;
  metadb_handle_list_t again = list_of({&z, &x, &z, &y, &x});
  sort_and_drop_duplicate_handles(again);
  EXPECT_EQ(again.get_count(), 3u);
  EXPECT_EQ(find_handle_sorted(again, &y) != ~0u, true);
  EXPECT_EQ(again.get_item(find_handle_sorted(again, &z)).get_ptr(), &z);
  fake_handle absent("w");
  EXPECT_EQ(find_handle_sorted(again, &absent), ~0u);

  metadb_handle_list_t a = list_of({&x, &y, &y}), b = list_of({&y});
  sort_by_handle_address(a);
  metadb_handle_list_t only_a, only_b;
  sorted_list_differences(a, b, only_a, only_b);
  EXPECT_EQ(only_a.get_count(), 2u);
  EXPECT_EQ(only_b.get_count(), 0u);
  EXPECT_NE(find_handle_sorted(a, &x), ~0u);
  metadb_handle_list_t empty;
  drop_duplicate_handles(empty);
  sorted_list_differences(empty, b, only_a, only_b);
  EXPECT_EQ(only_a.get_count(), 0u);
  EXPECT_EQ(paths(only_b), "y");
}

TEST(metadb_handle_list, TotalLengthAndLocations) {
  fake_handle a("a", 10), b("b", 0), c("c", -5), d("d", 2.5);
  metadb_handle_list_t list = list_of({&a, &b, &c, &d});
  EXPECT_EQ(total_length_seconds(list), 12.5);

  const fake_location one("C:\\a.mp3", 0), two("C:\\a.mp3", 2), other("C:\\b.mp3", 0);
  zut::string8 text;
  playable_location_text(one, text);
  EXPECT_STREQ(text.get_ptr(), "\"C:\\a.mp3\"");
  playable_location_text(two, text);
  EXPECT_STREQ(text.get_ptr(), "\"C:\\a.mp3\" / index: 2");
  EXPECT_EQ(compare_playable_location(one, two), -1);
  EXPECT_EQ(compare_playable_location(other, two), 1);
  EXPECT_TRUE(playable_location_equal(one, fake_location("C:\\a.mp3", 0)));
  EXPECT_LT(compare_playable_location("a", "\xC3\xA9"), 0);  // unsigned bytes
}

TEST(metadb_handle, StatsAndReloadRules) {
  fake_handle track("a.mp3");
  track.stats = {100, 5000};
  EXPECT_EQ(track.stats_size(), 100u);
  EXPECT_EQ(track.stats_timestamp(), 5000u);
  EXPECT_FALSE(track.needs_reload({100, 5000}, true));
  EXPECT_TRUE(track.needs_reload({100, 5001}, false));
  EXPECT_FALSE(track.needs_reload({100, 0}, false));  // an unknown new time answers the flag
  // Nothing loaded yet: always.
  track.available = false;
  EXPECT_TRUE(track.needs_reload({100, 5000}, false));
}

}  // namespace
