// The replay-gain record: reading values from tag fields and texts, writing them as text, merging.
// Every conversion between text and number runs with the rounding mode set to round-to-nearest; the
// caller's mode comes back afterwards, also when the conversion throws.

#include "replaygain.h"

#include <trovaplay/shared/shared.h>
#include <zut/string_utils.h>

#include <float.h>

#include <cstring>

namespace {

const char* const kAlbumGain = "replaygain_album_gain";
const char* const kAlbumPeak = "replaygain_album_peak";
const char* const kTrackGain = "replaygain_track_gain";
const char* const kTrackPeak = "replaygain_track_peak";

class round_to_nearest_scope {
 public:
  round_to_nearest_scope() : m_previous(_controlfp(0, 0)) { _controlfp(_RC_NEAR, _MCW_RC); }
  ~round_to_nearest_scope() { _controlfp(m_previous, _MCW_RC); }
  round_to_nearest_scope(const round_to_nearest_scope&) = delete;
  round_to_nearest_scope& operator=(const round_to_nearest_scope&) = delete;

 private:
  unsigned m_previous;
};

bool same_name(const char* a, const char* name, t_size length) {
  return stricmp_utf8_ex(name, length, a, zut::infinite_size) == 0;
}

float parse(const char* p_text, t_size p_length) {
  round_to_nearest_scope rounding;
  return static_cast<float>(zut::string_to_float(p_text, p_length));
}

// The field from a text: absent for a null or empty one.
void set_text(float& p_field, float p_absent, const char* p_text, t_size p_length) {
  if (p_text != nullptr && p_length != 0 && *p_text != 0) p_field = parse(p_text, p_length);
  else p_field = p_absent;
}

}  // namespace

int replaygain_info::get_value_count() const {
  return int(is_album_gain_present()) + int(is_track_gain_present()) + int(is_album_peak_present()) +
         int(is_track_peak_present());
}

bool replaygain_info::is_meta_replaygain(const char* p_name, t_size p_name_length) {
  if (p_name == nullptr) return false;
  for (const char* name : {kAlbumGain, kAlbumPeak, kTrackGain, kTrackPeak})
    if (same_name(name, p_name, p_name_length)) return true;
  return false;
}

bool replaygain_info::set_from_meta(const char* p_name, t_size p_name_length, const char* p_value,
                                   t_size p_value_length) {
  if (p_name == nullptr) return false;
  float* field = nullptr;
  bool peak = false;
  if (same_name(kAlbumGain, p_name, p_name_length)) field = &m_album_gain;
  else if (same_name(kAlbumPeak, p_name, p_name_length)) field = &m_album_peak, peak = true;
  else if (same_name(kTrackGain, p_name, p_name_length)) field = &m_track_gain;
  else if (same_name(kTrackPeak, p_name, p_name_length)) field = &m_track_peak, peak = true;
  if (field == nullptr) return false;
  float value = parse(p_value ? p_value : "", p_value ? p_value_length : 0);
  if (peak && value < 0.0f) value = 0.0f;
  *field = value;
  return true;
}

void replaygain_info::set_album_gain_text(const char* p_text, t_size p_length) {
  set_text(m_album_gain, gain_invalid, p_text, p_length);
}
void replaygain_info::set_track_gain_text(const char* p_text, t_size p_length) {
  set_text(m_track_gain, gain_invalid, p_text, p_length);
}
void replaygain_info::set_album_peak_text(const char* p_text, t_size p_length) {
  set_text(m_album_peak, peak_invalid, p_text, p_length);
}
void replaygain_info::set_track_peak_text(const char* p_text, t_size p_length) {
  set_text(m_track_peak, peak_invalid, p_text, p_length);
}

bool replaygain_info::format_gain(float p_value, char p_out[text_buffer_size]) {
  p_out[0] = 0;
  if (p_value == gain_invalid) return false;
  {
    round_to_nearest_scope rounding;
    // 12 bytes for the number (11 characters at most, whatever the value), then " dB".
    zut::float_to_string(p_out, 12, p_value, 2, true);
  }
  strcat(p_out, " dB");
  return true;
}

bool replaygain_info::format_peak(float p_value, char p_out[text_buffer_size]) {
  p_out[0] = 0;
  if (p_value == peak_invalid) return false;
  round_to_nearest_scope rounding;
  zut::float_to_string(p_out, text_buffer_size, p_value, 6, false);
  return true;
}

replaygain_info replaygain_info::merge(const replaygain_info& p_a, const replaygain_info& p_b) {
  replaygain_info out = p_a;
  if (!out.is_album_gain_present()) out.m_album_gain = p_b.m_album_gain;
  if (!out.is_track_gain_present()) out.m_track_gain = p_b.m_track_gain;
  if (!out.is_album_peak_present()) out.m_album_peak = p_b.m_album_peak;
  if (!out.is_track_peak_present()) out.m_track_peak = p_b.m_track_peak;
  return out;
}

bool replaygain_info::equals(const replaygain_info& p_a, const replaygain_info& p_b) {
  return p_a.m_album_gain == p_b.m_album_gain && p_a.m_track_gain == p_b.m_track_gain &&
         p_a.m_album_peak == p_b.m_album_peak && p_a.m_track_peak == p_b.m_track_peak;
}
