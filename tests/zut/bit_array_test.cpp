// Selection masks: the find rules of every kind, the bit table, and the fixed virtual slots.
#include <gtest/gtest.h>
#include <zut/bit_array.h>

#include <string>
#include <vector>

namespace {

const t_size none = ~t_size(0);

// Calls virtual slot `slot` of obj directly through its table, as another module would.
template <typename R, typename... A>
R call_slot(const void* obj, int slot, A... args) {
  typedef R(__attribute__((thiscall)) * fn_t)(const void*, A...);
  void* const* table = *static_cast<void* const* const*>(obj);
  return reinterpret_cast<fn_t>(table[slot])(obj, args...);
}

// A mask over a vector of bools that records every get, to see what the default search visits.
class recording_mask : public bit_array {
 public:
  explicit recording_mask(std::vector<bool> bits) : m_bits(bits) {}
  bool get(t_size n) const override {
    m_visited.push_back(n);
    return n < m_bits.size() && m_bits[n];
  }
  std::vector<bool> m_bits;
  mutable std::vector<t_size> m_visited;
};

TEST(BitArrayFind, ConstantKinds) {
  bit_array_true t;
  EXPECT_EQ(t.find(true, 5, 10), 5u);
  EXPECT_EQ(t.find(false, 5, 10), 15u);
  EXPECT_EQ(t.find(false, 5, -3), 2u);
  EXPECT_EQ(t.find(true, 5, 0), 5u);

  bit_array_false f;
  EXPECT_EQ(f.find(true, 5, 10), 15u);
  EXPECT_EQ(f.find(false, 5, 10), 5u);
  EXPECT_EQ(f.find(true, 2, -3), none);  // downward past 0 wraps
  EXPECT_FALSE(f.get(0));

  bit_array_val v1(true), v0(false);
  EXPECT_TRUE(v1.get(7));
  EXPECT_FALSE(v0.get(7));
  EXPECT_EQ(v1.find(true, 3, 4), 3u);
  EXPECT_EQ(v1.find(false, 3, 4), 7u);
  EXPECT_EQ(v0.find(false, 3, -2), 3u);
  EXPECT_EQ(v0.find(true, 3, -2), 1u);
}

TEST(BitArrayFind, One) {
  bit_array_one one(4);
  EXPECT_TRUE(one.get(4));
  EXPECT_FALSE(one.get(3));
  EXPECT_EQ(one.find(true, 0, 10), 4u);
  EXPECT_EQ(one.find(true, 5, 10), 15u);
  EXPECT_EQ(one.find(true, 9, -10), 4u);
  EXPECT_EQ(one.find(true, 4, 1), 4u);
  EXPECT_EQ(one.find(true, 0, 4), 4u);  // the end of the walk is not visited
  EXPECT_EQ(one.find(true, 3, -4), none);
  EXPECT_EQ(one.find(false, 4, 10), 5u);
  EXPECT_EQ(one.find(false, 4, -1), 3u);
  EXPECT_EQ(one.find(false, 2, 10), 2u);
  EXPECT_EQ(one.find(true, 4, 0), 4u);

  bit_array_one zero(0);
  EXPECT_EQ(zero.find(true, 3, -4), 0u);  // index 0 is reached by a downward walk
  EXPECT_EQ(zero.find(true, 3, -3), 0u);
  EXPECT_EQ(zero.find(true, 3, -2), 1u);
}

// The overriding searches must agree with the plain walk over get.
TEST(BitArrayFind, OwnSearchesAgreeWithTheWalk) {
  struct walk : bit_array {
    explicit walk(const bit_array& m) : inner(m) {}
    bool get(t_size n) const override { return inner.get(n); }
    const bit_array& inner;
  };
  bit_array_true t;
  bit_array_false f;
  bit_array_val v(true);
  bit_array_one one(6), zero(0);
  bit_array_not not_one(one);
  const bit_array* masks[] = {&t, &f, &v, &one, &zero, &not_one};
  for (const bit_array* m : masks) {
    walk w(*m);
    for (t_size start = 0; start < 10; ++start) {
      for (int count = -12; count <= 12; ++count) {
        for (int val = 0; val < 2; ++val) {
          ASSERT_EQ(m->find(val != 0, start, count), w.bit_array::find(val != 0, start, count))
              << "start " << start << " count " << count << " val " << val;
        }
      }
    }
  }
}

TEST(BitArrayFind, DefaultSearchVisitsOnlyItsPositions) {
  recording_mask m({false, false, true, false, true});
  EXPECT_EQ(m.find(true, 0, 5), 2u);
  EXPECT_EQ(m.m_visited, (std::vector<t_size>{0, 1, 2}));

  m.m_visited.clear();
  EXPECT_EQ(m.find(true, 3, 0), 3u);
  EXPECT_TRUE(m.m_visited.empty());

  m.m_visited.clear();
  EXPECT_EQ(m.find(true, 3, -2), 2u);
  EXPECT_EQ(m.m_visited, (std::vector<t_size>{3, 2}));

  // A downward search from n-1 over n positions that finds nothing ends at ~0.
  m.m_visited.clear();
  EXPECT_EQ(m.find(true, 1, -2), none);
  EXPECT_EQ(m.m_visited, (std::vector<t_size>{1, 0}));

  m.m_visited.clear();
  EXPECT_EQ(m.find(false, 4, 3), 5u);
}

TEST(BitArrayFind, RangeAndNot) {
  bit_array_range r(3, 4, true);
  std::string in;
  for (t_size n = 0; n < 10; ++n) in += r.get(n) ? '1' : '0';
  EXPECT_EQ(in, "0001111000");
  EXPECT_EQ(r.find(true, 0, 10), 3u);
  EXPECT_EQ(r.find(false, 3, 10), 7u);
  EXPECT_EQ(r.find(true, 9, -9), 6u);

  bit_array_range out(3, 4, false);
  EXPECT_TRUE(out.get(0));
  EXPECT_FALSE(out.get(3));
  EXPECT_FALSE(out.get(6));
  EXPECT_TRUE(out.get(7));
  EXPECT_TRUE(out.get(1000000));
  EXPECT_EQ(out.find(true, 3, 10), 7u);

  // A range reaching past the top of the index space does not wrap into an empty one.
  bit_array_range top(none - 2, 10, true);
  EXPECT_TRUE(top.get(none - 1));
  EXPECT_FALSE(top.get(0));

  bit_array_one one(2);
  bit_array_not not_one(one);
  EXPECT_FALSE(not_one.get(2));
  EXPECT_TRUE(not_one.get(3));
  EXPECT_EQ(not_one.find(true, 0, 5), 0u);
  EXPECT_EQ(not_one.find(false, 0, 5), 2u);
  EXPECT_EQ(not_one.find(true, 2, 5), 3u);
}

TEST(BitArrayBittable, BitsAndBounds) {
  bit_array_bittable b(10);
  for (t_size n = 0; n < 16; ++n) EXPECT_FALSE(b.get(n));
  b.set(9, true);
  b.set(0, true);
  b.set(12, true);  // beyond the count: ignored
  EXPECT_TRUE(b.get(9));
  EXPECT_TRUE(b.get(0));
  EXPECT_FALSE(b.get(12));
  EXPECT_FALSE(b.get(10));
  EXPECT_EQ(b.find(true, 1, 9), 9u);
  EXPECT_EQ(b.find(true, 10, -10), 9u);
  EXPECT_EQ(b.find(false, 0, 10), 1u);
  b.set(9, false);
  EXPECT_FALSE(b.get(9));
}

TEST(BitArrayBittable, LayoutIsLeastSignificantBitFirst) {
  unsigned char bytes[2] = {0, 0};
  bit_array_bittable::g_set(bytes, 9, true);
  EXPECT_EQ(bytes[0], 0);
  EXPECT_EQ(bytes[1], 0x02);
  bit_array_bittable::g_set(bytes, 0, true);
  bit_array_bittable::g_set(bytes, 7, true);
  EXPECT_EQ(bytes[0], 0x81);
  EXPECT_TRUE(bit_array_bittable::g_get(bytes, 7));
  EXPECT_FALSE(bit_array_bittable::g_get(bytes, 6));
  bit_array_bittable::g_set(bytes, 7, false);
  EXPECT_EQ(bytes[0], 0x01);
}

TEST(BitArrayBittable, ResizeStartsClean) {
  EXPECT_EQ(bit_array_bittable::g_estimate_size(0), 0u);
  EXPECT_EQ(bit_array_bittable::g_estimate_size(1), 1u);
  EXPECT_EQ(bit_array_bittable::g_estimate_size(8), 1u);
  EXPECT_EQ(bit_array_bittable::g_estimate_size(9), 2u);
  EXPECT_EQ(bit_array_bittable::g_estimate_size(none), 0x20000000u);  // no wrap to 0 bytes

  bit_array_bittable b(20);
  for (t_size n = 0; n < 20; ++n) b.set(n, true);
  b.resize(3);
  EXPECT_TRUE(b.get(2));
  EXPECT_FALSE(b.get(3));
  b.resize(4000);  // the growth brings back no old bit and no heap garbage
  EXPECT_TRUE(b.get(0));
  EXPECT_TRUE(b.get(2));
  EXPECT_EQ(b.find(true, 3, 3997), 4000u);
  b.resize(0);
  EXPECT_FALSE(b.get(0));
  b.set(0, true);
  EXPECT_FALSE(b.get(0));
}

TEST(BitArrayVarTable, CallersTable) {
  bool table[4] = {false, true, false, false};
  bit_array_var_table_t<bool> t(table, 4, true);
  EXPECT_FALSE(t.get(0));
  EXPECT_TRUE(t.get(1));
  EXPECT_TRUE(t.get(4));
  EXPECT_TRUE(t.get(100));
  t.set(2, true);
  EXPECT_TRUE(table[2]);
  t.set(7, false);  // ignored
  EXPECT_TRUE(t.get(7));
  EXPECT_EQ(t.find(false, 0, 10), 0u);
  EXPECT_EQ(t.find(false, 1, 10), 3u);
  EXPECT_EQ(t.find(false, 4, 10), 14u);

  bit_array_var_table_t<bool> f(table, 4, false);
  EXPECT_FALSE(f.get(4));
}

TEST(BitArraySlots, FixedPositions) {
  bit_array_one one(3);
  EXPECT_TRUE(call_slot<bool>(&one, 0, t_size(3)));
  EXPECT_FALSE(call_slot<bool>(&one, 0, t_size(2)));
  EXPECT_EQ((call_slot<t_size>(&one, 1, true, t_size(0), 10)), 3u);

  bit_array_range r(2, 2);
  EXPECT_EQ((call_slot<t_size>(&r, 1, true, t_size(0), 10)), 2u);  // the default search

  bit_array_bittable b(8);
  call_slot<void>(&b, 2, t_size(5), true);
  EXPECT_TRUE(b.get(5));
  EXPECT_TRUE(call_slot<bool>(&b, 0, t_size(5)));

  bool table[2] = {false, false};
  bit_array_var_table_t<bool> t(table, 2);
  call_slot<void>(&t, 2, t_size(1), true);
  EXPECT_TRUE(table[1]);
}

}  // namespace
