#pragma once
// A walk over the numbered items (commands) of every service of a class.

#include <trovaplay/sdk/service.h>

#include <cstdint>

// Walks the services of T's class in the host's order and, within each, the items 0 .. count - 1
// (p_count: the service's item count) until p_match(service, index) answers true; that item's
// service and index are kept. False when none matched. A service the host cannot create ends the walk.
template <typename T, typename F>
bool service_find_item(std::uint32_t (T::*p_count)(), F p_match, service_ptr_t<T>& p_service,
                       std::uint32_t& p_index) {
  service_enumerator_t<T> services;
  service_ptr_t<T> service;
  while (services.next(service)) {
    const std::uint32_t count = (service.get_ptr()->*p_count)();
    for (std::uint32_t i = 0; i < count; ++i) {
      if (p_match(*service.get_ptr(), i)) {
        p_service = service;
        p_index = i;
        return true;
      }
    }
  }
  return false;
}
