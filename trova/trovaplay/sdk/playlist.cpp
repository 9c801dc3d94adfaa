// Playlist manager wrappers and the item callbacks of slot 12.
//
// Moving the selection by a signed delta (playlist_move_selection):
//   1. Delta 0: true without any host call.
//   2. n = item count; order = identity; sel = the selection mask of the n items.
//   3. Delta > 0, delta times: from n-2 down to 0, a selected item before an unselected one swaps
//      with it (in order and in sel).
//   4. Delta < 0, -delta times: from 1 up to n-1, a selected item after an unselected one swaps
//      with it.
//   5. Hand the order to the host (slot 15).
// A selected block moves as a whole and stops at the end of the list; a pass that moves nothing
// still sends the identity order. A pass that moves nothing also ends the repetition early: every
// later pass would move nothing either, so a huge delta costs no more than the list is long.

#include <trovaplay/sdk/playlist_manager.h>
#include <trovaplay/sdk/metadb_handle.h>
#include <trovaplay/shared/shared.h>

#include <zut/array.h>
#include <zut/string.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

constexpr t_size kNone = playlist_manager::none;

// A plain heap table of n values, freed with the scope.
template <typename T>
struct scoped_table {
  explicit scoped_table(t_size n) : data(static_cast<T*>(calloc(n ? n : 1, sizeof(T)))) {}
  ~scoped_table() { free(data); }
  scoped_table(const scoped_table&) = delete;
  scoped_table& operator=(const scoped_table&) = delete;
  T* data;
};

}  // namespace

// ---- Item callbacks ------------------------------------------------------------------------------

bool enum_items_callback_retrieve_item::on_item(t_size, const service_ptr_t<metadb_handle>& p_location, bool) {
  if (!m_item.is_empty()) zut::assert_failed(L"m_item.is_empty()", L"playlist", 12);
  m_item = p_location;
  return false;
}

bool enum_items_callback_retrieve_selection::on_item(t_size, const service_ptr_t<metadb_handle>&, bool p_selected) {
  m_state = p_selected;
  return false;
}

bool enum_items_callback_retrieve_selected_items::on_item(t_size, const service_ptr_t<metadb_handle>& p_location,
                                                          bool p_selected) {
  if (p_selected) m_out.add_item(p_location);
  return true;
}

enum_items_callback_retrieve_all_items::enum_items_callback_retrieve_all_items(metadb_handle_list_base& p_out) : m_out(p_out) {
  m_out.keep_mask(bit_array_false());
}

bool enum_items_callback_retrieve_all_items::on_item(t_size, const service_ptr_t<metadb_handle>& p_location, bool) {
  m_out.add_item(p_location);
  return true;
}

bool enum_items_callback_retrieve_selection_mask::on_item(t_size p_index, const service_ptr_t<metadb_handle>&,
                                                          bool p_selected) {
  m_out.set(p_index, p_selected);
  return true;
}

bool enum_items_callback_count_selection::on_item(t_size, const service_ptr_t<metadb_handle>&, bool p_selected) {
  if (p_selected) ++m_count;
  return m_count < m_limit;
}

bool enum_items_callback_remove_list::on_item(t_size p_index, const service_ptr_t<metadb_handle>& p_location, bool) {
  const bool found = find_handle_sorted(m_sorted, p_location.get_ptr()) != kNone;
  m_out.set(p_index, found);
  if (found) ++m_found;
  return true;
}

bool operator==(const playlist_position_reference& p_a, const playlist_position_reference& p_b) {
  return p_a.m_handle == p_b.m_handle && p_a.m_playlist == p_b.m_playlist && p_a.m_item == p_b.m_item;
}

bool operator!=(const playlist_position_reference& p_a, const playlist_position_reference& p_b) {
  return !(p_a == p_b);
}

// ---- Wrappers used by the skin engine ------------------------------------------------------------

std::uint32_t playlist_manager::activeplaylist_get_item_count() {
  const t_size p = get_active_playlist();
  return p == kNone ? 0 : playlist_get_item_count(p);
}

std::uint32_t playlist_manager::activeplaylist_get_focus_item() {
  const t_size p = get_active_playlist();
  return p == kNone ? kNone : playlist_get_focus_item(p);
}

void playlist_manager::activeplaylist_set_selection(const bit_array& p_affected, const bit_array& p_status) {
  const t_size p = get_active_playlist();
  if (p != kNone) playlist_set_selection(p, p_affected, p_status);
}

bool playlist_manager::activeplaylist_remove_items(const bit_array& p_mask) {
  const t_size p = get_active_playlist();
  return p == kNone ? false : playlist_remove_items(p, p_mask);
}

void playlist_manager::activeplaylist_set_focus_item(t_size p_item) {
  const t_size p = get_active_playlist();
  if (p != kNone) playlist_set_focus_item(p, p_item);
}

bool playlist_manager::activeplaylist_is_item_selected(t_size p_item) {
  const t_size p = get_active_playlist();
  return p == kNone ? false : playlist_is_item_selected(p, p_item);
}

void playlist_manager::activeplaylist_set_item_selected(t_size p_item, bool p_state) {
  const t_size p = get_active_playlist();
  if (p != kNone) playlist_set_item_selected(p, p_item, p_state);
}

void playlist_manager::activeplaylist_move_selection(int p_delta) {
  const t_size p = get_active_playlist();
  if (p != kNone) playlist_move_selection(p, p_delta);
}

void playlist_manager::activeplaylist_get_selected_items(metadb_handle_list_base& p_out) {
  const t_size p = get_active_playlist();
  if (p != kNone) playlist_get_selected_items(p, p_out);
}

void playlist_manager::activeplaylist_item_format_title(t_size p_item, titleformat_hook* p_hook,
                                                        zut::string_base& p_out,
                                                        const service_ptr_t<titleformat_script>& p_script,
                                                        titleformat_text_filter* p_filter, std::uint32_t p_level) {
  const t_size p = get_active_playlist();
  if (p == kNone) {
    p_out = "NJET";
    return;
  }
  playlist_item_format_title(p, p_item, p_hook, p_out, p_script, p_filter, p_level);
}

bool playlist_manager::activeplaylist_activate_item(t_size p_item) {
  const t_size p = get_active_playlist();
  return p == kNone ? false : playlist_execute_default_action(p, p_item);
}

// ---- Wrappers of a given playlist ----------------------------------------------------------------

void playlist_manager::playlist_get_items(t_size p_playlist, metadb_handle_list_base& p_out, const bit_array& p_mask) {
  enum_items_callback_retrieve_all_items callback(p_out);
  playlist_enum_items(p_playlist, callback, p_mask);
}

void playlist_manager::activeplaylist_get_items(metadb_handle_list_base& p_out, const bit_array& p_mask) {
  const t_size p = get_active_playlist();
  if (p != kNone) playlist_get_items(p, p_out, p_mask);
}

void playlist_manager::playlist_get_all_items(t_size p_playlist, metadb_handle_list_base& p_out) {
  playlist_get_items(p_playlist, p_out, bit_array_true());
}

void playlist_manager::activeplaylist_get_all_items(metadb_handle_list_base& p_out) {
  const t_size p = get_active_playlist();
  if (p != kNone) playlist_get_all_items(p, p_out);
}

void playlist_manager::playlist_get_selected_items(t_size p_playlist, metadb_handle_list_base& p_out) {
  enum_items_callback_retrieve_selected_items callback(p_out);
  playlist_enum_items(p_playlist, callback, bit_array_true());
}

void playlist_manager::playlist_get_selection_mask(t_size p_playlist, bit_array_var& p_out) {
  enum_items_callback_retrieve_selection_mask callback(p_out);
  playlist_enum_items(p_playlist, callback, bit_array_true());
}

void playlist_manager::activeplaylist_get_selection_mask(bit_array_var& p_out) {
  const t_size p = get_active_playlist();
  if (p != kNone) playlist_get_selection_mask(p, p_out);
}

bool playlist_manager::playlist_is_item_selected(t_size p_playlist, t_size p_item) {
  enum_items_callback_retrieve_selection callback;
  playlist_enum_items(p_playlist, callback, bit_array_one(p_item));
  return callback.get_state();
}

bool playlist_manager::playlist_get_item_handle(service_ptr_t<metadb_handle>& p_out, t_size p_playlist,
                                                t_size p_item) {
  enum_items_callback_retrieve_item callback;
  playlist_enum_items(p_playlist, callback, bit_array_one(p_item));
  p_out = callback.get_item();
  return p_out.is_valid();
}

bool playlist_manager::activeplaylist_get_item_handle(service_ptr_t<metadb_handle>& p_out, t_size p_item) {
  const t_size p = get_active_playlist();
  return p == kNone ? false : playlist_get_item_handle(p_out, p, p_item);
}

bool playlist_manager::playlist_get_focus_item_handle(service_ptr_t<metadb_handle>& p_out, t_size p_playlist) {
  const t_size item = playlist_get_focus_item(p_playlist);
  if (item == kNone) return false;
  return playlist_get_item_handle(p_out, p_playlist, item);
}

bool playlist_manager::activeplaylist_get_focus_item_handle(service_ptr_t<metadb_handle>& p_out) {
  const t_size p = get_active_playlist();
  return p == kNone ? false : playlist_get_focus_item_handle(p_out, p);
}

t_size playlist_manager::playlist_get_selection_count(t_size p_playlist, t_size p_max) {
  enum_items_callback_count_selection callback(p_max);
  playlist_enum_items(p_playlist, callback, bit_array_true());
  // The callback counts the item that reaches the limit; a limit of 0 still answers 0.
  return callback.get_count() < p_max ? callback.get_count() : p_max;
}

t_size playlist_manager::activeplaylist_get_selection_count(t_size p_max) {
  const t_size p = get_active_playlist();
  return p == kNone ? 0 : playlist_get_selection_count(p, p_max);
}

bool playlist_manager::playlist_move_selection(t_size p_playlist, int p_delta) {
  // 1.
  if (p_delta == 0) return true;
  // 2.
  const t_size n = playlist_get_item_count(p_playlist);
  scoped_table<t_size> order(n);
  scoped_table<bool> sel(n);
  if (!order.data || !sel.data) return false;
  for (t_size i = 0; i < n; ++i) order.data[i] = i;
  bit_array_var_table_t<bool> sel_mask(sel.data, n);
  playlist_get_selection_mask(p_playlist, sel_mask);
  // 3. - 4. As unsigned counts, so that the most negative delta does not overflow.
  const bool forward = p_delta > 0;
  const std::uint32_t passes = forward ? std::uint32_t(p_delta) : 0u - std::uint32_t(p_delta);
  for (std::uint32_t pass = 0; pass < passes && n >= 2; ++pass) {
    bool moved = false;
    if (forward) {
      for (t_size i = n - 1; i-- > 0;) {
        if (sel.data[i] && !sel.data[i + 1]) {
          std::swap(order.data[i], order.data[i + 1]);
          std::swap(sel.data[i], sel.data[i + 1]);
          moved = true;
        }
      }
    } else {
      for (t_size i = 1; i < n; ++i) {
        if (sel.data[i] && !sel.data[i - 1]) {
          std::swap(order.data[i - 1], order.data[i]);
          std::swap(sel.data[i - 1], sel.data[i]);
          moved = true;
        }
      }
    }
    if (!moved) break;
  }
  // 5.
  return playlist_reorder_items(p_playlist, order.data, n);
}

void playlist_manager::playlist_set_item_selected(t_size p_playlist, t_size p_item, bool p_state) {
  playlist_set_selection(p_playlist, bit_array_one(p_item), bit_array_val(p_state));
}

bool playlist_manager::playlist_clear(t_size p_playlist) {
  return playlist_remove_items(p_playlist, bit_array_true());
}

bool playlist_manager::activeplaylist_clear() {
  const t_size p = get_active_playlist();
  return p == kNone ? false : playlist_clear(p);
}

void playlist_manager::playlist_clear_selection(t_size p_playlist) {
  playlist_set_selection(p_playlist, bit_array_true(), bit_array_false());
}

void playlist_manager::activeplaylist_clear_selection() {
  const t_size p = get_active_playlist();
  if (p != kNone) playlist_clear_selection(p);
}

bool playlist_manager::playlist_remove_selection(t_size p_playlist, bool p_crop) {
  bit_array_bittable mask(playlist_get_item_count(p_playlist));
  playlist_get_selection_mask(p_playlist, mask);
  if (p_crop) return playlist_remove_items(p_playlist, bit_array_not(mask));
  return playlist_remove_items(p_playlist, mask);
}

bool playlist_manager::activeplaylist_remove_selection(bool p_crop) {
  const t_size p = get_active_playlist();
  return p == kNone ? false : playlist_remove_selection(p, p_crop);
}

bool playlist_manager::playlist_add_items(t_size p_playlist, const handle_list_const& p_data,
                                          const bit_array& p_selection) {
  return playlist_insert_items(p_playlist, kNone, p_data, p_selection) != kNone;
}

bool playlist_manager::activeplaylist_add_items(const handle_list_const& p_data, const bit_array& p_selection) {
  const t_size p = get_active_playlist();
  return p == kNone ? false : playlist_add_items(p, p_data, p_selection);
}

bool playlist_manager::remove_playlist(t_size p_index) { return remove_playlists(bit_array_one(p_index)); }

bool playlist_manager::remove_playlist_switch(t_size p_index) {
  const bool was_active = get_active_playlist() == p_index;
  if (!remove_playlist(p_index)) return false;
  if (was_active) {
    const t_size count = get_playlist_count();
    if (count > 0) set_active_playlist(p_index < count - 1 ? p_index : count - 1);
  }
  return true;
}

t_size playlist_manager::find_playlist(const char* p_name, t_size p_name_length) {
  const t_size count = get_playlist_count();
  zut::string8_fast name;
  for (t_size i = 0; i < count; ++i) {
    if (!playlist_get_name(i, name)) return kNone;
    if (stricmp_utf8_ex(name.get_ptr(), name.get_length(), p_name, p_name_length) == 0) return i;
  }
  return kNone;
}

t_size playlist_manager::find_or_create_playlist(const char* p_name, t_size p_name_length) {
  const t_size index = find_playlist(p_name, p_name_length);
  if (index != kNone) return index;
  return create_playlist(p_name, p_name_length, kNone);
}

t_size playlist_manager::create_playlist_autoname(t_size p_index) {
  static const char kBase[] = "New Playlist";
  zut::string8_fast name(kBase);
  // Bounded: with 2^32 names taken there is no free number left anyway.
  for (std::uint32_t n = 2; find_playlist(name.get_ptr(), kNone) != kNone && n != 0; ++n) {
    char suffix[24];
    snprintf(suffix, sizeof suffix, " (%u)", static_cast<unsigned>(n));
    name = kBase;
    name += suffix;
  }
  return create_playlist(name.get_ptr(), kNone, p_index);
}

t_size playlist_manager::get_active_playlist_or_create() {
  t_size p = get_active_playlist();
  if (p == kNone) {
    if (get_playlist_count() == 0) create_playlist_autoname(kNone);
    set_active_playlist(0);
    p = get_active_playlist();
  }
  return p;
}

bool playlist_manager::highlight_playing_item() {
  t_size playlist = kNone;
  t_size item = kNone;
  if (!get_playing_item_location(&playlist, &item)) return false;
  set_active_playlist(playlist);
  playlist_set_focus_item(playlist, item);
  playlist_set_selection(playlist, bit_array_true(), bit_array_one(item));
  playlist_ensure_visible(playlist, item);
  return true;
}

void playlist_manager::remove_items_from_all_playlists(const handle_list_const& p_data) {
  metadb_handle_list_t sorted;
  sorted.insert_items(p_data, 0);
  sort_by_handle_address(sorted);
  const t_size count = get_playlist_count();
  for (t_size p = 0; p < count; ++p) {
    bit_array_bittable mask(playlist_get_item_count(p));
    enum_items_callback_remove_list callback(sorted, mask);
    playlist_enum_items(p, callback, bit_array_true());
    if (callback.get_found() > 0) playlist_remove_items(p, mask);
  }
}

bool playlist_manager::get_all_items_of_all_playlists(metadb_handle_list_base& p_out) {
  const t_size count = get_playlist_count();
  if (count == kNone) return false;
  // One callback for all playlists: it empties the list once, then every item is appended.
  enum_items_callback_retrieve_all_items callback(p_out);
  for (t_size i = 0; i < count; ++i) playlist_enum_items(i, callback, bit_array_true());
  return true;
}

// ---- Active forms forwarding one slot ------------------------------------------------------------

std::uint32_t playlist_manager::activeplaylist_get_id() { return playlist_get_id(get_active_playlist()); }

bool playlist_manager::activeplaylist_get_name(zut::string_base& p_out) {
  const t_size p = get_active_playlist();
  return p == kNone ? false : playlist_get_name(p, p_out);
}

bool playlist_manager::activeplaylist_reorder_items(const t_size* p_order, t_size p_count) {
  const t_size p = get_active_playlist();
  return p == kNone ? false : playlist_reorder_items(p, p_order, p_count);
}

bool playlist_manager::activeplaylist_swap_items(t_size p_item1, t_size p_item2) {
  const t_size p = get_active_playlist();
  return p == kNone ? false : playlist_swap_items(p, p_item1, p_item2);
}

t_size playlist_manager::activeplaylist_insert_items(t_size p_base, const handle_list_const& p_data,
                                                     const bit_array& p_selection) {
  const t_size p = get_active_playlist();
  return p == kNone ? kNone : playlist_insert_items(p, p_base, p_data, p_selection);
}

t_size playlist_manager::activeplaylist_ensure_visible(t_size p_item) {
  const t_size p = get_active_playlist();
  return p == kNone ? kNone : playlist_ensure_visible(p, p_item);
}

bool playlist_manager::activeplaylist_move_item(t_size p_from, t_size p_to) {
  const t_size p = get_active_playlist();
  return p == kNone ? false : playlist_move_item(p, p_from, p_to);
}

std::uint32_t playlist_manager::activeplaylist_get_change_count() {
  const t_size p = get_active_playlist();
  return p == kNone ? kNone : playlist_get_change_count(p);
}

bool playlist_manager::activeplaylist_lock() {
  const t_size p = get_active_playlist();
  return p == kNone ? false : playlist_lock(p);
}

bool playlist_manager::activeplaylist_unlock() {
  const t_size p = get_active_playlist();
  return p == kNone ? false : playlist_unlock(p);
}

bool playlist_manager::activeplaylist_is_locked() {
  const t_size p = get_active_playlist();
  return p == kNone ? false : playlist_is_locked(p);
}

bool playlist_manager::activeplaylist_is_empty() {
  const t_size p = get_active_playlist();
  return p == kNone ? false : playlist_is_empty(p);
}

bool playlist_manager::activeplaylist_mark_item(t_size p_item, bool p_state) {
  const t_size p = get_active_playlist();
  return p == kNone ? false : playlist_mark_item(p, p_item, p_state);
}

std::uint32_t playlist_manager::activeplaylist_get_marked_count() {
  const t_size p = get_active_playlist();
  return p == kNone ? kNone : playlist_get_marked_count(p);
}

void playlist_manager::activeplaylist_enum_items(enum_items_callback& p_callback, const bit_array& p_mask) {
  const t_size p = get_active_playlist();
  if (p != kNone) playlist_enum_items(p, p_callback, p_mask);
}
