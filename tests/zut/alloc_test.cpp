// Raw helpers, overflow detection, the element block and the growth sequences of the policies.
#include <gtest/gtest.h>
#include <zut/alloc.h>
#include <zut/array.h>

#include <stdexcept>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Raw helpers.
// ---------------------------------------------------------------------------------------------

TEST(RawHelpers, AllocAndRealloc) {
  EXPECT_EQ(zut::raw_alloc(0), nullptr);
  void* p = zut::raw_realloc_or_alloc(nullptr, 16);
  ASSERT_NE(p, nullptr);
  std::memset(p, 'a', 16);
  p = zut::raw_realloc_or_alloc(p, 4096);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(static_cast<char*>(p)[15], 'a');
  EXPECT_EQ(zut::raw_realloc_or_alloc(p, 0), nullptr);  // freed
  zut::raw_free(nullptr);
}

TEST(RawHelpers, TryExpand) {
  EXPECT_TRUE(zut::raw_try_expand(nullptr, 0));
  EXPECT_FALSE(zut::raw_try_expand(nullptr, 1));
  EXPECT_FALSE(zut::raw_try_expand(nullptr, 100));
  void* p = zut::raw_alloc(64);
  EXPECT_FALSE(zut::raw_try_expand(p, 0));
  EXPECT_TRUE(zut::raw_try_expand(p, 32));  // shrinking in place succeeds
  zut::raw_free(p);
}

TEST(RawHelpers, FailedAllocationThrows) {
  EXPECT_THROW(zut::raw_alloc(0xFFFFFFF0u), std::bad_alloc);
  void* p = zut::raw_alloc(8);
  std::memcpy(p, "keepme!", 8);
  EXPECT_THROW(zut::raw_realloc_or_alloc(p, 0xFFFFFFF0u), std::bad_alloc);
  EXPECT_STREQ(static_cast<char*>(p), "keepme!");  // the old block stays valid
  zut::raw_free(p);
  int dummy = 0;
  EXPECT_EQ(zut::check_alloc_result(&dummy), &dummy);
  EXPECT_THROW(zut::check_alloc_result(static_cast<int*>(nullptr)), std::bad_alloc);
}

// ---------------------------------------------------------------------------------------------
// Overflow detection.
// ---------------------------------------------------------------------------------------------

TEST(Overflow, MultiplySafe) {
  EXPECT_EQ(zut::multiply_safe(0, 0xFFFFFFFFu), 0u);
  EXPECT_EQ(zut::multiply_safe(0xFFFFFFFFu, 0), 0u);
  EXPECT_EQ(zut::multiply_safe(1000, 4), 4000u);
  EXPECT_EQ(zut::multiply_safe(0xFFFFFFFFu, 1), 0xFFFFFFFFu);
  EXPECT_EQ(zut::multiply_safe(0x7FFFFFFFu, 2), 0xFFFFFFFEu);
  EXPECT_THROW(zut::multiply_safe(0x80000000u, 2), std::bad_alloc);
  EXPECT_THROW(zut::multiply_safe(0x10000u, 0x10000u), std::bad_alloc);
  // A product that wraps to a value above both factors is an overflow too.
  EXPECT_THROW(zut::multiply_safe(0x10001u, 0x10001u), std::bad_alloc);
  EXPECT_THROW(zut::multiply_safe(0x40000001u, 4), std::bad_alloc);
  // The boundary: exactly max / width is accepted, one more is not.
  EXPECT_EQ(zut::multiply_safe(0xFFFFFFFFu / 12, 12), (0xFFFFFFFFu / 12) * 12);
  EXPECT_THROW(zut::multiply_safe(0xFFFFFFFFu / 12 + 1, 12), std::bad_alloc);
}

TEST(Overflow, MultiplyGuarded) {
  EXPECT_EQ(zut::multiply_guarded(1, 1), 2u);
  EXPECT_EQ(zut::multiply_guarded(0x40000000u, 1), 0x80000000u);
  EXPECT_THROW(zut::multiply_guarded(0x80000000u, 1), std::bad_alloc);
  EXPECT_THROW(zut::multiply_guarded(3, 31), std::bad_alloc);
  EXPECT_EQ(zut::multiply_guarded(0, 40), 0u);
  EXPECT_THROW(zut::multiply_guarded(1, 32), std::bad_alloc);
}

TEST(Overflow, ItemForms) {
  EXPECT_THROW(zut::raw_alloc_items<double>(0x20000001u), std::bad_alloc);
  EXPECT_EQ(zut::raw_alloc_items<double>(0), nullptr);
  int* p = zut::raw_alloc_items<int>(10);
  ASSERT_NE(p, nullptr);
  EXPECT_THROW(zut::raw_realloc_items<int>(p, 0x40000001u), std::bad_alloc);
  p = zut::raw_realloc_items<int>(p, 20);
  EXPECT_FALSE(zut::raw_try_expand_items<int>(p, 0));
  EXPECT_THROW(zut::raw_try_expand_items<int>(p, 0x40000001u), std::bad_alloc);
  zut::raw_free(p);
}

// ---------------------------------------------------------------------------------------------
// Growth sequences.
// ---------------------------------------------------------------------------------------------

TEST(Growth, FastDoublesOneAtATime) {
  zut::array_t<int, zut::alloc_fast> a;
  EXPECT_EQ(a.get_size_total(), 0u);
  std::vector<t_size> totals;
  for (t_size n = 1; n <= 17; n++) {
    a.set_size(n);
    totals.push_back(a.get_size_total());
  }
  const std::vector<t_size> expected = {1, 2, 4, 4, 8, 8, 8, 8, 16, 16, 16, 16, 16, 16, 16, 16, 32};
  EXPECT_EQ(totals, expected);
}

TEST(Growth, FastResizeToFiveFromFour) {
  zut::array_t<int, zut::alloc_fast> a;
  a.set_size(4);
  EXPECT_EQ(a.get_size_total(), 4u);
  a.set_size(5);
  EXPECT_EQ(a.get_size_total(), 8u);
}

TEST(Growth, FastShrinksByHalvingBelowAQuarter) {
  zut::array_t<int, zut::alloc_fast> a;
  a.set_size(64);
  EXPECT_EQ(a.get_size_total(), 64u);
  a.set_size(16);
  EXPECT_EQ(a.get_size_total(), 64u);
  a.set_size(15);
  EXPECT_EQ(a.get_size_total(), 32u);
  a.set_size(64);
  a.set_size(0);
  EXPECT_EQ(a.get_size_total(), 2u);
  EXPECT_NE(a.get_ptr(), nullptr);
}

TEST(Growth, FastEmptyResizedToZeroGetsOne) {
  zut::array_t<int, zut::alloc_fast> a;
  a.set_size(0);
  EXPECT_EQ(a.get_size_total(), 1u);
  EXPECT_EQ(a.get_size(), 0u);
}

TEST(Growth, AggressiveNeverShrinks) {
  zut::array_t<int, zut::alloc_fast_aggressive> a;
  a.set_size(100);
  EXPECT_EQ(a.get_size_total(), 128u);
  int* block = a.get_ptr();
  a.set_size(3);
  EXPECT_EQ(a.get_size_total(), 128u);
  a.set_size(0);
  EXPECT_EQ(a.get_size_total(), 128u);
  a.set_size(100);
  EXPECT_EQ(a.get_ptr(), block);  // no allocation needed
  a.set_size(129);
  EXPECT_EQ(a.get_size_total(), 256u);
}

TEST(Growth, AggressiveSequence) {
  zut::array_t<char, zut::alloc_fast_aggressive> a;
  std::vector<t_size> totals;
  for (t_size n : {1u, 2u, 3u, 5u, 9u, 8u, 1u, 33u}) {
    a.set_size(n);
    totals.push_back(a.get_size_total());
  }
  const std::vector<t_size> expected = {1, 2, 4, 8, 16, 16, 16, 64};
  EXPECT_EQ(totals, expected);
}

TEST(Growth, AggressivePrealloc) {
  zut::array_t<int, zut::alloc_fast_aggressive> a;
  a.set_size(2);
  a.prealloc(0);
  EXPECT_EQ(a.get_size_total(), 2u);
  a.prealloc(20);
  EXPECT_EQ(a.get_size(), 2u);
  EXPECT_EQ(a.get_size_total(), 32u);
  a.prealloc(5);
  EXPECT_EQ(a.get_size_total(), 32u);
}

TEST(Growth, StandardIsExact) {
  zut::array_t<int, zut::alloc_standard> a;
  for (t_size n : {5u, 17u, 3u, 1000u}) {
    a.set_size(n);
    EXPECT_EQ(a.get_size(), n);
    EXPECT_EQ(a.get_size_total(), n);
  }
  a.set_size(0);
  EXPECT_EQ(a.get_ptr(), nullptr);
  EXPECT_EQ(a.get_size_total(), 0u);
}

TEST(Growth, DoublingPastTwoToThe31Throws) {
  zut::alloc_block_t<char> block;
  zut::alloc_fast<char> fast;
  // A capacity of 2^31 cannot double: asking for more throws and keeps the array.
  fast.set_size(4);
  EXPECT_THROW(fast.set_size(0x80000001u), std::bad_alloc);
  EXPECT_EQ(fast.get_size(), 4u);
  EXPECT_EQ(fast.get_size_total(), 4u);
}

// ---------------------------------------------------------------------------------------------
// Element kinds.
// ---------------------------------------------------------------------------------------------

TEST(Elements, PlainTypesKeepBufferBytes) {
  zut::array_t<char, zut::alloc_fast_aggressive> a;
  a.set_size(10);
  std::memset(a.get_ptr(), 'x', 10);
  a.set_size(2);
  a.set_size(10);
  EXPECT_EQ(a[9], 'x');  // not cleared
}

struct handle {
  void* p;
  handle() : p(nullptr) {}
};

TEST(Elements, HandleGrowthGivesNullHandles) {
  zut::array_t<handle, zut::alloc_fast> a;
  a.set_size(3);
  a[0].p = &a;
  a.set_size(7);
  EXPECT_EQ(a[0].p, &a);
  for (t_size n = 1; n < 7; n++) EXPECT_EQ(a[n].p, nullptr);
}

int g_alive = 0;
int g_copies = 0;
bool g_refuse_copy = false;
// Not raw-movable: it points into itself, so it must be copied when the buffer moves.
struct self_ref {
  self_ref* self;
  int value;
  self_ref() : self(this), value(0) { g_alive++; }
  self_ref(const self_ref& p) : self(this), value(p.value) {
    if (g_refuse_copy) throw std::runtime_error("copy refused");
    g_alive++;
    g_copies++;
  }
  self_ref& operator=(const self_ref& p) {
    value = p.value;
    return *this;
  }
  ~self_ref() { g_alive--; }
};

TEST(Elements, NonMovableItemsAreCopiedOnReallocation) {
  EXPECT_FALSE(zut::is_raw_movable<self_ref>::value);
  g_alive = g_copies = 0;
  {
    zut::array_t<self_ref, zut::alloc_standard> a;
    for (t_size n = 1; n <= 50; n++) {
      a.set_size(n);
      a[n - 1].value = static_cast<int>(n);
    }
    EXPECT_EQ(g_alive, 50);
    for (t_size n = 0; n < 50; n++) {
      EXPECT_EQ(a[n].self, &a[n]);
      EXPECT_EQ(a[n].value, static_cast<int>(n + 1));
    }
    a.set_size(10);
    EXPECT_EQ(g_alive, 10);
  }
  EXPECT_EQ(g_alive, 0);
}

TEST(Elements, CopyFailureDuringReallocationLeavesBlock) {
  g_alive = 0;
  {
    zut::alloc_block_t<self_ref> block;
    block.set_size(3, 3);
    block[1].value = 11;
    self_ref* before = block.get_ptr();
    g_refuse_copy = true;
    bool threw = false;
    try {
      // 4 MiB: a size that no heap grows a small block to in place (32 KiB could be, when free
      // space happens to follow the block), so the copy always runs.
      block.set_size(3, 0x80000);
    } catch (const std::runtime_error&) {
      threw = true;
    }
    g_refuse_copy = false;
    EXPECT_TRUE(threw);
    if (threw) {
      EXPECT_EQ(block.get_ptr(), before);
      EXPECT_EQ(block.get_size(), 3u);
      EXPECT_EQ(block.get_size_total(), 3u);
      EXPECT_EQ(block[1].value, 11);
    }
    EXPECT_EQ(g_alive, 3);
  }
  EXPECT_EQ(g_alive, 0);
}

TEST(Elements, FailedGrowthKeepsTheBlock) {
  zut::array_t<char, zut::alloc_standard> a;
  a.set_size(5);
  std::memcpy(a.get_ptr(), "abcd", 5);
  char* before = a.get_ptr();
  EXPECT_THROW(a.set_size(0xFFFFFFF0u), std::bad_alloc);
  EXPECT_EQ(a.get_ptr(), before);
  EXPECT_EQ(a.get_size(), 5u);
  EXPECT_STREQ(a.get_ptr(), "abcd");
  zut::array_t<double, zut::alloc_standard> d;
  d.set_size(2);
  EXPECT_THROW(d.set_size(0x20000000u), std::bad_alloc);
  EXPECT_EQ(d.get_size(), 2u);
}

// ---------------------------------------------------------------------------------------------
// Block checks report and refuse.
// ---------------------------------------------------------------------------------------------

TEST(BlockChecks, SizeAboveCapacityIsReportedAndRefused) {
  zut::alloc_block_t<int> block;
  block.set_size(2, 4);
  const t_size before = zut::get_assert_count();
  block.set_size(5, 3);
  EXPECT_EQ(zut::get_assert_count(), before + 1);
  EXPECT_STREQ(zut::get_last_assert_expression(), L"p_size <= p_size_total");
  EXPECT_EQ(zut::get_last_assert_line(), 131u);
  EXPECT_EQ(block.get_size(), 2u);
  EXPECT_EQ(block.get_size_total(), 4u);
}

TEST(BlockChecks, IndexChecks) {
  zut::alloc_block_t<int> block;
  block.set_size(2, 2);
  const t_size before = zut::get_assert_count();
  (void)block[1];
  EXPECT_EQ(zut::get_assert_count(), before);
  (void)block[2];
  EXPECT_EQ(zut::get_last_assert_line(), 147u);
  EXPECT_STREQ(zut::get_last_assert_expression(), L"p_index < m_size");
  const zut::alloc_block_t<int>& cblock = block;
  (void)cblock[5];
  EXPECT_EQ(zut::get_last_assert_line(), 146u);
  zut::alloc_standard<int> policy;
  policy.set_size(1);
  (void)policy[3];
  EXPECT_EQ(zut::get_assert_count(), before + 4);  // policy check, then the block's
  EXPECT_EQ(zut::get_last_assert_line(), 147u);
}

}  // namespace
