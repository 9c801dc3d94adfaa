#pragma once
// Byte streams and the abort callback as they cross the host boundary (the host hands a writer and a
// reader to the client object's get_config / set_config). Interfaces without a base: slots counted
// from 0 in declaration order, no destructor slot.

#include <windows.h>

#include <cstdint>

namespace trovaplay_io {

class abort_callback {
 public:
  virtual bool is_aborted() = 0;     // slot 0
  virtual HANDLE abort_event() = 0;  // slot 1

  // Throws exception_aborted ("User abort") when aborted.
  void check();

 protected:
  abort_callback() = default;
  abort_callback(const abort_callback&) = default;
  abort_callback& operator=(const abort_callback&) = default;
  ~abort_callback() = default;
};

// A flag and a manual-reset event (created non-signalled); nothing in the component sets them.
class abort_callback_impl : public abort_callback {
 public:
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

}  // namespace trovaplay_io
