#pragma once
// The host's record of what is known about one track: its length, tag fields ("meta": a name with
// one or more UTF-8 values) and technical fields ("info": a name with one value). Names compare
// without regard to case; index results use ~0 for "no field". Not a service: the host owns each
// record and lends it out (a track handle's record is read under the track-information lock).
// Slots 12, 14 and 21 (the host's own) are placeholders here.
//
// The non-virtual operations below are this layer's, shared by every implementation: they reach the
// record only through its slots. Names must be valid UTF-8; a length of ~0 means "up to the NUL".

#include <trovaplay/sdk/replaygain.h>
#include <zut/bit_array.h>
#include <zut/primitives.h>
#include <zut/string.h>

class file_info {
 public:
  virtual double get_length() const = 0;                                      // 0: seconds
  virtual void set_length(double p_length) = 0;                               // 1
  virtual void set_replaygain(const replaygain_info& p_info) = 0;             // 2
  virtual replaygain_info* get_replaygain(replaygain_info* p_out) const = 0;  // 3
  virtual t_size meta_count() const = 0;                                      // 4
  virtual const char* meta_name(t_size p_index) const = 0;                    // 5
  virtual t_size meta_value_count(t_size p_index) const = 0;                  // 6
  virtual const char* meta_value(t_size p_index, t_size p_value) const = 0;   // 7
  // 8: the first field so named, or ~0. meta_find_ex_default is the shared implementation.
  virtual t_size meta_find_ex(const char* p_name, t_size p_name_length) const = 0;
  // 9: the field afterwards holds this one value; its index.
  virtual t_size meta_set_ex(const char* p_name, t_size p_name_length, const char* p_value,
                             t_size p_value_length) = 0;
  virtual void meta_insert_value_ex(t_size p_index, t_size p_value, const char* p_text,
                                    t_size p_text_length) = 0;                // 10
  virtual void meta_remove_mask(const bit_array& p_mask) = 0;                 // 11
  virtual void placeholder_12() {}
  virtual void meta_remove_values(t_size p_index, const bit_array& p_mask) = 0;  // 13
  virtual void placeholder_14() {}
  virtual t_size info_count() const = 0;                                      // 15
  virtual const char* info_name(t_size p_index) const = 0;                    // 16
  virtual const char* info_value(t_size p_index) const = 0;                   // 17
  virtual t_size info_set_ex(const char* p_name, t_size p_name_length, const char* p_value,
                             t_size p_value_length) = 0;                      // 18
  virtual void info_remove_mask(const bit_array& p_mask) = 0;                 // 19
  virtual t_size info_find_ex(const char* p_name, t_size p_name_length) const = 0;  // 20: as 8
  virtual void placeholder_21() {}
  // 22, 23: every field of the source replaces this record's (nothing when the source is this
  // record); copy_meta_default and copy_info_default are the shared implementations.
  virtual void copy_meta(const file_info& p_source) = 0;
  virtual void copy_info(const file_info& p_source) = 0;
  virtual t_size meta_set_unchecked_ex(const char* p_name, t_size p_name_length, const char* p_value,
                                       t_size p_value_length) = 0;            // 24
  virtual t_size info_set_unchecked_ex(const char* p_name, t_size p_name_length, const char* p_value,
                                       t_size p_value_length) = 0;            // 25

  replaygain_info get_replaygain() const {
    replaygain_info info;
    return *get_replaygain(&info);
  }

  // ---- Lookups.
  t_size meta_find_ex_default(const char* p_name, t_size p_name_length) const;
  t_size info_find_ex_default(const char* p_name, t_size p_name_length) const;
  t_size meta_find(const char* p_name) const { return meta_find_ex(p_name, zut::infinite_size); }
  t_size info_find(const char* p_name) const { return info_find_ex(p_name, zut::infinite_size); }
  bool meta_exists_ex(const char* p_name, t_size p_name_length) const;
  bool meta_exists(const char* p_name) const { return meta_exists_ex(p_name, zut::infinite_size); }
  bool info_exists_ex(const char* p_name, t_size p_name_length) const;
  bool info_exists(const char* p_name) const { return info_exists_ex(p_name, zut::infinite_size); }
  t_size meta_value_count_by_name_ex(const char* p_name, t_size p_name_length) const;
  t_size meta_value_count_by_name(const char* p_name) const {
    return meta_value_count_by_name_ex(p_name, zut::infinite_size);
  }
  // The value, or null when the field is absent or has no such value.
  const char* meta_get_ex(const char* p_name, t_size p_name_length, t_size p_index) const;
  const char* meta_get(const char* p_name, t_size p_index) const {
    return meta_get_ex(p_name, zut::infinite_size, p_index);
  }
  const char* info_get_ex(const char* p_name, t_size p_name_length) const;
  const char* info_get(const char* p_name) const { return info_get_ex(p_name, zut::infinite_size); }
  t_size meta_total_value_count() const;
  // Empties p_out; false when the field is absent or empty, else its values joined by ", ".
  bool meta_join_values(const char* p_name, zut::string_base& p_out) const;
  // Equal value counts and byte-equal values at every position.
  bool meta_fields_equal(t_size p_a, t_size p_b) const;

  // ---- Removal.
  void meta_remove_index(t_size p_index);
  void info_remove_index(t_size p_index);
  void meta_remove_all();
  void info_remove_all();
  void meta_remove_field_ex(const char* p_name, t_size p_name_length);
  void meta_remove_field(const char* p_name) { meta_remove_field_ex(p_name, zut::infinite_size); }
  bool info_remove_ex(const char* p_name, t_size p_name_length);
  bool info_remove(const char* p_name) { return info_remove_ex(p_name, zut::infinite_size); }
  void meta_remove_value(t_size p_index, t_size p_value);
  // No fields, length 0, no replay gain.
  void reset();

  // ---- Adding and copying.
  void meta_add_value_ex(t_size p_index, const char* p_value, t_size p_value_length);
  void meta_add_value(t_size p_index, const char* p_value) {
    meta_add_value_ex(p_index, p_value, zut::infinite_size);
  }
  t_size meta_add_ex(const char* p_name, t_size p_name_length, const char* p_value, t_size p_value_length);
  t_size meta_add(const char* p_name, const char* p_value) {
    return meta_add_ex(p_name, zut::infinite_size, p_value, zut::infinite_size);
  }
  t_size meta_set(const char* p_name, const char* p_value) {
    return meta_set_ex(p_name, zut::infinite_size, p_value, zut::infinite_size);
  }
  t_size info_set(const char* p_name, const char* p_value) {
    return info_set_ex(p_name, zut::infinite_size, p_value, zut::infinite_size);
  }
  // A field of the source, all its values (a field without values copies nothing).
  void copy_meta_field(const file_info& p_source, t_size p_index);
  void copy_meta_field_as_ex(const file_info& p_source, t_size p_index, const char* p_name, t_size p_name_length);
  void copy_meta_field_unchecked(const file_info& p_source, t_size p_index);
  void copy_meta_field_by_name_ex(const file_info& p_source, const char* p_name, t_size p_name_length);
  void copy_meta_field_by_name_unchecked_ex(const file_info& p_source, const char* p_name, t_size p_name_length);
  void copy_info_field(const file_info& p_source, t_size p_index);
  void copy_info_field_unchecked(const file_info& p_source, t_size p_index);
  void copy_info_field_by_name_ex(const file_info& p_source, const char* p_name, t_size p_name_length);
  void copy_info_field_by_name_unchecked_ex(const file_info& p_source, const char* p_name, t_size p_name_length);
  void copy_meta_default(const file_info& p_source);
  void copy_info_default(const file_info& p_source);
  // Fields, length and replay gain of the source.
  void copy(const file_info& p_source);

  // ---- Typed technical fields.
  t_int64 info_get_int(const char* p_name) const;
  double info_get_float(const char* p_name) const;
  void info_set_int(const char* p_name, t_int64 p_value);
  // The value with p_digits decimals (and "+" when p_force_sign), then " " and the unit when given.
  void info_set_float(const char* p_name, double p_value, unsigned p_digits, bool p_force_sign = false,
                      const char* p_unit = nullptr);
  t_uint64 info_get_length_in_samples() const;
  static t_uint64 time_to_samples(double p_seconds, t_uint32 p_sample_rate);
  t_uint32 info_get_bits_per_sample() const;
  // "bitrate" in kilobits per second from a file size; nothing for a length that is not positive.
  void info_set_bitrate_from_size(t_uint64 p_size, double p_length);
  void info_set_bitrate(t_int64 p_kbps) { info_set_int("bitrate", p_kbps); }
  bool info_is_lossy() const;
  static bool meta_equals(const file_info& p_a, const file_info& p_b);
  static bool info_equals(const file_info& p_a, const file_info& p_b);

  // ---- Replay gain through the record.
  void set_replaygain_album_gain(float p_value);
  void set_replaygain_track_gain(float p_value);
  void set_replaygain_album_peak(float p_value);
  void set_replaygain_track_peak(float p_value);
  void reset_replaygain() { set_replaygain(replaygain_info_absent()); }
  // True (and the record set) when the name is one of the replay-gain fields.
  bool info_set_replaygain_field_ex(const char* p_name, t_size p_name_length, const char* p_value,
                                    t_size p_value_length);
  // The replay-gain field, or else a technical field.
  void info_set_with_replaygain_ex(const char* p_name, t_size p_name_length, const char* p_value,
                                   t_size p_value_length);

 protected:
  file_info() = default;
  file_info(const file_info&) = default;
  file_info& operator=(const file_info&) = default;
  ~file_info() = default;
};
