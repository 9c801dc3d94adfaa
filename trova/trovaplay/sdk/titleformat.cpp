// Title formatting, the component's side: text output, compiling with a fallback, running over a
// track's record, character filters and small formatters.
//
// Compile with fallback (titleformat_compile_safe):
//   1. Compile the text. Done when it compiles.
//   2. Else compile "%filename%". Done when it compiles (the caller shows the file name).
//   3. Else throw zut::exception_bug_check.
// Character filter (filter_reserved_chars):
//   1. Without reserved characters the text is written whole.
//   2. Walk the text one UTF-8 character at a time, keeping a run of ordinary characters pending.
//   3. At a reserved character write the pending run, then "_".
//   4. At the end (or at a byte that starts no valid character) write the pending run.

#include "titleformat.h"

#include <trovaplay/sdk/core_api.h>
#include <trovaplay/sdk/filesystem.h>
#include <trovaplay/shared/shared.h>
#include <zut/exception.h>
#include <zut/string_conv.h>
#include <zut/string_utils.h>

#include <cmath>
#include <cstdio>
#include <cstring>

// ---- Text output

void titleformat_text_out::write_int(const GUID& p_inputtype, t_int64 p_value) {
  write(p_inputtype, zut::format_int(p_value));
}

void titleformat_text_out::write_int_padded(const GUID& p_inputtype, t_int64 p_value, t_int64 p_reference) {
  const t_uint64 reference = p_reference < 0 ? 0 - t_uint64(p_reference) : t_uint64(p_reference);
  t_size width = t_size(strlen(zut::format_uint(reference)));
  const zut::format_int digits(p_value, width);
  const t_size length = t_size(strlen(digits));
  if (length < width) width = length;
  write(p_inputtype, digits.get_ptr() + (length - width), width);
}

void titleformat_text_out_impl_string::write(const GUID&, const char* p_text, t_size p_length) {
  if (p_text) m_string.add_string(p_text, p_length);
}

unsigned titleformat_function_params::get_param_uint(t_size p_index) {
  const char* text = nullptr;
  t_size length = 0;
  get_param(p_index, text, length);
  return text ? zut::atoui_ex(text, length) : 0;
}

// ---- Compiling and running

void titleformat_compile_safe(titleformat_compiler& p_compiler, service_ptr_t<titleformat_script>& p_out,
                              const char* p_spec) {
  // 1.
  if (p_compiler.compile(p_out, p_spec ? p_spec : "")) return;
  // 2.
  if (p_compiler.compile(p_out, "%filename%")) return;
  // 3.
  throw zut::exception_bug_check();
}

bool titleformat_compile(service_ptr_t<titleformat_script>& p_out, const char* p_spec) {
  single_service_ptr_t<titleformat_compiler> compiler;
  return compiler->compile(p_out, p_spec ? p_spec : "") && p_out.is_valid();
}

void titleformat_compile_safe(service_ptr_t<titleformat_script>& p_out, const char* p_spec) {
  single_service_ptr_t<titleformat_compiler> compiler;
  titleformat_compile_safe(*compiler.get_ptr(), p_out, p_spec);
}

void titleformat_compile_and_run(titleformat_compiler& p_compiler, titleformat_hook* p_hook,
                                 zut::string_base& p_out, const char* p_spec) {
  service_ptr_t<titleformat_script> script;
  if (p_compiler.compile(script, p_spec ? p_spec : "") && script.is_valid())
    script->run(p_hook, p_out, nullptr);
  else
    p_out.set_string("[COMPILATION ERROR]");
}

void titleformat_run_with_file_info(titleformat_script& p_script, const playable_location& p_location,
                                    const file_info& p_info, titleformat_hook* p_hook,
                                    zut::string_base& p_out, titleformat_text_filter* p_filter) {
  titleformat_hook_impl_file_info info_hook(p_location, p_info);
  if (p_hook == nullptr) {
    p_script.run(&info_hook, p_out, p_filter);
    return;
  }
  titleformat_hook_impl_splitter both(&info_hook, p_hook);
  p_script.run(&both, p_out, p_filter);
}

void titleformat_run_simple_with_file_info(titleformat_script& p_script, const playable_location& p_location,
                                           const file_info& p_info, zut::string_base& p_out) {
  titleformat_run_with_file_info(p_script, p_location, p_info, nullptr, p_out, nullptr);
}

const char* get_core_version_text() {
  single_service_ptr_t<core_version_info> info;
  return info->get_version_string();
}

// ---- Character filters

void filter_reserved_chars(zut::string_base& p_out, const char* p_text, t_size p_length, const char* p_reserved) {
  if (p_text == nullptr) return;
  // 1.
  if (p_reserved == nullptr || *p_reserved == 0) {
    p_out.add_string(p_text, p_length);
    return;
  }
  const t_size end = zut::strlen_max(p_text, p_length);
  t_size run = 0;  // start of the pending run
  t_size pos = 0;
  // 2.
  while (pos < end) {
    const t_size size = zut::utf8_char_len(p_text + pos, end - pos);
    if (size == 0) break;
    // 3. A character is reserved when its byte sequence occurs in the reserved set.
    if (zut::strstr_ex(p_reserved, zut::infinite_size, p_text + pos, size) != zut::infinite_size) {
      if (pos > run) p_out.add_string(p_text + run, pos - run);
      p_out.add_byte('_');
      run = pos + size;
    }
    pos += size;
  }
  // 4.
  if (pos > run) p_out.add_string(p_text + run, pos - run);
}

void filter_reserved_chars_set(zut::string_base& p_out, const char* p_text, t_size p_length, const char* p_reserved) {
  p_out.reset();
  filter_reserved_chars(p_out, p_text, p_length, p_reserved);
}

void remove_color_marks(const char* p_text, zut::string_base& p_out) {
  p_out.reset();
  if (p_text == nullptr) return;
  const char* run = p_text;
  for (const char* p = p_text; *p; ++p) {
    if (*p != 3) continue;
    if (p > run) p_out.add_string(run, t_size(p - run));
    const char* close = strchr(p + 1, 3);
    if (close == nullptr) return;  // an unclosed mark drops the rest
    p = close;
    run = close + 1;
  }
  if (*run) p_out.add_string(run);
}

void reserved_char_filter_text_out::write(const GUID& p_inputtype, const char* p_text, t_size p_length) {
  zut::string8_fast filtered;
  filter_reserved_chars(filtered, p_text, p_length, m_reserved);
  m_out.write(p_inputtype, filtered.get_ptr(), filtered.get_length());
}

void reserved_char_text_filter::write(const GUID& p_inputtype, zut::string_base& p_out, const char* p_text,
                                      t_size p_length) {
  if (zut::guid_equal(p_inputtype, titleformat_input_type_meta))
    filter_reserved_chars(p_out, p_text, p_length, m_reserved);
  else if (p_text)
    p_out.add_string(p_text, p_length);
}

// ---- Small helpers

void titleformat_display_path(const char* p_path, zut::string_base& p_out) {
  if (p_path == nullptr) p_path = "";
  if (core_api::are_services_available())
    filesystem::g_get_display_path(p_path, p_out);
  else
    p_out.set_string(p_path);
}

namespace {
template <class Format>
bool format_rg(const file_info& p_info, char* p_out, float replaygain_info::*p_field, Format p_format) {
  return p_format(p_info.get_replaygain().*p_field, p_out);
}
}  // namespace

bool titleformat_album_gain(const file_info& p_info, char p_out[replaygain_info::text_buffer_size]) {
  return format_rg(p_info, p_out, &replaygain_info::m_album_gain, &replaygain_info::format_gain);
}
bool titleformat_track_gain(const file_info& p_info, char p_out[replaygain_info::text_buffer_size]) {
  return format_rg(p_info, p_out, &replaygain_info::m_track_gain, &replaygain_info::format_gain);
}
bool titleformat_album_peak(const file_info& p_info, char p_out[replaygain_info::text_buffer_size]) {
  return format_rg(p_info, p_out, &replaygain_info::m_album_peak, &replaygain_info::format_peak);
}
bool titleformat_track_peak(const file_info& p_info, char p_out[replaygain_info::text_buffer_size]) {
  return format_rg(p_info, p_out, &replaygain_info::m_track_peak, &replaygain_info::format_peak);
}

void append_float_7(zut::string_base& p_out, double p_value) { p_out.add_string(zut::format_float(p_value, 0, 7)); }

namespace zut {

t_int64 rint64(double p_value) {
  const double rounded = std::floor(p_value + 0.5);
  if (!(rounded == rounded)) return 0;
  if (rounded >= 9.2233720368547758e18) return INT64_MAX;
  if (rounded <= -9.2233720368547758e18) return INT64_MIN;
  return static_cast<t_int64>(rounded);
}

format_time_ex::format_time_ex(double p_seconds, unsigned p_extra) {
  if (p_extra > 9) p_extra = 9;
  if (!(p_seconds > 0) || !std::isfinite(p_seconds)) p_seconds = 0;
  if (p_seconds > 9.2e18) p_seconds = 9.2e18;
  const t_int64 whole = static_cast<t_int64>(p_seconds);
  snprintf(m_buffer, sizeof m_buffer, "%s", format_time(whole).get_ptr());
  if (p_extra == 0) return;
  t_uint64 scale = 1;
  for (unsigned i = 0; i < p_extra; ++i) scale *= 10;
  // The whole part of seconds x 10^N, modulo 10^N.
  const double scaled = std::fmod(std::floor(p_seconds * double(scale)), double(scale));
  char format[16];
  snprintf(format, sizeof format, ".%%0%uu", p_extra);
  const size_t used = strlen(m_buffer);
  snprintf(m_buffer + used, sizeof m_buffer - used, format, static_cast<unsigned>(scaled));
}

}  // namespace zut
