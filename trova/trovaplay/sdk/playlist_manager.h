#pragma once
// Host service class of the playlist manager: exactly one; the skin engine keeps it for its whole
// life. Playlist and item indices are unsigned 32-bit, ~0 meaning "none". Slots 3 to 56 after the
// three of service_base; the placeholders are slots the component never calls. Slots whose
// meaning is the host's own (the component only forwards them) are named after what the reference
// host does with them.
//
// Below the virtual slots: the wrappers (plain member functions, no slots of their own) that
// combine them into the steps the skin engine needs. An "activeplaylist_" wrapper asks for the
// active playlist first (slot 4) and, when there is none, answers its none value without any
// further host call.

#include <trovaplay/sdk/metadb_handle_list.h>
#include <trovaplay/sdk/service.h>
#include <zut/bit_array.h>
#include <zut/list.h>
#include <zut/string.h>

#include <cstdint>

class metadb_handle;
class titleformat_hook;
class titleformat_text_filter;
class titleformat_script;

// A read-only list of track handles as the host hands it over.
typedef zut::list_base_const_t<service_ptr_t<metadb_handle>> handle_list_const;

class playlist_manager : public service_base {
  TROVA_SERVICE_INTERFACE({0xD8D51855, 0xD79D, 0x49B8, {0x97, 0xA8, 0x06, 0x57, 0x85, 0xFA, 0x24, 0x26}})
 public:
  static constexpr std::uint32_t none = ~std::uint32_t(0);

  // The callback of slot 12: called for each item of the mask in ascending index order until it
  // answers false.
  class enum_items_callback {
   public:
    virtual bool on_item(t_size p_index, const service_ptr_t<metadb_handle>& p_location, bool p_selected) = 0;

   protected:
    enum_items_callback() = default;
    ~enum_items_callback() = default;
  };

  virtual std::uint32_t get_playlist_count() = 0;  // 3: number of playlists
  virtual std::uint32_t get_active_playlist() = 0;  // 4: the active playlist, ~0 when none
  virtual void set_active_playlist(std::uint32_t p_playlist) = 0;  // 5
  virtual void placeholder_6() {}
  virtual std::uint32_t playlist_get_id(std::uint32_t p_playlist) = 0;  // 7: a number kept for the playlist's life
  virtual bool remove_playlists(const bit_array& p_mask) = 0;  // 8
  // 9: name length ~0: up to the NUL; index ~0: at the end. The index of the new playlist.
  virtual std::uint32_t create_playlist(const char* p_name, std::uint32_t p_name_length,
                                        std::uint32_t p_index) = 0;
  virtual void placeholder_10() {}
  virtual std::uint32_t playlist_get_item_count(std::uint32_t p_playlist) = 0;  // 11
  virtual void playlist_enum_items(std::uint32_t p_playlist, enum_items_callback& p_callback,
                                   const bit_array& p_mask) = 0;  // 12
  virtual std::uint32_t playlist_get_focus_item(std::uint32_t p_playlist) = 0;  // 13: ~0 when none
  virtual bool playlist_get_name(std::uint32_t p_playlist, zut::string_base& p_out) = 0;  // 14
  // 15: p_order[new position] = old index.
  virtual bool playlist_reorder_items(std::uint32_t p_playlist, const t_size* p_order, t_size p_count) = 0;
  // 16: the items of p_affected take their value of p_status.
  virtual void playlist_set_selection(std::uint32_t p_playlist, const bit_array& p_affected,
                                      const bit_array& p_status) = 0;
  virtual bool playlist_remove_items(std::uint32_t p_playlist, const bit_array& p_mask) = 0;  // 17
  virtual bool playlist_swap_items(std::uint32_t p_playlist, t_size p_item1, t_size p_item2) = 0;  // 18
  virtual void playlist_set_focus_item(std::uint32_t p_playlist, std::uint32_t p_item) = 0;  // 19
  // 20: base ~0 = append. The index of the first new item, ~0 on failure.
  virtual t_size playlist_insert_items(std::uint32_t p_playlist, t_size p_base, const handle_list_const& p_data,
                                       const bit_array& p_selection) = 0;
  // 21: asks the views to show the item; answers the item.
  virtual t_size playlist_ensure_visible(std::uint32_t p_playlist, t_size p_item) = 0;
  virtual bool playlist_move_item(std::uint32_t p_playlist, t_size p_from, t_size p_to) = 0;  // 22
  virtual std::uint32_t playlist_get_change_count(std::uint32_t p_playlist) = 0;  // 23
  virtual bool playlist_lock(std::uint32_t p_playlist) = 0;       // 24
  virtual bool playlist_unlock(std::uint32_t p_playlist) = 0;     // 25
  virtual bool playlist_is_locked(std::uint32_t p_playlist) = 0;  // 26
  virtual bool playlist_is_empty(std::uint32_t p_playlist) = 0;   // 27
  // 28: the item's title by a compiled script (a null script: the host's own row format).
  virtual void playlist_item_format_title(std::uint32_t p_playlist, t_size p_item, titleformat_hook* p_hook,
                                          zut::string_base& p_out,
                                          const service_ptr_t<titleformat_script>& p_script,
                                          titleformat_text_filter* p_filter, std::uint32_t p_level) = 0;
  // 29: true when a playing item is known; both out values are set then.
  virtual bool get_playing_item_location(t_size* p_playlist, t_size* p_item) = 0;
  // 30: marks or unmarks an item; true when it exists.
  virtual bool playlist_mark_item(std::uint32_t p_playlist, t_size p_item, bool p_state) = 0;
  virtual void placeholder_31() {}
  virtual void placeholder_32() {}
  virtual void placeholder_33() {}
  virtual void placeholder_34() {}
  virtual void placeholder_35() {}
  virtual void placeholder_36() {}
  virtual void placeholder_37() {}
  virtual std::uint32_t playlist_get_marked_count(std::uint32_t p_playlist) = 0;  // 38
  virtual std::uint32_t playback_order_get_count() = 0;  // 39
  virtual const char* playback_order_get_name(std::uint32_t p_order) = 0;  // 40: UTF-8
  virtual void placeholder_41() {}
  virtual std::uint32_t playback_order_get_active() = 0;  // 42
  virtual void playback_order_set_active(std::uint32_t p_order) = 0;  // 43
  virtual void placeholder_44() {}
  virtual void placeholder_45() {}
  virtual void placeholder_46() {}
  virtual void placeholder_47() {}
  virtual void placeholder_48() {}
  virtual void placeholder_49() {}
  virtual void placeholder_50() {}
  virtual void placeholder_51() {}
  virtual void placeholder_52() {}
  virtual void placeholder_53() {}
  virtual void placeholder_54() {}
  virtual void placeholder_55() {}
  // 56: the default action on an item (play it).
  virtual bool playlist_execute_default_action(std::uint32_t p_playlist, std::uint32_t p_item) = 0;

  // ---- Wrappers used by the skin engine (active playlist; none value in brackets).
  std::uint32_t activeplaylist_get_item_count();                                  // (0)
  std::uint32_t activeplaylist_get_focus_item();                                  // (~0)
  void activeplaylist_set_selection(const bit_array& p_affected, const bit_array& p_status);
  bool activeplaylist_remove_items(const bit_array& p_mask);                       // (false)
  void activeplaylist_set_focus_item(t_size p_item);
  bool activeplaylist_is_item_selected(t_size p_item);                             // (false)
  void activeplaylist_set_item_selected(t_size p_item, bool p_state);
  void activeplaylist_move_selection(int p_delta);
  void activeplaylist_get_selected_items(metadb_handle_list_base& p_out);                      // (untouched)
  // No active playlist: p_out becomes "NJET".
  void activeplaylist_item_format_title(t_size p_item, titleformat_hook* p_hook, zut::string_base& p_out,
                                        const service_ptr_t<titleformat_script>& p_script,
                                        titleformat_text_filter* p_filter, std::uint32_t p_level);
  bool activeplaylist_activate_item(t_size p_item);                                 // (false)

  // ---- Wrappers of a given playlist, and their active forms.
  void playlist_get_items(t_size p_playlist, metadb_handle_list_base& p_out, const bit_array& p_mask);
  void activeplaylist_get_items(metadb_handle_list_base& p_out, const bit_array& p_mask);
  void playlist_get_all_items(t_size p_playlist, metadb_handle_list_base& p_out);
  void activeplaylist_get_all_items(metadb_handle_list_base& p_out);
  void playlist_get_selected_items(t_size p_playlist, metadb_handle_list_base& p_out);
  void playlist_get_selection_mask(t_size p_playlist, bit_array_var& p_out);
  void activeplaylist_get_selection_mask(bit_array_var& p_out);
  bool playlist_is_item_selected(t_size p_playlist, t_size p_item);
  bool playlist_get_item_handle(service_ptr_t<metadb_handle>& p_out, t_size p_playlist, t_size p_item);
  bool activeplaylist_get_item_handle(service_ptr_t<metadb_handle>& p_out, t_size p_item);
  bool playlist_get_focus_item_handle(service_ptr_t<metadb_handle>& p_out, t_size p_playlist);
  bool activeplaylist_get_focus_item_handle(service_ptr_t<metadb_handle>& p_out);
  t_size playlist_get_selection_count(t_size p_playlist, t_size p_max);
  t_size activeplaylist_get_selection_count(t_size p_max);
  bool playlist_move_selection(t_size p_playlist, int p_delta);
  void playlist_set_item_selected(t_size p_playlist, t_size p_item, bool p_state);
  bool playlist_clear(t_size p_playlist);
  bool activeplaylist_clear();
  void playlist_clear_selection(t_size p_playlist);
  void activeplaylist_clear_selection();
  bool playlist_remove_selection(t_size p_playlist, bool p_crop = false);
  bool activeplaylist_remove_selection(bool p_crop = false);
  bool playlist_add_items(t_size p_playlist, const handle_list_const& p_data, const bit_array& p_selection);
  bool activeplaylist_add_items(const handle_list_const& p_data, const bit_array& p_selection);
  bool remove_playlist(t_size p_index);
  bool remove_playlist_switch(t_size p_index);
  t_size find_playlist(const char* p_name, t_size p_name_length = ~t_size(0));
  t_size find_or_create_playlist(const char* p_name, t_size p_name_length = ~t_size(0));
  t_size create_playlist_autoname(t_size p_index = ~t_size(0));
  t_size get_active_playlist_or_create();
  bool highlight_playing_item();
  void remove_items_from_all_playlists(const handle_list_const& p_data);
  bool get_all_items_of_all_playlists(metadb_handle_list_base& p_out);

  // ---- Active forms that forward one slot each (none value in brackets).
  std::uint32_t activeplaylist_get_id();                                           // 7 (no test)
  bool activeplaylist_get_name(zut::string_base& p_out);                            // 14 (false)
  bool activeplaylist_reorder_items(const t_size* p_order, t_size p_count);         // 15 (false)
  bool activeplaylist_swap_items(t_size p_item1, t_size p_item2);                   // 18 (false)
  t_size activeplaylist_insert_items(t_size p_base, const handle_list_const& p_data,
                                     const bit_array& p_selection);                 // 20 (~0)
  t_size activeplaylist_ensure_visible(t_size p_item);                              // 21 (~0)
  bool activeplaylist_move_item(t_size p_from, t_size p_to);                        // 22 (false)
  std::uint32_t activeplaylist_get_change_count();                                  // 23 (~0)
  bool activeplaylist_lock();                                                       // 24 (false)
  bool activeplaylist_unlock();                                                     // 25 (false)
  bool activeplaylist_is_locked();                                                  // 26 (false)
  bool activeplaylist_is_empty();                                                   // 27 (false)
  bool activeplaylist_mark_item(t_size p_item, bool p_state);                       // 30 (false)
  std::uint32_t activeplaylist_get_marked_count();                                  // 38 (~0)
  void activeplaylist_enum_items(enum_items_callback& p_callback, const bit_array& p_mask);  // 12

  // ---- Adding locations through the host's location filter (location_filter.cpp); false when
  // there is no (active) playlist, no filter, the filter refuses or the insertion fails.
  bool playlist_insert_locations(t_size p_playlist, t_size p_base,
                                 const zut::list_base_const_t<const char*>& p_locations, bool p_select);
  bool playlist_insert_locations_ex(t_size p_playlist, t_size p_base,
                                    const zut::list_base_const_t<const char*>& p_locations, bool p_select,
                                    HWND p_parent);
  bool playlist_add_locations(t_size p_playlist, const zut::list_base_const_t<const char*>& p_locations,
                              bool p_select);
  bool playlist_add_locations_ex(t_size p_playlist, const zut::list_base_const_t<const char*>& p_locations,
                                 bool p_select, HWND p_parent);
  bool activeplaylist_insert_locations(t_size p_base, const zut::list_base_const_t<const char*>& p_locations,
                                       bool p_select);
  bool activeplaylist_insert_locations_ex(t_size p_base, const zut::list_base_const_t<const char*>& p_locations,
                                          bool p_select, HWND p_parent);
  bool activeplaylist_add_locations(const zut::list_base_const_t<const char*>& p_locations, bool p_select,
                                    HWND p_parent);
  bool activeplaylist_add_locations(const zut::list_base_const_t<const char*>& p_locations, bool p_select);

 protected:
  playlist_manager() = default;
  ~playlist_manager() = default;
};

// ---- Item callbacks of slot 12, each a small object on the caller's stack.

// The first item's handle; must start empty.
class enum_items_callback_retrieve_item : public playlist_manager::enum_items_callback {
 public:
  bool on_item(t_size p_index, const service_ptr_t<metadb_handle>& p_location, bool p_selected) override;
  const service_ptr_t<metadb_handle>& get_item() const { return m_item; }

 private:
  service_ptr_t<metadb_handle> m_item;
};

// The first item's selection state (false when the host called for no item).
class enum_items_callback_retrieve_selection : public playlist_manager::enum_items_callback {
 public:
  bool on_item(t_size p_index, const service_ptr_t<metadb_handle>& p_location, bool p_selected) override;
  bool get_state() const { return m_state; }

 private:
  bool m_state = false;
};

// Appends the handle of every selected item.
class enum_items_callback_retrieve_selected_items : public playlist_manager::enum_items_callback {
 public:
  explicit enum_items_callback_retrieve_selected_items(metadb_handle_list_base& p_out) : m_out(p_out) {}
  bool on_item(t_size p_index, const service_ptr_t<metadb_handle>& p_location, bool p_selected) override;

 private:
  metadb_handle_list_base& m_out;
};

// Appends every item's handle; the list is emptied first.
class enum_items_callback_retrieve_all_items : public playlist_manager::enum_items_callback {
 public:
  explicit enum_items_callback_retrieve_all_items(metadb_handle_list_base& p_out);
  bool on_item(t_size p_index, const service_ptr_t<metadb_handle>& p_location, bool p_selected) override;

 private:
  metadb_handle_list_base& m_out;
};

// Sets bit index to the item's selection state.
class enum_items_callback_retrieve_selection_mask : public playlist_manager::enum_items_callback {
 public:
  explicit enum_items_callback_retrieve_selection_mask(bit_array_var& p_out) : m_out(p_out) {}
  bool on_item(t_size p_index, const service_ptr_t<metadb_handle>& p_location, bool p_selected) override;

 private:
  bit_array_var& m_out;
};

// Counts selected items, stopping at the limit.
class enum_items_callback_count_selection : public playlist_manager::enum_items_callback {
 public:
  explicit enum_items_callback_count_selection(t_size p_limit) : m_limit(p_limit) {}
  bool on_item(t_size p_index, const service_ptr_t<metadb_handle>& p_location, bool p_selected) override;
  t_size get_count() const { return m_count; }

 private:
  t_size m_count = 0;
  t_size m_limit;
};

// Marks the items whose handle is in a list sorted by handle address.
class enum_items_callback_remove_list : public playlist_manager::enum_items_callback {
 public:
  enum_items_callback_remove_list(const metadb_handle_list_base& p_sorted, bit_array_var& p_out)
      : m_sorted(p_sorted), m_out(p_out) {}
  bool on_item(t_size p_index, const service_ptr_t<metadb_handle>& p_location, bool p_selected) override;
  t_size get_found() const { return m_found; }

 private:
  const metadb_handle_list_base& m_sorted;
  bit_array_var& m_out;
  t_size m_found = 0;
};

// A record {track handle, two numbers}: equal when the handles are the same object and both
// numbers are equal.
struct playlist_position_reference {
  service_ptr_t<metadb_handle> m_handle;
  std::uint32_t m_playlist;
  std::uint32_t m_item;
};
bool operator==(const playlist_position_reference& p_a, const playlist_position_reference& p_b);
bool operator!=(const playlist_position_reference& p_a, const playlist_position_reference& p_b);
