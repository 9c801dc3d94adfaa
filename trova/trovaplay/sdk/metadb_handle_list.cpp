// Helpers over lists of track handles.
//
// Order by formatted text (or by sort path):
//   1. The range must lie within the list.
//   2. One record per handle: a sort key of its text, its sub-song index, its position.
//   3. Sort the records by their keys (equal keys: the lower position first).
//   4. The order is the records' positions; the keys are freed.
// drop_duplicate_handles:
//   1. A permutation of the items sorted by address.
//   2. Of every run of equal neighbours in that order, all but the first are marked.
//   3. The marked items go; the rest keep their order.

#include "metadb_handle_list.h"

#include <trovaplay/shared/shared.h>
#include <zut/array.h>
#include <zut/sort.h>

#include <functional>
#include <vector>

namespace {

const t_size none = zut::infinite_size;

struct custom_sort_data {
  uSortStringHandle key;
  std::uint32_t subsong;
  t_size position;
};

const void* address(const service_ptr_t<metadb_handle>& p_handle) { return p_handle.get_ptr(); }

bool below(const void* a, const void* b) { return std::less<const void*>()(a, b); }

// 1. - 4. over a text per position.
template <class Text>
void order_by_text(const metadb_handle_list_base& p_list, t_size base, t_size count, t_size* p_order,
                   bool p_stable, Text p_text) {
  // 1.
  TROVA_SERVICE_ASSERT(base+count<=p_list.get_count(), L"metadb_handle_list", 30);
  if (count == 0 || base + count > p_list.get_count()) return;
  // 2.
  std::vector<custom_sort_data> records(count);
  zut::string8_fast text;
  for (t_size i = 0; i < count; ++i) {
    const service_ptr_t<metadb_handle> item = p_list.get_item(base + i);
    TROVA_SERVICE_ASSERT(item.is_valid(), L"metadb_handle_list", 38);
    text.reset();
    if (item.is_valid()) p_text(item, text);
    records[i] = {uSortStringCreate(text.get_ptr()), item.is_valid() ? item->get_location().get_subsong() : 0, i};
  }
  // 3.
  class by_key : public zut::sort_callback {
   public:
    explicit by_key(std::vector<custom_sort_data>& p_records) : m_records(p_records) {}
    int compare(t_size a, t_size b) const override {
      const int order = uSortStringCompare(m_records[a].key, m_records[b].key);
      if (order != 0) return order;
      return m_records[a].position < m_records[b].position ? -1 : (m_records[a].position > m_records[b].position);
    }
    void swap(t_size a, t_size b) override { std::swap(m_records[a], m_records[b]); }

   private:
    std::vector<custom_sort_data>& m_records;
  } callback(records);
  if (p_stable) zut::sort_stable(callback, count);
  else zut::sort(callback, count);
  // 4.
  for (t_size i = 0; i < count; ++i) {
    p_order[i] = records[i].position;
    uSortStringFree(records[i].key);
  }
}

void apply_order(metadb_handle_list_base& p_list, t_size p_base, t_size p_count,
                 const std::function<void(t_size*)>& p_fill) {
  if (p_count == 0) return;
  std::vector<t_size> order(p_count);
  for (t_size i = 0; i < p_count; ++i) order[i] = i;
  p_fill(order.data());
  p_list.reorder_partial(p_base, order.data(), p_count);
}

}  // namespace

void titleformat_sort_order_range(const metadb_handle_list_base& p_list, t_size p_base, t_size p_count,
                                  t_size* p_order, titleformat_script& p_script, titleformat_hook* p_hook) {
  service_ptr_t<titleformat_script> script(&p_script);
  order_by_text(p_list, p_base, p_count, p_order, true,
                [&](const service_ptr_t<metadb_handle>& p_item, zut::string_base& p_out) {
                  p_item->format_title(p_hook, p_out, script, nullptr);
                });
}

void titleformat_sort_order_range(const metadb_handle_list_base& p_list, t_size p_base, t_size p_count,
                                  t_size* p_order, const char* p_spec, titleformat_hook* p_hook) {
  service_ptr_t<titleformat_script> script;
  if (!titleformat_compile(script, p_spec)) return;
  titleformat_sort_order_range(p_list, p_base, p_count, p_order, *script.get_ptr(), p_hook);
}

void sort_by_titleformat_range(metadb_handle_list_base& p_list, t_size p_base, t_size p_count,
                               titleformat_script& p_script, titleformat_hook* p_hook) {
  apply_order(p_list, p_base, p_count,
              [&](t_size* p_order) { titleformat_sort_order_range(p_list, p_base, p_count, p_order, p_script, p_hook); });
}

void sort_by_titleformat_range(metadb_handle_list_base& p_list, t_size p_base, t_size p_count, const char* p_spec,
                               titleformat_hook* p_hook) {
  service_ptr_t<titleformat_script> script;
  if (!titleformat_compile(script, p_spec)) return;  // the list stays
  sort_by_titleformat_range(p_list, p_base, p_count, *script.get_ptr(), p_hook);
}

void sort_path_order_range(const metadb_handle_list_base& p_list, t_size p_base, t_size p_count, t_size* p_order) {
  single_service_ptr_t<sort_path_provider> provider;
  order_by_text(p_list, p_base, p_count, p_order, false,
                [&](const service_ptr_t<metadb_handle>& p_item, zut::string_base& p_out) {
                  if (!provider->get_sort_path(p_item, p_out)) p_out.reset();
                });
}

void sort_by_sort_path_range(metadb_handle_list_base& p_list, t_size p_base, t_size p_count) {
  apply_order(p_list, p_base, p_count,
              [&](t_size* p_order) { sort_path_order_range(p_list, p_base, p_count, p_order); });
}

void sort_by_path_sort_field(metadb_handle_list_base& p_list) {
  sort_by_titleformat_range(p_list, 0, p_list.get_count(), "%path_sort%", nullptr);
}

void sort_by_location_path(metadb_handle_list_base& p_list) {
  p_list.sort_t([](const service_ptr_t<metadb_handle>& a, const service_ptr_t<metadb_handle>& b) {
    return compare_playable_location(a->get_location().get_path(), b->get_location().get_path());
  });
}

void sort_by_handle_address(metadb_handle_list_base& p_list) { p_list.sort(); }

t_size find_handle_sorted(const metadb_handle_list_base& p_list, const metadb_handle* p_handle) {
  t_size low = 0, high = p_list.get_count();
  while (low < high) {
    const t_size middle = low + (high - low) / 2;
    const void* item = address(p_list.get_item(middle));
    if (item == p_handle) return middle;
    if (below(item, p_handle)) low = middle + 1;
    else high = middle;
  }
  return none;
}

void drop_duplicate_handles(metadb_handle_list_base& p_list) {
  const t_size count = p_list.get_count();
  if (count == 0) return;
  // 1.
  std::vector<const void*> items(count);
  for (t_size i = 0; i < count; ++i) items[i] = address(p_list.get_item(i));
  std::vector<t_size> permutation(count);
  for (t_size i = 0; i < count; ++i) permutation[i] = i;
  class by_address : public zut::sort_callback {
   public:
    by_address(const std::vector<const void*>& p_items, std::vector<t_size>& p_permutation)
        : m_items(p_items), m_permutation(p_permutation) {}
    int compare(t_size a, t_size b) const override {
      const void* x = m_items[m_permutation[a]];
      const void* y = m_items[m_permutation[b]];
      return below(x, y) ? -1 : (below(y, x) ? 1 : 0);
    }
    void swap(t_size a, t_size b) override { std::swap(m_permutation[a], m_permutation[b]); }

   private:
    const std::vector<const void*>& m_items;
    std::vector<t_size>& m_permutation;
  } callback(items, permutation);
  zut::sort(callback, count);
  // 2.
  bit_array_bittable marks(count);
  bool any = false;
  for (t_size k = 0; k + 1 < count; ++k) {
    if (items[permutation[k + 1]] == items[permutation[k]]) {
      marks.set(permutation[k + 1], true);
      any = true;
    }
  }
  // 3.
  if (any) p_list.remove_mask(marks);
}

void sort_and_drop_duplicate_handles(metadb_handle_list_base& p_list) {
  const t_size count = p_list.get_count();
  if (count == 0) return;
  p_list.sort();
  bit_array_bittable marks(count);
  bool any = false;
  for (t_size i = 1; i < count; ++i) {
    if (address(p_list.get_item(i)) == address(p_list.get_item(i - 1))) {
      marks.set(i, true);
      any = true;
    }
  }
  if (any) p_list.remove_mask(marks);
}

void sorted_list_differences(const metadb_handle_list_base& p_a, const metadb_handle_list_base& p_b,
                             metadb_handle_list_base& p_only_a, metadb_handle_list_base& p_only_b) {
  const t_size na = p_a.get_count(), nb = p_b.get_count();
  p_only_a.remove_mask(bit_array_true());
  p_only_b.remove_mask(bit_array_true());
  auto at = [](const metadb_handle_list_base& p_list, t_size n) { return address(p_list.get_item(n)); };
  t_size i = 0, j = 0;
  while (i < na || j < nb) {
    while (i < na && (j == nb || below(at(p_a, i), at(p_b, j)))) {
      p_only_a.add_item(p_a.get_item(i));
      const void* run = at(p_a, i);
      while (i < na && at(p_a, i) == run) ++i;
    }
    while (j < nb && (i == na || below(at(p_b, j), at(p_a, i)))) {
      p_only_b.add_item(p_b.get_item(j));
      const void* run = at(p_b, j);
      while (j < nb && at(p_b, j) == run) ++j;
    }
    while (i < na && j < nb && at(p_a, i) == at(p_b, j)) {
      ++i;
      ++j;
    }
  }
}

double total_length_seconds(const metadb_handle_list_base& p_list) {
  double total = 0.0;
  const t_size count = p_list.get_count();
  for (t_size i = 0; i < count; ++i) {
    const service_ptr_t<metadb_handle> item = p_list.get_item(i);
    if (item.is_empty()) continue;
    const double length = item->get_length();
    if (length > 0) total += length;
  }
  return total;
}
