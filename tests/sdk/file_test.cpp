// The helpers of a file: known sizes, seeking from an origin, remaining bytes, truncation and whole
// copies between files.

#include <gtest/gtest.h>
#include <trovaplay/sdk/exception_io.h>
#include <trovaplay/sdk/file.h>

#include "fake_filesystem.h"

namespace {

class FileHelpers : public ::testing::Test {
 protected:
  std::string data = "0123456789";
  mem_file f{data};
  trovaplay_io::abort_callback_impl abort;
};

TEST_F(FileHelpers, SeekFromEachOrigin) {
  f.seek_from(3, 0, abort);
  EXPECT_EQ(f.position, 3u);
  f.seek_from(2, 1, abort);
  EXPECT_EQ(f.position, 5u);
  f.seek_from(-4, 2, abort);
  EXPECT_EQ(f.position, 6u);
  EXPECT_THROW(f.seek_from(0, 3, abort), trovaplay_io::exception_io_data);
  f.no_size = true;
  EXPECT_THROW(f.seek_from(0, 2, abort), trovaplay_io::exception_io_no_length);
  EXPECT_THROW(f.get_known_size(abort), trovaplay_io::exception_io_no_length);
  EXPECT_FALSE(f.at_end(abort));
}

TEST_F(FileHelpers, RemainingBytesAndEnd) {
  f.position = 4;
  EXPECT_EQ(f.remaining_bytes(abort), 6u);
  EXPECT_FALSE(f.at_end(abort));
  f.position = 10;
  EXPECT_TRUE(f.at_end(abort));
  f.position = 12;
  EXPECT_TRUE(f.at_end(abort));
  EXPECT_THROW(f.remaining_bytes(abort), zut::exception_dynamic_assert);
}

TEST_F(FileHelpers, TruncationNeverGrows) {
  f.truncate_to(20, abort);
  EXPECT_TRUE(f.resizes.empty());
  f.truncate_to(4, abort);
  EXPECT_EQ(data, "0123");
  f.position = 2;
  f.cut_at_position(abort);
  EXPECT_EQ(data, "01");
  f.seekable = false;
  EXPECT_THROW(f.require_seekable(), trovaplay_io::exception_io_object_not_seekable);
  const file_stats stats = f.get_file_stats(abort);
  EXPECT_EQ(stats.m_size, 2u);
  EXPECT_EQ(stats.m_timestamp, f.timestamp);
}

TEST_F(FileHelpers, CopyContent) {
  std::string big(5000, 'b'), dest_data = "old old old";
  mem_file source(big), dest(dest_data);
  source.position = 100;
  trovaplay_io::file_copy_content(source, dest, abort);
  EXPECT_EQ(dest_data, big);
  // Cut to 0 at the start, then grown once to the full size before the bytes came.
  EXPECT_EQ(dest.resizes, (std::vector<std::uint64_t>{0, 5000}));
  // A short source: truncation.
  std::string small = "abc", out;
  mem_file short_source(small), sink(out);
  EXPECT_THROW(trovaplay_io::file_transfer_exact(short_source, sink, 4, abort),
               trovaplay_io::exception_io_data_truncation);
  // A file reference converts to either stream base.
  trovaplay_io::stream_reader& reader = source;
  trovaplay_io::stream_writer& writer = dest;
  (void)reader;
  (void)writer;
}

}  // namespace
