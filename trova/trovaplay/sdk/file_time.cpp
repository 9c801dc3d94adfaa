// Windows file times and the tick timer.

#include <trovaplay/sdk/file_time.h>
#include <zut/string_utils.h>

#include <windows.h>

std::uint64_t current_file_time() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return std::uint64_t(now.dwHighDateTime) << 32 | now.dwLowDateTime;
}

zut::string_fixed_t<32> format_file_time(std::uint64_t p_time) {
  FILETIME utc, local;
  utc.dwLowDateTime = static_cast<DWORD>(p_time);
  utc.dwHighDateTime = static_cast<DWORD>(p_time >> 32);
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st))
    return zut::string_fixed_t<32>("<invalid timestamp>");
  zut::string_fixed_t<32> text;
  text << zut::format_uint(st.wYear, 4) << "-" << zut::format_uint(st.wMonth, 2) << "-"
       << zut::format_uint(st.wDay, 2) << " " << zut::format_uint(st.wHour, 2) << ":"
       << zut::format_uint(st.wMinute, 2) << ":" << zut::format_uint(st.wSecond, 2);
  return text;
}

void tick_timer::start() { m_start = m_last = GetTickCount(); }

double tick_timer::query() {
  const std::uint32_t now = GetTickCount();
  // The counter wrapped when it reads below the low half of the last value.
  std::uint64_t extended = (m_last & ~std::uint64_t(0xFFFFFFFF)) | now;
  if (now < static_cast<std::uint32_t>(m_last)) extended += std::uint64_t(1) << 32;
  m_last = extended;
  return static_cast<double>(m_last - m_start) / 1000.0;
}
