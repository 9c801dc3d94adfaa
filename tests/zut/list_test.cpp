// The list family with reference-counting items: every operation keeps a ledger of add-references
// and releases that must balance; plus the refused calls and the fixed virtual slots.
#include <gtest/gtest.h>
#include <zut/list.h>

#include <map>
#include <string>
#include <vector>

namespace {

// The ledger: references taken and dropped, per object.
struct ledger {
  std::map<const void*, int> refs;
  int add_refs = 0;
  int releases = 0;
  bool underflow = false;
};
ledger g_ledger;

struct counted_object {
  char name;
};

// A counted reference in the manner of the host's service pointers: a null default, counted copies
// and assignments (the new reference is taken before the old one is dropped), and raw-movable.
class counted_ref {
 public:
  typedef void zut_raw_movable;
  counted_ref() : m_ptr(nullptr) {}
  explicit counted_ref(counted_object* p) : m_ptr(p) { add_ref(m_ptr); }
  counted_ref(const counted_ref& p_source) : m_ptr(p_source.m_ptr) { add_ref(m_ptr); }
  counted_ref& operator=(const counted_ref& p_source) {
    counted_object* old = m_ptr;
    add_ref(p_source.m_ptr);
    m_ptr = p_source.m_ptr;
    release(old);
    return *this;
  }
  ~counted_ref() { release(m_ptr); }
  counted_object* get_ptr() const { return m_ptr; }
  char name() const { return m_ptr ? m_ptr->name : '-'; }

 private:
  static void add_ref(counted_object* p) {
    if (!p) return;
    ++g_ledger.add_refs;
    ++g_ledger.refs[p];
  }
  static void release(counted_object* p) {
    if (!p) return;
    ++g_ledger.releases;
    if (--g_ledger.refs[p] < 0) g_ledger.underflow = true;
  }
  counted_object* m_ptr;
};

typedef zut::list_t<counted_ref> ref_list;

// Objects a .. z for the lists to refer to.
class ListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_ledger = ledger();
    for (int i = 0; i < 26; ++i) m_objects[i].name = static_cast<char>('a' + i);
    m_asserts = zut::get_assert_count();
  }
  void TearDown() override {
    // Every list of the test is gone: the ledger must balance.
    EXPECT_EQ(g_ledger.add_refs, g_ledger.releases);
    EXPECT_FALSE(g_ledger.underflow);
    for (const auto& r : g_ledger.refs)
      EXPECT_EQ(r.second, 0) << static_cast<const counted_object*>(r.first)->name;
  }
  counted_ref ref(char name) { return counted_ref(&m_objects[name - 'a']); }
  static std::string names(const zut::list_base_const_t<counted_ref>& list) {
    std::string s;
    for (t_size n = 0; n < list.get_count(); ++n) s += list.get_item(n).name();
    return s;
  }
  ref_list make(const char* text) {
    ref_list list;
    for (const char* p = text; *p; ++p) list.add_item(ref(*p));
    return list;
  }
  int refs_of(char name) { return g_ledger.refs[&m_objects[name - 'a']]; }
  t_size new_asserts() const { return zut::get_assert_count() - m_asserts; }

  counted_object m_objects[26];
  t_size m_asserts = 0;
};

TEST_F(ListTest, AddAndGetHoldOneReferencePerItem) {
  ref_list list = make("abcde");
  EXPECT_EQ(names(list), "abcde");
  EXPECT_EQ(refs_of('a'), 1);
  counted_ref out;
  list.get_item_ex(out, 2);
  EXPECT_EQ(out.name(), 'c');
  EXPECT_EQ(refs_of('c'), 2);
  EXPECT_EQ(list.get_item_ref(4).name(), 'e');
  EXPECT_EQ(list[1].name(), 'b');
}

TEST_F(ListTest, AddItemOfItsOwnElementWhileGrowing) {
  ref_list list = make("abcd");  // capacity 4: the next add moves the buffer
  for (int round = 0; round < 6; ++round) list.add_item(list.get_item_ref(0));
  EXPECT_EQ(names(list), "abcdaaaaaa");
  EXPECT_EQ(refs_of('a'), 7);

  // The same through the interface, which inserts a one-item view of its own element.
  zut::list_base_t<counted_ref>& base = list;
  base.add_item(list.get_item_ref(1));
  base.insert_item(list.get_item_ref(3), 0);
  EXPECT_EQ(names(list), "dabcdaaaaaab");
}

TEST_F(ListTest, InsertItems) {
  ref_list list = make("wx");
  ref_list source = make("yz");
  EXPECT_EQ(list.insert_items(source, 1), 1u);
  EXPECT_EQ(names(list), "wyzx");
  EXPECT_EQ(list.insert_items(source, 100), 4u);  // beyond the count: appended
  EXPECT_EQ(names(list), "wyzxyz");
  EXPECT_EQ(list.insert_items(source, 0), 0u);
  EXPECT_EQ(names(list), "yzwyzxyz");
  ref_list empty;
  EXPECT_EQ(list.insert_items(empty, 50), 8u);
  EXPECT_EQ(names(list), "yzwyzxyz");
  EXPECT_EQ(refs_of('y'), 4);

  ref_list two = make("wx");
  EXPECT_EQ(two.insert_item(ref('v'), 1), 1u);
  EXPECT_EQ(names(two), "wvx");

  const counted_ref c = ref('c');
  zut::list_single_ref_t<counted_ref> triple(c, 3);
  EXPECT_EQ(two.insert_items(triple, 0), 0u);
  EXPECT_EQ(names(two), "cccwvx");
}

TEST_F(ListTest, InsertIntoItself) {
  ref_list list = make("abc");
  EXPECT_EQ(list.insert_items(list, 1), 1u);
  EXPECT_EQ(names(list), "aabcbc");
  EXPECT_EQ(list.insert_items(list, 6), 6u);
  EXPECT_EQ(names(list), "aabcbcaabcbc");
  EXPECT_EQ(refs_of('a'), 4);
}

TEST_F(ListTest, InsertTooManyLeavesTheListUnchanged) {
  // A source claiming more items than the address space can hold.
  struct huge_source : zut::list_base_const_t<counted_ref> {
    t_size get_count() const override { return 0xFFFFFFF0u; }
    void get_item_ex(counted_ref&, t_size) const override { ++calls; }
    mutable int calls = 0;
  } huge;
  ref_list list = make("abc");
  EXPECT_THROW(list.insert_items(huge, 1), std::bad_alloc);
  EXPECT_EQ(names(list), "abc");
  EXPECT_EQ(huge.calls, 0);
}

TEST_F(ListTest, KeepAndRemoveMasks) {
  ref_list list = make("wxyz");
  list.keep_mask(bit_array_true());
  EXPECT_EQ(names(list), "wxyz");
  list.remove_mask(bit_array_one(2));
  EXPECT_EQ(names(list), "wxz");
  EXPECT_EQ(refs_of('y'), 0);
  list.keep_mask(bit_array_false());
  EXPECT_EQ(list.get_count(), 0u);
  EXPECT_EQ(refs_of('w'), 0);

  ref_list many = make("abcdefgh");
  bit_array_bittable keep(8);
  for (t_size n : {1u, 2u, 5u, 7u}) keep.set(n, true);
  many.keep_mask(keep);
  EXPECT_EQ(names(many), "bcfh");
  many.remove_mask(bit_array_range(1, 2));
  EXPECT_EQ(names(many), "bh");
}

TEST_F(ListTest, ReorderPartial) {
  ref_list list = make("wxyz");
  const t_size order[] = {2, 0, 1};
  list.reorder_partial(1, order, 3);
  EXPECT_EQ(names(list), "wzxy");

  list.reorder_partial(2, order, 3);  // past the end: refused
  EXPECT_EQ(names(list), "wzxy");
  EXPECT_EQ(new_asserts(), 1u);
  EXPECT_STREQ(zut::get_last_assert_expression(), L"p_base+p_count<=get_count()");
  EXPECT_EQ(zut::get_last_assert_line(), 417u);

  list.reorder_partial(0xFFFFFFFFu, order, 3);  // a sum that would wrap round
  EXPECT_EQ(names(list), "wzxy");
  EXPECT_EQ(new_asserts(), 2u);
}

int by_name(const counted_ref& a, const counted_ref& b) { return a.name() - b.name(); }

TEST_F(ListTest, Sorting) {
  ref_list list = make("dbcabd");
  list.sort_t(by_name);
  EXPECT_EQ(names(list), "abbcdd");

  // Stable: equal keys (by case-less class: a-d low, e-h high) keep their order.
  ref_list mixed = make("gbhaec");
  struct by_half : zut::list_base_t<counted_ref>::sort_callback {
    int compare(const counted_ref& a, const counted_ref& b) override {
      return (a.name() >= 'e') - (b.name() >= 'e');
    }
  } half;
  mixed.sort_stable(half);
  EXPECT_EQ(names(mixed), "bacghe");

  // The automatic order is by object address.
  ref_list by_address = make("hgfedcba");
  by_address.sort();
  EXPECT_EQ(names(by_address), "abcdefgh");
  t_size at = 99;
  EXPECT_TRUE(by_address.bsearch_t(
      [](const counted_ref& item, const counted_object* key) {
        return item.get_ptr() < key ? -1 : (item.get_ptr() > key ? 1 : 0);
      },
      &m_objects[5], at));
  EXPECT_EQ(at, 5u);
  EXPECT_TRUE(by_address.bsearch_t(by_name, ref('c'), at));
  EXPECT_EQ(at, 2u);
}

TEST_F(ListTest, LongSortsMoveItemsWithoutCounting) {
  ref_list list;
  unsigned seed = 1;
  for (int i = 0; i < 300; ++i) {
    seed = seed * 1103515245u + 12345u;
    list.add_item(ref(static_cast<char>('a' + (seed >> 16) % 26)));
  }
  const int refs_before = g_ledger.add_refs;
  list.sort_t(by_name);
  for (t_size n = 1; n < list.get_count(); ++n) ASSERT_LE(list[n - 1].name(), list[n].name());
  list.sort();
  for (t_size n = 1; n < list.get_count(); ++n) {
    ASSERT_LE(static_cast<const void*>(list[n - 1].get_ptr()),
              static_cast<const void*>(list[n].get_ptr()));
  }
  EXPECT_EQ(g_ledger.add_refs, refs_before);  // items were exchanged, never copied
}

TEST_F(ListTest, SortPermutationLeavesTheList) {
  ref_list list = make("cadb");
  t_size perm[] = {0, 1, 2, 3};
  list.sort_get_permutation_t(by_name, perm);
  EXPECT_EQ(names(list), "cadb");
  EXPECT_EQ(perm[0], 1u);
  EXPECT_EQ(perm[1], 3u);
  EXPECT_EQ(perm[2], 0u);
  EXPECT_EQ(perm[3], 2u);
}

TEST_F(ListTest, ReplaceAndSwap) {
  ref_list list = make("abc");
  list.replace_item(1, ref('h'));
  EXPECT_EQ(names(list), "ahc");
  EXPECT_EQ(refs_of('b'), 0);
  list.replace_item(1, list.get_item_ref(1));  // itself
  EXPECT_EQ(refs_of('h'), 1);

  counted_ref mine = ref('g');
  list.swap_item_with(0, mine);
  EXPECT_EQ(names(list), "ghc");
  EXPECT_EQ(mine.name(), 'a');
  EXPECT_EQ(refs_of('a'), 1);  // exchanged, not copied
  EXPECT_EQ(refs_of('g'), 1);

  list.swap_items(0, 2);
  EXPECT_EQ(names(list), "chg");
  list.swap_items(1, 1);
  EXPECT_EQ(names(list), "chg");
  EXPECT_EQ(new_asserts(), 0u);
}

TEST_F(ListTest, OutOfRangeCallsAreReportedAndChangeNothing) {
  ref_list list = make("abc");
  counted_ref out = ref('h');
  list.get_item_ex(out, 3);
  EXPECT_EQ(out.name(), 'h');
  EXPECT_STREQ(zut::get_last_assert_expression(), L"n<get_count()");
  EXPECT_EQ(zut::get_last_assert_line(), 304u);

  list.replace_item(3, ref('h'));
  EXPECT_STREQ(zut::get_last_assert_expression(), L"idx<get_count()");
  list.swap_item_with(7, out);
  EXPECT_STREQ(zut::get_last_assert_expression(), L"p_index < get_count()");
  EXPECT_EQ(out.name(), 'h');
  list.swap_items(3, 0);
  EXPECT_STREQ(zut::get_last_assert_expression(), L"p_index1 < get_count()");
  list.swap_items(0, 3);
  EXPECT_STREQ(zut::get_last_assert_expression(), L"p_index2 < get_count()");
  EXPECT_EQ(zut::get_last_assert_line(), 486u);
  EXPECT_EQ(names(list), "abc");

  EXPECT_THROW(list.get_item_ref(3), zut::exception_bug_check);
  EXPECT_EQ(zut::get_last_assert_line(), 327u);

  const counted_ref d = ref('d');
  zut::list_single_ref_t<counted_ref> one(d, 2);
  one.get_item_ex(out, 2);
  EXPECT_STREQ(zut::get_last_assert_expression(), L"n<m_count");
  EXPECT_EQ(out.name(), 'h');
  EXPECT_EQ(new_asserts(), 7u);
}

TEST_F(ListTest, CopiesAreCounted) {
  ref_list list = make("abc");
  ref_list copy(list);
  EXPECT_EQ(names(copy), "abc");
  EXPECT_EQ(refs_of('b'), 2);
  copy = make("de");
  EXPECT_EQ(refs_of('b'), 1);
  copy = copy;
  EXPECT_EQ(names(copy), "de");
}

TEST(PtrList, HoldsPointersItDoesNotOwn) {
  char one[] = "one", two[] = "two";
  {
    zut::ptr_list_t<const char> list;
    list.add_item(one);
    list.add_item(two);
    list.insert_item(two, 0);
    EXPECT_EQ(list.get_count(), 3u);
    EXPECT_EQ(list[0], two);
    list.sort();
    EXPECT_LT(static_cast<const void*>(list[0]), static_cast<const void*>(list[2]));
  }
  EXPECT_STREQ(one, "one");  // the strings outlive the list untouched
}

// The slots: a recording fake called by slot number through its table, as another module would.
template <typename R, typename... A>
R call_slot(const void* obj, int slot, A... args) {
  typedef R(__attribute__((thiscall)) * fn_t)(const void*, A...);
  void* const* table = *static_cast<void* const* const*>(obj);
  return reinterpret_cast<fn_t>(table[slot])(obj, args...);
}

class recording_list : public zut::list_base_t<int> {
 public:
  t_size get_count() const override { return log("get_count"), 42; }
  void get_item_ex(int& out, t_size n) const override {
    log("get_item_ex"), out = static_cast<int>(n);
  }
  void keep_mask(const bit_array&) override { log("keep_mask"); }
  t_size insert_items(const zut::list_base_const_t<int>&, t_size base) override {
    return log("insert_items"), base;
  }
  void reorder_partial(t_size, const t_size*, t_size) override { log("reorder_partial"); }
  void sort(sort_callback&) override { log("sort"); }
  void sort_stable(sort_callback&) override { log("sort_stable"); }
  void replace_item(t_size, const int&) override { log("replace_item"); }
  void swap_item_with(t_size, int&) override { log("swap_item_with"); }
  void swap_items(t_size, t_size) override { log("swap_items"); }
  void log(const char* what) const { m_log.push_back(what); }
  mutable std::vector<std::string> m_log;
};

TEST(ListSlots, FixedPositions) {
  recording_list fake;
  int value = 0;
  const t_size order[] = {0};
  zut::list_single_ref_t<int> source(value);
  struct any_order : zut::list_base_t<int>::sort_callback {
    int compare(const int&, const int&) override { return 0; }
  } comparer;
  bit_array_true mask;

  EXPECT_EQ(call_slot<t_size>(&fake, 0), 42u);
  call_slot<void>(&fake, 1, &value, t_size(7));
  EXPECT_EQ(value, 7);
  call_slot<void>(&fake, 2, static_cast<const bit_array*>(&mask));
  EXPECT_EQ(call_slot<t_size>(&fake, 3, static_cast<const zut::list_base_const_t<int>*>(&source),
                              t_size(5)),
            5u);
  call_slot<void>(&fake, 4, t_size(0), order, t_size(1));
  call_slot<void>(&fake, 5, &comparer);
  call_slot<void>(&fake, 6, &comparer);
  call_slot<void>(&fake, 7, t_size(0), &value);
  call_slot<void>(&fake, 8, t_size(0), &value);
  call_slot<void>(&fake, 9, t_size(0), t_size(1));
  EXPECT_EQ(fake.m_log,
            (std::vector<std::string>{"get_count", "get_item_ex", "keep_mask", "insert_items",
                                      "reorder_partial", "sort", "sort_stable", "replace_item",
                                      "swap_item_with", "swap_items"}));

  // The one-item view and the real list answer the first two slots the same way.
  EXPECT_EQ(call_slot<t_size>(&source, 0), 1u);
  zut::list_t<int> list;
  list.add_item(3);
  list.add_item(4);
  EXPECT_EQ(call_slot<t_size>(&list, 0), 2u);
  call_slot<void>(&list, 9, t_size(0), t_size(1));
  EXPECT_EQ(list[0], 4);
  // A list is no bigger than its table pointer and its array: no hidden fields.
  EXPECT_EQ(sizeof(zut::list_t<int>), sizeof(void*) + sizeof(zut::array_t<int, zut::alloc_fast>));
}

}  // namespace
