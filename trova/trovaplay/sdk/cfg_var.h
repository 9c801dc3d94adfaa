#pragma once
// Configuration variables and the host's configuration blob: GUID-tagged records, one per variable,
// written and read through the client object (get_config / set_config).

#include <trovaplay/sdk/stream.h>
#include <zut/array.h>
#include <zut/string.h>

#include <guiddef.h>

// A configuration variable: a static object, linked in front of the process-wide list when built.
class cfg_var {
 public:
  virtual void get_data_raw(trovaplay_io::stream_writer& p_stream, trovaplay_io::abort_callback& p_abort) = 0;
  virtual void set_data_raw(trovaplay_io::stream_reader& p_stream, std::uint32_t p_size,
                            trovaplay_io::abort_callback& p_abort) = 0;

  const GUID& get_guid() const { return m_guid; }
  cfg_var* get_next() const { return m_next; }
  static cfg_var* get_list_head();

 protected:
  explicit cfg_var(const GUID& p_guid);
  ~cfg_var();
  cfg_var(const cfg_var&) = delete;
  cfg_var& operator=(const cfg_var&) = delete;

 private:
  GUID m_guid;
  cfg_var* m_next;
};

// A configuration variable holding one UTF-8 text; its payload is the text's bytes, without length
// or terminator, and reading takes the whole payload as the new text.
class string_cfg_var : public cfg_var {
 public:
  string_cfg_var(const GUID& p_guid, const char* p_default) : cfg_var(p_guid), m_value(p_default) {}
  void get_data_raw(trovaplay_io::stream_writer& p_stream, trovaplay_io::abort_callback& p_abort) override;
  void set_data_raw(trovaplay_io::stream_reader& p_stream, std::uint32_t p_size,
                    trovaplay_io::abort_callback& p_abort) override;

  const char* get_ptr() const { return m_value.get_ptr(); }
  void set(const char* p_text) { m_value = p_text; }
  operator const char*() const { return m_value.get_ptr(); }

 private:
  zut::string8_t<zut::alloc_standard> m_value;
};

// Writes every variable's record, list head first.
void cfg_var_write_all(trovaplay_io::stream_writer& p_stream, trovaplay_io::abort_callback& p_abort);
// Reads records until fewer than 16 bytes are left; records of unknown GUIDs are skipped.
void cfg_var_read_all(trovaplay_io::stream_reader& p_stream, trovaplay_io::abort_callback& p_abort);

// A reader that delivers at most a given number of bytes of another reader.
class stream_reader_limited_ref : public trovaplay_io::stream_reader {
 public:
  stream_reader_limited_ref(trovaplay_io::stream_reader& p_reader, std::uint32_t p_limit)
      : m_reader(p_reader), m_remaining(p_limit) {}
  std::uint32_t read(void* p_buffer, std::uint32_t p_bytes, trovaplay_io::abort_callback& p_abort) override;
  std::uint32_t get_remaining() const { return m_remaining; }

 private:
  trovaplay_io::stream_reader& m_reader;
  std::uint32_t m_remaining;
};

// A writer that appends to a byte array.
class stream_writer_buffer_append_ref_t : public trovaplay_io::stream_writer {
 public:
  explicit stream_writer_buffer_append_ref_t(zut::array_t<t_uint8, zut::alloc_fast_aggressive>& p_buffer)
      : m_buffer(p_buffer) {}
  void write(const void* p_buffer, std::uint32_t p_bytes, trovaplay_io::abort_callback& p_abort) override;

 private:
  zut::array_t<t_uint8, zut::alloc_fast_aggressive>& m_buffer;
};
