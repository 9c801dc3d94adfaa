// The hooks of title formatting: fields and functions of a track from its location and record, and
// the hook that chains two hooks.
//
// Fields (process_field): the name is compared without regard to case with the rows below, in this
// order; the first that matches decides. Names beginning with "__" read a technical field, other
// names beginning with "_" an extra field, anything else a tag field (after remapping).
// Functions (process_function): meta, meta_sep, meta_test, meta_num, info, extra, codec, channels,
// tracknumber, each with its own argument counts; any other name or count is not handled.

#include "titleformat.h"

#include <trovaplay/sdk/console.h>
#include <trovaplay/shared/shared.h>
#include <zut/string_utils.h>

#include <cstring>

namespace {

const t_size none = zut::infinite_size;
const GUID& kMeta = titleformat_input_type_meta;
const GUID& kOther = titleformat_input_type_other;

// The widest number that $tracknumber(width) fills to: a larger width is cut to it.
const unsigned kMaxTrackWidth = 64;

// A name given with its length.
struct name_ref {
  const char* text;
  t_size length;
  bool is(const char* p_what) const { return stricmp_utf8_ex(text, length, p_what, none) == 0; }
  bool is_any(std::initializer_list<const char*> p_names) const {
    for (const char* n : p_names)
      if (is(n)) return true;
    return false;
  }
  t_size size() const { return zut::strlen_max(text, length); }
};

// Writes a value filled on the left with "0" to a width.
void write_filled(titleformat_text_out* p_out, const char* p_value, t_size p_width) {
  const t_size length = t_size(strlen(p_value));
  for (t_size i = length; i < p_width; ++i) p_out->write(kMeta, "0", 1);
  p_out->write(kMeta, p_value);
}

// Writes a technical field; false when it is missing or empty.
bool write_info(titleformat_text_out* p_out, const file_info& p_info, const char* p_name, t_size p_length) {
  const char* value = p_info.info_get_ex(p_name, p_length);
  if (value == nullptr || *value == 0) return false;
  p_out->write(kMeta, value);
  return true;
}

void write_channels(titleformat_text_out* p_out, const file_info& p_info, bool& p_found) {
  const t_int64 channels = p_info.info_get_int("channels");
  if (channels == 0) p_out->write(kMeta, "N/A");
  else if (channels == 1) p_out->write(kMeta, "mono");
  else if (channels == 2) p_out->write(kMeta, "stereo");
  else {
    p_out->write_int(kMeta, channels);
    p_out->write(kMeta, "ch");
  }
  p_found = channels != 0;
}

// The first value of the first of two tags that exists, or null.
const char* first_value(const file_info& p_info, const char* p_name, const char* p_second = nullptr) {
  const char* value = p_info.meta_get(p_name, 0);
  if (value == nullptr && p_second != nullptr) value = p_info.meta_get(p_second, 0);
  return value;
}

// The file name without extension of the display path followed by "|" and the sub-song index.
void write_sort_suffix(titleformat_text_out* p_out, std::uint32_t p_subsong) {
  p_out->write(kOther, "|");
  p_out->write(kOther, zut::format_uint(p_subsong, 10));
}

// A function argument.
struct param {
  const char* text = nullptr;
  t_size length = 0;
};

param get(titleformat_function_params* p_params, t_size p_index) {
  param p;
  p_params->get_param(p_index, p.text, p.length);
  if (p.text == nullptr) p.length = 0;
  return p;
}

}  // namespace

// ---- Fields

bool titleformat_hook_impl_file_info::process_field(titleformat_text_out* p_out, const char* p_name,
                                                    t_size p_name_length, bool& p_found) {
  p_found = false;
  if (p_name == nullptr) return false;
  const name_ref name{p_name, p_name_length};
  const file_info& info = *m_info;
  const double length = info.get_length();
  // The display path asks the file systems: only the rows that show it make it.
  zut::string8_fast display;
  auto display_path = [&]() -> const char* {
    titleformat_display_path(m_location->get_path(), display);
    return display.get_ptr();
  };

  if (name.is_any({"filename", "_filename"})) {
    p_out->write(kOther, zut::string_filename(display_path()));
    p_found = true;
    return true;
  }
  if (name.is_any({"filename_ext", "_filename_ext"})) {
    p_out->write(kOther, zut::string_filename_ext(display_path()));
    p_found = true;
    return true;
  }
  if (name.is("filename_sort")) {
    p_out->write(kOther, zut::string_filename(display_path()));
    write_sort_suffix(p_out, m_location->get_subsong());
    p_found = true;
    return true;
  }
  if (name.is_any({"path", "_path"})) {
    const char* path = display_path();
    p_out->write(kOther, *path ? path : "n/a");
    p_found = true;
    return true;
  }
  if (name.is("path_sort")) {
    p_out->write(kOther, display_path());
    write_sort_suffix(p_out, m_location->get_subsong());
    p_found = true;
    return true;
  }
  if (name.is_any({"directoryname", "_directoryname", "directory"})) {
    // The folder that holds the file: the path cut before its last separator, then its last part.
    const zut::string_directory folder(display_path());
    const char* last = folder.get_ptr() + zut::scan_filename(folder.get_ptr());
    if (*last) p_out->write(kMeta, last);
    p_found = *last != 0;
    return true;
  }
  if (name.is_any({"subsong", "_subsong"})) {
    p_out->write_int(kOther, m_location->get_subsong());
    p_found = true;
    return true;
  }
  if (name.is("channels")) {
    write_channels(p_out, info, p_found);
    return true;
  }
  if (name.is("bitrate")) {
    if (!write_info(p_out, info, "bitrate_dynamic", none) && !write_info(p_out, info, "bitrate", none)) return false;
    p_found = true;
    return true;
  }
  if (name.is("samplerate")) {
    if (!write_info(p_out, info, "samplerate", none)) return false;
    p_found = true;
    return true;
  }
  if (name.is("title")) {
    const t_size field = info.meta_find("title");
    if (field == none || !write_meta_values(p_out, field, ", ", none, ", ", none)) {
      const char* path = display_path();
      const zut::string_filename file(path);
      p_out->write(kMeta, file.is_empty() ? path : file.get_ptr());
    }
    p_found = true;
    return true;
  }
  if (name.is("codec")) {
    write_codec(p_out);
    p_found = true;
    return true;
  }
  if (name.is("codec_profile")) {
    const char* value = info.info_get("codec_profile");
    if (value == nullptr) return false;
    p_out->write(kMeta, value);
    p_found = true;
    return true;
  }
  if (name.is_any({"track", "tracknumber"})) {
    const char* value = first_value(info, "tracknumber", "track");
    if (value) write_filled(p_out, value, 2);
    p_found = value != nullptr;
    return true;
  }
  if (name.is_any({"disc", "discnumber"})) {
    const char* value = first_value(info, "discnumber", "disc");
    if (value) p_out->write(kMeta, *value ? value : "0");
    p_found = value != nullptr;
    return true;
  }
  if (name.is("totaltracks")) {
    const char* value = first_value(info, "totaltracks");
    if (value) write_filled(p_out, value, 2);
    p_found = value != nullptr;
    return true;
  }
  if (name.is_any({"length", "_length", "length_ex", "_length_ex", "length_seconds", "_length_seconds",
                   "length_seconds_fp", "_length_seconds_fp"})) {
    if (!(length > 0)) return false;
    if (name.is_any({"length", "_length"})) {
      p_out->write(kOther, zut::format_time(zut::rint64(length)));
    } else if (name.is_any({"length_ex", "_length_ex"})) {
      p_out->write(kOther, zut::format_time_ex(length, 3));
    } else if (name.is_any({"length_seconds", "_length_seconds"})) {
      p_out->write_int(kOther, length >= 9.2e18 ? INT64_MAX : static_cast<t_int64>(length));
    } else {
      zut::string8_fast text;
      append_float_7(text, length);
      p_out->write(kOther, text.get_ptr());
    }
    p_found = true;
    return true;
  }
  if (name.is_any({"length_samples", "_length_samples"})) {
    const t_uint64 samples = info.info_get_length_in_samples();
    if (samples == 0) return false;
    p_out->write(kOther, zut::format_uint(samples));
    p_found = true;
    return true;
  }
  {
    bool (*const formatters[])(const file_info&, char*) = {&titleformat_album_gain, &titleformat_album_peak,
                                                            &titleformat_track_gain, &titleformat_track_peak};
    const char* const names[] = {"__replaygain_album_gain", "__replaygain_album_peak", "__replaygain_track_gain",
                                 "__replaygain_track_peak"};
    for (int i = 0; i < 4; ++i) {
      if (!name.is(names[i])) continue;
      char text[replaygain_info::text_buffer_size];
      if (!formatters[i](info, text)) return false;
      p_out->write(kMeta, text);
      p_found = true;
      return true;
    }
  }
  const t_size size = name.size();
  if (size >= 3 && p_name[0] == '_' && p_name[1] == '_') {
    if (!write_info(p_out, info, p_name + 2, size - 2)) return false;
    p_found = true;
    return true;
  }
  if (size >= 2 && p_name[0] == '_') {
    if (!process_extra_field(p_out, p_name + 1, size - 1)) return false;
    p_found = true;
    return true;
  }
  const t_size field = meta_field_remap(p_name, p_name_length);
  if (field == none || !write_meta_values(p_out, field, ", ", none, ", ", none)) return false;
  p_found = true;
  return true;
}

bool titleformat_hook_impl_file_info::process_extra_field(titleformat_text_out* p_out, const char* p_name,
                                                          t_size p_name_length) {
  const name_ref name{p_name, p_name_length};
  if (name.is("PATH_RAW")) {
    const char* path = m_location->get_path();
    p_out->write(kOther, path ? path : "");
    return true;
  }
  if (name.is("TROVAPLAY_VERSION")) {
    // The host's formatter calls this hook: a failed lookup is reported, never thrown into it.
    const char* version = nullptr;
    console::guarded("titleformat_hook_impl_file_info", [&] { version = get_core_version_text(); });
    if (version == nullptr) return false;
    p_out->write(kOther, version);
    return true;
  }
  return false;
}

t_size titleformat_hook_impl_file_info::meta_field_remap(const char* p_name, t_size p_name_length) const {
  const name_ref name{p_name, p_name_length};
  const file_info& info = *m_info;
  auto first_of = [&](std::initializer_list<const char*> p_fields) {
    for (const char* field : p_fields) {
      const t_size index = info.meta_find(field);
      if (index != none) return index;
    }
    return none;
  };
  if (name.is("album")) return first_of({"album", "venue"});
  if (name.is("artist")) return first_of({"artist", "album artist", "composer", "performer"});
  if (name.is("album artist")) return first_of({"album artist", "artist", "composer", "performer"});
  if (name.is("track artist")) {
    const t_size artist = info.meta_find("artist");
    const t_size album_artist = info.meta_find("album artist");
    if (artist == none || album_artist == none || info.meta_fields_equal(artist, album_artist)) return none;
    return artist;
  }
  return info.meta_find_ex(p_name, p_name_length);
}

bool titleformat_hook_impl_file_info::write_meta_values(titleformat_text_out* p_out, t_size p_field,
                                                        const char* p_separator, t_size p_separator_length,
                                                        const char* p_last_separator, t_size p_last_length) {
  if (p_field == none || p_field >= m_info->meta_count()) return false;
  const t_size count = m_info->meta_value_count(p_field);
  for (t_size v = 0; v < count; ++v) {
    if (v > 0) {
      if (v + 1 == count) p_out->write(kMeta, p_last_separator, p_last_length);
      else p_out->write(kMeta, p_separator, p_separator_length);
    }
    const char* value = m_info->meta_value(p_field, v);
    if (value) p_out->write(kMeta, value);
  }
  return true;
}

void titleformat_hook_impl_file_info::write_codec(titleformat_text_out* p_out) {
  const char* codec = m_info->info_get("codec");
  if (codec != nullptr) {
    p_out->write(kMeta, codec);
    return;
  }
  const char* referenced = m_info->info_get("referenced_file");
  const zut::string_extension extension(referenced ? referenced : m_location->get_path());
  zut::string8_fast upper;
  uAddStringUpper(upper, extension, none);
  p_out->write(kMeta, upper.get_ptr());
}

// ---- Functions

bool titleformat_hook_impl_file_info::process_function(titleformat_text_out* p_out, const char* p_name,
                                                       t_size p_name_length, titleformat_function_params* p_params,
                                                       bool& p_found) {
  p_found = false;
  if (p_name == nullptr || p_params == nullptr) return false;
  const name_ref name{p_name, p_name_length};
  const file_info& info = *m_info;
  const t_size count = p_params->get_param_count();

  if (name.is("meta")) {
    if (count != 1 && count != 2) return false;
    const param field_name = get(p_params, 0);
    const t_size field = info.meta_find_ex(field_name.text, field_name.length);
    if (count == 1) {
      p_found = write_meta_values(p_out, field, ", ", none, ", ", none);
      return true;
    }
    const unsigned index = p_params->get_param_uint(1);
    if (field != none && index < info.meta_value_count(field)) {
      const char* value = info.meta_value(field, index);
      if (value) p_out->write(kMeta, value);
      p_found = true;
    }
    return true;
  }
  if (name.is("meta_sep")) {
    if (count != 2 && count != 3) return false;
    const param field_name = get(p_params, 0);
    const param separator = get(p_params, 1);
    const param last = count == 3 ? get(p_params, 2) : separator;
    const t_size field = info.meta_find_ex(field_name.text, field_name.length);
    p_found = write_meta_values(p_out, field, separator.text, separator.length, last.text, last.length);
    return true;
  }
  if (name.is("meta_test")) {
    if (count < 1) return false;
    for (t_size i = 0; i < count; ++i) {
      const param field_name = get(p_params, i);
      if (info.meta_find_ex(field_name.text, field_name.length) == none) return true;
    }
    p_out->write(kMeta, "1");
    p_found = true;
    return true;
  }
  if (name.is("meta_num")) {
    if (count != 1) return false;
    const param field_name = get(p_params, 0);
    const t_size field = info.meta_find_ex(field_name.text, field_name.length);
    const t_size values = field == none ? 0 : info.meta_value_count(field);
    p_out->write_int(kMeta, values);
    p_found = values > 0;
    return true;
  }
  if (name.is("info")) {
    if (count != 1) return false;
    const param field_name = get(p_params, 0);
    const char* value = info.info_get_ex(field_name.text, field_name.length);
    if (value) p_out->write(kMeta, value);
    p_found = value != nullptr;
    return true;
  }
  if (name.is("extra")) {
    if (count != 1) return false;
    const param field_name = get(p_params, 0);
    p_found = process_extra_field(p_out, field_name.text, field_name.length);
    return true;
  }
  if (name.is("codec")) {
    if (count != 0) return false;
    write_codec(p_out);
    p_found = true;
    return true;
  }
  if (name.is("channels")) {
    if (count != 0) return false;
    write_channels(p_out, info, p_found);
    return true;
  }
  if (name.is("tracknumber")) {
    if (count > 1) return false;
    unsigned width = count == 1 ? p_params->get_param_uint(0) : 2;
    if (width > kMaxTrackWidth) width = kMaxTrackWidth;
    const char* value = info.meta_get("tracknumber", 0);
    if (value) write_filled(p_out, value, width);
    p_found = value != nullptr;
    return true;
  }
  return false;
}

// ---- Splitter

bool titleformat_hook_impl_splitter::process_field(titleformat_text_out* p_out, const char* p_name,
                                                   t_size p_name_length, bool& p_found) {
  p_found = false;
  if (m_first && m_first->process_field(p_out, p_name, p_name_length, p_found)) return true;
  p_found = false;
  if (m_second && m_second->process_field(p_out, p_name, p_name_length, p_found)) return true;
  p_found = false;
  return false;
}

bool titleformat_hook_impl_splitter::process_function(titleformat_text_out* p_out, const char* p_name,
                                                      t_size p_name_length, titleformat_function_params* p_params,
                                                      bool& p_found) {
  p_found = false;
  if (m_first && m_first->process_function(p_out, p_name, p_name_length, p_params, p_found)) return true;
  p_found = false;
  if (m_second && m_second->process_function(p_out, p_name, p_name_length, p_params, p_found)) return true;
  p_found = false;
  return false;
}
