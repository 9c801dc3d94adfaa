// String configuration variables through the host blob: the text round trip, a payload that is not
// text-shaped, and two variables under one GUID.

#include <gtest/gtest.h>
#include <trovaplay/sdk/cfg_var.h>
#include <trovaplay/sdk/client.h>

#include <cstring>
#include <string>

#include "fake_host.h"
#include "mem_streams.h"

namespace {

const GUID shared_guid = {0x11223344, 0x5566, 0x7788, {1, 2, 3, 4, 5, 6, 7, 8}};

// Built while the program loads, oldest first: `older` ends up behind `newer` in the list.
string_cfg_var older(shared_guid, "older default");
string_cfg_var newer(shared_guid, "newer default");

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
