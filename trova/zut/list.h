// The list family: ordered containers behind abstract interfaces, so that a function can take "any
// list of T" and lists can cross module boundaries.
//
// Virtual slots, fixed because other modules call them by position (no virtual destructor, which
// would take two slots): list_base_const_t get_count (0), get_item_ex (1); list_base_t keep_mask
// (2), insert_items (3), reorder_partial (4), sort (5), sort_stable (6), replace_item (7),
// swap_item_with (8), swap_items (9).
//
// Items move as raw memory (growth, insertion, removal, sorting, swapping); only copying an item in
// or out runs its copy or assignment.
//
// keep_mask:
//  1. Count the items.  2. Find the first item to drop.  3. None: done.
//  4. Exchange every later kept item down into the next free place.
//  5. Cut the array after the kept items (the dropped ones, now at the end, are destroyed).
// insert_items:
//  1. Clamp the position to the count.
//  2. Copy the source's items into a separate array first (the source may be this very list).
//  3. Grow the array, then open a gap at the position by exchanging items upwards.
//  4. Exchange the copied items into the gap.  5. Answer the position.
#pragma once

#include <zut/alloc.h>
#include <zut/array.h>
#include <zut/bit_array.h>
#include <zut/primitives.h>
#include <zut/sort.h>

#include <functional>
#include <type_traits>

// A check reported with its text and a fixed line number; yields whether it held, so the caller can
// refuse the call.
#define ZUT_LIST_CHECK_TEXT(expr, text, line) \
  ((expr) ? true : (::zut::assert_failed((text), ZUT_WIDEN(__FILE__), (line)), false))

namespace zut {

// The address by which the automatic order sorts an item: a pointer itself, or the object a counted
// reference (anything with get_ptr) points to.
template <typename T>
inline const void* list_item_address(T* p_item) {
  return p_item;
}
template <typename T>
inline auto list_item_address(const T& p_item)
    -> decltype(static_cast<const void*>(p_item.get_ptr())) {
  return p_item.get_ptr();
}

template <typename T>
class list_base_const_t {
 public:
  virtual t_size get_count() const = 0;
  // Copies item n into p_out.
  virtual void get_item_ex(T& p_out, t_size n) const = 0;

  T get_item(t_size n) const {
    T temp;
    get_item_ex(temp, n);
    return temp;
  }

 protected:
  list_base_const_t() = default;
  list_base_const_t(const list_base_const_t&) = default;
  list_base_const_t& operator=(const list_base_const_t&) = default;
  ~list_base_const_t() = default;
};

// A one-item view: presents the caller's item m_count times.
template <typename T>
class list_single_ref_t : public list_base_const_t<T> {
 public:
  explicit list_single_ref_t(const T& p_item, t_size p_count = 1)
      : m_item(&p_item), m_count(p_count) {}
  t_size get_count() const override { return m_count; }
  void get_item_ex(T& p_out, t_size n) const override {
    if (ZUT_LIST_CHECK_TEXT(n < m_count, L"n<m_count", 70)) p_out = *m_item;
  }

 private:
  const T* m_item;
  t_size m_count;
};

template <typename T>
class list_base_t : public list_base_const_t<T> {
 public:
  // The item comparer of sort and sort_stable: negative when a sorts before b, 0 when equal.
  class sort_callback {
   public:
    virtual int compare(const T& p_item1, const T& p_item2) = 0;

   protected:
    ~sort_callback() = default;
  };

  // An item comparer over a function (or any callable) of two items.
  template <typename t_compare>
  class sort_callback_impl_t : public sort_callback {
   public:
    explicit sort_callback_impl_t(t_compare p_compare) : m_compare(p_compare) {}
    int compare(const T& p_item1, const T& p_item2) override { return m_compare(p_item1, p_item2); }

   private:
    t_compare m_compare;
  };

  // The automatic order: by the address of what the items point to, lower first.
  class sort_callback_auto : public sort_callback {
   public:
    int compare(const T& p_item1, const T& p_item2) override {
      const void* a = list_item_address(p_item1);
      const void* b = list_item_address(p_item2);
      if (std::less<const void*>()(a, b)) return -1;
      return std::less<const void*>()(b, a) ? 1 : 0;
    }
  };

  // Keeps exactly the items whose mask bit is set, in order.
  virtual void keep_mask(const bit_array& p_mask) = 0;
  // Inserts the source's items before position p_base (clamped to the count); returns where the
  // first one went.
  virtual t_size insert_items(const list_base_const_t<T>& p_source, t_size p_base) = 0;
  // Afterwards the item at p_base+i is the one that was at p_base+p_order[i].
  virtual void reorder_partial(t_size p_base, const t_size* p_order, t_size p_count) = 0;
  virtual void sort(sort_callback& p_callback) = 0;
  virtual void sort_stable(sort_callback& p_callback) = 0;
  virtual void replace_item(t_size p_index, const T& p_item) = 0;
  // Exchanges item p_index with the caller's variable.
  virtual void swap_item_with(t_size p_index, T& p_item) = 0;
  virtual void swap_items(t_size p_index1, t_size p_index2) = 0;

  t_size add_item(const T& p_item) { return insert_item(p_item, infinite_size); }
  t_size insert_item(const T& p_item, t_size p_base) {
    list_single_ref_t<T> source(p_item);
    return insert_items(source, p_base);
  }
  void remove_mask(const bit_array& p_mask) { keep_mask(bit_array_not(p_mask)); }

  // Sorts by the automatic order.
  void sort() {
    sort_callback_auto callback;
    sort(callback);
  }
  // Sorts with a function of two items.
  template <typename t_compare>
  void sort_t(t_compare p_compare) {
    sort_callback_impl_t<t_compare> callback(p_compare);
    sort(callback);
  }

 protected:
  list_base_t() = default;
  list_base_t(const list_base_t&) = default;
  list_base_t& operator=(const list_base_t&) = default;
  ~list_base_t() = default;
};

// The list over an item array (t_storage is an array_t of T).
template <typename T, typename t_storage>
class list_impl_t : public list_base_t<T> {
 public:
  typedef typename list_base_t<T>::sort_callback sort_callback;

  // Hands a list item comparer to the index sort.
  class sort_callback_wrapper {
   public:
    explicit sort_callback_wrapper(sort_callback& p_chain) : m_chain(p_chain) {}
    int operator()(const T& p_item1, const T& p_item2) const {
      return m_chain.compare(p_item1, p_item2);
    }

   private:
    sort_callback& m_chain;
  };

  list_impl_t() = default;
  list_impl_t(const list_impl_t& p_source) : list_base_t<T>(), m_buffer(p_source.m_buffer) {}
  list_impl_t& operator=(const list_impl_t& p_source) {
    if (this != &p_source) m_buffer = p_source.m_buffer;
    return *this;
  }
  ~list_impl_t() = default;

  using list_base_t<T>::sort;

  t_size get_count() const override { return m_buffer.get_size(); }

  void get_item_ex(T& p_out, t_size n) const override {
    if (ZUT_LIST_CHECK_TEXT(n < get_count(), L"n<get_count()", 304)) p_out = m_buffer[n];
  }

  void keep_mask(const bit_array& p_mask) override {
    // 1.
    const t_size count = get_count();
    // 2.
    t_size write = p_mask.find(false, 0, static_cast<int>(count));
    // 3. Nothing to drop.
    if (write >= count) return;
    // 4. Move every kept item down over the dropped ones.
    t_size n = p_mask.find(true, write + 1, static_cast<int>(count - write - 1));
    while (n < count) {
      swap_t(m_buffer[write], m_buffer[n]);
      ++write;
      n = p_mask.find(true, n + 1, static_cast<int>(count - n - 1));
    }
    // 5. The dropped items now stand at the end.
    m_buffer.set_size(write);
  }

  t_size insert_items(const list_base_const_t<T>& p_source, t_size p_base) override {
    // 1. Clamp the position.
    const t_size count = get_count();
    if (p_base > count) p_base = count;
    const t_size k = p_source.get_count();
    if (k == 0) return p_base;
    if (k > infinite_size - count) throw_bad_alloc();
    // 2. Copy the source out first: it may be this list, or view one of its items, which the growth
    //    below would move or shift. Nothing has changed yet if this throws.
    t_storage incoming;
    incoming.set_size(k);
    for (t_size i = 0; i < k; ++i) p_source.get_item_ex(incoming[i], i);
    // 3. Grow, then open the gap by exchanging items upwards.
    m_buffer.set_size(count + k);
    for (t_size i = count; i-- > p_base;) swap_t(m_buffer[i + k], m_buffer[i]);
    // 4. Move the new items into the gap; the default items they replace go with `incoming`.
    for (t_size i = 0; i < k; ++i) swap_t(m_buffer[p_base + i], incoming[i]);
    // 5.
    return p_base;
  }

  void reorder_partial(t_size p_base, const t_size* p_order, t_size p_count) override {
    // Tested so that the sum cannot wrap.
    const bool in_range = p_count <= get_count() && p_base <= get_count() - p_count;
    if (!ZUT_LIST_CHECK_TEXT(in_range, L"p_base+p_count<=get_count()", 417)) return;
    reorder_callback_impl_t<t_storage> items(m_buffer);
    reorder_callback_impl_delta range(items, p_base);
    reorder(range, p_order, p_count);
  }

  void sort(sort_callback& p_callback) override {
    sort_callback_impl_simple_wrap_t<t_storage, sort_callback_wrapper> cb(
        m_buffer, sort_callback_wrapper(p_callback));
    ::zut::sort(cb, get_count());
  }

  void sort_stable(sort_callback& p_callback) override {
    sort_callback_impl_simple_wrap_t<t_storage, sort_callback_wrapper> cb(
        m_buffer, sort_callback_wrapper(p_callback));
    ::zut::sort_stable(cb, get_count());
  }

  void replace_item(t_size idx, const T& p_item) override {
    if (ZUT_LIST_CHECK_TEXT(idx < get_count(), L"idx<get_count()", 392)) m_buffer[idx] = p_item;
  }

  void swap_item_with(t_size p_index, T& p_item) override {
    if (ZUT_LIST_CHECK_TEXT(p_index < get_count(), L"p_index < get_count()", 479))
      swap_t(m_buffer[p_index], p_item);
  }

  void swap_items(t_size p_index1, t_size p_index2) override {
    if (!ZUT_LIST_CHECK_TEXT(p_index1 < get_count(), L"p_index1 < get_count()", 485)) return;
    if (!ZUT_LIST_CHECK_TEXT(p_index2 < get_count(), L"p_index2 < get_count()", 486)) return;
    swap_t(m_buffer[p_index1], m_buffer[p_index2]);
  }

  // Appends a copy of the item and returns its index. The copy is made before the array grows, as
  // the item may be one of this list's own.
  t_size add_item(const T& p_item) {
    T temp(p_item);
    const t_size index = get_count();
    m_buffer.set_size(index + 1);
    swap_t(m_buffer[index], temp);
    return index;
  }

  // The stored item itself. An index out of range is reported and thrown as a bug check, as there
  // is no item to refer to.
  T& get_item_ref(t_size n) {
    if (!ZUT_LIST_CHECK_TEXT(n < get_count(), L"n<get_count()", 327)) throw exception_bug_check();
    return m_buffer[n];
  }
  const T& get_item_ref(t_size n) const {
    if (!ZUT_LIST_CHECK_TEXT(n < get_count(), L"n<get_count()", 327)) throw exception_bug_check();
    return m_buffer[n];
  }
  T& operator[](t_size n) { return get_item_ref(n); }
  const T& operator[](t_size n) const { return get_item_ref(n); }

  // Sorts p_permutation (prepared by the caller as 0 .. count-1) so that the items it names come
  // out in order; the list itself does not change.
  template <typename t_compare>
  void sort_get_permutation_t(t_compare p_compare, t_size* p_permutation) const {
    sort_callback_impl_permutation_wrap_t<list_impl_t, t_compare> cb(*this, p_compare,
                                                                     p_permutation);
    ::zut::sort(cb, get_count());
  }

  // Halving search of a list ordered by p_compare (item, key).
  template <typename t_compare, typename t_param>
  bool bsearch_t(t_compare p_compare, const t_param& p_param, t_size& p_index) const {
    return ::zut::bsearch_t(get_count(), *this, p_compare, p_param, p_index);
  }

 private:
  t_storage m_buffer;
};

template <typename T, template <typename> class A = alloc_fast>
class list_t : public list_impl_t<T, array_t<T, A>> {};

// A list of pointers that does not own what they point to: destroying it frees only its array.
template <typename T, typename t_base = list_t<T*, alloc_fast>>
class ptr_list_t : public t_base {};

}  // namespace zut
