#pragma once
// Byte streams and the abort callback as they cross the host boundary (the host hands a writer and a
// reader to the client object's get_config / set_config). Interfaces without a base: slots counted
// from 0 in declaration order, no destructor slot.

#include <windows.h>

#include <cstdint>

namespace zut {
class string_base;
}

namespace trovaplay_io {

class abort_callback {
 public:
  virtual bool is_aborted() = 0;     // slot 0
  virtual HANDLE abort_event() = 0;  // slot 1

  // Throws exception_aborted ("User abort") when aborted.
  void check();
  // Waits on the abort event: true when the time ran out, false when the event was signalled.
  bool wait_or_abort(double p_seconds);
  // wait_or_abort; throws exception_aborted when the event was signalled.
  void sleep(double p_seconds);

 protected:
  abort_callback() = default;
  abort_callback(const abort_callback&) = default;
  abort_callback& operator=(const abort_callback&) = default;
  ~abort_callback() = default;
};

// A flag and a manual-reset event (created non-signalled); nothing in the component sets them.
class abort_callback_impl : public abort_callback {
 public:
  // Throws exception_win32 when the event cannot be made.
  abort_callback_impl();
  ~abort_callback_impl();
  abort_callback_impl(const abort_callback_impl&) = delete;
  abort_callback_impl& operator=(const abort_callback_impl&) = delete;
  bool is_aborted() override { return m_aborting; }
  HANDLE abort_event() override { return m_event; }
  // For the host: sets the flag and signals the event.
  void abort();

 private:
  bool m_aborting;
  HANDLE m_event;
};

class stream_reader {
 public:
  // 0: delivers at most p_bytes; fewer only at the end of the data.
  virtual std::uint32_t read(void* p_buffer, std::uint32_t p_bytes, abort_callback& p_abort) = 0;
  // 1: read; a short count throws exception_io_data_truncation.
  virtual void read_exact(void* p_buffer, std::uint32_t p_bytes, abort_callback& p_abort);
  // 2: reads and drops up to p_bytes in pieces of at most 256; returns the bytes skipped.
  virtual std::uint64_t skip(std::uint64_t p_bytes, abort_callback& p_abort);
  // 3: skip; throws exception_io_data_truncation unless exactly p_bytes were skipped.
  virtual void skip_exact(std::uint64_t p_bytes, abort_callback& p_abort);

 protected:
  stream_reader() = default;
  stream_reader(const stream_reader&) = default;
  stream_reader& operator=(const stream_reader&) = default;
  ~stream_reader() = default;
};

class stream_writer {
 public:
  // 0: writes all p_bytes (throws on failure).
  virtual void write(const void* p_buffer, std::uint32_t p_bytes, abort_callback& p_abort) = 0;

 protected:
  stream_writer() = default;
  stream_writer(const stream_writer&) = default;
  stream_writer& operator=(const stream_writer&) = default;
  ~stream_writer() = default;
};

// ---- Waits.

// The time-out for a wait: seconds above 0 in milliseconds (rounded to the nearest, at least 1);
// below 0 no limit (INFINITE); 0 or not a number 0.
std::uint32_t timeout_to_milliseconds(double p_seconds);
// Waits for the event: true when it was signalled, false when the time ran out. A failed wait throws
// exception_win32 with the thread's last error; any other result of the wait is a bug check.
bool wait_event_seconds(HANDLE p_event, double p_seconds);

// ---- Stream helpers.

// A little-endian u32 byte count, then that many bytes as the text (ending at an embedded NUL).
// On any failure the string keeps its old text; a count that leaves no room for the NUL throws
// exception_io_data, a stream shorter than the count exception_io_data_truncation.
void read_counted_string(stream_reader& p_stream, zut::string_base& p_out, abort_callback& p_abort);
// Everything up to the end of the stream, read in pieces of 256 bytes, as the text.
void read_raw_string(stream_reader& p_stream, zut::string_base& p_out, abort_callback& p_abort);
// The byte length as a little-endian u32, then the bytes without terminator.
void write_counted_string(stream_writer& p_stream, const char* p_text, abort_callback& p_abort);
// The bytes only.
void write_raw_string(stream_writer& p_stream, const char* p_text, abort_callback& p_abort);

// Copies up to p_bytes from the reader to the writer through one buffer of at most 8 MiB; stops
// early only at a read that delivers nothing. Returns the bytes moved.
std::uint64_t stream_transfer(stream_reader& p_source, stream_writer& p_dest, std::uint64_t p_bytes,
                              abort_callback& p_abort);
// stream_transfer; fewer bytes than asked throw exception_io_data_truncation.
void stream_transfer_exact(stream_reader& p_source, stream_writer& p_dest, std::uint64_t p_bytes,
                           abort_callback& p_abort);

// Little-endian 32-bit values in byte buffers (counts and sizes in streams and stored variables).
inline void put_u32(unsigned char* p_out, std::uint32_t p_value) {
  for (int n = 0; n < 4; n++) p_out[n] = static_cast<unsigned char>(p_value >> (8 * n));
}
inline std::uint32_t get_u32(const unsigned char* p_in) {
  return std::uint32_t(p_in[0]) | std::uint32_t(p_in[1]) << 8 | std::uint32_t(p_in[2]) << 16 |
         std::uint32_t(p_in[3]) << 24;
}

}  // namespace trovaplay_io
