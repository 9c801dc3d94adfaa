// Index quicksort, stable sort, reorder by an order table and bisection search.
//
// sort (callback, count), without recursion or allocation:
//  1. Fewer than 2 items: done.
//  2. Two range stacks of 30 entries in the frame; the whole range is the first.
//  3. A range of 8 items or fewer is finished by selection sort (then step 9).
//  4. Median of three: order the first, middle and last items.
//  5. Partition around the middle item, following it when it is exchanged.
//  6. Leave items equal to the pivot next to it out of the lower part.
//  7./8. Push the larger part, go on with the smaller one; so the stack never holds more than
//     about log2(count) ranges.
//  9. Pop the next range, until the stack is empty.
//
// reorder (callback, order, count):
//  1. A done table of count bits, all clear (in the frame for up to 8192 items).
//  2. Follow every cycle of the order once, from its lowest index, exchanging along it. A broken
//     order is reported and stops the reorder, before any exchange out of range or any endless
//     walk round a cycle that never closes.
//
// bsearch (count, callback, result):
//  1. lo = 0, hi = count.
//  2. Halve [lo, hi) until the key is found.
//  3. Not found: the result is where the key would be inserted.

#include <zut/bit_array.h>
#include <zut/sort.h>

#include <cstring>

namespace zut {
namespace {

// Selection sort of lo..hi. Among equal largest items the first found stays the maximum; the swap
// of the maximum into place runs even when it is already there.
void selection_sort(sort_callback& p_callback, t_size lo, t_size hi) {
  while (hi > lo) {
    t_size max = lo;
    for (t_size p = lo + 1; p <= hi; ++p) {
      if (p_callback.compare(p, max) > 0) max = p;
    }
    p_callback.swap(max, hi);
    --hi;
  }
}

// The done table of the reorder: the first bytes in the frame, only the rest on the heap.
class done_table {
 public:
  explicit done_table(t_size p_count) {
    const t_size bytes = bit_array_bittable::g_estimate_size(p_count);
    const t_size local = bytes < local_bytes ? bytes : local_bytes;
    std::memset(m_local, 0, local);
    if (bytes > local_bytes) {
      m_heap.set_size(bytes - local_bytes);
      std::memset(m_heap.get_ptr(), 0, bytes - local_bytes);
    }
  }
  unsigned char& operator[](t_size p_byte) {
    return p_byte < local_bytes ? m_local[p_byte] : m_heap.get_ptr()[p_byte - local_bytes];
  }
  const unsigned char& operator[](t_size p_byte) const {
    return p_byte < local_bytes ? m_local[p_byte] : m_heap.get_ptr()[p_byte - local_bytes];
  }

 private:
  static const t_size local_bytes = 1024;
  unsigned char m_local[local_bytes];
  array_t<unsigned char, alloc_standard> m_heap;
};

// Where the reorder's checks report from.
struct reorder_check_lines {
  unsigned done;
  unsigned above;
  unsigned range;
  const wchar_t* range_text;
};

// These checks report without breaking into an attached debugger.
bool reorder_check(bool p_ok, const wchar_t* p_text, unsigned p_line) {
  if (!p_ok) assert_failed(p_text, L".\\sort", p_line, false);
  return p_ok;
}

template <typename t_swap>
void reorder_cycles(t_swap p_swap, const t_size* p_order, t_size p_count,
                    const reorder_check_lines& p_lines) {
  // 1. Done table.
  done_table done(p_count);
  // 2. Each cycle once, from its lowest index.
  for (t_size n = 0; n < p_count; ++n) {
    t_size next = p_order[n];
    if (next == n || bit_array_bittable::g_get(done, n)) continue;
    t_size prev = n;
    do {
      // Every index on a cycle first met at n lies above n and is met once; anything else means
      // the order is no permutation.
      if (!reorder_check(next < p_count, p_lines.range_text, p_lines.range)) return;
      if (!reorder_check(!bit_array_bittable::g_get(done, next),
                         L"!bit_array_bittable::g_get(done,next)", p_lines.done))
        return;
      if (!reorder_check(next > n, L"next>n", p_lines.above)) return;
      p_swap(prev, next);
      bit_array_bittable::g_set(done, next, true);
      prev = next;
      next = p_order[next];
    } while (next != n);
  }
}

}  // namespace

void sort(sort_callback& p_callback, t_size p_count) {
  // 1. Nothing to sort.
  if (p_count < 2) return;

  // 2. Range stacks.
  const int stack_size = 30;
  t_size lostk[stack_size], histk[stack_size];
  int sp = 0;
  t_size lo = 0, hi = p_count - 1;

  for (;;) {
    const t_size size = hi - lo + 1;
    if (size <= 8) {
      // 3. Small range.
      selection_sort(p_callback, lo, hi);
    } else {
      // 4. Median of three.
      t_size mid = lo + (size >> 1);
      if (p_callback.compare(lo, mid) > 0) p_callback.swap(lo, mid);
      if (p_callback.compare(lo, hi) > 0) p_callback.swap(lo, hi);
      if (p_callback.compare(mid, hi) > 0) p_callback.swap(mid, hi);

      // 5. Partition.
      t_size loguy = lo, higuy = hi;
      for (;;) {
        if (mid > loguy) {
          do {
            ++loguy;
          } while (loguy < mid && p_callback.compare(loguy, mid) <= 0);
        }
        if (mid <= loguy) {
          do {
            ++loguy;
          } while (loguy <= hi && p_callback.compare(loguy, mid) <= 0);
        }
        do {
          --higuy;
        } while (higuy > mid && p_callback.compare(higuy, mid) > 0);
        if (higuy < loguy) break;
        p_callback.swap(loguy, higuy);
        if (mid == higuy) mid = loguy;
      }

      // 6. Skip the pivot's equals below it. higuy never falls below lo here.
      ++higuy;
      if (mid < higuy) {
        do {
          --higuy;
        } while (higuy > mid && p_callback.compare(higuy, mid) == 0);
      }
      if (mid >= higuy) {
        do {
          --higuy;
        } while (higuy > lo && p_callback.compare(higuy, mid) == 0);
      }

      // 7./8. loguy may stand one past hi: the upper part is then empty.
      const t_size lower = higuy - lo;
      const t_size upper = loguy <= hi ? hi - loguy : 0;
      if (lower >= upper) {
        if (lo < higuy) {
          lostk[sp] = lo;
          histk[sp] = higuy;
          ++sp;
        }
        if (loguy < hi) {
          lo = loguy;
          continue;
        }
      } else {
        if (loguy < hi) {
          lostk[sp] = loguy;
          histk[sp] = hi;
          ++sp;
        }
        if (lo < higuy) {
          hi = higuy;
          continue;
        }
      }
    }

    // 9. Next range.
    --sp;
    if (sp < 0) return;
    lo = lostk[sp];
    hi = histk[sp];
  }
}

sort_callback_stabilizer::sort_callback_stabilizer(sort_callback& p_chain, t_size p_count)
    : m_chain(p_chain) {
  m_order.set_size(p_count);
  t_size* order = m_order.get_ptr();
  for (t_size n = 0; n < p_count; ++n) order[n] = n;
}

int sort_callback_stabilizer::compare(t_size a, t_size b) const {
  const int ret = m_chain.compare(a, b);
  if (ret != 0) return ret;
  // Compared directly rather than by difference, which would overflow beyond 2^31 items.
  const t_size* order = m_order.get_ptr();
  return order[a] < order[b] ? -1 : (order[a] > order[b] ? 1 : 0);
}

void sort_callback_stabilizer::swap(t_size a, t_size b) {
  m_chain.swap(a, b);
  t_size* order = m_order.get_ptr();
  swap_t(order[a], order[b]);
}

void sort_stable(sort_callback& p_callback, t_size p_count) {
  sort_callback_stabilizer cb(p_callback, p_count);
  sort(cb, p_count);
}

void sort(void* p_base, t_size p_num, t_size p_width, int (*p_comp)(const void*, const void*),
          void (*p_swap)(void*, void*, t_size)) {
  sort_callback_impl_legacy cb(p_base, p_width, p_comp, p_swap);
  sort(cb, p_num);
}

void sort(void* p_base, t_size p_num, t_size p_width, int (*p_comp)(const void*, const void*)) {
  sort(p_base, p_num, p_width, p_comp, swap_void);
}

void reorder(reorder_callback& p_callback, const t_size* p_order, t_size p_count) {
  const reorder_check_lines lines = {35, 36, 37, L"next<p_count"};
  reorder_cycles([&](t_size a, t_size b) { p_callback.swap(a, b); }, p_order, p_count, lines);
}

void reorder(void* p_base, t_size p_width, const t_size* p_order, t_size p_num,
             void (*p_swap)(void*, void*, t_size)) {
  char* base = static_cast<char*>(p_base);
  const reorder_check_lines lines = {64, 65, 66, L"next<num"};
  reorder_cycles(
      [&](t_size a, t_size b) { p_swap(base + a * p_width, base + b * p_width, p_width); }, p_order,
      p_num, lines);
}

bool bsearch(t_size p_count, bsearch_callback& p_callback, t_size& p_result) {
  // 1. The whole range.
  t_size lo = 0, hi = p_count;
  // 2. Halve.
  while (lo < hi) {
    const t_size mid = lo + (hi - lo) / 2;
    const int r = p_callback.test(mid);
    if (r < 0) {
      lo = mid + 1;
    } else if (r > 0) {
      hi = mid;
    } else {
      p_result = mid;
      return true;
    }
  }
  // 3. Insertion point.
  p_result = lo;
  return false;
}

}  // namespace zut
