#pragma once
// The playlist listener the component implements for the host: a service (first base
// service_base, primary slot 3 get_flags) that is also a playlist_callback_single (second base, its
// own table of fifteen slots). The host calls the listener slots for events of the active playlist.

#include <trovaplay/sdk/playlist_manager.h>
#include <trovaplay/sdk/service.h>

#include <cstdint>

// The listener table (slots 0 to 14), called by the host for the active playlist.
class playlist_callback_single {
 public:
  // 0: p_data were inserted at p_base, p_selection gives their selection.
  virtual void on_items_added(t_size p_base, const handle_list_const& p_data, const bit_array& p_selection) = 0;
  virtual void on_items_reordered(const t_size* p_order, t_size p_count) = 0;  // 1: order[new] = old
  // 2: the masked items are about to go.
  virtual void on_items_removing(const bit_array& p_mask, t_size p_old_count, t_size p_new_count) = 0;
  virtual void on_items_removed(const bit_array& p_mask, t_size p_old_count, t_size p_new_count) = 0;  // 3
  virtual void on_items_selection_change(const bit_array& p_affected, const bit_array& p_state) = 0;  // 4
  virtual void on_item_focus_change(t_size p_from, t_size p_to) = 0;  // 5: ~0 for none
  virtual void on_items_modified(const bit_array& p_mask) = 0;  // 6
  // 7: modified while playing (p_level: how much of the display changed).
  virtual void on_items_modified_2(const bit_array& p_mask, std::uint32_t p_level) = 0;
  // 8: the masked items were replaced by p_data.
  virtual void on_items_replaced(const bit_array& p_mask, const handle_list_const& p_data) = 0;
  virtual void on_item_ensure_visible(t_size p_item) = 0;  // 9
  virtual void on_playlist_switch() = 0;  // 10: another playlist became active
  virtual void on_playlist_renamed(const char* p_name, t_size p_length) = 0;  // 11: UTF-8
  virtual void on_playlist_locked(bool p_locked) = 0;  // 12
  virtual void on_titles_invalidated() = 0;  // 13: every title may have changed
  virtual void on_playback_order_changed(t_size p_order) = 0;  // 14

 protected:
  playlist_callback_single() = default;
  playlist_callback_single(const playlist_callback_single&) = default;
  playlist_callback_single& operator=(const playlist_callback_single&) = default;
  ~playlist_callback_single() = default;
};

// Service class {95E9F11B-4C99-4D0A-AB9F-367196B10925}. get_flags: a bit per listener slot wanted
// (all bits: every event). The host reaches the listener table by converting the created service
// to playlist_callback_single_static* and then to playlist_callback_single*.
class playlist_callback_single_static : public service_base, public playlist_callback_single {
  TROVA_SERVICE_INTERFACE({0x95E9F11B, 0x4C99, 0x4D0A, {0xAB, 0x9F, 0x36, 0x71, 0x96, 0xB1, 0x09, 0x25}})
 public:
  virtual std::uint32_t get_flags() = 0;  // 3

 protected:
  playlist_callback_single_static() = default;
  ~playlist_callback_single_static() = default;
};
