// The user-interface service as the host sees it: found through the factory list, called by slot
// number through its table of virtual operations.

#include "startup_test_util.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <cstring>

using namespace startup_test;

namespace {

// Slot n of a service's table, called as the host calls it (this in ECX).
template <typename R, typename... A>
R call_slot(service_base* object, int slot, A... args) {
    using function = R(__attribute__((thiscall)) *)(service_base*, A...);
    function* table = *reinterpret_cast<function**>(object);
    return table[slot](object, args...);
}

const GUID user_interface_guid = {0x1ADD4DC4, 0xB278, 0x4A0C,
                                  {0xA1, 0x05, 0x26, 0x29, 0xF4, 0xB3, 0x12, 0xF4}};

// The service the factory of the user-interface class hands out.
service_base* find_ui_service() {
    for (service_factory_base* f = service_factory_base::get_list_head(); f; f = f->get_next()) {
        if (memcmp(&f->get_class_guid(), &user_interface_guid, sizeof(GUID)) != 0) continue;
        service_ptr_t<service_base> out;
        f->instance_create(out);
        return out.get_ptr();  // a singleton: the pointer outlives the reference
    }
    return nullptr;
}

// Threads of this process now running.
int thread_count() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    THREADENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snapshot);
    return count;
}

TEST(UiZin, TheFactoryHandsOutTheService) {
    service_base* ui = find_ui_service();
    ASSERT_NE(ui, nullptr);
    EXPECT_EQ(ui, static_cast<service_base*>(&get_ui_zin()));
}

TEST(UiZin, ThirteenSlots) {
    reset_module_state();
    fake_host host;
    fake_console_receiver console{0};
    host.offer(console_receiver::class_guid, &console);  // no playback control: init fails early
    start_services(host);
    service_base* ui = find_ui_service();
    ASSERT_NE(ui, nullptr);
    // 0, 1: no counting.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(call_slot<int>(ui, 0), 1);
        EXPECT_EQ(call_slot<int>(ui, 1), 1);
    }
    // 2: query.
    service_ptr_t<service_base> out;
    EXPECT_TRUE((call_slot<bool, service_ptr_t<service_base>*, const GUID*>(ui, 2, &out,
                                                                              &user_interface_guid)));
    EXPECT_EQ(out.get_ptr(), ui);
    service_ptr_t<service_base> other;
    EXPECT_FALSE((call_slot<bool, service_ptr_t<service_base>*, const GUID*>(
        ui, 2, &other, &console_receiver::class_guid)));
    EXPECT_EQ(other.get_ptr(), nullptr);
    // 3: name.
    EXPECT_STREQ(call_slot<const char*>(ui, 3), "zin_window_debug");
    // 4: init; without a playback control it reports and answers null.
    EXPECT_EQ((call_slot<HWND, host_hook_proc>(ui, 4, &host_hook)), nullptr);
    ASSERT_FALSE(console.lines.empty());
    EXPECT_EQ(console.lines.back(), "ERROR : ui_zin::init: Service not found");
    // 5: shutdown with nothing loaded.
    call_slot<void>(ui, 5);
    EXPECT_EQ(g_lua, nullptr);
    // 6, 7, 8: activate, hide, is_visible with no windows.
    call_slot<void>(ui, 6);
    call_slot<bool>(ui, 7);
    EXPECT_FALSE(call_slot<bool>(ui, 8));
    // 9: the GUID, written to and returned as the same pointer.
    GUID guid = {};
    EXPECT_EQ((call_slot<GUID*, GUID*>(ui, 9, &guid)), &guid);
    const GUID expected = {0xED4FF790, 0x7437, 0x4129,
                           {0x8F, 0x87, 0x61, 0x70, 0x88, 0x06, 0x7E, 0x75}};
    EXPECT_EQ(memcmp(&guid, &expected, sizeof(GUID)), 0);
    // 10 to 12: nothing.
    call_slot<void, std::uint32_t>(ui, 10, 5u);
    call_slot<void>(ui, 11);
    call_slot<void>(ui, 12);
    EXPECT_EQ(g_lua, nullptr);
    reset_module_state();
}

// A host that offers the two services init needs; the open-file dialog is cancelled.
class UiZinStarts : public ::testing::Test {
protected:
    void SetUp() override {
        reset_module_state();
        host.offer(play_control::class_guid, &control);
        host.offer(playlist_manager::class_guid, &playlists);
        start_services(host);
        previous = set_open_file_dialog(&answer_dialog);
        host.profile_path = "file://C:\\profile";
    }
    void TearDown() override {
        get_ui_zin().shutdown();
        set_open_file_dialog(previous);
        reset_module_state();
    }
    fake_host host;
    fake_play_control control{0};
    fake_playlist_manager playlists{0};
    open_file_dialog_function previous = nullptr;
};

TEST_F(UiZinStarts, ProfilePathWithAndWithoutPrefix) {
    get_ui_zin().init(&host_hook);
    EXPECT_STREQ(g_profile_dir, "C:\\profile");
    {
        engine_test::debug_capture capture;  // the debug check of the missing prefix
        host.profile_path = "C:\\plain";
        get_ui_zin().init(&host_hook);
        EXPECT_STREQ(g_profile_dir, "C:\\plain");
        EXPECT_FALSE(capture.containing("file://").empty());
    }
    host.profile_path = "file:";  // shorter than the prefix: nothing is skipped past its end
    get_ui_zin().init(&host_hook);
    EXPECT_STREQ(g_profile_dir, "file:");
}

// The bring-to-front thread is started by every init, also a failed one; a further init and the
// shutdown wait for it, so that no thread of the component is left when the host goes on (or ends).
TEST_F(UiZinStarts, NoThreadOutlivesShutdown) {
    const int before = thread_count();
    ASSERT_GT(before, 0);
    get_ui_zin().init(&host_hook);
    get_ui_zin().init(&host_hook);
    EXPECT_LE(thread_count(), before + 1);  // the first init's thread has ended
    get_ui_zin().shutdown();
    EXPECT_EQ(thread_count(), before);
}

}  // namespace
