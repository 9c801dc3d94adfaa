// The operations every file_info shares: lookups by name, removal, copying, typed technical fields,
// comparison and the replay-gain record. Each reaches the record only through its slots.

#include "file_info.h"

#include <trovaplay/sdk/service_base.h>
#include <trovaplay/shared/shared.h>
#include <zut/string_conv.h>
#include <zut/string_utils.h>

#include <cmath>
#include <cstring>

namespace {

const t_size none = zut::infinite_size;

bool same_name(const char* p_field, const char* p_name, t_size p_name_length) {
  return p_field != nullptr && stricmp_utf8_ex(p_field, none, p_name, p_name_length) == 0;
}

bool same_text(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return strcmp(a, b) == 0;
}

void check_name(const char* name, unsigned line) {
  TROVA_SERVICE_ASSERT(zut::is_valid_utf8(name), L"file_info", line);
}

}  // namespace

// ---- Lookups

t_size file_info::meta_find_ex_default(const char* p_name, t_size p_name_length) const {
  const t_size count = meta_count();
  for (t_size i = 0; i < count; ++i)
    if (same_name(meta_name(i), p_name, p_name_length)) return i;
  return none;
}

t_size file_info::info_find_ex_default(const char* p_name, t_size p_name_length) const {
  const t_size count = info_count();
  for (t_size i = 0; i < count; ++i)
    if (same_name(info_name(i), p_name, p_name_length)) return i;
  return none;
}

bool file_info::meta_exists_ex(const char* p_name, t_size p_name_length) const {
  return meta_find_ex(p_name, p_name_length) != none;
}

bool file_info::info_exists_ex(const char* p_name, t_size p_name_length) const {
  return info_find_ex(p_name, p_name_length) != none;
}

t_size file_info::meta_value_count_by_name_ex(const char* p_name, t_size p_name_length) const {
  const t_size index = meta_find_ex(p_name, p_name_length);
  return index == none ? 0 : meta_value_count(index);
}

const char* file_info::meta_get_ex(const char* p_name, t_size p_name_length, t_size p_index) const {
  const t_size index = meta_find_ex(p_name, p_name_length);
  if (index == none || p_index >= meta_value_count(index)) return nullptr;
  return meta_value(index, p_index);
}

const char* file_info::info_get_ex(const char* p_name, t_size p_name_length) const {
  const t_size index = info_find_ex(p_name, p_name_length);
  return index == none ? nullptr : info_value(index);
}

t_size file_info::meta_total_value_count() const {
  t_size total = 0;
  const t_size count = meta_count();
  for (t_size i = 0; i < count; ++i) total += meta_value_count(i);
  return total;
}

bool file_info::meta_join_values(const char* p_name, zut::string_base& p_out) const {
  p_out.reset();
  const t_size index = meta_find(p_name);
  if (index == none) return false;
  const t_size count = meta_value_count(index);
  if (count == 0) return false;
  for (t_size v = 0; v < count; ++v) {
    if (v > 0) p_out.add_string(", ");
    const char* value = meta_value(index, v);
    if (value) p_out.add_string(value);
  }
  return true;
}

bool file_info::meta_fields_equal(t_size p_a, t_size p_b) const {
  const t_size count = meta_value_count(p_a);
  if (count != meta_value_count(p_b)) return false;
  for (t_size v = 0; v < count; ++v)
    if (!same_text(meta_value(p_a, v), meta_value(p_b, v))) return false;
  return true;
}

// ---- Removal

void file_info::meta_remove_index(t_size p_index) { meta_remove_mask(bit_array_one(p_index)); }
void file_info::info_remove_index(t_size p_index) { info_remove_mask(bit_array_one(p_index)); }
void file_info::meta_remove_all() { meta_remove_mask(bit_array_true()); }
void file_info::info_remove_all() { info_remove_mask(bit_array_true()); }

void file_info::meta_remove_field_ex(const char* p_name, t_size p_name_length) {
  const t_size index = meta_find_ex(p_name, p_name_length);
  if (index != none) meta_remove_index(index);
}

bool file_info::info_remove_ex(const char* p_name, t_size p_name_length) {
  const t_size index = info_find_ex(p_name, p_name_length);
  if (index == none) return false;
  info_remove_index(index);
  return true;
}

void file_info::meta_remove_value(t_size p_index, t_size p_value) {
  meta_remove_values(p_index, bit_array_one(p_value));
}

void file_info::reset() {
  info_remove_all();
  meta_remove_all();
  set_length(0.0);
  reset_replaygain();
}

// ---- Adding and copying

void file_info::meta_add_value_ex(t_size p_index, const char* p_value, t_size p_value_length) {
  meta_insert_value_ex(p_index, meta_value_count(p_index), p_value, p_value_length);
}

t_size file_info::meta_add_ex(const char* p_name, t_size p_name_length, const char* p_value,
                              t_size p_value_length) {
  const t_size index = meta_find_ex(p_name, p_name_length);
  if (index == none) return meta_set_unchecked_ex(p_name, p_name_length, p_value, p_value_length);
  meta_add_value_ex(index, p_value, p_value_length);
  return index;
}

namespace {

// Copies every value of a source field: the first through `set`, the rest appended to the field it
// made. A field without values copies nothing (an empty first value would invent one).
template <class Set>
void copy_values(file_info& p_target, const file_info& p_source, t_size p_index, Set set) {
  const t_size count = p_source.meta_value_count(p_index);
  if (count == 0) return;
  const char* first = p_source.meta_value(p_index, 0);
  const t_size target = set(first ? first : "");
  if (target == none) return;
  for (t_size v = 1; v < count; ++v) {
    const char* value = p_source.meta_value(p_index, v);
    p_target.meta_add_value(target, value ? value : "");
  }
}

}  // namespace

void file_info::copy_meta_field(const file_info& p_source, t_size p_index) {
  copy_meta_field_as_ex(p_source, p_index, p_source.meta_name(p_index), none);
}

void file_info::copy_meta_field_as_ex(const file_info& p_source, t_size p_index, const char* p_name,
                                      t_size p_name_length) {
  copy_values(*this, p_source, p_index,
              [&](const char* first) { return meta_set_ex(p_name, p_name_length, first, none); });
}

void file_info::copy_meta_field_unchecked(const file_info& p_source, t_size p_index) {
  const char* name = p_source.meta_name(p_index);
  copy_values(*this, p_source, p_index,
              [&](const char* first) { return meta_set_unchecked_ex(name, none, first, none); });
}

void file_info::copy_meta_field_by_name_ex(const file_info& p_source, const char* p_name, t_size p_name_length) {
  const t_size index = p_source.meta_find_ex(p_name, p_name_length);
  if (index != none) copy_meta_field(p_source, index);
}

void file_info::copy_meta_field_by_name_unchecked_ex(const file_info& p_source, const char* p_name,
                                                     t_size p_name_length) {
  const t_size index = p_source.meta_find_ex(p_name, p_name_length);
  if (index != none) copy_meta_field_unchecked(p_source, index);
}

void file_info::copy_info_field(const file_info& p_source, t_size p_index) {
  info_set_ex(p_source.info_name(p_index), none, p_source.info_value(p_index), none);
}

void file_info::copy_info_field_unchecked(const file_info& p_source, t_size p_index) {
  info_set_unchecked_ex(p_source.info_name(p_index), none, p_source.info_value(p_index), none);
}

void file_info::copy_info_field_by_name_ex(const file_info& p_source, const char* p_name, t_size p_name_length) {
  const t_size index = p_source.info_find_ex(p_name, p_name_length);
  if (index != none) copy_info_field(p_source, index);
}

void file_info::copy_info_field_by_name_unchecked_ex(const file_info& p_source, const char* p_name,
                                                     t_size p_name_length) {
  const t_size index = p_source.info_find_ex(p_name, p_name_length);
  if (index != none) copy_info_field_unchecked(p_source, index);
}

void file_info::copy_meta_default(const file_info& p_source) {
  if (&p_source == this) return;
  meta_remove_all();
  const t_size count = p_source.meta_count();
  for (t_size i = 0; i < count; ++i) copy_meta_field_unchecked(p_source, i);
}

void file_info::copy_info_default(const file_info& p_source) {
  if (&p_source == this) return;
  info_remove_all();
  const t_size count = p_source.info_count();
  for (t_size i = 0; i < count; ++i) copy_info_field_unchecked(p_source, i);
}

void file_info::copy(const file_info& p_source) {
  if (&p_source == this) return;
  copy_meta(p_source);
  copy_info(p_source);
  set_length(p_source.get_length());
  set_replaygain(p_source.get_replaygain());
}

// ---- Typed technical fields

t_int64 file_info::info_get_int(const char* p_name) const {
  check_name(p_name, 184);
  const char* value = info_get(p_name);
  return value ? zut::atoi64_ex(value) : 0;
}

double file_info::info_get_float(const char* p_name) const {
  const char* value = info_get(p_name);
  return value ? zut::string_to_float(value) : 0.0;
}

void file_info::info_set_int(const char* p_name, t_int64 p_value) {
  check_name(p_name, 212);
  info_set(p_name, zut::format_int(p_value));
}

void file_info::info_set_float(const char* p_name, double p_value, unsigned p_digits, bool p_force_sign,
                               const char* p_unit) {
  check_name(p_name, 220);
  if (p_unit != nullptr && strlen(p_unit) > 64) service_assert_failed(L"unit==0 || strlen(unit) <= 64", L"file_info", 221);
  // 63 characters of number, " ", at most 64 of unit and the NUL: a longer unit is cut, so the
  // text never runs past the buffer.
  char text[64 + 1 + 64 + 1];
  zut::float_to_string(text, 64, p_value, p_digits, p_force_sign);
  if (p_unit != nullptr) {
    size_t length = strlen(text);
    text[length++] = ' ';
    size_t unit = 0;
    while (unit < 64 && p_unit[unit] != 0) text[length++] = p_unit[unit++];
    text[length] = 0;
  }
  info_set(p_name, text);
}

t_uint64 file_info::info_get_length_in_samples() const {
  const t_int64 rate = info_get_int("samplerate");
  const double length = get_length();
  if (rate <= 0 || !(length > 0)) return 0;
  return time_to_samples(length, static_cast<t_uint32>(rate));
}

t_uint64 file_info::time_to_samples(double p_seconds, t_uint32 p_sample_rate) {
  const double samples = std::floor(double(p_sample_rate) * p_seconds + 0.5);
  if (!(samples > 0)) return 0;
  if (samples >= 18446744073709551615.0) return ~t_uint64(0);
  return static_cast<t_uint64>(samples);
}

t_uint32 file_info::info_get_bits_per_sample() const {
  for (const char* name : {"decoded_bitspersample", "bitspersample"}) {
    const t_int64 bits = info_get_int(name);
    if (bits >= 1 && bits <= 256) return static_cast<t_uint32>(bits);
  }
  return 0;
}

void file_info::info_set_bitrate_from_size(t_uint64 p_size, double p_length) {
  // A length that is not a positive finite number gives no bitrate (rather than a division by 0).
  if (!(p_length > 0) || !std::isfinite(p_length)) return;
  const double kbps = std::floor(double(p_size) * 8.0 / (p_length * 1000.0) + 0.5);
  if (!(kbps < 9.2e18)) return;
  info_set_bitrate(static_cast<t_int64>(kbps));
}

bool file_info::info_is_lossy() const {
  const char* encoding = info_get("encoding");
  if (encoding != nullptr) return stricmp_utf8(encoding, "lossy") == 0;
  return !info_exists("bitspersample");
}

bool file_info::meta_equals(const file_info& p_a, const file_info& p_b) {
  const t_size count = p_a.meta_count();
  if (count != p_b.meta_count()) return false;
  for (t_size i = 0; i < count; ++i) {
    const t_size j = p_b.meta_find(p_a.meta_name(i));
    if (j == none) return false;
    const t_size values = p_a.meta_value_count(i);
    if (values != p_b.meta_value_count(j)) return false;
    for (t_size v = 0; v < values; ++v)
      if (!same_text(p_a.meta_value(i, v), p_b.meta_value(j, v))) return false;
  }
  return true;
}

bool file_info::info_equals(const file_info& p_a, const file_info& p_b) {
  const t_size count = p_a.info_count();
  if (count != p_b.info_count()) return false;
  for (t_size i = 0; i < count; ++i) {
    const char* other = p_b.info_get(p_a.info_name(i));
    if (other == nullptr || !same_text(p_a.info_value(i), other)) return false;
  }
  return true;
}

// ---- Replay gain

namespace {
// Gets the record, replaces one value, sets it back.
void set_replaygain_value(file_info& p_info, float replaygain_info::*p_field, float p_value) {
  replaygain_info info = p_info.get_replaygain();
  info.*p_field = p_value;
  p_info.set_replaygain(info);
}
}  // namespace

void file_info::set_replaygain_album_gain(float p_value) {
  set_replaygain_value(*this, &replaygain_info::m_album_gain, p_value);
}
void file_info::set_replaygain_track_gain(float p_value) {
  set_replaygain_value(*this, &replaygain_info::m_track_gain, p_value);
}
void file_info::set_replaygain_album_peak(float p_value) {
  set_replaygain_value(*this, &replaygain_info::m_album_peak, p_value);
}
void file_info::set_replaygain_track_peak(float p_value) {
  set_replaygain_value(*this, &replaygain_info::m_track_peak, p_value);
}

bool file_info::info_set_replaygain_field_ex(const char* p_name, t_size p_name_length, const char* p_value,
                                             t_size p_value_length) {
  replaygain_info info = get_replaygain();
  if (!info.set_from_meta(p_name, p_name_length, p_value, p_value_length)) return false;
  set_replaygain(info);
  return true;
}

void file_info::info_set_with_replaygain_ex(const char* p_name, t_size p_name_length, const char* p_value,
                                            t_size p_value_length) {
  if (!info_set_replaygain_field_ex(p_name, p_name_length, p_value, p_value_length))
    info_set_ex(p_name, p_name_length, p_value, p_value_length);
}
