#pragma once
// The host's record of what is known about one track: its length, tag fields ("meta": a name with
// one or more UTF-8 values) and technical fields ("info": a name with one value). Names compare
// without regard to case; index results use ~0 for "no field". Not a service: the host owns each
// record and lends it out (a track handle's record is read under the track-information lock).
// Slots 2 and 3 (the replay-gain record) and 12, 14 and 21 (the host's own) are placeholders here.

#include <zut/bit_array.h>
#include <zut/primitives.h>

class file_info {
 public:
  virtual double get_length() const = 0;                                      // 0: seconds
  virtual void set_length(double p_length) = 0;                               // 1
  virtual void placeholder_2() {}                                             // set replay gain
  virtual void placeholder_3() {}                                             // get replay gain
  virtual t_size meta_count() const = 0;                                      // 4
  virtual const char* meta_name(t_size p_index) const = 0;                    // 5
  virtual t_size meta_value_count(t_size p_index) const = 0;                  // 6
  virtual const char* meta_value(t_size p_index, t_size p_value) const = 0;   // 7
  virtual t_size meta_find_ex(const char* p_name, t_size p_name_length) const = 0;  // 8
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
  virtual t_size info_find_ex(const char* p_name, t_size p_name_length) const = 0;  // 20
  virtual void placeholder_21() {}
  virtual void copy_meta(const file_info& p_source) = 0;                      // 22
  virtual void copy_info(const file_info& p_source) = 0;                      // 23
  virtual t_size meta_set_unchecked_ex(const char* p_name, t_size p_name_length, const char* p_value,
                                       t_size p_value_length) = 0;            // 24
  virtual t_size info_set_unchecked_ex(const char* p_name, t_size p_name_length, const char* p_value,
                                       t_size p_value_length) = 0;            // 25

 protected:
  file_info() = default;
  file_info(const file_info&) = default;
  file_info& operator=(const file_info&) = default;
  ~file_info() = default;
};
