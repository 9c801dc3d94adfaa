// String configuration variables through the host blob: the text round trip, a payload that is not
// text-shaped, and two variables under one GUID.

#include <gtest/gtest.h>
#include <trovaplay/sdk/cfg_var.h>
#include <trovaplay/sdk/client.h>

#include <cstring>
#include <string>

#include "fake_host.h"

namespace {

const GUID shared_guid = {0x11223344, 0x5566, 0x7788, {1, 2, 3, 4, 5, 6, 7, 8}};

// Built while the program loads, oldest first: `older` ends up behind `newer` in the list.
string_cfg_var older(shared_guid, "older default");
string_cfg_var newer(shared_guid, "newer default");

class mem_reader : public trovaplay_io::stream_reader {
 public:
  explicit mem_reader(std::string data) : m_data(std::move(data)) {}
  std::uint32_t read(void* p_buffer, std::uint32_t p_bytes, trovaplay_io::abort_callback&) override {
    std::size_t left = m_data.size() - m_pos;
    std::uint32_t n = p_bytes < left ? p_bytes : static_cast<std::uint32_t>(left);
    std::memcpy(p_buffer, m_data.data() + m_pos, n);
    m_pos += n;
    return n;
  }
  std::size_t consumed() const { return m_pos; }

 private:
  std::string m_data;
  std::size_t m_pos = 0;
};

class mem_writer : public trovaplay_io::stream_writer {
 public:
  void write(const void* p_buffer, std::uint32_t p_bytes, trovaplay_io::abort_callback&) override {
    data.append(static_cast<const char*>(p_buffer), p_bytes);
  }
  std::string data;
};

std::string record(const std::string& p_payload) {
  std::string s(reinterpret_cast<const char*>(&shared_guid), 16);  // little-endian on this target
  for (int n = 0; n < 4; n++) s += static_cast<char>(p_payload.size() >> (8 * n));
  return s + p_payload;
}

TEST(StringCfgVar, BlobRoundTrip) {
  reset_module_state();
  fake_host host;
  trovaplay_client* client = trovaplay_get_interface(&host, nullptr);
  client->services_init(true);
  trovaplay_io::abort_callback_impl abort;

  // Writing: both variables, the newest first.
  mem_writer w;
  client->get_config(w, abort);
  EXPECT_EQ(w.data, record("newer default") + record("older default"));

  // Reading: only the variable nearer the head is fed; a text longer than one piece arrives whole.
  const std::string long_text(700, 'x');
  mem_reader r(record("caf\xC3\xA9") + record(long_text));
  client->set_config(r, abort);
  EXPECT_EQ(std::string(newer.get_ptr()), long_text);
  EXPECT_STREQ(older.get_ptr(), "older default");
  EXPECT_EQ(r.consumed(), 2 * 20u + 5 + 700);

  // An empty payload empties the text.
  mem_reader empty(record(""));
  client->set_config(empty, abort);
  EXPECT_STREQ(newer.get_ptr(), "");
  reset_module_state();
}

}  // namespace
