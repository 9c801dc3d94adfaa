// Foundation exceptions.
#include "exception.h"

namespace zut {

exception_bug_check::exception_bug_check() : m_message("Bug check") {}
exception_bug_check::exception_bug_check(const char* p_message)
    : m_message(p_message != nullptr ? p_message : "Bug check") {}
exception_bug_check::exception_bug_check(const exception_bug_check& p_source)
    : std::exception(p_source), m_message(p_source.m_message) {}
exception_bug_check& exception_bug_check::operator=(const exception_bug_check& p_source) {
  m_message = p_source.m_message;
  return *this;
}
exception_bug_check::~exception_bug_check() {}
const char* exception_bug_check::what() const noexcept { return m_message.c_str(); }

exception_dynamic_assert::exception_dynamic_assert(const char* p_message)
    : exception_bug_check(p_message != nullptr ? p_message : "") {}
exception_dynamic_assert::exception_dynamic_assert(const exception_dynamic_assert& p_source)
    : exception_bug_check(p_source) {}
exception_dynamic_assert::~exception_dynamic_assert() {}

exception_overflow::exception_overflow() noexcept {}
exception_overflow::exception_overflow(const exception_overflow& p_source) noexcept
    : std::exception(p_source) {}
exception_overflow::~exception_overflow() {}
const char* exception_overflow::what() const noexcept { return "Overflow"; }

const char* bad_alloc_t::what() const noexcept { return "bad allocation"; }

void throw_bad_alloc() { throw bad_alloc_t(); }

}  // namespace zut
