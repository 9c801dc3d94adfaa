#pragma once
// Windows file times and a millisecond tick timer.

#include <zut/string.h>

#include <cstdint>

// The system time now, as one 64-bit Windows file time.
std::uint64_t current_file_time();

// "YYYY-MM-DD hh:mm:ss" in local time; "<invalid timestamp>" when the system cannot convert it.
zut::string_fixed_t<32> format_file_time(std::uint64_t p_time);

// Elapsed seconds by the system tick counter, across its 32-bit wrap.
class tick_timer {
 public:
  tick_timer() : m_start(0), m_last(0) {}
  void start();
  // Seconds since start.
  double query();

 private:
  std::uint64_t m_start;  // milliseconds
  std::uint64_t m_last;
};
