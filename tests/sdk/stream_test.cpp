// Stream defaults over short reads, counted and raw strings (hostile counts among them), transfers and
// the length-limited reader.

#include <gtest/gtest.h>
#include <trovaplay/sdk/cfg_var.h>
#include <trovaplay/sdk/exception_io.h>
#include <trovaplay/sdk/stream.h>

#include <cstring>
#include <string>
#include <vector>

#include "mem_streams.h"

namespace {

using trovaplay_io::abort_callback;

// A reader that claims more bytes than it was asked for.
class lying_reader : public trovaplay_io::stream_reader {
 public:
  std::uint32_t read(void* p_buffer, std::uint32_t p_bytes, abort_callback&) override {
    std::memset(p_buffer, 'L', p_bytes);
    return p_bytes + 10;
  }
};

// A reader of one piece that claims more bytes than it was asked for, then ends.
class lying_once_reader : public trovaplay_io::stream_reader {
 public:
  std::uint32_t read(void* p_buffer, std::uint32_t p_bytes, abort_callback&) override {
    if (m_done) return 0;
    m_done = true;
    std::memset(p_buffer, 'L', p_bytes);
    return p_bytes + 10;
  }

 private:
  bool m_done = false;
};

std::string u32_bytes(std::uint32_t v) {
  std::string s;
  for (int n = 0; n < 4; n++) s += static_cast<char>(v >> (8 * n));
  return s;
}

class Streams : public ::testing::Test {
 protected:
  trovaplay_io::abort_callback_impl abort;
};

TEST_F(Streams, SkipReadsPiecesOfAtMost256AndStopsAtAShortRead) {
  mem_reader r(std::string(100, 'x'));
  EXPECT_EQ(r.skip(0, abort), 0u);
  EXPECT_TRUE(r.asked.empty());
  EXPECT_EQ(r.skip(300, abort), 100u);
  EXPECT_EQ(r.asked, (std::vector<std::uint32_t>{256}));

  mem_reader r2(std::string(600, 'x'));
  EXPECT_EQ(r2.skip(600, abort), 600u);
  EXPECT_EQ(r2.asked, (std::vector<std::uint32_t>{256, 256, 88}));
  mem_reader r3(std::string(10, 'x'));
  EXPECT_THROW(r3.skip_exact(11, abort), trovaplay_io::exception_io_data_truncation);
}

TEST_F(Streams, CountedStringRoundTrip) {
  mem_writer w;
  trovaplay_io::write_counted_string(w, "h\xC3\xA9llo", abort);
  EXPECT_EQ(w.data, u32_bytes(6) + "h\xC3\xA9llo");
  mem_reader r(w.data + "tail");
  zut::string8 text("old");
  trovaplay_io::read_counted_string(r, text, abort);
  EXPECT_STREQ(text, "h\xC3\xA9llo");
  EXPECT_EQ(r.consumed(), 10u);

  mem_reader empty(u32_bytes(0));
  trovaplay_io::read_counted_string(empty, text, abort);
  EXPECT_STREQ(text, "");
}

TEST_F(Streams, HostileCountsLeaveTheStringAlone) {
  zut::string8 text("kept");
  // A count that leaves no room for the terminator.
  mem_reader all_bits(u32_bytes(0xFFFFFFFF) + "abc");
  EXPECT_THROW(trovaplay_io::read_counted_string(all_bits, text, abort), trovaplay_io::exception_io_data);
  EXPECT_STREQ(text, "kept");
  // A huge count over a short stream: truncation, and no allocation of the claimed size first.
  mem_reader huge(u32_bytes(0x7FFFFFF0) + "abc");
  EXPECT_THROW(trovaplay_io::read_counted_string(huge, text, abort), trovaplay_io::exception_io_data_truncation);
  EXPECT_STREQ(text, "kept");
  EXPECT_EQ(huge.asked.back(), 0x10000u);
  // A count cut short, and a count itself cut short.
  mem_reader short_text(u32_bytes(5) + "ab");
  EXPECT_THROW(trovaplay_io::read_counted_string(short_text, text, abort), trovaplay_io::exception_io_data_truncation);
  mem_reader short_count("\x05\x00");
  EXPECT_THROW(trovaplay_io::read_counted_string(short_count, text, abort), trovaplay_io::exception_io_data_truncation);
  EXPECT_STREQ(text, "kept");
  // The string's own make-room refuses sizes that overflow, and keeps its text.
  EXPECT_THROW(text.lock_buffer(0xFFFFFFFF), std::bad_alloc);
  EXPECT_THROW(text.lock_buffer(0xFFFFFFF0), std::bad_alloc);
  EXPECT_STREQ(text, "kept");
  // A text longer than one piece arrives whole.
  std::string big(0x10000 * 2 + 7, 'q');
  mem_reader long_text(u32_bytes(static_cast<std::uint32_t>(big.size())) + big);
  trovaplay_io::read_counted_string(long_text, text, abort);
  EXPECT_EQ(std::string(text.get_ptr()), big);
}

TEST_F(Streams, RawStrings) {
  mem_writer w;
  trovaplay_io::write_raw_string(w, "abc", abort);
  trovaplay_io::write_raw_string(w, "", abort);
  EXPECT_EQ(w.data, "abc");
  EXPECT_EQ(w.writes, 1);

  std::string text(600, 'z');
  mem_reader r(text);
  zut::string8 out("old");
  trovaplay_io::read_raw_string(r, out, abort);
  EXPECT_EQ(std::string(out.get_ptr()), text);
  EXPECT_EQ(r.asked, (std::vector<std::uint32_t>{256, 256, 256}));
  // Exactly 256 bytes: one more read that brings nothing ends it.
  mem_reader r2(std::string(256, 'y'));
  trovaplay_io::read_raw_string(r2, out, abort);
  EXPECT_EQ(out.get_length(), 256u);
  EXPECT_EQ(r2.asked.size(), 2u);
}

TEST_F(Streams, Transfers) {
  mem_reader empty("");
  mem_writer w;
  EXPECT_EQ(trovaplay_io::stream_transfer(empty, w, 10, abort), 0u);
  mem_reader empty2("");
  EXPECT_THROW(trovaplay_io::stream_transfer_exact(empty2, w, 1, abort), trovaplay_io::exception_io_data_truncation);

  mem_reader r("0123456789");
  EXPECT_EQ(trovaplay_io::stream_transfer(r, w, 4, abort), 4u);
  EXPECT_EQ(w.data, "0123");
  trovaplay_io::stream_transfer_exact(r, w, 6, abort);
  EXPECT_EQ(w.data, "0123456789");
  // Nothing is read once aborted.
  abort.abort();
  mem_reader r2("abc");
  EXPECT_THROW(trovaplay_io::stream_transfer(r2, w, 3, abort), trovaplay_io::exception_aborted);
  EXPECT_TRUE(r2.asked.empty());
}

TEST_F(Streams, TransferHoldsALyingReaderToThePiece) {
  lying_reader r;
  mem_writer w;
  EXPECT_EQ(trovaplay_io::stream_transfer(r, w, 5, abort), 5u);
  EXPECT_EQ(w.data, "LLLLL");
}

TEST_F(Streams, SkipAndRawStringsHoldALyingReaderToThePiece) {
  lying_once_reader r;
  EXPECT_EQ(r.skip(10, abort), 10u);
  lying_once_reader r2;
  r2.skip_exact(10, abort);
  lying_once_reader r3;
  zut::string8 out;
  trovaplay_io::read_raw_string(r3, out, abort);
  EXPECT_EQ(std::string(out.get_ptr()), std::string(256, 'L'));
}

TEST_F(Streams, LimitedReaderNeverUnderflows) {
  lying_reader source;
  stream_reader_limited_ref limited(source, 8);
  char buffer[32];
  EXPECT_EQ(limited.read(buffer, 5, abort), 5u);
  EXPECT_EQ(limited.get_remaining(), 3u);
  EXPECT_EQ(limited.read(buffer, 20, abort), 3u);
  EXPECT_EQ(limited.get_remaining(), 0u);
  EXPECT_EQ(limited.read(buffer, 20, abort), 0u);
  EXPECT_EQ(limited.skip(100, abort), 0u);
}

}  // namespace
