// UTF-8 string classes: the string_receiver / string_base interface (seven virtual slots, no virtual
// destructor), the growable string8_t over an allocation policy, string_printf, the fixed-capacity
// string_fixed_t, and plain_string without the interface.
#pragma once

#include <cstdarg>

#include "array.h"

namespace zut {

// Bytes (units) before the first NUL, at most p_max; 0 for a null text.
t_size strlen_max(const char* p_text, t_size p_max = infinite_size);
t_size wcslen_max(const wchar_t* p_text, t_size p_max = infinite_size);

// Receives appended text. One virtual slot: add_string.
class string_receiver {
 public:
  virtual void add_string(const char* p_text, t_size p_length = infinite_size) = 0;

 protected:
  string_receiver() {}
  string_receiver(const string_receiver&) {}
  string_receiver& operator=(const string_receiver&) { return *this; }
  ~string_receiver() {}
};

// The string interface. Virtual slots, in order:
//   0 add_string, 1 get_ptr, 2 set_string, 3 truncate, 4 get_length, 5 lock_buffer, 6 unlock_buffer.
// No destructor slot: a string is destroyed as its own type.
class string_base : public string_receiver {
 public:
  // Slot 1: the text, never null.
  virtual const char* get_ptr() const = 0;
  // Slot 2: replace; this version is reset() followed by add_string.
  virtual void set_string(const char* p_text, t_size p_length = infinite_size);
  // Slot 3: shorten to p_length bytes.
  virtual void truncate(t_size p_length) = 0;
  // Slot 4: this version is the strlen of get_ptr().
  virtual t_size get_length() const;
  // Slot 5: a writable buffer for p_count bytes of text.
  virtual char* lock_buffer(t_size p_count) = 0;
  // Slot 6: takes the text back from that buffer.
  virtual void unlock_buffer() = 0;

  string_base& operator=(const char* p_text) {
    set_string(p_text, infinite_size);
    return *this;
  }
  string_base& operator=(const string_base& p_source) {
    if (this != &p_source) set_string(p_source.get_ptr(), infinite_size);
    return *this;
  }
  string_base& operator+=(const char* p_text) {
    add_string(p_text, infinite_size);
    return *this;
  }
  string_base& operator+=(const string_base& p_source) {
    add_string(p_source.get_ptr(), infinite_size);
    return *this;
  }

  string_base& operator<<(const char* p_text) { return *this += p_text; }
  string_base& operator<<(const string_base& p_source) { return *this += p_source; }
  string_base& operator<<(int p_value);
  string_base& operator<<(unsigned p_value);
  string_base& operator<<(long p_value) { return *this << static_cast<int>(p_value); }
  string_base& operator<<(unsigned long p_value) { return *this << static_cast<unsigned>(p_value); }
  string_base& operator<<(long long p_value);
  string_base& operator<<(unsigned long long p_value);

  void reset() { truncate(0); }
  void add_byte(char p_byte) { add_string(&p_byte, 1); }
  // Appends the code point as UTF-8 (1 to 6 bytes); nothing for 0 or above 0x7FFFFFFF.
  void add_char(unsigned p_char);
  void add_chars(unsigned p_char, t_size p_count);
  // Appends the value in decimal.
  void add_uint(t_uint32 p_value);
  // Appends p_char unless the text is non-empty and already ends with it.
  void end_with(char p_char);
  bool is_empty() const { return *get_ptr() == 0; }
  t_size length() const { return get_length(); }
  // Index after the last path separator ("\", "/", "|", ":"); 0 when there is none.
  t_size scan_filename() const;
  // The text becomes p_text with every non-ASCII or invalid UTF-8 character replaced by the one byte
  // p_replace (which must be above 0). p_text may lie in this string's own text.
  void set_ascii(const char* p_text, char p_replace = '?');
  // Removes the last character when it is the code point p_char.
  void skip_trailing_char(unsigned p_char);
  // Index of the last p_char at or below p_start (strrchr_ex on the text), or ~0.
  t_size find_last(char p_char, t_size p_start = infinite_size) const;

  operator const char*() const { return get_ptr(); }

 protected:
  string_base() {}
  string_base(const string_base&) : string_receiver() {}
  ~string_base() {}
};

// The shared empty text of every empty string8_t.
extern const char string8_empty_text[1];

// Growable UTF-8 string over allocation policy A (alloc_standard or alloc_fast_aggressive).
// Holds no pointer into itself: it may be moved as raw bytes.
template <template <typename> class A = alloc_standard>
class string8_t : public string_base {
 public:
  typedef void zut_raw_movable;

  string8_t() : m_length(0) {}
  string8_t(const char* p_text, t_size p_length = infinite_size) : m_length(0) {
    set_string(p_text, p_length);
  }
  string8_t(const string8_t& p_source) : string_base(), m_length(0) {
    set_string(p_source.get_ptr(), infinite_size);
  }
  explicit string8_t(const string_base& p_source) : m_length(0) {
    set_string(p_source.get_ptr(), infinite_size);
  }
  ~string8_t() {}  // the array frees the block

  string8_t& operator=(const string8_t& p_source) {
    if (this != &p_source) set_string(p_source.get_ptr(), infinite_size);
    return *this;
  }
  string8_t& operator=(const string_base& p_source) {
    if (this != &p_source) set_string(p_source.get_ptr(), infinite_size);
    return *this;
  }
  string8_t& operator=(const char* p_text) {
    set_string(p_text, infinite_size);
    return *this;
  }

  void add_string(const char* p_text, t_size p_length = infinite_size) override;
  const char* get_ptr() const override {
    return m_length == 0 ? string8_empty_text : m_data.get_ptr();
  }
  void set_string(const char* p_text, t_size p_length = infinite_size) override;
  void truncate(t_size p_length) override;
  t_size get_length() const override { return m_length; }
  char* lock_buffer(t_size p_count) override;
  void unlock_buffer() override;

  operator const char*() const { return get_ptr(); }

  // The usable size of the block (for tests of the make-room rule) and its capacity.
  t_size get_block_size() const { return m_data.get_size(); }
  t_size get_block_capacity() const { return m_data.get_size_total(); }

 protected:
  // Makes room for p_count bytes including the NUL (+16 when growing, cut back past +32 spare).
  void makespace(t_size p_count);
  bool points_into_block(const char* p_text) const;

  array_t<char, A> m_data;
  t_size m_length;
};

extern template class string8_t<alloc_standard>;
extern template class string8_t<alloc_fast_aggressive>;

typedef string8_t<alloc_standard> string8;
typedef string8_t<alloc_fast_aggressive> string8_fast;

// A string8_t<alloc_fast_aggressive> whose constructor formats its arguments into itself:
// %s %S, %d %D %i %I, %u %U, %x %X, %c %C, %% with an optional "+" flag, "0" fill and a width.
class string_printf : public string8_t<alloc_fast_aggressive> {
 public:
  explicit string_printf(const char* p_format, ...);
  // The same formatting into any string (the output is reset first).
  static void run(string_base& p_out, const char* p_format, ...);
  static void run_va(string_base& p_out, const char* p_format, va_list p_args);
};

// A fixed-capacity string: N - 1 bytes of text and the NUL. An append past the capacity throws
// exception_overflow and leaves the text unchanged.
template <t_size N>
class string_fixed_t : public string_base {
 public:
  static_assert(N >= 2, "string_fixed_t needs room for text and the NUL");

  string_fixed_t() : m_length(0) { m_buffer[0] = 0; }
  string_fixed_t(const char* p_text) : m_length(0) {
    m_buffer[0] = 0;
    set_string(p_text, infinite_size);
  }
  string_fixed_t(const string_fixed_t& p_source) : string_base(), m_length(p_source.m_length) {
    std::memcpy(m_buffer, p_source.m_buffer, N);
  }
  string_fixed_t& operator=(const string_fixed_t& p_source) {
    m_length = p_source.m_length;
    std::memmove(m_buffer, p_source.m_buffer, N);
    return *this;
  }
  string_fixed_t& operator=(const char* p_text) {
    set_string(p_text, infinite_size);
    return *this;
  }

  void add_string(const char* p_text, t_size p_length = infinite_size) override {
    const t_size count = strlen_max(p_text, p_length);
    if (count > N - 1 - m_length) throw exception_overflow();
    if (p_text != nullptr && count > 0) std::memmove(m_buffer + m_length, p_text, count);
    m_length += count;
    m_buffer[m_length] = 0;
  }
  const char* get_ptr() const override { return m_buffer; }
  // Replace: reset, then append. A text that lies in the own buffer keeps its bytes; an overlong
  // one leaves the string empty and throws.
  void set_string(const char* p_text, t_size p_length = infinite_size) override {
    const t_size count = strlen_max(p_text, p_length);
    if (count > N - 1) {
      m_length = 0;
      m_buffer[0] = 0;
      throw exception_overflow();
    }
    if (p_text != nullptr && count > 0) std::memmove(m_buffer, p_text, count);
    m_length = count;
    m_buffer[m_length] = 0;
  }
  void truncate(t_size p_length) override {
    t_int32 signed_length = static_cast<t_int32>(p_length);
    t_size limit = (signed_length < 0 || p_length > N - 1) ? N - 1 : p_length;
    if (m_length > limit) {
      m_length = limit;
      m_buffer[limit] = 0;
    }
  }
  t_size get_length() const override { return m_length; }
  char* lock_buffer(t_size p_count) override {
    if (p_count >= N) return nullptr;
    std::memset(m_buffer, 0, N);
    return m_buffer;
  }
  void unlock_buffer() override {
    m_buffer[N - 1] = 0;
    m_length = strlen_max(m_buffer, N - 1);
  }

  operator const char*() const { return m_buffer; }

 private:
  t_size m_length;
  char m_buffer[N];
};

// A UTF-8 string without the virtual interface: text and NUL in an exactly sized array.
class plain_string {
 public:
  typedef void zut_raw_movable;

  plain_string() {}
  plain_string(const char* p_text, t_size p_length = infinite_size) { set(p_text, p_length); }

  // Stores the bounded text (null reads as empty) and a NUL in an array of exactly length + 1.
  void set(const char* p_text, t_size p_length = infinite_size);
  plain_string& operator=(const char* p_text) {
    set(p_text, infinite_size);
    return *this;
  }

  // The text: the array's data ("" while nothing was set).
  const char* get_ptr() const;
  operator const char*() const { return get_ptr(); }
  t_size get_length() const;
  const array_t<char, alloc_standard>& get_array() const { return m_data; }

 private:
  array_t<char, alloc_standard> m_data;
};

}  // namespace zut
