// Stream defaults and the abort callback.

#include <trovaplay/sdk/exception_io.h>
#include <trovaplay/sdk/stream.h>

namespace trovaplay_io {

void abort_callback::check() {
  if (is_aborted()) throw exception_aborted();
}

abort_callback_impl::abort_callback_impl()
    : m_aborting(false), m_event(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

abort_callback_impl::~abort_callback_impl() {
  if (m_event) CloseHandle(m_event);
}

void abort_callback_impl::abort() {
  m_aborting = true;
  if (m_event) SetEvent(m_event);
}

void stream_reader::read_exact(void* p_buffer, std::uint32_t p_bytes, abort_callback& p_abort) {
  if (read(p_buffer, p_bytes, p_abort) != p_bytes) throw exception_io_data_truncation();
}

std::uint64_t stream_reader::skip(std::uint64_t p_bytes, abort_callback& p_abort) {
  unsigned char buffer[256];
  std::uint64_t done = 0;
  while (done < p_bytes) {
    std::uint64_t left = p_bytes - done;
    std::uint32_t piece = left < sizeof(buffer) ? static_cast<std::uint32_t>(left) : sizeof(buffer);
    std::uint32_t got = read(buffer, piece, p_abort);
    done += got;
    if (got != piece) break;
  }
  return done;
}

void stream_reader::skip_exact(std::uint64_t p_bytes, abort_callback& p_abort) {
  if (skip(p_bytes, p_abort) != p_bytes) throw exception_io_data_truncation();
}

}  // namespace trovaplay_io
