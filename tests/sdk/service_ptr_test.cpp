// The counted pointer: reference traffic of every operation, checked by a ledger that balances.

#include <gtest/gtest.h>
#include <trovaplay/sdk/service.h>
#include <zut/primitives.h>

namespace {

// A counted object that "dies" when its count reaches 0 (it records that instead of freeing).
class ledger_service : public service_base {
 public:
  int service_release() override {
    ++releases;
    if (--count == 0) ++deaths;
    return count;
  }
  int service_add_ref() override {
    ++add_refs;
    return ++count;
  }
  int count = 1;
  int add_refs = 0;
  int releases = 0;
  int deaths = 0;
};

TEST(ServicePtr, EmptyByDefault) {
  service_ptr_t<ledger_service> p;
  EXPECT_TRUE(p.is_empty());
  EXPECT_FALSE(p.is_valid());
  EXPECT_EQ(p.get_ptr(), nullptr);
}

TEST(ServicePtr, ConstructionAndDestructionBalance) {
  ledger_service s;
  {
    service_ptr_t<ledger_service> a(&s);
    EXPECT_EQ(s.count, 2);
    service_ptr_t<ledger_service> b(a);
    EXPECT_EQ(s.count, 3);
    service_ptr_t<service_base> c(a);  // conversion to the base
    EXPECT_EQ(s.count, 4);
    EXPECT_TRUE(a == b);
  }
  EXPECT_EQ(s.count, 1);
  EXPECT_EQ(s.add_refs, s.releases);
}

TEST(ServicePtr, SelfAssignmentKeepsTheObjectAlive) {
  ledger_service s;
  service_ptr_t<ledger_service> p;
  p.attach(&s);  // the pointer now holds the only reference
  p = p.get_ptr();
  EXPECT_EQ(s.deaths, 0);
  EXPECT_EQ(s.count, 1);
  p = p;
  EXPECT_EQ(s.deaths, 0);
  EXPECT_EQ(s.count, 1);
  p.detach();
}

TEST(ServicePtr, AssignmentReleasesTheOld) {
  ledger_service a, b;
  service_ptr_t<ledger_service> p(&a);
  p = &b;
  EXPECT_EQ(a.count, 1);
  EXPECT_EQ(b.count, 2);
  p = nullptr;
  EXPECT_EQ(b.count, 1);
  EXPECT_TRUE(p.is_empty());
}

TEST(ServicePtr, AttachTakesTheCallersReference) {
  ledger_service a, b;
  a.service_add_ref();  // the caller's reference, handed over
  service_ptr_t<ledger_service> p;
  p.attach(&a);
  EXPECT_EQ(a.count, 2);
  b.service_add_ref();
  p.attach(&b);  // releases a
  EXPECT_EQ(a.count, 1);
  EXPECT_EQ(b.count, 2);
  p.release();
  EXPECT_EQ(b.count, 1);
}

TEST(ServicePtr, DetachHandsTheReferenceOver) {
  ledger_service a;
  service_ptr_t<ledger_service> p(&a);
  ledger_service* raw = p.detach();
  EXPECT_EQ(raw, &a);
  EXPECT_TRUE(p.is_empty());
  EXPECT_EQ(a.count, 2);
  raw->service_release();
  EXPECT_EQ(a.count, 1);
}

TEST(ServicePtr, ReleaseAndResetDropOnce) {
  ledger_service a;
  {
    service_ptr_t<ledger_service> p(&a);
    p.release();
    EXPECT_EQ(a.count, 1);
    EXPECT_TRUE(p.is_empty());
    p.release();  // nothing held any more
    EXPECT_EQ(a.count, 1);
    p = &a;
    p.reset();
    EXPECT_EQ(a.count, 1);
  }
  EXPECT_EQ(a.count, 1);
  EXPECT_EQ(a.add_refs, a.releases);
}

TEST(ServicePtr, ArrowOnEmptyReportsAndReturns) {
  zut::reset_assert_count();
  service_ptr_t<ledger_service> p;
  ledger_service* raw = p.operator->();
  EXPECT_EQ(raw, nullptr);
  EXPECT_EQ(zut::get_assert_count(), 1u);
  EXPECT_STREQ(zut::get_last_assert_expression(), L"m_ptr != NULL");
  EXPECT_STREQ(zut::get_last_assert_file(), L"trovaplay/sdk/service");
  EXPECT_EQ(zut::get_last_assert_line(), 81u);
}

TEST(ServicePtr, SwapMovesWithoutCounting) {
  ledger_service a, b;
  service_ptr_t<ledger_service> pa(&a), pb(&b);
  int traffic = a.add_refs + a.releases + b.add_refs + b.releases;
  zut::swap_t(pa, pb);
  EXPECT_EQ(pa.get_ptr(), &b);
  EXPECT_EQ(pb.get_ptr(), &a);
  EXPECT_EQ(a.add_refs + a.releases + b.add_refs + b.releases, traffic);
}

}  // namespace
