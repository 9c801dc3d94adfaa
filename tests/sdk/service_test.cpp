// The service model against the recording fake host: the single service, the first service,
// enumeration, the query rule, singletons and the factory list.

#include <gtest/gtest.h>
#include <trovaplay/sdk/componentversion.h>
#include <trovaplay/sdk/service.h>
#include <zut/exception.h>
#include <zut/primitives.h>

#include "fake_host.h"

namespace {

class ServiceModel : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_module_state();
    start_services(host);
    fake_call_log().clear();
  }
  void TearDown() override { reset_module_state(); }
  fake_host host;
};

// Ledger: every reference the component took from the host it gave back.
#define EXPECT_BALANCED(svc) EXPECT_EQ((svc).count(), 1)

TEST_F(ServiceModel, SingleServiceNotFound) {
  try {
    single_service_ptr_t<console_receiver> p;
    FAIL() << "no exception";
  } catch (const exception_service_not_found& e) {
    EXPECT_STREQ(e.what(), "Service not found");
  }
}

TEST_F(ServiceModel, SingleServiceDuplicated) {
  fake_console_receiver r0(0), r1(1);
  host.offer(console_receiver::class_guid, &r0);
  host.offer(console_receiver::class_guid, &r1);
  try {
    single_service_ptr_t<console_receiver> p;
    FAIL() << "no exception";
  } catch (const exception_service_duplicated& e) {
    EXPECT_STREQ(e.what(), "Service duplicated");
  }
  EXPECT_BALANCED(r0);
  EXPECT_BALANCED(r1);
}

TEST_F(ServiceModel, SingleServiceCreationFailureIsABugCheck) {
  fake_console_receiver r0(0);
  host.offer(console_receiver::class_guid, &r0);
  host.break_creation(console_receiver::class_guid);
  try {
    single_service_ptr_t<console_receiver> p;
    FAIL() << "no exception";
  } catch (const zut::exception_bug_check& e) {
    EXPECT_STREQ(e.what(), "Bug check");
  }
  EXPECT_BALANCED(r0);
}

TEST_F(ServiceModel, SingleServiceHoldsExactlyOneReference) {
  fake_console_receiver r0(0);
  host.offer(console_receiver::class_guid, &r0);
  {
    single_service_ptr_t<console_receiver> p;
    EXPECT_EQ(p.get_ptr(), &r0);
    EXPECT_EQ(r0.count(), 2);
    // The lookup: find (slot 0), count (slot 2), create at 0 (slot 1).
    EXPECT_EQ(fake_slots_of("host_api"), (std::vector<int>{0, 2, 1}));
  }
  EXPECT_BALANCED(r0);
  // Every construction asks the host again.
  fake_call_log().clear();
  { single_service_ptr_t<console_receiver> p; }
  EXPECT_EQ(fake_slots_of("host_api"), (std::vector<int>{0, 2, 1}));
}

TEST_F(ServiceModel, CreateFirstWithNoService) {
  service_ptr_t<console_receiver> p;
  EXPECT_FALSE(service_create_first(p));
  EXPECT_TRUE(p.is_empty());
}

TEST_F(ServiceModel, CreateFirstFailureEmptiesThePointer) {
  fake_console_receiver r0(0);
  host.offer(console_receiver::class_guid, &r0);
  service_ptr_t<console_receiver> p(&r0);
  host.break_creation(console_receiver::class_guid);
  EXPECT_FALSE(service_create_first(p));
  EXPECT_TRUE(p.is_empty());
  EXPECT_BALANCED(r0);
}

TEST_F(ServiceModel, CreateFirstOfTwo) {
  fake_console_receiver r0(0), r1(1);
  host.offer(console_receiver::class_guid, &r0);
  host.offer(console_receiver::class_guid, &r1);
  {
    service_ptr_t<console_receiver> p;
    EXPECT_TRUE(service_create_first(p));
    EXPECT_EQ(p.get_ptr(), &r0);
    EXPECT_EQ(r0.count(), 2);
    // No count check: find and create only.
    EXPECT_EQ(fake_slots_of("host_api"), (std::vector<int>{0, 1}));
  }
  EXPECT_BALANCED(r0);
  EXPECT_BALANCED(r1);
}

TEST_F(ServiceModel, EnumeratorWithNoService) {
  service_enumerator_t<console_receiver> e;
  service_ptr_t<console_receiver> p;
  EXPECT_FALSE(e.next(p));
  EXPECT_TRUE(p.is_empty());
}

TEST_F(ServiceModel, EnumeratorYieldsBothThenFalse) {
  fake_console_receiver r0(0), r1(1);
  host.offer(console_receiver::class_guid, &r0);
  host.offer(console_receiver::class_guid, &r1);
  {
    service_enumerator_t<console_receiver> e;
    service_ptr_t<console_receiver> p;
    ASSERT_TRUE(e.next(p));
    EXPECT_EQ(p.get_ptr(), &r0);
    ASSERT_TRUE(e.next(p));
    EXPECT_EQ(p.get_ptr(), &r1);
    EXPECT_BALANCED(r0);  // released when p moved on
    EXPECT_FALSE(e.next(p));
    EXPECT_EQ(p.get_ptr(), &r1);  // still holds the last one
    EXPECT_FALSE(e.next(p));      // the index moved on also after the failure
    // first: empties and starts again at 0.
    ASSERT_TRUE(e.first(p));
    EXPECT_EQ(p.get_ptr(), &r0);
  }
  EXPECT_BALANCED(r0);
  EXPECT_BALANCED(r1);
}

TEST_F(ServiceModel, EnumeratorQueryNext) {
  fake_console_receiver r0(0);
  fake_plain_service other(7);
  host.offer(console_receiver::class_guid, &other);  // a service that is not a console receiver
  host.offer(console_receiver::class_guid, &r0);
  {
    service_enumerator_t<console_receiver> e;
    service_ptr_t<console_receiver> p;
    EXPECT_FALSE(e.query_next(p));  // index 0 answers no
    EXPECT_TRUE(p.is_empty());
    EXPECT_TRUE(e.query_next(p));  // index 1 answers yes
    EXPECT_EQ(p.get_ptr(), &r0);
    EXPECT_EQ(fake_slots_of("console_receiver#0"), (std::vector<int>{1, 2, 1, 0}));
  }
  EXPECT_BALANCED(r0);
  EXPECT_BALANCED(other);
}

TEST_F(ServiceModel, QueryRule) {
  fake_console_receiver r0(0);
  service_ptr_t<service_base> out;
  const GUID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_FALSE(r0.service_query(out, other));
  EXPECT_TRUE(out.is_empty());
  EXPECT_TRUE(r0.service_query(out, console_receiver::class_guid));
  EXPECT_EQ(out.get_ptr(), static_cast<service_base*>(&r0));
  EXPECT_EQ(r0.count(), 2);
  out.release();
  EXPECT_BALANCED(r0);
}

TEST_F(ServiceModel, HostCallsOutsideTheServicePeriodAreReported) {
  reset_module_state();
  zut::reset_assert_count();
  service_ptr_t<console_receiver> p;
  EXPECT_FALSE(service_create_first(p));  // g_api null: reported, and the host is not called
  EXPECT_GE(zut::get_assert_count(), 1u);
  EXPECT_STREQ(zut::get_last_assert_expression(), L"core_api::are_services_available() && g_api");
  EXPECT_STREQ(zut::get_last_assert_file(), L"service");
  EXPECT_TRUE(fake_call_log().empty());
}

// ---- Singletons and factories (component side).

class test_service : public service_base {
  TROVA_SERVICE_INTERFACE({0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}})
 public:
  virtual int value() = 0;

 protected:
  test_service() = default;
  ~test_service() = default;
};

class test_impl : public test_service {
 public:
  explicit test_impl(int v = 5) : m_v(v) {}
  int value() override { return m_v; }

 private:
  int m_v;
};

class other_service : public service_base {
  TROVA_SERVICE_INTERFACE({0x99999999, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x56}})
 public:
  virtual int value() = 0;

 protected:
  other_service() = default;
  ~other_service() = default;
};

class other_impl : public other_service {
 public:
  other_impl(int a, int b) : m_v(a + b) {}
  int value() override { return m_v; }

 private:
  int m_v;
};

// Built while this test program loads, as the component's factories are.
static service_factory_single_t<test_impl> g_test_factory(7);
static service_factory_single_transparent_t<other_impl> g_other_factory(20, 3);

TEST(ServiceFactories, SingletonCountsAreAlwaysOne) {
  service_impl_single_t<test_impl> s;
  for (int n = 0; n < 5; n++) {
    EXPECT_EQ(s.service_add_ref(), 1);
    EXPECT_EQ(s.service_release(), 1);
  }
  EXPECT_EQ(s.service_release(), 1);
}

TEST(ServiceFactories, ListHeadIsTheLastRegistered) {
  service_factory_base* head = service_factory_base::get_list_head();
  ASSERT_NE(head, nullptr);
  // Registration order in this program: the test factory, then the other factory.
  EXPECT_EQ(head, static_cast<service_factory_base*>(&g_other_factory));
  EXPECT_TRUE(zut::guid_equal(head->get_class_guid(), other_service::class_guid));
  service_factory_base* next = head->get_next();
  EXPECT_EQ(next, static_cast<service_factory_base*>(&g_test_factory));
  EXPECT_TRUE(zut::guid_equal(next->get_class_guid(), test_service::class_guid));
  EXPECT_EQ(next->get_next(), nullptr);
}

TEST(ServiceFactories, InstanceCreateHandsOutTheSingleton) {
  service_ptr_t<service_base> out;
  g_test_factory.instance_create(out);
  ASSERT_TRUE(out.is_valid());
  service_ptr_t<service_base> again;
  ASSERT_TRUE(out->service_query(again, test_service::class_guid));
  EXPECT_EQ(static_cast<test_service*>(again.get_ptr())->value(), 7);
  EXPECT_EQ(&g_test_factory.get_static_instance(), static_cast<test_impl*>(static_cast<test_service*>(out.get_ptr())));

  service_ptr_t<service_base> other;
  g_other_factory.instance_create(other);
  ASSERT_TRUE(other.is_valid());
  EXPECT_EQ(static_cast<other_service*>(other.get_ptr())->value(), 23);
  EXPECT_EQ(static_cast<other_impl*>(static_cast<other_service*>(other.get_ptr())),
            &g_other_factory.get_static_instance());
  service_ptr_t<service_base> q;
  EXPECT_FALSE(other->service_query(q, test_service::class_guid));
  EXPECT_TRUE(q.is_empty());
}

}  // namespace
