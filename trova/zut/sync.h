// A re-entrant critical section with an entry count, and a scoped lock over it.
#pragma once

#include <windows.h>
#include <cstdint>

namespace zut {

class critical_section {
 public:
  critical_section();
  ~critical_section();
  // EnterCriticalSection, then count + 1; returns the new count.
  std::uint32_t enter();
  // Count - 1, then LeaveCriticalSection; returns the count.
  std::uint32_t leave();
  std::uint32_t get_count() const { return m_count; }

  critical_section(const critical_section&) = delete;
  critical_section& operator=(const critical_section&) = delete;

 private:
  CRITICAL_SECTION m_section;
  std::uint32_t m_count;
};

// Enters the section on construction and leaves it on destruction (also during unwinding).
class scoped_lock {
 public:
  explicit scoped_lock(critical_section& p_section) : m_section(&p_section) { m_section->enter(); }
  ~scoped_lock() { m_section->leave(); }

  scoped_lock(const scoped_lock&) = delete;
  scoped_lock& operator=(const scoped_lock&) = delete;

 private:
  critical_section* m_section;
};

}  // namespace zut
