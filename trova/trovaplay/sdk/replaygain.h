#pragma once
// A track's replay-gain record: the loudness corrections of the album and of the track (decibels)
// and the sample peaks of the album and of the track (1.0 = full scale). A value is present when it
// differs from its absent value (exactly; a value that is not a number counts as present).

#include <zut/primitives.h>

struct replaygain_info {
  float m_album_gain;
  float m_track_gain;
  float m_album_peak;
  float m_track_peak;

  static constexpr float gain_invalid = -1000.0f;
  static constexpr float peak_invalid = -1.0f;
  // Room that format_gain and format_peak need in the caller's buffer.
  static constexpr t_size text_buffer_size = 16;

  void reset() { m_album_gain = m_track_gain = gain_invalid, m_album_peak = m_track_peak = peak_invalid; }

  bool is_album_gain_present() const { return m_album_gain != gain_invalid; }
  bool is_track_gain_present() const { return m_track_gain != gain_invalid; }
  bool is_album_peak_present() const { return m_album_peak != peak_invalid; }
  bool is_track_peak_present() const { return m_track_peak != peak_invalid; }
  void remove_album_gain() { m_album_gain = gain_invalid; }
  void remove_track_gain() { m_track_gain = gain_invalid; }
  void remove_album_peak() { m_album_peak = peak_invalid; }
  void remove_track_peak() { m_track_peak = peak_invalid; }
  int get_value_count() const;

  // True when the name is one of the four tag field names (without regard to case).
  static bool is_meta_replaygain(const char* p_name, t_size p_name_length = zut::infinite_size);
  // Stores the value of the tag field so named; false (nothing changed) for any other name. Peaks
  // below 0 are stored as 0.
  bool set_from_meta(const char* p_name, t_size p_name_length, const char* p_value,
                     t_size p_value_length);
  bool set_from_meta(const char* p_name, const char* p_value) {
    return set_from_meta(p_name, zut::infinite_size, p_value, zut::infinite_size);
  }

  // The field parsed from the text; absent for a null or empty text.
  void set_album_gain_text(const char* p_text, t_size p_length = zut::infinite_size);
  void set_track_gain_text(const char* p_text, t_size p_length = zut::infinite_size);
  void set_album_peak_text(const char* p_text, t_size p_length = zut::infinite_size);
  void set_track_peak_text(const char* p_text, t_size p_length = zut::infinite_size);

  // "+1.50 dB" / "0.500000" into p_out (text_buffer_size bytes); an absent value writes "" and
  // answers false. Values that are not finite or too large for the buffer stay within it.
  static bool format_gain(float p_value, char p_out[text_buffer_size]);
  static bool format_peak(float p_value, char p_out[text_buffer_size]);

  // a, with every value absent in a taken from b.
  static replaygain_info merge(const replaygain_info& p_a, const replaygain_info& p_b);
  static bool equals(const replaygain_info& p_a, const replaygain_info& p_b);
};

inline replaygain_info replaygain_info_absent() {
  replaygain_info info;
  info.reset();
  return info;
}
