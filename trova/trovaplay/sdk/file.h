#pragma once
// A file: a host object that is a service and both a stream reader and a stream writer, and the
// helpers built on its slots. A file pointer converts to a reference of either stream base.

#include <trovaplay/sdk/file_stats.h>
#include <trovaplay/sdk/service.h>
#include <trovaplay/sdk/stream.h>

namespace trovaplay_io {

// Slots after the three of service_base; slots 7 and 9 to 11 are the host's own.
class file : public service_base, public stream_reader, public stream_writer {
 public:
  virtual std::uint64_t get_size(abort_callback& p_abort) = 0;             // 3: filesize_invalid when unknown
  virtual std::uint64_t get_position(abort_callback& p_abort) = 0;         // 4
  virtual void resize(std::uint64_t p_size, abort_callback& p_abort) = 0;  // 5
  virtual void seek(std::uint64_t p_position, abort_callback& p_abort) = 0;  // 6
  virtual void placeholder_7() {}
  virtual bool can_seek() = 0;  // 8
  virtual void placeholder_9() {}
  virtual void placeholder_10() {}
  virtual void placeholder_11() {}
  virtual std::uint64_t get_timestamp(abort_callback& p_abort) = 0;  // 12: a Windows file time
  virtual void reopen(abort_callback& p_abort) = 0;                  // 13: back to the start of the data

  // ---- Helpers.
  // get_size; the no-size value throws exception_io_no_length.
  std::uint64_t get_known_size(abort_callback& p_abort);
  // Origin 0: from the start, 1: from the position, 2: from the known size; others exception_io_data.
  void seek_from(std::int64_t p_offset, std::uint32_t p_origin, abort_callback& p_abort);
  // Throws exception_io_object_not_seekable when the file cannot seek.
  void require_seekable();
  // Known size minus position; a position beyond the size fails zut::dynamic_assert.
  std::uint64_t remaining_bytes(abort_callback& p_abort);
  // False for an unknown size, else position >= size.
  bool at_end(abort_callback& p_abort);
  // Shrinks to p_size; never grows.
  void truncate_to(std::uint64_t p_size, abort_callback& p_abort);
  // Ends the file at the position.
  void cut_at_position(abort_callback& p_abort);
  file_stats get_file_stats(abort_callback& p_abort);

 protected:
  file() = default;
  ~file() = default;
};

typedef service_ptr_t<file> file_ptr;

// Copies p_bytes from the source's position to the destination's, growing a destination of known
// size once beforehand when a large copy would extend it. Short: exception_io_data_truncation.
void file_transfer_exact(file& p_source, file& p_dest, std::uint64_t p_bytes, abort_callback& p_abort);
// The destination becomes a copy of the whole source (both are rewound; the destination is cut).
void file_copy_content(file& p_source, file& p_dest, abort_callback& p_abort);

}  // namespace trovaplay_io
