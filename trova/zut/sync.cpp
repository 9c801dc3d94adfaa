// Critical section with an entry count.
#include "sync.h"

namespace zut {

critical_section::critical_section() : m_count(0) { InitializeCriticalSection(&m_section); }
critical_section::~critical_section() { DeleteCriticalSection(&m_section); }

std::uint32_t critical_section::enter() {
  EnterCriticalSection(&m_section);
  return ++m_count;
}

std::uint32_t critical_section::leave() {
  std::uint32_t count = --m_count;
  LeaveCriticalSection(&m_section);
  return count;
}

}  // namespace zut
