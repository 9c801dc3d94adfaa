// Stream defaults and helpers, the abort callback and its waits.
//
// stream_transfer (reader, writer, bytes):
//   1. one buffer of min(bytes, 8 MiB), allocated once;
//   2. while not all bytes are done: check the abort callback, read a piece of at most 8 MiB, stop at
//      a read of 0 bytes, write what came;
//   3. return the bytes moved (a short read does not end the loop).

#include <trovaplay/sdk/exception_io.h>
#include <trovaplay/sdk/stream.h>
#include <zut/array.h>
#include <zut/string.h>

#include <cmath>
#include <cstring>

namespace trovaplay_io {

// ---- Abort callback and waits.

void abort_callback::check() {
  if (is_aborted()) throw exception_aborted();
}

bool abort_callback::wait_or_abort(double p_seconds) { return !wait_event_seconds(abort_event(), p_seconds); }

void abort_callback::sleep(double p_seconds) {
  if (!wait_or_abort(p_seconds)) throw exception_aborted();
}

abort_callback_impl::abort_callback_impl() : m_aborting(false), m_event(nullptr) {
  SetLastError(0);
  m_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (m_event == nullptr) throw exception_win32(GetLastError());
}

abort_callback_impl::~abort_callback_impl() {
  HANDLE event = m_event;
  m_event = nullptr;
  if (event) CloseHandle(event);
}

void abort_callback_impl::abort() {
  m_aborting = true;
  if (m_event) SetEvent(m_event);
}

std::uint32_t timeout_to_milliseconds(double p_seconds) {
  if (p_seconds < 0) return INFINITE;
  if (!(p_seconds > 0)) return 0;  // 0 or not a number
  const float milliseconds = static_cast<float>(p_seconds * 1000.0);
  // The longest finite wait: INFINITE itself means no limit, and larger values do not fit.
  const float longest = 4294967294.0f;
  if (!(milliseconds < longest)) return INFINITE - 1;
  const std::uint32_t rounded = static_cast<std::uint32_t>(std::floor(milliseconds + 0.5f));
  return rounded == 0 ? 1 : rounded;
}

bool wait_event_seconds(HANDLE p_event, double p_seconds) {
  SetLastError(0);
  const DWORD result = WaitForSingleObject(p_event, timeout_to_milliseconds(p_seconds));
  switch (result) {
    case WAIT_OBJECT_0:
      return true;
    case WAIT_TIMEOUT:
      return false;
    case WAIT_FAILED:
      throw exception_win32(GetLastError());
    default:
      throw zut::exception_bug_check();
  }
}

// ---- Reader defaults.

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
    if (got > piece) got = piece;  // a reader that claims more than asked is held to the piece
    done += got;
    if (got != piece) break;
  }
  return done;
}

void stream_reader::skip_exact(std::uint64_t p_bytes, abort_callback& p_abort) {
  if (skip(p_bytes, p_abort) != p_bytes) throw exception_io_data_truncation();
}

// ---- Strings.

namespace {

// Largest piece read at once by read_counted_string: a hostile count meets the end of a short stream
// before it costs a large allocation.
const std::uint32_t counted_string_piece = 0x10000;

}  // namespace

void read_counted_string(stream_reader& p_stream, zut::string_base& p_out, abort_callback& p_abort) {
  unsigned char count_bytes[4];
  p_stream.read_exact(count_bytes, sizeof(count_bytes), p_abort);
  const std::uint32_t count = get_u32(count_bytes);
  if (count == ~std::uint32_t(0)) throw exception_io_data();  // no room for the NUL
  // The text grows as it arrives, in a buffer of its own; the string changes only at the end.
  zut::array_t<char, zut::alloc_fast_aggressive> text;
  std::uint32_t done = 0;
  while (done < count) {
    const std::uint32_t piece = count - done < counted_string_piece ? count - done : counted_string_piece;
    text.set_size(done + piece);
    p_stream.read_exact(text.get_ptr() + done, piece, p_abort);
    done += piece;
  }
  p_out.set_string(count ? text.get_ptr() : "", count);
}

void read_raw_string(stream_reader& p_stream, zut::string_base& p_out, abort_callback& p_abort) {
  zut::string8_t<zut::alloc_fast_aggressive> text;
  char piece[256];
  for (;;) {
    std::uint32_t got = p_stream.read(piece, sizeof(piece), p_abort);
    if (got > sizeof(piece)) got = sizeof(piece);  // never past the piece, whatever the reader claims
    text.add_string(piece, got);
    if (got < sizeof(piece)) break;
  }
  p_out.set_string(text.get_ptr(), text.get_length());
}

void write_counted_string(stream_writer& p_stream, const char* p_text, abort_callback& p_abort) {
  const std::size_t length = p_text ? std::strlen(p_text) : 0;
  if (length > ~std::uint32_t(0)) throw zut::exception_overflow();
  unsigned char count_bytes[4];
  put_u32(count_bytes, static_cast<std::uint32_t>(length));
  p_stream.write(count_bytes, sizeof(count_bytes), p_abort);
  if (length) p_stream.write(p_text, static_cast<std::uint32_t>(length), p_abort);
}

void write_raw_string(stream_writer& p_stream, const char* p_text, abort_callback& p_abort) {
  const std::size_t length = p_text ? std::strlen(p_text) : 0;
  if (length > ~std::uint32_t(0)) throw zut::exception_overflow();
  if (length) p_stream.write(p_text, static_cast<std::uint32_t>(length), p_abort);
}

// ---- Transfers.

std::uint64_t stream_transfer(stream_reader& p_source, stream_writer& p_dest, std::uint64_t p_bytes,
                              abort_callback& p_abort) {
  const std::uint32_t largest = 0x800000;
  // 1.
  zut::array_t<t_uint8, zut::alloc_standard> buffer;
  buffer.set_size(p_bytes < largest ? static_cast<t_size>(p_bytes) : largest);
  // 2.
  std::uint64_t done = 0;
  while (done < p_bytes) {
    p_abort.check();
    const std::uint64_t left = p_bytes - done;
    const std::uint32_t piece = left < largest ? static_cast<std::uint32_t>(left) : largest;
    std::uint32_t got = p_source.read(buffer.get_ptr(), piece, p_abort);
    if (got == 0) break;
    if (got > piece) got = piece;  // a reader that claims more than asked is held to the piece
    p_dest.write(buffer.get_ptr(), got, p_abort);
    done += got;
  }
  // 3.
  return done;
}

void stream_transfer_exact(stream_reader& p_source, stream_writer& p_dest, std::uint64_t p_bytes,
                           abort_callback& p_abort) {
  if (stream_transfer(p_source, p_dest, p_bytes, p_abort) != p_bytes) throw exception_io_data_truncation();
}

}  // namespace trovaplay_io
