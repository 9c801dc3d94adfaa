// Module entry, client object and core services against the recording fake host.

#include <gtest/gtest.h>
#include <trovaplay/sdk/client.h>
#include <trovaplay/sdk/core_api.h>

#include <thread>

#include "fake_host.h"

namespace {

class CoreApi : public ::testing::Test {
 protected:
  void SetUp() override { reset_module_state(); }
  void TearDown() override { reset_module_state(); }
  fake_host host;
};

TEST_F(CoreApi, BeforeTheEntry) {
  EXPECT_EQ(g_api, nullptr);
  EXPECT_FALSE(core_api::are_services_available());
  EXPECT_TRUE(core_api::is_initializing());
  EXPECT_FALSE(core_api::is_shutting_down());
  EXPECT_TRUE(core_api::is_main_thread());
  EXPECT_TRUE(core_api::query_yes_no());
  EXPECT_EQ(core_api::get_profile_path(), nullptr);
  EXPECT_STREQ(core_api::get_my_file_name(), "");
  EXPECT_STREQ(core_api::get_my_full_path(), "");
  EXPECT_NO_THROW(core_api::ensure_main_thread());
  EXPECT_EQ(core_api::get_main_window(), nullptr);  // no host to ask: no window, and no crash
}

TEST_F(CoreApi, EntryStoresAndReturnsTheSameClient) {
  HINSTANCE inst = reinterpret_cast<HINSTANCE>(0x10000000);
  trovaplay_client* c1 = trovaplay_get_interface(&host, inst);
  ASSERT_NE(c1, nullptr);
  EXPECT_EQ(g_api, &host);
  EXPECT_EQ(core_api::get_my_instance(), inst);
  fake_host other;
  trovaplay_client* c2 = trovaplay_get_interface(&other, nullptr);
  EXPECT_EQ(c1, c2);
  EXPECT_EQ(g_api, &other);
  EXPECT_EQ(core_api::get_my_instance(), nullptr);
  // The entry calls nothing of the host.
  EXPECT_TRUE(fake_call_log().empty());
}

TEST_F(CoreApi, ClientAnswers) {
  trovaplay_client* c = trovaplay_get_interface(&host, nullptr);
  EXPECT_EQ(c->get_version(), 71u);
  EXPECT_TRUE(c->is_debug());
  EXPECT_EQ(c->get_service_list(), service_factory_base::get_list_head());
}

TEST_F(CoreApi, LibraryPath) {
  trovaplay_client* c = trovaplay_get_interface(&host, nullptr);
  char full[] = "C:\\trovaplay\\components\\tro_ui_zin.dll";
  char name[] = "tro_ui_zin";
  c->set_library_path(full, name);
  full[0] = 'X';  // copies, not the caller's texts
  EXPECT_STREQ(core_api::get_my_full_path(), "C:\\trovaplay\\components\\tro_ui_zin.dll");
  EXPECT_STREQ(core_api::get_my_file_name(), "tro_ui_zin");
  // Null texts are taken as empty.
  c->set_library_path(nullptr, nullptr);
  EXPECT_STREQ(core_api::get_my_full_path(), "");
  EXPECT_STREQ(core_api::get_my_file_name(), "");
  c->set_library_path("a", nullptr);
  EXPECT_STREQ(core_api::get_my_full_path(), "a");
  EXPECT_STREQ(core_api::get_my_file_name(), "");
}

TEST_F(CoreApi, ServicesPeriodForwardsToTheHost) {
  trovaplay_client* c = trovaplay_get_interface(&host, nullptr);
  c->services_init(true);
  EXPECT_TRUE(core_api::are_services_available());
  fake_call_log().clear();
  host.main_thread = false;
  host.yes_no = false;
  host.shutting_down = true;
  host.initializing = true;
  EXPECT_EQ(core_api::get_main_window(), host.main_window);
  EXPECT_FALSE(core_api::is_main_thread());
  EXPECT_FALSE(core_api::query_yes_no());
  EXPECT_TRUE(core_api::is_shutting_down());
  EXPECT_STREQ(core_api::get_profile_path(), "file://C:\\profile");
  EXPECT_TRUE(core_api::is_initializing());
  EXPECT_EQ(fake_slots_of("host_api"), (std::vector<int>{3, 4, 5, 6, 7, 8}));
  try {
    core_api::ensure_main_thread();
    FAIL() << "no exception";
  } catch (const core_api::exception_wrong_thread& e) {
    EXPECT_STREQ(e.what(), "This method can be called only from the main thread");
  }
}

TEST_F(CoreApi, AfterServicesAreWithdrawn) {
  trovaplay_client* c = trovaplay_get_interface(&host, nullptr);
  c->services_init(true);
  c->services_init(false);
  fake_call_log().clear();
  EXPECT_FALSE(core_api::are_services_available());
  EXPECT_EQ(g_api, &host);
  EXPECT_TRUE(core_api::is_shutting_down());
  EXPECT_FALSE(core_api::is_initializing());
  EXPECT_TRUE(core_api::is_main_thread());
  EXPECT_EQ(core_api::get_profile_path(), nullptr);
  EXPECT_TRUE(fake_call_log().empty());  // answered without asking the host
  // services_init(false) before any (true) leaves "initialising".
  reset_module_state();
  c = trovaplay_get_interface(&host, nullptr);
  c->services_init(false);
  EXPECT_TRUE(core_api::is_initializing());
  EXPECT_FALSE(core_api::is_shutting_down());
}

TEST_F(CoreApi, ExceptionWrongThreadIsABugCheck) {
  core_api::exception_wrong_thread e;
  const zut::exception_bug_check& base = e;
  core_api::exception_wrong_thread copy(e);
  EXPECT_STREQ(base.what(), "This method can be called only from the main thread");
  EXPECT_STREQ(copy.what(), "This method can be called only from the main thread");
}

}  // namespace
