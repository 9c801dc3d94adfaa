// The operations every file_info shares, over a plain fake record.

#include "fake_file_info.h"
#include "fake_host.h"

#include <trovaplay/sdk/file_info.h>
#include <trovaplay/sdk/metadb_handle.h>

#include <gtest/gtest.h>
#include <zut/primitives.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

TEST(file_info, Lookups) {
  fake_file_info info;
  info.tag("artist", {"X", "Y"}).tag("artistic", {"Z"});
  EXPECT_EQ(info.meta_find("ARTIST"), 0u);
  EXPECT_EQ(info.meta_find_ex("artistXYZ", 6), 0u);  // only a whole name equal to the prefix
  EXPECT_EQ(info.meta_find_ex("artisti", 7), ~0u);
  EXPECT_EQ(info.meta_value_count_by_name("artist"), 2u);
  EXPECT_EQ(info.meta_value_count_by_name("album"), 0u);
  EXPECT_STREQ(info.meta_get("artist", 1), "Y");
  EXPECT_EQ(info.meta_get("artist", 2), nullptr);
  EXPECT_EQ(info.meta_total_value_count(), 3u);
  zut::string8 joined("old");
  EXPECT_TRUE(info.meta_join_values("artist", joined));
  EXPECT_STREQ(joined.get_ptr(), "X, Y");
  EXPECT_FALSE(info.meta_join_values("album", joined));
  EXPECT_STREQ(joined.get_ptr(), "");
  info.tag("composer", {"X", "Y"});
  EXPECT_TRUE(info.meta_fields_equal(0, 2));
  EXPECT_FALSE(info.meta_fields_equal(0, 1));
}

TEST(file_info, CopyingFields) {
  fake_file_info source;
  source.tag("genre", {"A", "B", "C"}).tag("empty", {}).tech("codec", "MP3");
  fake_file_info target;
  target.copy_meta_field(source, 0);
  ASSERT_EQ(target.meta.size(), 1u);
  EXPECT_EQ(target.meta[0].values, (std::vector<std::string>{"A", "B", "C"}));
  // A field without values copies nothing.
  target.slots.clear();
  target.copy_meta_field(source, 1);
  target.copy_meta_field_unchecked(source, 1);
  EXPECT_EQ(target.meta.size(), 1u);
  EXPECT_TRUE(target.slots.empty());
  target.copy_meta_field_as_ex(source, 0, "style", ~0u);
  EXPECT_STREQ(target.meta_get("style", 2), "C");
  target.copy_meta_field_by_name_ex(source, "nothing", ~0u);
  EXPECT_EQ(target.meta.size(), 2u);

  EXPECT_EQ(target.meta_add("genre", "D"), 0u);
  EXPECT_EQ(target.meta_value_count(0), 4u);
  target.slots.clear();
  EXPECT_EQ(target.meta_add("new", "N"), 2u);
  EXPECT_EQ(target.slots, std::vector<int>{24});

  source.length = 12;
  source.replaygain.m_track_gain = -2;
  fake_file_info copy;
  copy.tag("old", {"o"}).tech("old", "o");
  copy.copy(source);
  EXPECT_EQ(copy.meta_count(), 1u);  // the empty field is not invented
  EXPECT_STREQ(copy.info_get("codec"), "MP3");
  EXPECT_EQ(copy.info_count(), 1u);
  EXPECT_EQ(copy.length, 12);
  EXPECT_EQ(copy.replaygain.m_track_gain, -2);
  EXPECT_TRUE(file_info::info_equals(copy, source));
  copy.slots.clear();
  copy.copy(copy);  // from itself: nothing changes
  EXPECT_TRUE(copy.slots.empty());
  EXPECT_EQ(copy.meta_count(), 1u);

  fake_file_info a, b;
  a.tag("x", {"1", "2"}).tag("y", {"3"});
  b.tag("Y", {"3"}).tag("X", {"1", "2"});
  EXPECT_TRUE(file_info::meta_equals(a, b));
  b.meta[1].values[1] = "9";
  EXPECT_FALSE(file_info::meta_equals(a, b));
}

TEST(file_info, Removal) {
  fake_file_info info;
  info.tag("a", {"1", "2"}).tag("b", {"3"}).tech("x", "1").tech("y", "2");
  info.meta_remove_value(0, 0);
  EXPECT_EQ(info.meta[0].values, std::vector<std::string>{"2"});
  info.meta_remove_field("B");
  EXPECT_EQ(info.meta_count(), 1u);
  EXPECT_TRUE(info.info_remove("X"));
  EXPECT_FALSE(info.info_remove("x"));
  info.length = 5;
  info.replaygain.m_album_gain = 1;
  info.reset();
  EXPECT_EQ(info.meta_count() + info.info_count(), 0u);
  EXPECT_EQ(info.length, 0);
  EXPECT_EQ(info.replaygain.get_value_count(), 0);
}

TEST(file_info, TypedTechnicalFields) {
  fake_file_info info;
  info.info_set_int("bitrate", -5);
  EXPECT_EQ(info.info_get_int("bitrate"), -5);
  EXPECT_EQ(info.info_get_int("nothing"), 0);
  info.info_set_float("gain", 1.25, 2, true, "dB");
  EXPECT_STREQ(info.info_get("gain"), "+1.25 dB");
  EXPECT_EQ(info.info_get_float("gain"), 1.25);
  // The largest number and the longest unit stay inside the buffer.
  const std::string unit(64, 'u');
  info.info_set_float("huge", 1e300, 64, true, unit.c_str());
  const std::string huge = info.info_get("huge");
  EXPECT_EQ(huge.substr(huge.size() - 65), " " + unit);
  EXPECT_LE(huge.size(), 63u + 1 + 64);
  // A longer unit is a caller error, reported and cut.
  const t_size reports = zut::get_assert_count();
  info.info_set_float("long", 1, 0, false, (unit + "v").c_str());
  EXPECT_EQ(zut::get_assert_count(), reports + 1);
  EXPECT_STREQ(zut::get_last_assert_expression(), L"unit==0 || strlen(unit) <= 64");
  const std::string cut = info.info_get("long");
  EXPECT_EQ(cut.substr(cut.size() - 65), " " + unit);

  info.info_set_bitrate_from_size(1000000, 60.0);
  EXPECT_STREQ(info.info_get("bitrate"), "133");
  for (double bad : {0.0, -1.0, std::nan(""), HUGE_VAL}) {
    info.info_set_bitrate_from_size(1000000, bad);
    EXPECT_STREQ(info.info_get("bitrate"), "133") << bad;
  }

  info.tech("decoded_bitspersample", "300").tech("bitspersample", "16");
  EXPECT_EQ(info.info_get_bits_per_sample(), 16u);
  fake_file_info plain;
  EXPECT_EQ(plain.info_get_bits_per_sample(), 0u);
  EXPECT_TRUE(plain.info_is_lossy());
  plain.tech("encoding", "LOSSY");
  EXPECT_TRUE(plain.info_is_lossy());
  EXPECT_FALSE(info.info_is_lossy());

  plain.length = 2;
  EXPECT_EQ(plain.info_get_length_in_samples(), 0u);
  plain.tech("samplerate", "44100");
  EXPECT_EQ(plain.info_get_length_in_samples(), 88200u);
  EXPECT_EQ(file_info::time_to_samples(0.5, 3), 2u);
}

TEST(file_info, ReplayGainThroughTheRecord) {
  fake_file_info info;
  info.set_replaygain_track_peak(0.5f);
  EXPECT_EQ(info.replaygain.m_track_peak, 0.5f);
  EXPECT_TRUE(info.info_set_replaygain_field_ex("REPLAYGAIN_ALBUM_GAIN", ~0u, "-3", ~0u));
  EXPECT_EQ(info.replaygain.m_album_gain, -3.0f);
  info.slots.clear();
  EXPECT_FALSE(info.info_set_replaygain_field_ex("comment", ~0u, "x", ~0u));
  EXPECT_TRUE(info.slots.empty());  // the record is not written back
  info.info_set_with_replaygain_ex("comment", ~0u, "x", ~0u);
  EXPECT_STREQ(info.info_get("comment"), "x");
  info.reset_replaygain();
  EXPECT_EQ(info.replaygain.get_value_count(), 0);
}

TEST(file_info, HandleLengthUnderTheLock) {
  fake_handle handle;
  handle.info.length = 42.5;
  EXPECT_EQ(handle.get_length(), 42.5);
  handle.available = false;
  EXPECT_EQ(handle.get_length(), 0.0);
  EXPECT_EQ(handle.locks, 0);
  EXPECT_EQ(handle.refs, 1);
}

}  // namespace
