// The playlist rows' title format: compiled from the host's configuration of its GUID when a skin
// loads; a host without it leaves the script empty.

#include "fake_host.h"

#include <playlist_format.h>

#include <trovaplay/sdk/titleformat_config.h>

#include <gtest/gtest.h>

namespace {

constexpr GUID kRows = {0xB905715B, 0x4B26, 0x4E0E, {0xB3, 0xB8, 0xFF, 0x4A, 0x32, 0x2A, 0x42, 0x58}};
constexpr GUID kOther = {0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}};

class fake_script final : public titleformat_script {
public:
    int refs = 1;
    int service_release() override { return --refs; }
    int service_add_ref() override { return ++refs; }
    bool run(titleformat_hook*, zut::string_base&, titleformat_text_filter*) override { return false; }
};

class fake_config final : public titleformat_config {
public:
    explicit fake_config(const GUID& guid) : m_guid(guid) {}
    fake_script script;
    int service_release() override { return m_counted.release(); }
    int service_add_ref() override { return m_counted.add_ref(); }
    GUID* get_guid(GUID* p_out) override { return *p_out = m_guid, p_out; }
    const char* get_name() override { return "rows"; }
    void get_spec(zut::string_base& p_out) override { p_out.set_string("%title%"); }
    void set_spec(const char*, t_size) override {}
    void reset() override {}
    bool compile(service_ptr_t<titleformat_script>& p_out) override {
        p_out = &script;
        return true;
    }
    double get_number() override { return 0; }
    int count() const { return m_counted.count(); }

private:
    GUID m_guid;
    fake_service_base m_counted{"titleformat_config"};
};

TEST(playlist_format, CompiledFromTheHostsConfiguration) {
    fake_host host;
    fake_config other(kOther), rows(kRows);
    start_services(host);
    compile_playlist_format();
    EXPECT_TRUE(g_playlist_format.is_empty());  // the host has none

    host.offer(titleformat_config::class_guid, &other);
    host.offer(titleformat_config::class_guid, &rows);
    compile_playlist_format();
    EXPECT_EQ(g_playlist_format.get_ptr(), &rows.script);
    EXPECT_EQ(rows.script.refs, 2);
    g_playlist_format.release();
    EXPECT_EQ(rows.script.refs, 1);
    EXPECT_EQ(rows.count(), 1);
    EXPECT_EQ(other.count(), 1);
    reset_module_state();
}

}  // namespace
