#pragma once
// The reference host's playlist_manager service: playlists of track handles with selection, focus
// and marks, one of them active, and the playback orders. Every slot a wrapper of the component can
// call is real; the others report on the host's log that they are not implemented here.
//
// Every change of the active playlist is told at once (synchronously, inside the slot that made it)
// to every registered playlist listener (services of class playlist_callback_single_static) whose
// get_flags has the bit of the listener slot. The listeners are collected before the first one is
// called, so a listener that changes the registry or the playlist does not disturb the walk. A
// change of another playlist is told to nobody; the playback order change is told always.
#include <cstdint>
#include <string>
#include <vector>

#include <trovaplay/sdk/metadb_handle.h>
#include <trovaplay/sdk/playlist_callback.h>
#include <trovaplay/sdk/playlist_manager.h>
#include <trovaplay/sdk/titleformat_config.h>

#include <functional>

#include "host_object.h"
#include "registry.h"
#include "tracks.h"

namespace host {

class playback_engine;

// Playback orders, in the order the service lists them.
enum playback_order : std::uint32_t {
    order_default = 0,          // to the end of the playlist, then stop
    order_repeat_playlist = 1,  // after the last item comes the first
    order_repeat_track = 2,     // a track that ends starts again
    order_count = 3,
};

// Reports a slot the reference host does not implement (on the host's log, as an error line).
void report_not_implemented(const char* service, int slot);

#define HOST_NOT_IMPLEMENTED(service, n) \
    void placeholder_##n() override { report_not_implemented(service, n); }

class playlist_manager_impl final : public host_object<playlist_manager> {
public:
    // A new manager with one reference (the caller's) and one empty active playlist "Default".
    static playlist_manager_impl* make();

    // ---- Host side.
    // Appends tracks to a playlist (the listeners hear of it); the handles gain a reference each.
    // The index of the first one.
    std::uint32_t add_items(std::uint32_t playlist, const std::vector<track*>& tracks);
    // The item's handle, empty when the index is out of range.
    service_ptr_t<metadb_handle> get_item(std::uint32_t playlist, std::uint32_t item) const;
    std::uint32_t order() const { return m_order; }
    // Slot 56 starts playback through the engine (null: the slot answers false); slot 29 asks it.
    void set_engine(playback_engine* engine) { m_engine = engine; }
    // Where the listeners are found (null: nobody is told).
    void set_registry(service_registry* registry) { m_registry = registry; }
    // The format slot 28 uses for a null script (null: such a title is empty).
    void set_row_format(titleformat_config* format) { m_row_format = format; }
    // Tells the listeners that the masked items of a playlist changed (slot 6), or with a level
    // (slot 7), or that every title may have changed (slot 13).
    void items_modified(std::uint32_t index, const bit_array& mask);
    void items_modified_2(std::uint32_t index, const bit_array& mask, std::uint32_t level);
    void titles_invalidated();
    // Drops every playlist's items (at exit, before the host counts what is left). Nobody is told.
    void clear_all();

    // ---- playlist_manager.
    std::uint32_t get_playlist_count() override;                                   // 3
    std::uint32_t get_active_playlist() override;                                  // 4
    void set_active_playlist(std::uint32_t p_playlist) override;                   // 5
    std::uint32_t playlist_get_id(std::uint32_t p_playlist) override;              // 7
    bool remove_playlists(const bit_array& p_mask) override;                       // 8
    std::uint32_t create_playlist(const char* p_name, std::uint32_t p_name_length,
                                  std::uint32_t p_index) override;                 // 9
    std::uint32_t playlist_get_item_count(std::uint32_t p_playlist) override;      // 11
    void playlist_enum_items(std::uint32_t p_playlist, enum_items_callback& p_callback,
                             const bit_array& p_mask) override;                    // 12
    std::uint32_t playlist_get_focus_item(std::uint32_t p_playlist) override;      // 13
    bool playlist_get_name(std::uint32_t p_playlist, zut::string_base& p_out) override;  // 14
    bool playlist_reorder_items(std::uint32_t p_playlist, const t_size* p_order, t_size p_count) override;  // 15
    void playlist_set_selection(std::uint32_t p_playlist, const bit_array& p_affected,
                                const bit_array& p_status) override;               // 16
    bool playlist_remove_items(std::uint32_t p_playlist, const bit_array& p_mask) override;  // 17
    bool playlist_swap_items(std::uint32_t p_playlist, t_size p_item1, t_size p_item2) override;  // 18
    void playlist_set_focus_item(std::uint32_t p_playlist, std::uint32_t p_item) override;  // 19
    t_size playlist_insert_items(std::uint32_t p_playlist, t_size p_base, const handle_list_const& p_data,
                                 const bit_array& p_selection) override;           // 20
    t_size playlist_ensure_visible(std::uint32_t p_playlist, t_size p_item) override;  // 21
    bool playlist_move_item(std::uint32_t p_playlist, t_size p_from, t_size p_to) override;  // 22
    std::uint32_t playlist_get_change_count(std::uint32_t p_playlist) override;    // 23
    bool playlist_lock(std::uint32_t p_playlist) override;                         // 24
    bool playlist_unlock(std::uint32_t p_playlist) override;                       // 25
    bool playlist_is_locked(std::uint32_t p_playlist) override;                    // 26
    bool playlist_is_empty(std::uint32_t p_playlist) override;                     // 27
    void playlist_item_format_title(std::uint32_t p_playlist, t_size p_item, titleformat_hook* p_hook,
                                    zut::string_base& p_out, const service_ptr_t<titleformat_script>& p_script,
                                    titleformat_text_filter* p_filter, std::uint32_t p_level) override;  // 28
    bool get_playing_item_location(t_size* p_playlist, t_size* p_item) override;   // 29
    bool playlist_mark_item(std::uint32_t p_playlist, t_size p_item, bool p_state) override;  // 30
    std::uint32_t playlist_get_marked_count(std::uint32_t p_playlist) override;    // 38
    std::uint32_t playback_order_get_count() override;                             // 39
    const char* playback_order_get_name(std::uint32_t p_order) override;           // 40
    std::uint32_t playback_order_get_active() override;                            // 42
    void playback_order_set_active(std::uint32_t p_order) override;                // 43
    bool playlist_execute_default_action(std::uint32_t p_playlist, std::uint32_t p_item) override;  // 56

    HOST_NOT_IMPLEMENTED("playlist_manager", 6)
    HOST_NOT_IMPLEMENTED("playlist_manager", 10)
    HOST_NOT_IMPLEMENTED("playlist_manager", 31)
    HOST_NOT_IMPLEMENTED("playlist_manager", 32)
    HOST_NOT_IMPLEMENTED("playlist_manager", 33)
    HOST_NOT_IMPLEMENTED("playlist_manager", 34)
    HOST_NOT_IMPLEMENTED("playlist_manager", 35)
    HOST_NOT_IMPLEMENTED("playlist_manager", 36)
    HOST_NOT_IMPLEMENTED("playlist_manager", 37)
    HOST_NOT_IMPLEMENTED("playlist_manager", 41)
    HOST_NOT_IMPLEMENTED("playlist_manager", 44)
    HOST_NOT_IMPLEMENTED("playlist_manager", 45)
    HOST_NOT_IMPLEMENTED("playlist_manager", 46)
    HOST_NOT_IMPLEMENTED("playlist_manager", 47)
    HOST_NOT_IMPLEMENTED("playlist_manager", 48)
    HOST_NOT_IMPLEMENTED("playlist_manager", 49)
    HOST_NOT_IMPLEMENTED("playlist_manager", 50)
    HOST_NOT_IMPLEMENTED("playlist_manager", 51)
    HOST_NOT_IMPLEMENTED("playlist_manager", 52)
    HOST_NOT_IMPLEMENTED("playlist_manager", 53)
    HOST_NOT_IMPLEMENTED("playlist_manager", 54)
    HOST_NOT_IMPLEMENTED("playlist_manager", 55)

private:
    playlist_manager_impl();
    void destroy() override { delete this; }

    struct entry {
        service_ptr_t<metadb_handle> handle;
        bool selected = false;
        bool marked = false;
    };
    struct playlist {
        std::string name;
        std::vector<entry> items;
        std::uint32_t focus = none;
        std::uint32_t id = 0;
        std::uint32_t changes = 0;
        bool locked = false;
    };
    playlist* find(std::uint32_t index) {
        return index < m_playlists.size() ? &m_playlists[index] : nullptr;
    }
    const playlist* find(std::uint32_t index) const {
        return index < m_playlists.size() ? &m_playlists[index] : nullptr;
    }
    // The playlist when it exists and is not locked; changes are refused otherwise.
    playlist* find_unlocked(std::uint32_t index);
    // Calls `call` for every listener with the flag bit of `slot`, when `index` is the active playlist
    // (none: always).
    void notify(std::uint32_t index, int slot, const std::function<void(playlist_callback_single&)>& call);
    // Puts the playing item where `moved` says it went (old index -> new index, none when removed).
    void follow_playing_item(std::uint32_t index, const std::function<std::uint32_t(std::uint32_t)>& moved);

    std::vector<playlist> m_playlists;
    std::uint32_t m_active = 0;
    std::uint32_t m_next_id = 1;
    std::uint32_t m_order = order_default;
    playback_engine* m_engine = nullptr;
    service_registry* m_registry = nullptr;
    titleformat_config* m_row_format = nullptr;
};

}  // namespace host
