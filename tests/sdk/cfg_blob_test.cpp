// The host configuration blob through the client object (slots 2 and 3): record layout, skipping,
// truncation (reported on the console, never thrown to the host) and variables that read too little
// or try to read too much.

#include <gtest/gtest.h>
#include <trovaplay/sdk/cfg_var.h>
#include <trovaplay/sdk/client.h>
#include <trovaplay/sdk/exception_io.h>

#include <cstring>
#include <string>

#include "fake_host.h"
#include "mem_streams.h"

namespace {

const GUID known_guid = {0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}};
const GUID unknown_guid = {0xAAAAAAAA, 0xBBBB, 0xCCCC, {1, 1, 1, 1, 1, 1, 1, 1}};

std::string guid_bytes(const GUID& g) {
  std::string s;
  for (int n = 0; n < 4; n++) s += static_cast<char>(g.Data1 >> (8 * n));
  s += static_cast<char>(g.Data2);
  s += static_cast<char>(g.Data2 >> 8);
  s += static_cast<char>(g.Data3);
  s += static_cast<char>(g.Data3 >> 8);
  s.append(reinterpret_cast<const char*>(g.Data4), 8);
  return s;
}
std::string u32_bytes(std::uint32_t v) {
  std::string s;
  for (int n = 0; n < 4; n++) s += static_cast<char>(v >> (8 * n));
  return s;
}
std::string record(const GUID& g, const std::string& payload) {
  return guid_bytes(g) + u32_bytes(static_cast<std::uint32_t>(payload.size())) + payload;
}

// A variable that reads `want` bytes of its payload (or fails as bad data).
class test_var : public cfg_var {
 public:
  test_var() : cfg_var(known_guid) {}
  void get_data_raw(trovaplay_io::stream_writer& p_stream, trovaplay_io::abort_callback& p_abort) override {
    p_stream.write(value.data(), static_cast<std::uint32_t>(value.size()), p_abort);
  }
  void set_data_raw(trovaplay_io::stream_reader& p_stream, std::uint32_t p_size,
                    trovaplay_io::abort_callback& p_abort) override {
    sizes.push_back(p_size);
    std::string got(want, '\0');
    std::uint32_t n = p_stream.read(&got[0], want, p_abort);
    got.resize(n);
    value = got;
    if (fail) throw trovaplay_io::exception_io_data();
  }
  std::string value = "abc";
  std::uint32_t want = 0;
  bool fail = false;
  std::vector<std::uint32_t> sizes;
};

test_var g_var;  // built while the program loads

class ConfigBlob : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_module_state();
    host.offer(console_receiver::class_guid, &receiver);
    client = trovaplay_get_interface(&host, nullptr);
    client->services_init(true);
    g_var.value = "abc";
    g_var.want = 0;
    g_var.fail = false;
    g_var.sizes.clear();
  }
  void TearDown() override { reset_module_state(); }
  fake_host host;
  fake_console_receiver receiver{0};
  trovaplay_client* client = nullptr;
  trovaplay_io::abort_callback_impl abort;
};

TEST_F(ConfigBlob, WriteLayout) {
  mem_writer w;
  client->get_config(w, abort);
  EXPECT_EQ(w.data, record(known_guid, "abc"));
}

TEST_F(ConfigBlob, UnknownRecordsAreSkippedWhole) {
  mem_reader r(record(unknown_guid, "12345") + record(unknown_guid, "") + record(unknown_guid, "x"));
  client->set_config(r, abort);
  EXPECT_EQ(r.consumed(), 16u + 4 + 5 + 20 + 21);
  EXPECT_TRUE(g_var.sizes.empty());
  EXPECT_TRUE(receiver.lines.empty());
}

TEST_F(ConfigBlob, TenBytesReadAsNothing) {
  mem_reader r(std::string(10, 'x'));
  client->set_config(r, abort);
  EXPECT_TRUE(receiver.lines.empty());
}

TEST_F(ConfigBlob, TruncatedSizeIsReportedNotThrown) {
  mem_reader r(guid_bytes(unknown_guid) + "\x01");
  EXPECT_NO_THROW(client->set_config(r, abort));
  ASSERT_EQ(receiver.lines.size(), 1u);
  EXPECT_EQ(receiver.lines[0], "ERROR : set_config: Unsupported format or corrupted file");
}

TEST_F(ConfigBlob, KnownVariableReadingLessDoesNotDisturbTheNextRecord) {
  g_var.want = 2;
  mem_reader r(record(known_guid, "hello") + record(unknown_guid, "zz"));
  client->set_config(r, abort);
  EXPECT_EQ(g_var.sizes, (std::vector<std::uint32_t>{5}));
  EXPECT_EQ(g_var.value, "he");
  EXPECT_EQ(r.consumed(), 16u + 4 + 5 + 16 + 4 + 2);
}

TEST_F(ConfigBlob, KnownVariableGetsOnlyItsOwnPayload) {
  g_var.want = 100;
  mem_reader r(record(known_guid, "hi") + record(unknown_guid, "zz"));
  client->set_config(r, abort);
  EXPECT_EQ(g_var.value, "hi");
  EXPECT_EQ(r.consumed(), 16u + 4 + 2 + 16 + 4 + 2);
}

TEST_F(ConfigBlob, ZeroSizeRecordAndBadDataIsDropped) {
  g_var.want = 4;
  g_var.fail = true;
  mem_reader r(record(known_guid, "") + record(known_guid, "abcdefgh"));
  client->set_config(r, abort);
  EXPECT_EQ(g_var.sizes, (std::vector<std::uint32_t>{0, 8}));
  EXPECT_EQ(g_var.value, "abcd");
  EXPECT_EQ(r.consumed(), 20u + 28);
  EXPECT_TRUE(receiver.lines.empty());
}

TEST_F(ConfigBlob, StreamDefaults) {
  mem_reader r(std::string(100, 'x'));
  EXPECT_EQ(r.skip(0, abort), 0u);
  EXPECT_EQ(r.skip(300, abort), 100u);
  mem_reader r2(std::string(100, 'x'));
  EXPECT_THROW(r2.skip_exact(300, abort), trovaplay_io::exception_io_data_truncation);
  mem_reader r3("ab");
  char buf[3];
  try {
    r3.read_exact(buf, 3, abort);
    FAIL() << "no exception";
  } catch (const trovaplay_io::exception_io_data& e) {
    EXPECT_STREQ(e.what(), "Unsupported format or corrupted file");
  }
}

}  // namespace
