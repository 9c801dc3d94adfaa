// Sorting by property over many input shapes and sizes, the stable sort, reorder (including broken
// orders) and the bisection search.
#include <gtest/gtest.h>
#include <zut/sort.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct item {
  int key;
  t_size id;  // original position
};

// Sorts a vector of items by key, counting calls and checking every index it is handed.
class item_sorter : public zut::sort_callback {
 public:
  explicit item_sorter(std::vector<item>& items) : m_items(items) {}
  int compare(t_size a, t_size b) const override {
    ++m_compares;
    check(a);
    check(b);
    return m_items[a].key < m_items[b].key ? -1 : (m_items[a].key > m_items[b].key ? 1 : 0);
  }
  void swap(t_size a, t_size b) override {
    ++m_swaps;
    check(a);
    check(b);
    std::swap(m_items[a], m_items[b]);
  }
  void check(t_size n) const {
    if (n >= m_items.size()) m_bad_index = true;
  }
  std::vector<item>& m_items;
  mutable t_size m_compares = 0;
  t_size m_swaps = 0;
  mutable bool m_bad_index = false;
};

std::vector<item> make_items(const std::vector<int>& keys) {
  std::vector<item> items;
  for (t_size n = 0; n < keys.size(); ++n) items.push_back({keys[n], n});
  return items;
}

// Input shapes of size n.
std::vector<std::vector<int>> shapes(t_size n, std::mt19937& rng) {
  std::vector<int> random(n), few(n), sorted(n), reversed(n), equal(n, 7), organ(n), saw(n);
  for (t_size i = 0; i < n; ++i) {
    random[i] = static_cast<int>(rng());
    few[i] = static_cast<int>(rng() % 4);
    sorted[i] = static_cast<int>(i);
    reversed[i] = static_cast<int>(n - i);
    organ[i] = static_cast<int>(i < n / 2 ? i : n - i);
    saw[i] = static_cast<int>(i % 5);
  }
  return {random, few, sorted, reversed, equal, organ, saw};
}

const t_size sizes[] = {0, 1, 2, 3, 5, 7, 8, 9, 10, 15, 16, 17, 31, 64, 100, 257, 1000, 4099};

void expect_sorted_permutation(const std::vector<item>& items, t_size n, bool stable,
                               const std::string& what) {
  std::vector<bool> seen(n, false);
  for (const item& it : items) {
    ASSERT_LT(it.id, n) << what;
    ASSERT_FALSE(seen[it.id]) << what;
    seen[it.id] = true;
  }
  for (t_size i = 1; i < items.size(); ++i) {
    ASSERT_LE(items[i - 1].key, items[i].key) << what << " at " << i;
    if (stable && items[i - 1].key == items[i].key) {
      ASSERT_LT(items[i - 1].id, items[i].id) << what << " at " << i;
    }
  }
}

TEST(Sort, EveryShapeEndsOrderedAndAPermutation) {
  std::mt19937 rng(12345);
  for (t_size n : sizes) {
    int shape = 0;
    for (const std::vector<int>& keys : shapes(n, rng)) {
      const std::string what = "size " + std::to_string(n) + " shape " + std::to_string(shape++);
      std::vector<item> items = make_items(keys);
      item_sorter cb(items);
      zut::sort(cb, n);
      EXPECT_FALSE(cb.m_bad_index) << what;
      expect_sorted_permutation(items, n, false, what);

      std::vector<item> stable_items = make_items(keys);
      item_sorter stable_cb(stable_items);
      zut::sort_stable(stable_cb, n);
      EXPECT_FALSE(stable_cb.m_bad_index) << what;
      expect_sorted_permutation(stable_items, n, true, what);
    }
  }
}

TEST(Sort, SmallCounts) {
  std::vector<item> items = make_items({3, 1});
  item_sorter none(items);
  zut::sort(none, 0);
  zut::sort(none, 1);
  EXPECT_EQ(none.m_compares + none.m_swaps, 0u);

  // Eight items take the selection sort alone, which self-swaps its maximum into place.
  std::vector<item> eight = make_items({0, 1, 2, 3, 4, 5, 6, 7});
  item_sorter cb8(eight);
  zut::sort(cb8, 8);
  EXPECT_EQ(cb8.m_swaps, 7u);
  EXPECT_EQ(cb8.m_compares, 28u);
}

TEST(Sort, StableKeepsEqualKeysInInputOrder) {
  std::vector<item> items = make_items({2, 1, 2, 1});  // (2,a) (1,b) (2,c) (1,d)
  item_sorter cb(items);
  zut::sort_stable(cb, 4);
  std::vector<t_size> ids;
  for (const item& it : items) ids.push_back(it.id);
  EXPECT_EQ(ids, (std::vector<t_size>{1, 3, 0, 2}));

  std::vector<item> equal = make_items(std::vector<int>(50, 9));
  item_sorter eq(equal);
  zut::sort_stable(eq, 50);
  for (t_size i = 0; i < 50; ++i) EXPECT_EQ(equal[i].id, i);
}

TEST(Sort, ExceptionFromTheComparerPropagates) {
  struct throwing : zut::sort_callback {
    int compare(t_size, t_size) const override { throw std::runtime_error("compare"); }
    void swap(t_size, t_size) override {}
  } cb;
  EXPECT_THROW(zut::sort(cb, 20), std::runtime_error);
  EXPECT_THROW(zut::sort_stable(cb, 20), std::runtime_error);
}

int compare_ints(const void* a, const void* b) {
  const int x = *static_cast<const int*>(a), y = *static_cast<const int*>(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

int g_raw_swaps = 0;
void counting_swap(void* a, void* b, t_size width) {
  ++g_raw_swaps;
  zut::swap_void(a, b, width);
}

TEST(Sort, RawBlocks) {
  std::mt19937 rng(7);
  std::vector<int> v(500);
  for (int& x : v) x = static_cast<int>(rng() % 100);
  std::vector<int> expected = v;
  std::sort(expected.begin(), expected.end());

  std::vector<int> a = v;
  zut::sort(a.data(), static_cast<t_size>(a.size()), sizeof(int), compare_ints);
  EXPECT_EQ(a, expected);

  std::vector<int> b = v;
  g_raw_swaps = 0;
  zut::sort(b.data(), static_cast<t_size>(b.size()), sizeof(int), compare_ints, counting_swap);
  EXPECT_EQ(b, expected);
  EXPECT_GT(g_raw_swaps, 0);
}

// Reorder over a vector, counting swaps and recording indices out of range.
class vector_reorder : public zut::reorder_callback {
 public:
  explicit vector_reorder(std::vector<int>& v) : m_v(v) {}
  void swap(t_size a, t_size b) override {
    ++m_swaps;
    if (a >= m_v.size() || b >= m_v.size()) {
      m_bad_index = true;
      return;
    }
    std::swap(m_v[a], m_v[b]);
  }
  std::vector<int>& m_v;
  t_size m_swaps = 0;
  bool m_bad_index = false;
};

TEST(Reorder, IdentityAndCycles) {
  std::vector<int> v = {10, 11, 12, 13};
  vector_reorder cb(v);
  const t_size identity[] = {0, 1, 2, 3};
  zut::reorder(cb, identity, 4);
  EXPECT_EQ(cb.m_swaps, 0u);

  std::vector<int> xyz = {'x', 'y', 'z'};
  vector_reorder cb3(xyz);
  const t_size rotate[] = {1, 2, 0};
  zut::reorder(cb3, rotate, 3);
  EXPECT_EQ(xyz, (std::vector<int>{'y', 'z', 'x'}));
  EXPECT_EQ(cb3.m_swaps, 2u);

  // Two 2-cycles and a fixed point.
  std::vector<int> w = {0, 1, 2, 3, 4};
  vector_reorder cb5(w);
  const t_size pairs[] = {1, 0, 2, 4, 3};
  zut::reorder(cb5, pairs, 5);
  EXPECT_EQ(w, (std::vector<int>{1, 0, 2, 4, 3}));
  EXPECT_EQ(cb5.m_swaps, 2u);
}

TEST(Reorder, LargeOrdersBothSidesOfTheFrameTable) {
  std::mt19937 rng(99);
  for (t_size n : {t_size(10000), t_size(8192), t_size(8193), t_size(20000)}) {
    std::vector<t_size> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), rng);
    std::vector<int> v(n);
    std::iota(v.begin(), v.end(), 0);
    vector_reorder cb(v);
    const t_size before = zut::get_assert_count();
    zut::reorder(cb, order.data(), n);
    EXPECT_EQ(zut::get_assert_count(), before);
    EXPECT_FALSE(cb.m_bad_index);
    for (t_size i = 0; i < n; ++i)
      ASSERT_EQ(static_cast<t_size>(v[i]), order[i]) << "n " << n << " i " << i;
    EXPECT_LT(cb.m_swaps, n);
  }
}

TEST(Reorder, BrokenOrdersAreReportedAndStop) {
  struct broken_case {
    std::vector<t_size> order;
    const wchar_t* report;
  };
  const broken_case cases[] = {
      {{0, 0}, L"next>n"},                                 // would loop for ever
      {{1, 1}, L"!bit_array_bittable::g_get(done,next)"},  // meets a finished item
      {{5, 0}, L"next<p_count"},                           // out of range
      {{1, 2, 1}, L"!bit_array_bittable::g_get(done,next)"},
      {{0, 2, 7}, L"next<p_count"},
      {{2, 0, 0}, L"next>n"},
  };
  for (const broken_case& c : cases) {
    std::vector<int> v(c.order.size());
    std::iota(v.begin(), v.end(), 100);
    vector_reorder cb(v);
    const t_size before = zut::get_assert_count();
    zut::reorder(cb, c.order.data(), static_cast<t_size>(c.order.size()));
    EXPECT_EQ(zut::get_assert_count(), before + 1);
    EXPECT_STREQ(zut::get_last_assert_expression(), c.report);
    EXPECT_STREQ(zut::get_last_assert_file(), L".\\sort");
    EXPECT_FALSE(cb.m_bad_index);
    EXPECT_LE(cb.m_swaps, c.order.size());
    std::vector<int> sorted = v;
    std::sort(sorted.begin(), sorted.end());
    for (t_size i = 0; i < sorted.size(); ++i)
      EXPECT_EQ(sorted[i], static_cast<int>(100 + i));  // still a permutation
  }
}

TEST(Reorder, RawBlock) {
  struct pair {
    std::uint16_t a;
    char tag;
  };
  pair items[4] = {{1, 'w'}, {2, 'x'}, {3, 'y'}, {4, 'z'}};
  const t_size order[] = {3, 0, 1, 2};
  zut::reorder(items, sizeof(pair), order, 4);
  EXPECT_EQ(items[0].tag, 'z');
  EXPECT_EQ(items[1].tag, 'w');
  EXPECT_EQ(items[2].tag, 'x');
  EXPECT_EQ(items[3].tag, 'y');
  EXPECT_EQ(items[0].a, 4);

  const t_size before = zut::get_assert_count();
  const t_size bad[] = {9, 0, 1, 2};
  zut::reorder(items, sizeof(pair), bad, 4);
  EXPECT_EQ(zut::get_assert_count(), before + 1);
  EXPECT_STREQ(zut::get_last_assert_expression(), L"next<num");
  EXPECT_EQ(zut::get_last_assert_line(), 66u);
}

int compare_int(int a, int b) { return a < b ? -1 : (a > b ? 1 : 0); }

TEST(Bsearch, HitsMissesAndEmpty) {
  const std::vector<int> v = {1, 3, 5};
  t_size at = 77;
  EXPECT_FALSE(zut::bsearch_t(3, v, compare_int, 4, at));
  EXPECT_EQ(at, 2u);
  EXPECT_FALSE(zut::bsearch_t(3, v, compare_int, 0, at));
  EXPECT_EQ(at, 0u);
  EXPECT_FALSE(zut::bsearch_t(3, v, compare_int, 6, at));
  EXPECT_EQ(at, 3u);
  EXPECT_TRUE(zut::bsearch_t(3, v, compare_int, 5, at));
  EXPECT_EQ(at, 2u);
  EXPECT_TRUE(zut::bsearch_t(3, v, compare_int, 1, at));
  EXPECT_EQ(at, 0u);
  EXPECT_FALSE(zut::bsearch_t(0, v, compare_int, 3, at));
  EXPECT_EQ(at, 0u);

  // Every key of a longer list, and every gap between.
  std::vector<int> evens;
  for (int i = 0; i < 101; ++i) evens.push_back(2 * i);
  for (int key = -1; key <= 202; ++key) {
    const bool hit = zut::bsearch_t(static_cast<t_size>(evens.size()), evens, compare_int, key, at);
    EXPECT_EQ(hit, key >= 0 && key <= 200 && key % 2 == 0) << key;
    EXPECT_EQ(
        at, static_cast<t_size>(std::lower_bound(evens.begin(), evens.end(), key) - evens.begin()))
        << key;
  }
}

TEST(SortCallbacks, PermutationWrapLeavesTheDataAlone) {
  const std::vector<int> data = {30, 10, 20, 10};
  t_size perm[] = {0, 1, 2, 3};
  zut::sort_callback_impl_permutation_wrap_t<const std::vector<int>, int (*)(int, int)> cb(
      data, compare_int, perm);
  zut::sort_stable(cb, 4);
  EXPECT_EQ(perm[0], 1u);
  EXPECT_EQ(perm[1], 3u);
  EXPECT_EQ(perm[2], 2u);
  EXPECT_EQ(perm[3], 0u);
  EXPECT_EQ(data, (std::vector<int>{30, 10, 20, 10}));
}

}  // namespace
