#pragma once
// Title formatting, the component's side: the host owns the language, its compiler and its
// formatter; this layer holds the interfaces they meet through (text output, hooks that answer
// fields and functions, text filters), the compile step with its fallback, and helpers.
//
//   titleformat_compile_safe     compile a text; "%filename%" when it does not compile
//   titleformat_hook_impl_file_info / _splitter   hooks over a track's location and record
//   filter_reserved_chars, remove_color_marks     character filtering
//   get_core_version_text        the host's version text
//
// All output is UTF-8. Every interface here crosses the host boundary: slots in declaration order,
// no virtual destructors.

#include <trovaplay/sdk/file_info.h>
#include <trovaplay/sdk/playable_location.h>
#include <trovaplay/sdk/replaygain.h>
#include <trovaplay/sdk/service.h>
#include <trovaplay/sdk/titleformat_script.h>
#include <zut/string.h>

// Input types: every piece of output is tagged with one.
// {CD839C8E-5C66-4AE1-8DAD-711F86000AE3}: values from tags and technical fields, their separators,
// the "0"s that fill numbers to a width.
constexpr GUID titleformat_input_type_meta = {0xCD839C8E, 0x5C66, 0x4AE1, {0x8D, 0xAD, 0x71, 0x1F, 0x86, 0x00, 0x0A, 0xE3}};
// {673AA1CD-A7A8-40C8-BF9B-34379929163B}: paths, file names, sub-song numbers, lengths, extra fields.
constexpr GUID titleformat_input_type_other = {0x673AA1CD, 0xA7A8, 0x40C8, {0xBF, 0x9B, 0x34, 0x37, 0x99, 0x29, 0x16, 0x3B}};

// Where a formatter writes. Slot 0.
class titleformat_text_out {
 public:
  // The text ends at its NUL or after p_length bytes, whichever comes first.
  virtual void write(const GUID& p_inputtype, const char* p_text, t_size p_length = zut::infinite_size) = 0;

  void write_int(const GUID& p_inputtype, t_int64 p_value);
  // Exactly as many characters as p_reference has decimal digits (at least 1): the value filled on
  // the left with "0", of which the last that many are written.
  void write_int_padded(const GUID& p_inputtype, t_int64 p_value, t_int64 p_reference);

 protected:
  titleformat_text_out() = default;
  ~titleformat_text_out() = default;
};

// Appends everything to a string, whatever its input type.
class titleformat_text_out_impl_string : public titleformat_text_out {
 public:
  explicit titleformat_text_out_impl_string(zut::string_base& p_string) : m_string(p_string) {}
  void write(const GUID& p_inputtype, const char* p_text, t_size p_length = zut::infinite_size) override;

 private:
  zut::string_base& m_string;
};

// The arguments of a function call ($name(a, b)), as text. Slots 0 and 1.
class titleformat_function_params {
 public:
  virtual t_size get_param_count() = 0;
  // Argument text, not NUL-terminated.
  virtual void get_param(t_size p_index, const char*& p_text, t_size& p_length) = 0;

  // The argument's leading decimal digits as an unsigned number.
  unsigned get_param_uint(t_size p_index);

 protected:
  titleformat_function_params() = default;
  ~titleformat_function_params() = default;
};

// Answers fields (%name%) and functions ($name(...)) for a formatter. Handled: this hook knows the
// name (the formatter asks no further); found: a value was produced (conditional sections test it).
class titleformat_hook {
 public:
  virtual bool process_field(titleformat_text_out* p_out, const char* p_name, t_size p_name_length,
                             bool& p_found) = 0;                                           // 0
  virtual bool process_function(titleformat_text_out* p_out, const char* p_name, t_size p_name_length,
                                titleformat_function_params* p_params, bool& p_found) = 0;  // 1

 protected:
  titleformat_hook() = default;
  ~titleformat_hook() = default;
};

// Changes the formatter's output on its way into the result. Slot 0 appends to p_out.
class titleformat_text_filter {
 public:
  virtual void write(const GUID& p_inputtype, zut::string_base& p_out, const char* p_text,
                     t_size p_length) = 0;

 protected:
  titleformat_text_filter() = default;
  ~titleformat_text_filter() = default;
};

// Host service class {3F7674AB-044C-4796-8801-6C443C244D88}: the one compiler. Slot 3.
class titleformat_compiler : public service_base {
  TROVA_SERVICE_INTERFACE({0x3F7674AB, 0x044C, 0x4796, {0x88, 0x01, 0x6C, 0x44, 0x3C, 0x24, 0x4D, 0x88}})
 public:
  // True and p_out set to the compiled script; false when the text does not compile.
  virtual bool compile(service_ptr_t<titleformat_script>& p_out, const char* p_spec) = 0;

 protected:
  titleformat_compiler() = default;
  ~titleformat_compiler() = default;
};

// Host service class {0C36A649-9EA0-4F48-B229-0CB2AA9AB6F4}: the host's version. Slot 3.
class core_version_info : public service_base {
  TROVA_SERVICE_INTERFACE({0x0C36A649, 0x9EA0, 0x4F48, {0xB2, 0x29, 0x0C, 0xB2, 0xAA, 0x9A, 0xB6, 0xF4}})
 public:
  virtual const char* get_version_string() = 0;  // UTF-8, owned by the host

 protected:
  core_version_info() = default;
  ~core_version_info() = default;
};

// ---- Compiling and running ------------------------------------------------------------------------

// Compiles p_spec (null: "") with the one compiler service; false, p_out empty or unchanged, when the
// text does not compile (service lookup exceptions pass).
bool titleformat_compile(service_ptr_t<titleformat_script>& p_out, const char* p_spec);
// Compiles p_spec; when it does not compile, "%filename%"; when that fails too, throws
// zut::exception_bug_check.
void titleformat_compile_safe(titleformat_compiler& p_compiler, service_ptr_t<titleformat_script>& p_out,
                              const char* p_spec);
// The same with the one compiler service looked up for the call (service lookup exceptions pass).
void titleformat_compile_safe(service_ptr_t<titleformat_script>& p_out, const char* p_spec);
// Compiles into a temporary script and runs it with the hook; "[COMPILATION ERROR]" when it does
// not compile.
void titleformat_compile_and_run(titleformat_compiler& p_compiler, titleformat_hook* p_hook,
                                 zut::string_base& p_out, const char* p_spec);
// Runs the script over a track's location and record; a caller hook (may be null) is asked after
// the record's hook.
void titleformat_run_with_file_info(titleformat_script& p_script, const playable_location& p_location,
                                    const file_info& p_info, titleformat_hook* p_hook,
                                    zut::string_base& p_out, titleformat_text_filter* p_filter);
void titleformat_run_simple_with_file_info(titleformat_script& p_script, const playable_location& p_location,
                                           const file_info& p_info, zut::string_base& p_out);

// The host's version text (exactly one core_version_info service; else the lookup's exception).
const char* get_core_version_text();

// ---- Character filters ----------------------------------------------------------------------------

// Appends the text, every character found in p_reserved replaced by "_". A byte that does not start
// a valid UTF-8 character ends the text.
void filter_reserved_chars(zut::string_base& p_out, const char* p_text, t_size p_length, const char* p_reserved);
// The same into an emptied string.
void filter_reserved_chars_set(zut::string_base& p_out, const char* p_text, t_size p_length, const char* p_reserved);
// The text without colour marks (byte 3 opens a mark, the next byte 3 closes it; an unclosed mark
// drops the rest), into an emptied string.
void remove_color_marks(const char* p_text, zut::string_base& p_out);

class reserved_char_filter_text_out : public titleformat_text_out {
 public:
  reserved_char_filter_text_out(titleformat_text_out& p_out, const char* p_reserved)
      : m_out(p_out), m_reserved(p_reserved) {}
  void write(const GUID& p_inputtype, const char* p_text, t_size p_length = zut::infinite_size) override;

 private:
  titleformat_text_out& m_out;
  const char* m_reserved;
};

// Filters tag values (input type meta); everything else passes unchanged.
class reserved_char_text_filter : public titleformat_text_filter {
 public:
  explicit reserved_char_text_filter(const char* p_reserved) : m_reserved(p_reserved) {}
  void write(const GUID& p_inputtype, zut::string_base& p_out, const char* p_text, t_size p_length) override;

 private:
  const char* m_reserved;
};

// ---- Hooks ------------------------------------------------------------------------------------------

// Fields and functions of a track from its location and record (no lock taken: the caller holds
// what the record needs).
class titleformat_hook_impl_file_info : public titleformat_hook {
 public:
  titleformat_hook_impl_file_info(const playable_location& p_location, const file_info& p_info)
      : m_info(&p_info), m_location(&p_location) {}
  bool process_field(titleformat_text_out* p_out, const char* p_name, t_size p_name_length, bool& p_found) override;
  bool process_function(titleformat_text_out* p_out, const char* p_name, t_size p_name_length,
                        titleformat_function_params* p_params, bool& p_found) override;

  // "PATH_RAW" and "TROVAPLAY_VERSION"; false for any other name.
  bool process_extra_field(titleformat_text_out* p_out, const char* p_name, t_size p_name_length);
  // The tag field that answers an asked name ("artist" may be answered by "album artist", ...);
  // ~0 when none.
  t_size meta_field_remap(const char* p_name, t_size p_name_length) const;
  // The values of a field joined by the separators; false (nothing written) without the field.
  bool write_meta_values(titleformat_text_out* p_out, t_size p_field, const char* p_separator,
                         t_size p_separator_length, const char* p_last_separator, t_size p_last_length);
  void write_codec(titleformat_text_out* p_out);

 private:
  const file_info* m_info;
  const playable_location* m_location;
};

// Asks the first hook, then the second (either may be null).
class titleformat_hook_impl_splitter : public titleformat_hook {
 public:
  titleformat_hook_impl_splitter(titleformat_hook* p_first, titleformat_hook* p_second)
      : m_first(p_first), m_second(p_second) {}
  bool process_field(titleformat_text_out* p_out, const char* p_name, t_size p_name_length, bool& p_found) override;
  bool process_function(titleformat_text_out* p_out, const char* p_name, t_size p_name_length,
                        titleformat_function_params* p_params, bool& p_found) override;

 private:
  titleformat_hook* m_first;
  titleformat_hook* m_second;
};

// ---- Small helpers -----------------------------------------------------------------------------------

// A location's path as shown to a user: the display form of the file system that owns it
// (filesystem::g_get_display_path). While services are unavailable (a module that never had them,
// such as a host linking this layer for its hooks) the path as stored. Replaces p_out's text.
void titleformat_display_path(const char* p_path, zut::string_base& p_out);

// The record's replay-gain values as text (false, empty text, when absent).
bool titleformat_album_gain(const file_info& p_info, char p_out[replaygain_info::text_buffer_size]);
bool titleformat_track_gain(const file_info& p_info, char p_out[replaygain_info::text_buffer_size]);
bool titleformat_album_peak(const file_info& p_info, char p_out[replaygain_info::text_buffer_size]);
bool titleformat_track_peak(const file_info& p_info, char p_out[replaygain_info::text_buffer_size]);

// Appends the value with 7 decimals.
void append_float_7(zut::string_base& p_out, double p_value);

namespace zut {
// floor(x + 0.5) as a 64-bit integer (0 for a value that is not a number, bounded at the ends).
t_int64 rint64(double p_value);
// format_time of the whole seconds, then "." and N decimals of the fraction when N > 0 (N <= 9).
class format_time_ex {
 public:
  format_time_ex(double p_seconds, unsigned p_extra);
  const char* get_ptr() const { return m_buffer; }
  operator const char*() const { return m_buffer; }

 private:
  char m_buffer[64];
};
}  // namespace zut
