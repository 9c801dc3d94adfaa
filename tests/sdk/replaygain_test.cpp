// The replay-gain record: reading from tag fields and texts, writing as text, merging.

#include <trovaplay/sdk/replaygain.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include <float.h>

namespace {

TEST(replaygain, FromTagFields) {
  replaygain_info info = replaygain_info_absent();
  EXPECT_EQ(info.get_value_count(), 0);
  EXPECT_TRUE(info.set_from_meta("REPLAYGAIN_TRACK_PEAK", "-0.5"));
  EXPECT_EQ(info.m_track_peak, 0.0f);
  EXPECT_TRUE(info.set_from_meta("replaygain_album_gain", "-1200"));
  EXPECT_EQ(info.m_album_gain, -1200.0f);  // gains are not clamped
  EXPECT_FALSE(info.set_from_meta("replaygain_album", "1"));
  EXPECT_FALSE(info.set_from_meta("replaygain_album_gain_x", "1"));
  EXPECT_TRUE(info.set_from_meta("replaygain_album_gainXX", 21, "2", ~0u));  // the name's length counts
  EXPECT_EQ(info.get_value_count(), 2);
  EXPECT_TRUE(replaygain_info::is_meta_replaygain("Replaygain_Track_Gain"));
  EXPECT_FALSE(replaygain_info::is_meta_replaygain("replaygain"));

  info.set_track_gain_text("+3.5");
  EXPECT_EQ(info.m_track_gain, 3.5f);
  info.set_track_gain_text("");
  EXPECT_FALSE(info.is_track_gain_present());
  info.set_album_peak_text(nullptr);
  EXPECT_FALSE(info.is_album_peak_present());
}

TEST(replaygain, AsText) {
  char text[replaygain_info::text_buffer_size];
  EXPECT_TRUE(replaygain_info::format_gain(1.5f, text));
  EXPECT_STREQ(text, "+1.50 dB");
  EXPECT_TRUE(replaygain_info::format_gain(-999.5f, text));
  EXPECT_STREQ(text, "-999.50 dB");
  EXPECT_FALSE(replaygain_info::format_gain(-1000.0f, text));
  EXPECT_STREQ(text, "");
  EXPECT_TRUE(replaygain_info::format_peak(0.5f, text));
  EXPECT_STREQ(text, "0.500000");
  EXPECT_FALSE(replaygain_info::format_peak(-1.0f, text));
  // Values that are not finite or far too large stay inside the buffer.
  for (float v : {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                  std::numeric_limits<float>::quiet_NaN(), FLT_MAX, -FLT_MAX}) {
    char guarded[replaygain_info::text_buffer_size + 4];
    memset(guarded, 'Z', sizeof guarded);
    replaygain_info::format_gain(v, guarded);
    EXPECT_LT(strlen(guarded), replaygain_info::text_buffer_size);
    memset(guarded, 'Z', sizeof guarded);
    replaygain_info::format_peak(v, guarded);
    EXPECT_LT(strlen(guarded), replaygain_info::text_buffer_size);
    EXPECT_EQ(guarded[replaygain_info::text_buffer_size + 3], 'Z');
  }
}

TEST(replaygain, RoundingModeComesBack) {
  const unsigned before = _controlfp(0, 0);
  _controlfp(_RC_DOWN, _MCW_RC);
  replaygain_info info = replaygain_info_absent();
  info.set_from_meta("replaygain_track_gain", "0.1");
  EXPECT_EQ(info.m_track_gain, 0.1f);  // parsed to nearest
  EXPECT_EQ(_controlfp(0, 0) & _MCW_RC, unsigned(_RC_DOWN));
  _controlfp(before, _MCW_RC);
}

TEST(replaygain, MergeAndEquals) {
  replaygain_info a = replaygain_info_absent(), b;
  a.m_track_gain = -3;
  b.m_album_gain = 1, b.m_track_gain = 2, b.m_album_peak = 0.5f, b.m_track_peak = 0.25f;
  const replaygain_info m = replaygain_info::merge(a, b);
  EXPECT_EQ(m.m_track_gain, -3);
  EXPECT_EQ(m.m_album_gain, 1);
  EXPECT_EQ(m.m_album_peak, 0.5f);
  EXPECT_EQ(m.m_track_peak, 0.25f);
  EXPECT_TRUE(replaygain_info::equals(m, m));
  EXPECT_FALSE(replaygain_info::equals(m, b));
  a.m_album_gain = std::nanf("");
  EXPECT_TRUE(a.is_album_gain_present());  // not a number counts as present
}

}  // namespace
