// Foundation exceptions. Every allocation failure and size overflow throws std::bad_alloc (through
// zut::throw_bad_alloc, whose object reports "bad allocation").
#pragma once

#include <exception>
#include <new>
#include <string>

namespace zut {

// A state that the code holds impossible was met.
class exception_bug_check : public std::exception {
 public:
  exception_bug_check();
  explicit exception_bug_check(const char* p_message);
  exception_bug_check(const exception_bug_check& p_source);
  exception_bug_check& operator=(const exception_bug_check& p_source);
  ~exception_bug_check() override;
  const char* what() const noexcept override;

 private:
  std::string m_message;
};

// Run-time assertion of the host SDK layer; the message is the thrower's.
class exception_dynamic_assert : public exception_bug_check {
 public:
  explicit exception_dynamic_assert(const char* p_message);
  exception_dynamic_assert(const exception_dynamic_assert& p_source);
  ~exception_dynamic_assert() override;
};

// A fixed-capacity buffer was asked to hold more than its capacity. Message "Overflow".
class exception_overflow : public std::exception {
 public:
  exception_overflow() noexcept;
  exception_overflow(const exception_overflow& p_source) noexcept;
  ~exception_overflow() override;
  const char* what() const noexcept override;
};

// The allocation failure thrown by the library: a std::bad_alloc whose text is "bad allocation".
class bad_alloc_t : public std::bad_alloc {
 public:
  const char* what() const noexcept override;
};

[[noreturn]] void throw_bad_alloc();

}  // namespace zut
