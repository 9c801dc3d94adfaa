// Title-format configurations: finding one by its GUID among the host's, compiling and reading it,
// and a component's own configuration kept in the host blob.

#include "fake_host.h"
#include "fake_titleformat_config.h"
#include "mem_streams.h"

#include <trovaplay/sdk/titleformat_config.h>
#include <trovaplay/sdk/titleformat_config_impl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr GUID kRows = {0xB905715B, 0x4B26, 0x4E0E, {0xB3, 0xB8, 0xFF, 0x4A, 0x32, 0x2A, 0x42, 0x58}};
constexpr GUID kOther = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr GUID kMine = {0x0F0F0F0F, 0x1234, 0x5678, {9, 9, 9, 9, 9, 9, 9, 9}};

// Compiles texts that do not begin with "$"; always into the same script object.
class fake_compiler final : public titleformat_compiler {
 public:
  fake_script script;
  int compiles = 0;
  int service_release() override { return m_counted.release(); }
  int service_add_ref() override { return m_counted.add_ref(); }
  bool compile(service_ptr_t<titleformat_script>& p_out, const char* p_spec) override {
    ++compiles;
    if (p_spec[0] == '$') return false;
    p_out = &script;
    return true;
  }

 private:
  fake_service_base m_counted{"titleformat_compiler"};
};

class fake_listener final : public titleformat_config_callback {
 public:
  std::vector<std::string> changes;
  int service_release() override { return m_counted.release(); }
  int service_add_ref() override { return m_counted.add_ref(); }
  void on_change(const GUID&, const char* p_name, const char* p_spec, t_size p_length) override {
    changes.push_back(std::string(p_name) + "=" + std::string(p_spec, p_length));
  }

 private:
  fake_service_base m_counted{"titleformat_config_callback"};
};

// A component's own configuration: a static object, as configuration variables must be.
titleformat_config_impl g_mine(kMine, "Mine", "%title%", 2.5);

TEST(titleformat_config, FindCompileAndReadByGuid) {
  fake_host host;
  fake_config other(kOther, "x"), rows(kRows, "[%artist% - ]%title%"), broken(kOther, "$(");
  host.offer(titleformat_config::class_guid, &other);
  host.offer(titleformat_config::class_guid, &rows);
  start_services(host);
  {
    service_ptr_t<titleformat_script> script;
    EXPECT_TRUE(titleformat_config_compile(kRows, script));
    EXPECT_EQ(script.get_ptr(), &rows.script);
    zut::string8 spec;
    EXPECT_TRUE(titleformat_config_get_spec(kRows, spec));
    EXPECT_STREQ(spec.get_ptr(), "[%artist% - ]%title%");
    // An unknown GUID leaves the output alone.
    EXPECT_FALSE(titleformat_config_compile(kMine, script));
    EXPECT_EQ(script.get_ptr(), &rows.script);
    EXPECT_FALSE(titleformat_config_get_spec(kMine, spec));
  }
  EXPECT_EQ(rows.count(), 1);
  EXPECT_EQ(other.count(), 1);
  EXPECT_EQ(rows.script.count(), 1);
  reset_module_state();
}

// The component's own configuration with a compiler and a listener.
class OwnConfiguration : public ::testing::Test {
 protected:
  void SetUp() override {
    host.offer(titleformat_compiler::class_guid, &compiler);
    host.offer(titleformat_config_callback::class_guid, &listener);
    start_services(host);
  }
  void TearDown() override {
    EXPECT_EQ(compiler.script.count(), 1);  // every compiled script was given back
    reset_module_state();
  }
  fake_host host;
  fake_compiler compiler;
  fake_listener listener;
};

TEST_F(OwnConfiguration, CompilesOnceAndFailsOnce) {
  {
    GUID guid = {};
    EXPECT_EQ(memcmp(g_mine.get_guid(&guid), &kMine, sizeof guid), 0);
    EXPECT_STREQ(g_mine.get_name(), "Mine");
    EXPECT_EQ(g_mine.get_number(), 2.5);
    service_ptr_t<titleformat_script> a, b;
    EXPECT_TRUE(g_mine.compile(a));
    EXPECT_TRUE(g_mine.compile(b));
    EXPECT_EQ(a.get_ptr(), b.get_ptr());
    EXPECT_EQ(compiler.compiles, 1);

    g_mine.set_spec("$bad", ~0u);
    service_ptr_t<titleformat_script> c;
    EXPECT_FALSE(g_mine.compile(c));
    EXPECT_FALSE(g_mine.compile(c));
    EXPECT_EQ(compiler.compiles, 2);  // no second try until the text changes
    g_mine.set_spec("%album%xyz", 7);
    EXPECT_TRUE(g_mine.compile(c));
    EXPECT_EQ(listener.changes, (std::vector<std::string>{"Mine=$bad", "Mine=%album%"}));

    host.main_thread = false;
    EXPECT_THROW(g_mine.set_spec("x", ~0u), core_api::exception_wrong_thread);
    host.main_thread = true;
    g_mine.reset();
    zut::string8 spec;
    g_mine.get_spec(spec);
    EXPECT_STREQ(spec.get_ptr(), "%title%");
  }
}

TEST_F(OwnConfiguration, PayloadIsTheTextAlone) {
  trovaplay_io::abort_callback_impl abort;
  {
    g_mine.set_spec("$bad", ~0u);
    service_ptr_t<titleformat_script> script;
    EXPECT_FALSE(g_mine.compile(script));
    mem_writer out;
    g_mine.get_data_raw(out, abort);
    EXPECT_EQ(out.data, "$bad");
    // The reader holds more than this payload: only the payload is taken, and the text compiles
    // anew; no listener hears of it.
    const std::string long_text(300, 'x');
    mem_reader in(long_text + "next record");
    g_mine.set_data_raw(in, 300, abort);
    EXPECT_EQ(in.consumed(), 300u);
    zut::string8 spec;
    g_mine.get_spec(spec);
    EXPECT_EQ(std::string(spec.get_ptr()), long_text);
    EXPECT_TRUE(g_mine.compile(script));
    EXPECT_EQ(listener.changes, (std::vector<std::string>{"Mine=$bad"}));
    g_mine.reset();
  }
}

}  // namespace
