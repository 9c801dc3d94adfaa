// A factory built after the host made services available is reported (it stays in the list, as
// the registration never unlinks: a program of its own, so no other test walks the list after it).

#include <gtest/gtest.h>
#include <trovaplay/sdk/service.h>
#include <zut/primitives.h>

#include "fake_host.h"

namespace {

class test_service : public service_base {
  TROVA_SERVICE_INTERFACE({0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}})
 protected:
  test_service() = default;
  ~test_service() = default;
};

class test_impl : public test_service {
 public:
  explicit test_impl(int) {}
};

TEST(ServiceFactories, RegistrationAfterServicesAreAvailableIsReported) {
  reset_module_state();
  fake_host host;
  start_services(host);
  zut::reset_assert_count();
  {
    service_factory_single_t<test_impl> late(1);
    EXPECT_EQ(zut::get_assert_count(), 1u);
    EXPECT_EQ(zut::get_last_assert_line(), 224u);
    EXPECT_STREQ(zut::get_last_assert_expression(), L"!core_api::are_services_available()");
    EXPECT_STREQ(zut::get_last_assert_file(), L"trovaplay/sdk/service");
    EXPECT_EQ(service_factory_base::get_list_head(), static_cast<service_factory_base*>(&late));
  }
  EXPECT_EQ(zut::get_assert_count(), 2u);
  EXPECT_EQ(zut::get_last_assert_line(), 225u);
  reset_module_state();
}

}  // namespace
