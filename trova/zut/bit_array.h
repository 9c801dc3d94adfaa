#pragma once
// Selection masks: for every item index, whether the item is selected. A mask is built on the stack
// around one call (remove these items, select those) and passed by reference; it is never stored.
// The interfaces cross module boundaries, so their virtual slots are fixed and there is no virtual
// destructor: bit_array is get (0), find (1); bit_array_var adds set (2).

#include <zut/alloc.h>
#include <zut/array.h>
#include <zut/primitives.h>

class bit_array {
 public:
  virtual bool get(t_size n) const = 0;
  // The first index, walking from start over |count| positions (upwards for a positive count,
  // downwards for a negative one), whose get equals val; start+count (unsigned, so it may wrap)
  // when none does.
  virtual t_size find(bool val, t_size start, int count) const;

 protected:
  bit_array() = default;
  bit_array(const bit_array&) = default;
  bit_array& operator=(const bit_array&) = default;
  ~bit_array() = default;
};

class bit_array_var : public bit_array {
 public:
  virtual void set(t_size n, bool val) = 0;

 protected:
  bit_array_var() = default;
  bit_array_var(const bit_array_var&) = default;
  bit_array_var& operator=(const bit_array_var&) = default;
  ~bit_array_var() = default;
};

class bit_array_true : public bit_array {
 public:
  bool get(t_size) const override { return true; }
  t_size find(bool val, t_size start, int count) const override;
};

class bit_array_false : public bit_array {
 public:
  bool get(t_size) const override { return false; }
  t_size find(bool val, t_size start, int count) const override;
};

class bit_array_val : public bit_array {
 public:
  explicit bit_array_val(bool value) : m_value(value) {}
  bool get(t_size) const override { return m_value; }
  t_size find(bool val, t_size start, int count) const override;

 private:
  bool m_value;
};

class bit_array_one : public bit_array {
 public:
  explicit bit_array_one(t_size index) : m_index(index) {}
  bool get(t_size n) const override { return n == m_index; }
  t_size find(bool val, t_size start, int count) const override;

 private:
  t_size m_index;
};

// Indices first .. first+count-1 (state true), or every other index (state false). The end stops at
// the top of the index range instead of wrapping round to an empty range.
class bit_array_range : public bit_array {
 public:
  bit_array_range(t_size first, t_size count, bool state = true)
      : m_begin(first), m_end(count > ~first ? ~t_size(0) : first + count), m_state(state) {}
  bool get(t_size n) const override { return (n >= m_begin && n < m_end) == m_state; }

 private:
  t_size m_begin;
  t_size m_end;
  bool m_state;
};

// The complement of another mask, which must outlive this one.
class bit_array_not : public bit_array {
 public:
  explicit bit_array_not(const bit_array& inner) : m_inner(inner) {}
  bool get(t_size n) const override { return !m_inner.get(n); }
  t_size find(bool val, t_size start, int count) const override {
    return m_inner.find(!val, start, count);
  }

 private:
  const bit_array& m_inner;
};

// A table of count bits owned by the mask, all clear at first. Bit n lives in byte n >> 3 under the
// mask 1 << (n & 7). Indices at or beyond the count read as clear and ignore writes.
class bit_array_bittable : public bit_array_var {
 public:
  explicit bit_array_bittable(t_size count = 0) { resize(count); }

  // Changes the number of bits. Bits added by a growth are clear; bits dropped by a shrink are
  // cleared, so that a later growth does not bring them back.
  void resize(t_size count);

  bool get(t_size n) const override { return n < m_count && g_get(m_data, n); }
  void set(t_size n, bool val) override {
    if (n < m_count) g_set(m_data, n, val);
  }

  // Bit helpers over any byte table (a pointer or an array of bytes).
  template <typename t_table>
  static bool g_get(const t_table& p_table, t_size n) {
    return (p_table[n >> 3] & (1u << (n & 7))) != 0;
  }
  template <typename t_table>
  static void g_set(t_table& p_table, t_size n, bool val) {
    unsigned char& byte = p_table[n >> 3];
    const unsigned char bit = static_cast<unsigned char>(1u << (n & 7));
    byte = val ? static_cast<unsigned char>(byte | bit) : static_cast<unsigned char>(byte & ~bit);
  }

  // Bytes needed for count bits, without wrapping near the top of the range.
  static t_size g_estimate_size(t_size count) { return (count >> 3) + ((count & 7) != 0 ? 1 : 0); }

 private:
  zut::array_t<unsigned char, zut::alloc_standard> m_data;
  t_size m_count = 0;
};

// A view of a caller's table of count values (usually bool); indices beyond the table answer the
// fallback and ignore writes. The table must outlive the mask.
template <typename T>
class bit_array_var_table_t : public bit_array_var {
 public:
  bit_array_var_table_t(T* table, t_size count, bool fallback = false)
      : m_table(table), m_count(count), m_fallback(fallback) {}
  bool get(t_size n) const override {
    return n < m_count ? static_cast<bool>(m_table[n]) : m_fallback;
  }
  void set(t_size n, bool val) override {
    if (n < m_count) m_table[n] = static_cast<T>(val);
  }

 private:
  T* m_table;
  t_size m_count;
  bool m_fallback;
};
