// Adding locations to a playlist: the host's location filter makes track handles of the paths, the
// playlist manager inserts them.
//
// Insert locations (every form):
//   1. An empty track list and an empty filter reference.
//   2. The first location filter; none: false.
//   3. The filter (slot 3, or slot 4 with true, 0, 0 and the parent window); false: false, the
//      playlist untouched.
//   4. Slot 20 inserts the tracks, selected or not; true unless it answers ~0.
//   5. Track list and filter are released on every path (they are owned by this frame).

#include "location_filter.h"

#include <trovaplay/sdk/metadb_handle.h>
#include <trovaplay/sdk/metadb_handle_list.h>

bool location_filter::process_location(const char* p_location, metadb_handle_list_base& p_out,
                                       bool p_flag, std::uint32_t p_value1, std::uint32_t p_value2,
                                       HWND p_parent) {
  zut::list_single_ref_t<const char*> one(p_location);
  return process_locations_ex(one, p_out, p_flag, p_value1, p_value2, p_parent);
}

namespace {

bool insert_locations(playlist_manager& p_manager, t_size p_playlist, t_size p_base,
                      const location_list_const& p_locations, bool p_select, bool p_with_parent,
                      HWND p_parent) {
  // 1.
  metadb_handle_list_t tracks;
  service_ptr_t<location_filter> filter;
  // 2.
  service_enumerator_t<location_filter> filters;
  if (!filters.first(filter)) return false;
  // 3.
  const bool made = p_with_parent ? filter->process_locations_ex(p_locations, tracks, true, 0, 0, p_parent)
                                  : filter->process_locations(p_locations, tracks);
  if (!made) return false;
  // 4.
  return p_manager.playlist_insert_items(p_playlist, p_base, tracks, bit_array_val(p_select)) !=
         playlist_manager::none;
}

}  // namespace

bool playlist_manager::playlist_insert_locations(t_size p_playlist, t_size p_base,
                                                 const location_list_const& p_locations, bool p_select) {
  return insert_locations(*this, p_playlist, p_base, p_locations, p_select, false, nullptr);
}

bool playlist_manager::playlist_insert_locations_ex(t_size p_playlist, t_size p_base,
                                                    const location_list_const& p_locations, bool p_select,
                                                    HWND p_parent) {
  return insert_locations(*this, p_playlist, p_base, p_locations, p_select, true, p_parent);
}

bool playlist_manager::playlist_add_locations(t_size p_playlist, const location_list_const& p_locations,
                                              bool p_select) {
  return playlist_insert_locations(p_playlist, none, p_locations, p_select);
}

bool playlist_manager::playlist_add_locations_ex(t_size p_playlist, const location_list_const& p_locations,
                                                 bool p_select, HWND p_parent) {
  return playlist_insert_locations_ex(p_playlist, none, p_locations, p_select, p_parent);
}

bool playlist_manager::activeplaylist_insert_locations(t_size p_base, const location_list_const& p_locations,
                                                       bool p_select) {
  const std::uint32_t active = get_active_playlist();
  return active != none && playlist_insert_locations(active, p_base, p_locations, p_select);
}

bool playlist_manager::activeplaylist_insert_locations_ex(t_size p_base, const location_list_const& p_locations,
                                                          bool p_select, HWND p_parent) {
  const std::uint32_t active = get_active_playlist();
  return active != none && playlist_insert_locations_ex(active, p_base, p_locations, p_select, p_parent);
}

bool playlist_manager::activeplaylist_add_locations(const location_list_const& p_locations, bool p_select,
                                                    HWND p_parent) {
  return activeplaylist_insert_locations_ex(none, p_locations, p_select, p_parent);
}

bool playlist_manager::activeplaylist_add_locations(const location_list_const& p_locations, bool p_select) {
  return activeplaylist_insert_locations(none, p_locations, p_select);
}
