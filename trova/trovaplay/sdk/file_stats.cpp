// File statistics comparisons.

#include <trovaplay/sdk/file_stats.h>

#include <cstring>

bool file_stats_differ(const file_stats& p_a, const file_stats& p_b) {
  std::uint32_t a[4], b[4];
  static_assert(sizeof(file_stats) == sizeof(a), "file_stats is 16 bytes");
  std::memcpy(a, &p_a, sizeof(a));
  std::memcpy(b, &p_b, sizeof(b));
  return a[0] != b[0] || a[1] != b[1] || a[2] != b[2] || a[3] != b[3];
}

bool needs_reload(const file_stats& p_old, const file_stats& p_new, bool p_fresh) {
  // 1.
  if (p_new.m_timestamp == 0) return p_fresh;
  // 2.
  if (!p_fresh) return p_old.m_timestamp < p_new.m_timestamp;
  // 3.
  return file_stats_differ(p_old, p_new);
}
