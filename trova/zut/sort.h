#pragma once
// Sorting, reordering and bisection search through callbacks over item indices: the algorithms
// never touch items, they ask a callback to compare or exchange the items at two indices, so one
// algorithm serves lists, arrays, permutation tables and raw memory blocks alike.

#include <zut/alloc.h>
#include <zut/array.h>
#include <zut/primitives.h>

namespace zut {

// Callback interfaces (no virtual destructor; slots in declaration order).

class sort_callback {
 public:
  // Negative when item a sorts before item b, 0 when equal, positive after.
  virtual int compare(t_size a, t_size b) const = 0;
  // Exchanges the items at a and b; a may equal b.
  virtual void swap(t_size a, t_size b) = 0;

 protected:
  ~sort_callback() = default;
};

class reorder_callback {
 public:
  virtual void swap(t_size a, t_size b) = 0;

 protected:
  ~reorder_callback() = default;
};

class bsearch_callback {
 public:
  // The sign of item n compared with the sought key (negative: the item is below the key).
  virtual int test(t_size n) const = 0;

 protected:
  ~bsearch_callback() = default;
};

// Sorts indices 0 .. count-1; not stable. No recursion and no allocation.
void sort(sort_callback& p_callback, t_size p_count);

// Sorts so that items comparing equal keep their relative order. Throws std::bad_alloc before any
// item moves when the order table cannot be had.
void sort_stable(sort_callback& p_callback, t_size p_count);

// Raw blocks of num items of width bytes. Without a swap function items are exchanged byte by byte.
void sort(void* p_base, t_size p_num, t_size p_width, int (*p_comp)(const void*, const void*),
          void (*p_swap)(void*, void*, t_size));
void sort(void* p_base, t_size p_num, t_size p_width, int (*p_comp)(const void*, const void*));

// Permutes so that afterwards position i holds the item that was at p_order[i]. p_order must be a
// permutation of 0 .. p_count-1; when it is not, the failed check is reported and the reorder stops
// there (the items stay a permutation of what they were).
void reorder(reorder_callback& p_callback, const t_size* p_order, t_size p_count);
void reorder(void* p_base, t_size p_width, const t_size* p_order, t_size p_num,
             void (*p_swap)(void*, void*, t_size) = swap_void);

// Halving search over items 0 .. count-1 ordered ascending by the callback. True and the index of a
// matching item, or false and the index where the key would be inserted.
bool bsearch(t_size p_count, bsearch_callback& p_callback, t_size& p_result);

// Adds a tie-break on the original position to another sort callback.
class sort_callback_stabilizer : public sort_callback {
 public:
  sort_callback_stabilizer(sort_callback& p_chain, t_size p_count);
  int compare(t_size a, t_size b) const override;
  void swap(t_size a, t_size b) override;

 private:
  sort_callback& m_chain;
  array_t<t_size, alloc_standard> m_order;
};

// Sorts an indexable array with a comparer over two items; exchanges items as raw memory.
template <typename t_container, typename t_compare>
class sort_callback_impl_simple_wrap_t : public sort_callback {
 public:
  sort_callback_impl_simple_wrap_t(t_container& p_data, t_compare p_compare)
      : m_data(p_data), m_compare(p_compare) {}
  int compare(t_size a, t_size b) const override { return m_compare(m_data[a], m_data[b]); }
  void swap(t_size a, t_size b) override { swap_t(m_data[a], m_data[b]); }

 private:
  t_container& m_data;
  t_compare m_compare;
};

// Sorts a permutation of a container's indices; the container itself does not change.
template <typename t_container, typename t_compare>
class sort_callback_impl_permutation_wrap_t : public sort_callback {
 public:
  sort_callback_impl_permutation_wrap_t(const t_container& p_data, t_compare p_compare,
                                        t_size* p_permutation)
      : m_data(p_data), m_compare(p_compare), m_permutation(p_permutation) {}
  int compare(t_size a, t_size b) const override {
    return m_compare(m_data[m_permutation[a]], m_data[m_permutation[b]]);
  }
  void swap(t_size a, t_size b) override { swap_t(m_permutation[a], m_permutation[b]); }

 private:
  const t_container& m_data;
  t_compare m_compare;
  t_size* m_permutation;
};

// Reorders an indexable array, exchanging items as raw memory.
template <typename t_container>
class reorder_callback_impl_t : public reorder_callback {
 public:
  explicit reorder_callback_impl_t(t_container& p_data) : m_data(p_data) {}
  void swap(t_size a, t_size b) override { swap_t(m_data[a], m_data[b]); }

 private:
  t_container& m_data;
};

// Reorders a sub-range: shifts both indices by delta before handing them on.
class reorder_callback_impl_delta : public reorder_callback {
 public:
  reorder_callback_impl_delta(reorder_callback& p_chain, t_size p_delta)
      : m_chain(p_chain), m_delta(p_delta) {}
  void swap(t_size a, t_size b) override { m_chain.swap(a + m_delta, b + m_delta); }

 private:
  reorder_callback& m_chain;
  t_size m_delta;
};

// Tests container[n] against a key with comparer (item, key).
template <typename t_container, typename t_compare, typename t_param>
class bsearch_callback_impl_simple_t : public bsearch_callback {
 public:
  bsearch_callback_impl_simple_t(const t_container& p_container, t_compare p_compare,
                                 const t_param& p_param)
      : m_container(p_container), m_compare(p_compare), m_param(p_param) {}
  int test(t_size n) const override { return m_compare(m_container[n], m_param); }

 private:
  const t_container& m_container;
  t_compare m_compare;
  const t_param& m_param;
};

template <typename t_container, typename t_compare, typename t_param>
bool bsearch_t(t_size p_count, const t_container& p_container, t_compare p_compare,
               const t_param& p_param, t_size& p_index) {
  bsearch_callback_impl_simple_t<t_container, t_compare, t_param> cb(p_container, p_compare,
                                                                     p_param);
  return bsearch(p_count, cb, p_index);
}

}  // namespace zut

// The callback behind the raw-block sort: items of a fixed width at base + index * width.
class sort_callback_impl_legacy : public zut::sort_callback {
 public:
  sort_callback_impl_legacy(void* p_base, t_size p_width, int (*p_comp)(const void*, const void*),
                            void (*p_swap)(void*, void*, t_size))
      : m_base(static_cast<char*>(p_base)), m_width(p_width), m_comp(p_comp), m_swap(p_swap) {}
  int compare(t_size a, t_size b) const override { return m_comp(item(a), item(b)); }
  void swap(t_size a, t_size b) override { m_swap(item(a), item(b), m_width); }

 private:
  char* item(t_size n) const { return m_base + n * m_width; }

  char* m_base;
  t_size m_width;
  int (*m_comp)(const void*, const void*);
  void (*m_swap)(void*, void*, t_size);
};
