// The searches of the selection masks and the sizing of the bit table.
//
// Every search visits start, start+step, ... for |count| positions (step +1 for a positive count,
// -1 for a negative one) and answers the first visited index whose value matches, or start+count
// (unsigned 32-bit arithmetic) when none does. A count of 0 answers start without looking.
//
// The plain search (bit_array::find):
//  1. A count of 0: start.
//  2. Step +1 or -1, |count| positions to visit.
//  3. Visit them, answering the first whose get equals val.
//  4. None did: the walk stopped at start+count.
// bit_array_one::find:
//  1. A count of 0: start.
//  2. Seeking true: the index when the walk passes over it, else start+count.
//  3. Seeking false: start, or the next position after it when start is the index.

#include <zut/bit_array.h>

namespace {

// Number of positions a search visits; |INT_MIN| does not fit an int, so work unsigned.
t_size search_length(int count) {
  return count >= 0 ? static_cast<t_size>(count) : t_size(0) - static_cast<t_size>(count);
}

t_size search_end(t_size start, int count) { return start + static_cast<t_size>(count); }

}  // namespace

t_size bit_array::find(bool val, t_size start, int count) const {
  // 1. Nothing to visit.
  if (count == 0) return start;
  // 2. Direction and length of the walk.
  const t_size step = count > 0 ? 1 : t_size(0) - 1;
  t_size remaining = search_length(count);
  t_size n = start;
  // 3. Walk until a match.
  for (; remaining >= 1; --remaining, n += step) {
    if (get(n) == val) return n;
  }
  // 4. No match: n is now start+count.
  return n;
}

t_size bit_array_true::find(bool val, t_size start, int count) const {
  return val ? start : search_end(start, count);
}

t_size bit_array_false::find(bool val, t_size start, int count) const {
  return val ? search_end(start, count) : start;
}

t_size bit_array_val::find(bool val, t_size start, int count) const {
  return val == m_value ? start : search_end(start, count);
}

t_size bit_array_one::find(bool val, t_size start, int count) const {
  // 1. Nothing to visit.
  if (count == 0) return start;
  if (val) {
    // 2. The index is found when the walk passes over it; distances are taken in the direction
    //    of the walk, modulo 2^32, as the walk itself wraps.
    const t_size distance = count > 0 ? m_index - start : start - m_index;
    return distance < search_length(count) ? m_index : search_end(start, count);
  }
  // 3. Every index but one is clear: the start itself, or the next position after it.
  if (start != m_index) return start;
  return count > 0 ? start + 1 : start - 1;
}

void bit_array_bittable::resize(t_size count) {
  const t_size old_bytes = m_data.get_size();
  const t_size old_count = m_count;
  const t_size new_bytes = g_estimate_size(count);
  m_data.set_size(new_bytes);
  m_count = count;
  // Bytes added by the growth hold whatever the heap held: clear them.
  for (t_size n = old_bytes; n < new_bytes; ++n) m_data[n] = 0;
  // Keep every bit beyond the count clear, so a later growth starts clean.
  if (count < old_count && (count & 7) != 0) {
    m_data[count >> 3] = static_cast<unsigned char>(m_data[count >> 3] & ((1u << (count & 7)) - 1));
  }
}
