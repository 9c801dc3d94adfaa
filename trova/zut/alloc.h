// Raw allocation helpers over the runtime heap (every failure throws std::bad_alloc), the element
// block that every growable buffer owns, and the three allocation policies that choose its capacity.
//
// Block set_size (p_size, p_size_total), in steps:
//   1. Check the request and the block's invariant.
//   2. Capacity not growing: adjust the elements first (4), then reallocate (5).
//   3. Capacity growing: reallocate first (5), then adjust the elements (4), so a failed allocation
//      leaves buffer, size and capacity as they were.
//   4. Adjust elements: construct new ones in place, or destroy the surplus.
//   5. Reallocate: raw-movable elements through realloc; others by in-place expansion or by copying
//      into a new buffer (on an exception the new buffer is freed and the block is unchanged).
#pragma once

#include "primitives.h"

namespace zut {

// ---------------------------------------------------------------------------------------------
// Raw helpers (byte forms).
// ---------------------------------------------------------------------------------------------

// Null for 0 bytes; otherwise malloc, std::bad_alloc when it fails.
void* raw_alloc(t_size p_bytes);
// Null ptr: as raw_alloc. 0 bytes: frees ptr, yields null. Otherwise realloc; on failure the old
// block stays valid and std::bad_alloc is thrown.
void* raw_realloc_or_alloc(void* p_ptr, t_size p_bytes);
void raw_free(void* p_ptr);
// Null ptr: true exactly when bytes is 0. Bytes 0: false. Otherwise whether _expand resized in place.
bool raw_try_expand(void* p_ptr, t_size p_bytes);

template <typename T>
inline T* check_alloc_result(T* p_ptr) {
  if (p_ptr == nullptr) throw_bad_alloc();
  return p_ptr;
}

// count * width, 0 when either is 0; std::bad_alloc when the product does not fit 32 bits.
inline t_size multiply_safe(t_size p_count, t_size p_width) {
  if (p_count == 0 || p_width == 0) return 0;
  if (p_count > infinite_size / p_width) throw_bad_alloc();
  return p_count * p_width;
}

// value << shift; std::bad_alloc when shifting back does not give value.
inline t_size multiply_guarded(t_size p_value, unsigned p_shift) {
  if (p_shift >= 32) {
    if (p_value != 0) throw_bad_alloc();
    return 0;
  }
  t_size result = p_value << p_shift;
  if ((result >> p_shift) != p_value) throw_bad_alloc();
  return result;
}

// Element-count forms.
template <typename T>
inline T* raw_alloc_items(t_size p_count) {
  return static_cast<T*>(raw_alloc(multiply_safe(p_count, sizeof(T))));
}
template <typename T>
inline T* raw_realloc_items(T* p_ptr, t_size p_count) {
  return static_cast<T*>(raw_realloc_or_alloc(p_ptr, multiply_safe(p_count, sizeof(T))));
}
template <typename T>
inline bool raw_try_expand_items(T* p_ptr, t_size p_count) {
  return raw_try_expand(p_ptr, multiply_safe(p_count, sizeof(T)));
}

// ---------------------------------------------------------------------------------------------
// The element block.
// ---------------------------------------------------------------------------------------------
template <typename T>
class alloc_block_t {
 public:
  alloc_block_t() : m_data(nullptr), m_size(0), m_size_total(0) {}
  ~alloc_block_t() { set_size(0, 0); }

  alloc_block_t(const alloc_block_t&) = delete;
  alloc_block_t& operator=(const alloc_block_t&) = delete;

  void set_size(t_size p_size, t_size p_size_total) {
    // 1. Check the request and the invariant.
    ZUT_ASSERT_AT(p_size <= p_size_total, 131);
    ZUT_ASSERT_AT(m_size <= m_size_total, 132);
    if (p_size > p_size_total) return;  // refused: nothing changes
    if (p_size_total <= m_size_total) {
      // 2. Not growing: elements first, then the buffer.
      adjust_elements(p_size);
      reallocate(p_size_total);
    } else {
      // 3. Growing: the buffer first, then the elements.
      reallocate(p_size_total);
      adjust_elements(p_size);
    }
  }

  t_size get_size() const { return m_size; }
  t_size get_size_total() const { return m_size_total; }
  T* get_ptr() { return m_data; }
  const T* get_ptr() const { return m_data; }

  const T& operator[](t_size p_index) const {
    ZUT_ASSERT_AT(p_index < m_size, 146);
    return m_data[p_index];
  }
  T& operator[](t_size p_index) {
    ZUT_ASSERT_AT(p_index < m_size, 147);
    return m_data[p_index];
  }

 private:
  // 4. Adjust elements to p_size.
  void adjust_elements(t_size p_size) {
    while (m_size < p_size) {
      construct_in_place(m_data[m_size]);
      m_size++;
    }
    if (p_size < m_size) {
      destroy_in_place(m_data + p_size, m_size - p_size);
      m_size = p_size;
    }
  }

  // 5. Reallocate to p_count elements.
  void reallocate(t_size p_count) {
    ZUT_ASSERT_AT(m_size <= m_size_total, 172);
    ZUT_ASSERT_AT(m_size <= p_count, 173);
    if (m_size_total == p_count) return;
    if (m_size > p_count) return;  // refused: it would drop constructed elements
    if constexpr (is_raw_movable<T>::value) {
      m_data = raw_realloc_items(m_data, p_count);
    } else {
      if (!raw_try_expand_items(m_data, p_count)) {
        T* fresh = raw_alloc_items<T>(p_count);
        try {
          copy_construct_array(fresh, m_size, m_data);
        } catch (...) {
          raw_free(fresh);
          throw;
        }
        destroy_in_place(m_data, m_size);
        raw_free(m_data);
        m_data = fresh;
      }
    }
    m_size_total = p_count;
  }

  T* m_data;
  t_size m_size;
  t_size m_size_total;
};

// ---------------------------------------------------------------------------------------------
// Allocation policies. Each holds one block and differs only in the capacity chosen for a size.
// ---------------------------------------------------------------------------------------------
template <typename T>
class alloc_policy_base_t {
 public:
  t_size get_size() const { return m_block.get_size(); }
  t_size get_size_total() const { return m_block.get_size_total(); }
  T* get_ptr() { return m_block.get_ptr(); }
  const T* get_ptr() const { return m_block.get_ptr(); }

  const T& operator[](t_size p_index) const {
    ZUT_ASSERT_AT(p_index < get_size(), 352);
    return m_block[p_index];
  }
  T& operator[](t_size p_index) {
    ZUT_ASSERT_AT(p_index < get_size(), 358);
    return m_block[p_index];
  }

  alloc_block_t<T>& get_block() { return m_block; }
  const alloc_block_t<T>& get_block() const { return m_block; }

 protected:
  alloc_policy_base_t() {}
  alloc_block_t<T> m_block;
};

// Capacity exactly the size; shrinks to it; 0 frees the buffer.
template <typename T>
class alloc_standard : public alloc_policy_base_t<T> {
 public:
  void set_size(t_size p_size) { this->m_block.set_size(p_size, p_size); }
};

// Capacity doubles from 1 until it holds the size; halves while a quarter of it exceeds the size.
template <typename T>
class alloc_fast : public alloc_policy_base_t<T> {
 public:
  void set_size(t_size p_size) {
    t_size total = this->m_block.get_size_total();
    if (total == 0) total = 1;
    while (total < p_size) total = multiply_guarded(total, 1);
    while ((total >> 2) > p_size) total >>= 1;
    this->m_block.set_size(p_size, total);
  }
};

// Capacity doubles from 1 until it holds the size; never shrinks while the array lives.
template <typename T>
class alloc_fast_aggressive : public alloc_policy_base_t<T> {
 public:
  void set_size(t_size p_size) { this->m_block.set_size(p_size, grown_total(p_size)); }
  // Reserves capacity for p_count elements; the size stays.
  void prealloc(t_size p_count) {
    if (p_count != 0) this->m_block.set_size(this->m_block.get_size(), grown_total(p_count));
  }

 private:
  t_size grown_total(t_size p_size) const {
    t_size total = this->m_block.get_size_total();
    if (total == 0) total = 1;
    while (total < p_size) total = multiply_guarded(total, 1);
    return total;
  }
};

}  // namespace zut
