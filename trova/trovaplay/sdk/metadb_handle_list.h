#pragma once
// Lists of track handles (every stored handle holds one reference) and the helpers that sort,
// search, compare and prune them. Sorting by text uses the host's sort keys (shared.dll).

#include <trovaplay/sdk/metadb_handle.h>
#include <trovaplay/sdk/service.h>
#include <trovaplay/sdk/titleformat.h>
#include <zut/list.h>

typedef zut::list_t<service_ptr_t<metadb_handle>, zut::alloc_fast> metadb_handle_list_t;
typedef zut::list_base_t<service_ptr_t<metadb_handle>> metadb_handle_list_base;

// Host service class {FEBD85B5-C12D-45B5-B55D-0D3F432B0C6B}: the text to sort a track by.
class sort_path_provider : public service_base {
  TROVA_SERVICE_INTERFACE({0xFEBD85B5, 0xC12D, 0x45B5, {0xB5, 0x5B, 0x0D, 0x3F, 0x43, 0x2B, 0x0C, 0x6B}})
 public:
  virtual void placeholder_3() {}
  virtual void placeholder_4() {}
  virtual void placeholder_5() {}
  // 6: true and the text; false when the track has none.
  virtual bool get_sort_path(const service_ptr_t<metadb_handle>& p_handle, zut::string_base& p_out) = 0;

 protected:
  sort_path_provider() = default;
  ~sort_path_provider() = default;
};

// ---- Order by formatted text: out order[0 .. count-1] = positions of the range in sorted order.
// Equal texts keep their order. The text form compiles first and does nothing when it cannot.
void titleformat_sort_order_range(const metadb_handle_list_base& p_list, t_size p_base, t_size p_count,
                                  t_size* p_order, titleformat_script& p_script, titleformat_hook* p_hook);
void titleformat_sort_order_range(const metadb_handle_list_base& p_list, t_size p_base, t_size p_count,
                                  t_size* p_order, const char* p_spec, titleformat_hook* p_hook);
void sort_by_titleformat_range(metadb_handle_list_base& p_list, t_size p_base, t_size p_count,
                               titleformat_script& p_script, titleformat_hook* p_hook);
void sort_by_titleformat_range(metadb_handle_list_base& p_list, t_size p_base, t_size p_count, const char* p_spec,
                               titleformat_hook* p_hook);
// The same by the one sort_path_provider's text (a track without one sorts by the empty text).
void sort_path_order_range(const metadb_handle_list_base& p_list, t_size p_base, t_size p_count, t_size* p_order);
void sort_by_sort_path_range(metadb_handle_list_base& p_list, t_size p_base, t_size p_count);
// The whole list by "%path_sort%".
void sort_by_path_sort_field(metadb_handle_list_base& p_list);
// The whole list by the paths' bytes.
void sort_by_location_path(metadb_handle_list_base& p_list);

// ---- By object address.
void sort_by_handle_address(metadb_handle_list_base& p_list);
// The position of the handle in a list sorted by address, or ~0.
t_size find_handle_sorted(const metadb_handle_list_base& p_list, const metadb_handle* p_handle);
// Removes every repeated handle; the first of each keeps its place.
void drop_duplicate_handles(metadb_handle_list_base& p_list);
void sort_and_drop_duplicate_handles(metadb_handle_list_base& p_list);
// Both inputs sorted by address: what only one of them holds (a run of equal handles once).
void sorted_list_differences(const metadb_handle_list_base& p_a, const metadb_handle_list_base& p_b,
                             metadb_handle_list_base& p_only_a, metadb_handle_list_base& p_only_b);

// The sum of the lengths that are greater than 0.
double total_length_seconds(const metadb_handle_list_base& p_list);
