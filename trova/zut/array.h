// array_t: an element buffer whose capacity an allocation policy chooses. It holds no pointer into
// itself, so it may be moved as raw bytes.
#pragma once

#include "alloc.h"

namespace zut {

template <typename T, template <typename> class A = alloc_standard>
class array_t {
 public:
  typedef T t_item;
  typedef A<T> t_alloc;
  typedef void zut_raw_movable;

  array_t() {}
  array_t(const array_t& p_source) { copy_from(p_source); }
  array_t& operator=(const array_t& p_source) {
    if (this != &p_source) copy_from(p_source);
    return *this;
  }
  ~array_t() {}  // the block frees its buffer (set_size(0, 0))

  t_size get_size() const { return m_alloc.get_size(); }
  // Size n: new elements default-constructed in place (plain types keep what the buffer held),
  // surplus ones destroyed.
  void set_size(t_size p_size) { m_alloc.set_size(p_size); }
  t_size get_size_total() const { return m_alloc.get_size_total(); }
  T* get_ptr() { return m_alloc.get_ptr(); }
  const T* get_ptr() const { return m_alloc.get_ptr(); }

  const T& operator[](t_size p_index) const {
    ZUT_ASSERT_AT(p_index < get_size(), 88);
    return m_alloc.get_block()[p_index];
  }
  T& operator[](t_size p_index) {
    ZUT_ASSERT_AT(p_index < get_size(), 89);
    return m_alloc.get_block()[p_index];
  }

  // Aggressive arrays only: reserve capacity without changing the size.
  void prealloc(t_size p_count) { m_alloc.prealloc(p_count); }

  t_alloc& get_alloc() { return m_alloc; }
  const t_alloc& get_alloc() const { return m_alloc; }

 private:
  void copy_from(const array_t& p_source) {
    const t_size count = p_source.get_size();
    set_size(count);
    T* dest = get_ptr();
    const T* src = p_source.get_ptr();
    for (t_size n = 0; n < count; n++) dest[n] = src[n];
  }

  t_alloc m_alloc;
};

}  // namespace zut
