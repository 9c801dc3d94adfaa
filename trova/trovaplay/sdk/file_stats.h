#pragma once
// Size and time stamp of a file, and the rules that decide whether a track's information must be read
// again after its file changed.

#include <cstdint>

// 16 bytes, copied as a whole. A size with all bits set is the no-size value; the time stamp is a
// Windows file time (100-ns units since 1601-01-01 UTC), 0 when unknown.
struct file_stats {
  std::uint64_t m_size;
  std::uint64_t m_timestamp;
};

// The size value of an object whose length is unknown.
const std::uint64_t filesize_invalid = ~std::uint64_t(0);

// True when any of the four 32-bit words of the two records differs.
bool file_stats_differ(const file_stats& p_a, const file_stats& p_b);

// Whether information read under p_old must be read again now that the file shows p_new:
//   1. a new time stamp of 0 (unknown) answers p_fresh;
//   2. not fresh: the new time stamp is later than the old one;
//   3. fresh: the two records differ at all.
bool needs_reload(const file_stats& p_old, const file_stats& p_new, bool p_fresh);
