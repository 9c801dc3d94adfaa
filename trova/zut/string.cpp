// UTF-8 string classes: string_base helpers, string8_t and plain_string.
//
// string8_t make room (makespace, n = bytes needed including the NUL; s = the array's size):
//   1. s < n: the array's size becomes n + 16.
//   2. s > n + 32: the array's size becomes n.
//   3. Otherwise nothing.
// add_string / set_string:
//   1. A text that lies in the own block is first copied into a temporary, which is then appended
//      (or set) through the table.
//   2. n = bytes before the NUL, at most the given length (0 for a null text).
//   3. Make room, copy the bytes, advance the length, terminate.
#include "string.h"

#include <cstdint>
#include <cstring>

namespace zut {

const char string8_empty_text[1] = {0};

t_size strlen_max(const char* p_text, t_size p_max) {
  if (p_text == nullptr) return 0;
  t_size n = 0;
  while (n < p_max && p_text[n] != 0) n++;
  return n;
}

t_size wcslen_max(const wchar_t* p_text, t_size p_max) {
  if (p_text == nullptr) return 0;
  t_size n = 0;
  while (n < p_max && p_text[n] != 0) n++;
  return n;
}

namespace {

// Sum of two sizes; std::bad_alloc when it does not fit 32 bits.
t_size add_sizes(t_size p_a, t_size p_b) {
  if (p_a > infinite_size - p_b) throw_bad_alloc();
  return p_a + p_b;
}

// Decimal digits of p_value into p_out (at least 21 bytes), NUL-terminated; returns the count.
t_size format_decimal(char* p_out, t_uint64 p_value, bool p_negative) {
  char digits[24];
  t_size count = 0;
  do {
    digits[count++] = static_cast<char>('0' + p_value % 10);
    p_value /= 10;
  } while (p_value != 0);
  t_size n = 0;
  if (p_negative) p_out[n++] = '-';
  while (count > 0) p_out[n++] = digits[--count];
  p_out[n] = 0;
  return n;
}

void append_signed(string_base& p_out, t_int64 p_value) {
  char text[24];
  const bool negative = p_value < 0;
  const t_uint64 magnitude =
      negative ? static_cast<t_uint64>(0) - static_cast<t_uint64>(p_value) : static_cast<t_uint64>(p_value);
  p_out.add_string(text, format_decimal(text, magnitude, negative));
}

void append_unsigned(string_base& p_out, t_uint64 p_value) {
  char text[24];
  p_out.add_string(text, format_decimal(text, p_value, false));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// string_base
// ---------------------------------------------------------------------------------------------

void string_base::set_string(const char* p_text, t_size p_length) {
  reset();
  add_string(p_text, p_length);
}

t_size string_base::get_length() const { return static_cast<t_size>(std::strlen(get_ptr())); }

string_base& string_base::operator<<(int p_value) {
  append_signed(*this, p_value);
  return *this;
}
string_base& string_base::operator<<(unsigned p_value) {
  append_unsigned(*this, p_value);
  return *this;
}
string_base& string_base::operator<<(long long p_value) {
  append_signed(*this, p_value);
  return *this;
}
string_base& string_base::operator<<(unsigned long long p_value) {
  append_unsigned(*this, p_value);
  return *this;
}

void string_base::add_char(unsigned p_char) {
  if (p_char == 0 || p_char > 0x7FFFFFFFu) return;
  char bytes[6];
  t_size count;
  unsigned char lead;
  if (p_char < 0x80) {
    count = 1;
    lead = 0x00;
  } else if (p_char < 0x800) {
    count = 2;
    lead = 0xC0;
  } else if (p_char < 0x10000) {
    count = 3;
    lead = 0xE0;
  } else if (p_char < 0x200000) {
    count = 4;
    lead = 0xF0;
  } else if (p_char < 0x4000000) {
    count = 5;
    lead = 0xF8;
  } else {
    count = 6;
    lead = 0xFC;
  }
  for (t_size n = count - 1; n > 0; n--) {
    bytes[n] = static_cast<char>(0x80 | (p_char & 0x3F));
    p_char >>= 6;
  }
  bytes[0] = static_cast<char>(lead | p_char);
  add_string(bytes, count);
}

void string_base::add_chars(unsigned p_char, t_size p_count) {
  for (t_size n = 0; n < p_count; n++) add_char(p_char);
}

void string_base::add_uint(t_uint32 p_value) { append_unsigned(*this, p_value); }

void string_base::end_with(char p_char) {
  const char* text = get_ptr();
  const t_size length = get_length();
  if (length == 0 || text[length - 1] != p_char) add_byte(p_char);
}

// ---------------------------------------------------------------------------------------------
// string8_t
// ---------------------------------------------------------------------------------------------

template <template <typename> class A>
void string8_t<A>::makespace(t_size p_count) {
  const t_size size = m_data.get_size();
  if (size < p_count) {
    m_data.set_size(add_sizes(p_count, 16));
  } else if (size - p_count > 32) {
    m_data.set_size(p_count);
  }
}

template <template <typename> class A>
bool string8_t<A>::points_into_block(const char* p_text) const {
  const char* block = m_data.get_ptr();
  if (block == nullptr || p_text == nullptr) return false;
  const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(p_text);
  const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(block);
  return at >= begin && at - begin < m_data.get_size();
}

template <template <typename> class A>
void string8_t<A>::add_string(const char* p_text, t_size p_length) {
  // 1. Self-overlap: go through a temporary copy.
  if (p_length != 0 && points_into_block(p_text)) {
    string8_t<alloc_standard> temporary(p_text, p_length);
    add_string(temporary.get_ptr(), infinite_size);
    return;
  }
  // 2. Bounded length.
  const t_size count = strlen_max(p_text, p_length);
  // 3. Room, copy, terminate.
  makespace(add_sizes(add_sizes(m_length, count), 1));
  char* block = m_data.get_ptr();
  if (count > 0) std::memcpy(block + m_length, p_text, count);
  m_length += count;
  block[m_length] = 0;
}

template <template <typename> class A>
void string8_t<A>::set_string(const char* p_text, t_size p_length) {
  if (p_length != 0 && points_into_block(p_text)) {
    string8_t<alloc_standard> temporary(p_text, p_length);
    set_string(temporary.get_ptr(), infinite_size);
    return;
  }
  const t_size count = strlen_max(p_text, p_length);
  makespace(add_sizes(count, 1));
  char* block = m_data.get_ptr();
  if (count > 0) std::memcpy(block, p_text, count);
  m_length = count;
  block[m_length] = 0;
}

template <template <typename> class A>
void string8_t<A>::truncate(t_size p_length) {
  if (p_length >= m_length) return;
  m_length = p_length;
  m_data.get_ptr()[p_length] = 0;
  makespace(p_length + 1);
}

template <template <typename> class A>
char* string8_t<A>::lock_buffer(t_size p_count) {
  // The length keeps its old value until unlock_buffer, so the block never becomes shorter than that
  // length needs: anything that reads or writes at the old length meanwhile stays inside the block.
  makespace(add_sizes(p_count > m_length ? p_count : m_length, 1));
  std::memset(m_data.get_ptr(), 0, m_data.get_size());
  return m_data.get_ptr();
}

template <template <typename> class A>
void string8_t<A>::unlock_buffer() {
  const t_size size = m_data.get_size();
  if (size == 0) {
    m_length = 0;
    return;
  }
  // The text ends at its NUL; a buffer filled to its end without one keeps all its bytes.
  m_length = strlen_max(m_data.get_ptr(), size);
  makespace(add_sizes(m_length, 1));
  m_data.get_ptr()[m_length] = 0;
}

template class string8_t<alloc_standard>;
template class string8_t<alloc_fast_aggressive>;

// ---------------------------------------------------------------------------------------------
// plain_string
// ---------------------------------------------------------------------------------------------

void plain_string::set(const char* p_text, t_size p_length) {
  const char* block = m_data.get_ptr();
  if (block != nullptr && p_text != nullptr && p_text >= block && p_text < block + m_data.get_size()) {
    plain_string temporary(p_text, p_length);  // the source lies in the own array
    set(temporary.get_ptr(), infinite_size);
    return;
  }
  const t_size count = strlen_max(p_text, p_length);
  m_data.set_size(add_sizes(count, 1));
  char* dest = m_data.get_ptr();
  if (count > 0) std::memcpy(dest, p_text, count);
  dest[count] = 0;
}

const char* plain_string::get_ptr() const {
  const char* block = m_data.get_ptr();
  return block != nullptr ? block : string8_empty_text;
}

t_size plain_string::get_length() const { return strlen_max(get_ptr()); }

}  // namespace zut
