// Foundation primitives: the size type, the assertion reporter and its check macros, raw-memory
// swapping, and the in-place construction helpers used by every container of the library.
#pragma once

#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

// Unsigned 32-bit size and index type; all bits set means "none" / "up to the NUL".
typedef std::uint32_t t_size;
static_assert(sizeof(t_size) == 4, "t_size must be 32 bits");

typedef std::int8_t t_int8;
typedef std::uint8_t t_uint8;
typedef std::int16_t t_int16;
typedef std::uint16_t t_uint16;
typedef std::int32_t t_int32;
typedef std::uint32_t t_uint32;
typedef std::int64_t t_int64;
typedef std::uint64_t t_uint64;

namespace zut {

using ::t_size;

// The "none" value of t_size (also: "up to the terminating NUL" as a length).
const t_size infinite_size = ~t_size(0);

// ---------------------------------------------------------------------------------------------
// Debug output: every debug line of the component (the foundation's reports, the SDK layer's error
// lines, the common library's and the skin engine's lines) goes through debug_output, which hands it
// to the test hook, when one is set, and to OutputDebugStringW when somebody reads that: a debugger,
// or a debug monitor (the event "DBWIN_BUFFER_READY" exists). A null text writes nothing.
// ---------------------------------------------------------------------------------------------
void debug_output(const wchar_t* p_text);
// Whether a line written now would reach anybody (the hook, a debugger or a debug monitor): callers
// that build lines at some cost skip the building when not.
bool debug_output_wanted();

// Installs a hook that sees every line (null removes it); returns the previous one and its context.
typedef void (*debug_output_hook_t)(const wchar_t* p_text, void* p_context);
debug_output_hook_t set_debug_output_hook(debug_output_hook_t p_hook, void* p_context,
                                          void** p_previous_context = nullptr);

// ---------------------------------------------------------------------------------------------
// Assertion reporter.
//
// assert_failed logs the failed check and returns, so the caller goes on. It writes one line through
// debug_output, counts the report, remembers the last one and calls the test hook when one is
// set. Only when a debugger is attached (and p_allow_break is true) does it break into it.
// It never calls the runtime's assertion routine and never shows a message box.
// ---------------------------------------------------------------------------------------------
void assert_failed(const wchar_t* p_expression, const wchar_t* p_file, unsigned p_line,
                   bool p_allow_break = true);

// Observation for tests: a hook called for every report (null: none). Returns the previous hook.
typedef void (*assert_hook_t)(const wchar_t* p_expression, const wchar_t* p_file, unsigned p_line);
assert_hook_t set_assert_hook(assert_hook_t p_hook);

// A run-time check that must hold also in release builds: a false condition is reported (expression
// "0", source "primitives", line 233) and then throws exception_dynamic_assert ("dynamic_assert failure").
void dynamic_assert(bool p_condition);

// Number of reports since the process started (or since reset_assert_count).
t_size get_assert_count();
void reset_assert_count();

// The last report (empty texts and line 0 before the first). The texts are copied, at most 511 units.
const wchar_t* get_last_assert_expression();
const wchar_t* get_last_assert_file();
unsigned get_last_assert_line();

}  // namespace zut

#define ZUT_WIDEN_(x) L##x
#define ZUT_WIDEN(x) ZUT_WIDEN_(x)

// A check at the current line.
#define ZUT_ASSERT(expr)                                                                           \
  ((expr) ? (void)0 : ::zut::assert_failed(ZUT_WIDEN(#expr), ZUT_WIDEN(__FILE__), __LINE__))
// A check reported with a fixed line number (the templates report the line numbers that callers
// know them by, whatever line of the header the check stands on).
#define ZUT_ASSERT_AT(expr, line)                                                                  \
  ((expr) ? (void)0 : ::zut::assert_failed(ZUT_WIDEN(#expr), ZUT_WIDEN(__FILE__), (line)))
// A check that reports without breaking into an attached debugger.
#define ZUT_ASSERT_NOBREAK(expr)                                                                   \
  ((expr) ? (void)0                                                                                \
          : ::zut::assert_failed(ZUT_WIDEN(#expr), ZUT_WIDEN(__FILE__), __LINE__, false))

namespace zut {

// ---------------------------------------------------------------------------------------------
// Raw-memory exchange. No constructor, assignment or destructor runs, so a counted reference keeps
// its count.
// ---------------------------------------------------------------------------------------------

// Exchanges n bytes one at a time.
void swap_void(void* p_item1, void* p_item2, t_size p_bytes);

// Exchanges two items as raw memory: as 32-bit words when the size is a multiple of 4, else bytes.
template <typename T>
inline void swap_t(T& p_item1, T& p_item2) {
  unsigned char* a = reinterpret_cast<unsigned char*>(&p_item1);
  unsigned char* b = reinterpret_cast<unsigned char*>(&p_item2);
  if (a == b) return;
  if (sizeof(T) % 4 == 0) {
    for (t_size n = 0; n < sizeof(T); n += 4) {
      std::uint32_t wa, wb;
      std::memcpy(&wa, a + n, 4);
      std::memcpy(&wb, b + n, 4);
      std::memcpy(a + n, &wb, 4);
      std::memcpy(b + n, &wa, 4);
    }
  } else {
    swap_void(a, b, sizeof(T));
  }
}

// ---------------------------------------------------------------------------------------------
// Raw-movable element types: their bytes may be moved (realloc, memmove, swap_t) without running a
// copy constructor or destructor. Trivially copyable types are; a class opts in by declaring
//   typedef void zut_raw_movable;
// or by a specialisation of zut::is_raw_movable.
// ---------------------------------------------------------------------------------------------
template <typename T, typename = void>
struct is_raw_movable : std::integral_constant<bool, std::is_trivially_copyable<T>::value> {};
template <typename T>
struct is_raw_movable<T, std::void_t<typename T::zut_raw_movable>> : std::true_type {};

// Plain element types (characters, bytes, integers, bool, pointers, enums, floats): the in-place
// helpers do nothing at all for them.
template <typename T>
struct is_plain_item : std::integral_constant<bool, std::is_scalar<T>::value> {};

// ---------------------------------------------------------------------------------------------
// In-place construction helpers.
// ---------------------------------------------------------------------------------------------

// Default-constructs one T at p_item (nothing at all for plain types).
template <typename T>
inline void construct_in_place(T& p_item) {
  if constexpr (!is_plain_item<T>::value) {
    T* ret = new (static_cast<void*>(&p_item)) T();
    ZUT_ASSERT_AT(ret == &p_item, 104);
  }
}

// Copy-constructs one T at p_item from p_source.
template <typename T>
inline void copy_construct_in_place(T& p_item, const T& p_source) {
  if constexpr (is_plain_item<T>::value) {
    p_item = p_source;
  } else {
    T* ret = new (static_cast<void*>(&p_item)) T(p_source);
    ZUT_ASSERT_AT(ret == &p_item, 137);
  }
}

// Items whose destruction drops something that may throw (a counted reference whose release
// throws) declare
//   typedef void zut_release_before_destruction;
// and a release() that leaves nothing for the destructor to do.
template <typename T, typename = void>
struct is_released_before_destruction : std::false_type {};
template <typename T>
struct is_released_before_destruction<T, std::void_t<typename T::zut_release_before_destruction>>
    : std::true_type {};

// Destroys p_count consecutive items from p_items (nothing for plain types). An exception thrown by
// one item's release or destructor is caught and ignored, and the next item is destroyed.
template <typename T>
inline void destroy_in_place(T* p_items, t_size p_count) {
  if constexpr (!is_plain_item<T>::value && !std::is_trivially_destructible<T>::value) {
    for (t_size n = 0; n < p_count; n++) {
      try {
        if constexpr (is_released_before_destruction<T>::value) p_items[n].release();
        p_items[n].~T();
      } catch (...) {
      }
    }
  } else {
    (void)p_items;
    (void)p_count;
  }
}

// Copy-constructs p_count items one by one; when item i throws, the i items already made are
// destroyed and the exception propagates.
template <typename T>
inline void copy_construct_array(T* p_dest, t_size p_count, const T* p_source) {
  t_size n = 0;
  try {
    for (; n < p_count; n++) copy_construct_in_place(p_dest[n], p_source[n]);
  } catch (...) {
    destroy_in_place(p_dest, n);
    throw;
  }
}

}  // namespace zut

#include "exception.h"
#include "sync.h"
#include "rc_container.h"
