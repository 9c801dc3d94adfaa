// The playlist rows' title format: compiled from the host's configuration of its GUID when a skin
// loads; a host without it leaves the script empty.

#include "fake_host.h"
#include "fake_titleformat_config.h"

#include <playlist_format.h>

#include <trovaplay/sdk/titleformat_config.h>

#include <gtest/gtest.h>

namespace {

constexpr GUID kRows = {0xB905715B, 0x4B26, 0x4E0E, {0xB3, 0xB8, 0xFF, 0x4A, 0x32, 0x2A, 0x42, 0x58}};
constexpr GUID kOther = {0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}};

TEST(playlist_format, CompiledFromTheHostsConfiguration) {
    fake_host host;
    fake_config other(kOther, "x"), rows(kRows, "%title%");
    start_services(host);
    compile_playlist_format();
    EXPECT_TRUE(g_playlist_format.is_empty());  // the host has none

    host.offer(titleformat_config::class_guid, &other);
    host.offer(titleformat_config::class_guid, &rows);
    compile_playlist_format();
    EXPECT_EQ(g_playlist_format.get_ptr(), &rows.script);
    EXPECT_EQ(rows.script.count(), 2);
    g_playlist_format.release();
    EXPECT_EQ(rows.script.count(), 1);
    EXPECT_EQ(rows.count(), 1);
    EXPECT_EQ(other.count(), 1);
    reset_module_state();
}

}  // namespace
