// File helpers.
//
// file_transfer_exact (source, destination, bytes):
//   1. a copy above 1024 bytes into a destination of known size that would end past its size resizes
//      the destination to the end of the copy first;
//   2. stream_transfer_exact from the source's reader to the destination's writer.

#include <trovaplay/sdk/exception_io.h>
#include <trovaplay/sdk/file.h>
#include <zut/primitives.h>

namespace trovaplay_io {

std::uint64_t file::get_known_size(abort_callback& p_abort) {
  const std::uint64_t size = get_size(p_abort);
  if (size == filesize_invalid) throw exception_io_no_length();
  return size;
}

void file::seek_from(std::int64_t p_offset, std::uint32_t p_origin, abort_callback& p_abort) {
  std::uint64_t base;
  switch (p_origin) {
    case 0:
      base = 0;
      break;
    case 1:
      base = get_position(p_abort);
      break;
    case 2:
      base = get_known_size(p_abort);
      break;
    default:
      throw exception_io_data();
  }
  seek(base + static_cast<std::uint64_t>(p_offset), p_abort);
}

void file::require_seekable() {
  if (!can_seek()) throw exception_io_object_not_seekable();
}

std::uint64_t file::remaining_bytes(abort_callback& p_abort) {
  const std::uint64_t size = get_known_size(p_abort);
  const std::uint64_t position = get_position(p_abort);
  zut::dynamic_assert(position <= size);
  return size - position;
}

bool file::at_end(abort_callback& p_abort) {
  const std::uint64_t size = get_size(p_abort);
  if (size == filesize_invalid) return false;
  return get_position(p_abort) >= size;
}

void file::truncate_to(std::uint64_t p_size, abort_callback& p_abort) {
  if (p_size < get_size(p_abort)) resize(p_size, p_abort);
}

void file::cut_at_position(abort_callback& p_abort) { resize(get_position(p_abort), p_abort); }

file_stats file::get_file_stats(abort_callback& p_abort) {
  file_stats stats;
  stats.m_size = get_size(p_abort);
  stats.m_timestamp = get_timestamp(p_abort);
  return stats;
}

void file_transfer_exact(file& p_source, file& p_dest, std::uint64_t p_bytes, abort_callback& p_abort) {
  // 1.
  if (p_bytes > 1024) {
    const std::uint64_t size = p_dest.get_size(p_abort);
    if (size != filesize_invalid) {
      const std::uint64_t target = p_dest.get_position(p_abort) + p_bytes;
      if (size < target) p_dest.resize(target, p_abort);
    }
  }
  // 2.
  stream_transfer_exact(p_source, p_dest, p_bytes, p_abort);
}

void file_copy_content(file& p_source, file& p_dest, abort_callback& p_abort) {
  const std::uint64_t size = p_source.get_known_size(p_abort);
  p_source.seek(0, p_abort);
  p_dest.seek(0, p_abort);
  p_dest.cut_at_position(p_abort);
  if (size > 0) file_transfer_exact(p_source, p_dest, size, p_abort);
}

}  // namespace trovaplay_io
