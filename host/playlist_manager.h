#pragma once
// The reference host's playlist_manager service: playlists of track handles, one of them active,
// and the playback orders. The slots the component calls are real; every other slot reports on the
// host's log that it is not implemented here and does nothing.
#include <cstdint>
#include <string>
#include <vector>

#include <trovaplay/sdk/metadb_handle.h>
#include <trovaplay/sdk/playlist_manager.h>

#include "host_object.h"
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
    // Appends tracks to a playlist; the handles gain a reference each. The index of the first one.
    std::uint32_t add_items(std::uint32_t playlist, const std::vector<track*>& tracks);
    // The item's handle, empty when the index is out of range.
    service_ptr_t<metadb_handle> get_item(std::uint32_t playlist, std::uint32_t item) const;
    std::uint32_t order() const { return m_order; }
    // Slot 56 starts playback through the engine (null: the slot answers false).
    void set_engine(playback_engine* engine) { m_engine = engine; }
    // Drops every playlist's items (at exit, before the host counts what is left).
    void clear_all();

    // ---- playlist_manager.
    std::uint32_t get_playlist_count() override;                                   // 3
    std::uint32_t get_active_playlist() override;                                  // 4
    void set_active_playlist(std::uint32_t p_playlist) override;                   // 5
    std::uint32_t create_playlist(const char* p_name, std::uint32_t p_name_length,
                                  std::uint32_t p_index) override;                 // 9
    std::uint32_t playlist_get_item_count(std::uint32_t p_playlist) override;      // 11
    std::uint32_t playlist_get_focus_item(std::uint32_t p_playlist) override;      // 13
    void playlist_set_focus_item(std::uint32_t p_playlist, std::uint32_t p_item) override;  // 19
    std::uint32_t playback_order_get_count() override;                             // 39
    const char* playback_order_get_name(std::uint32_t p_order) override;           // 40
    std::uint32_t playback_order_get_active() override;                            // 42
    void playback_order_set_active(std::uint32_t p_order) override;                // 43
    bool playlist_execute_default_action(std::uint32_t p_playlist, std::uint32_t p_item) override;  // 56

    HOST_NOT_IMPLEMENTED("playlist_manager", 6)
    HOST_NOT_IMPLEMENTED("playlist_manager", 7)
    HOST_NOT_IMPLEMENTED("playlist_manager", 8)
    HOST_NOT_IMPLEMENTED("playlist_manager", 10)
    HOST_NOT_IMPLEMENTED("playlist_manager", 12)
    HOST_NOT_IMPLEMENTED("playlist_manager", 14)
    HOST_NOT_IMPLEMENTED("playlist_manager", 15)
    HOST_NOT_IMPLEMENTED("playlist_manager", 16)
    HOST_NOT_IMPLEMENTED("playlist_manager", 17)
    HOST_NOT_IMPLEMENTED("playlist_manager", 18)
    HOST_NOT_IMPLEMENTED("playlist_manager", 20)
    HOST_NOT_IMPLEMENTED("playlist_manager", 21)
    HOST_NOT_IMPLEMENTED("playlist_manager", 22)
    HOST_NOT_IMPLEMENTED("playlist_manager", 23)
    HOST_NOT_IMPLEMENTED("playlist_manager", 24)
    HOST_NOT_IMPLEMENTED("playlist_manager", 25)
    HOST_NOT_IMPLEMENTED("playlist_manager", 26)
    HOST_NOT_IMPLEMENTED("playlist_manager", 27)
    HOST_NOT_IMPLEMENTED("playlist_manager", 28)
    HOST_NOT_IMPLEMENTED("playlist_manager", 29)
    HOST_NOT_IMPLEMENTED("playlist_manager", 30)
    HOST_NOT_IMPLEMENTED("playlist_manager", 31)
    HOST_NOT_IMPLEMENTED("playlist_manager", 32)
    HOST_NOT_IMPLEMENTED("playlist_manager", 33)
    HOST_NOT_IMPLEMENTED("playlist_manager", 34)
    HOST_NOT_IMPLEMENTED("playlist_manager", 35)
    HOST_NOT_IMPLEMENTED("playlist_manager", 36)
    HOST_NOT_IMPLEMENTED("playlist_manager", 37)
    HOST_NOT_IMPLEMENTED("playlist_manager", 38)
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

    struct playlist {
        std::string name;
        std::vector<service_ptr_t<metadb_handle>> items;
        std::uint32_t focus = none;
    };
    const playlist* find(std::uint32_t index) const {
        return index < m_playlists.size() ? &m_playlists[index] : nullptr;
    }

    std::vector<playlist> m_playlists;
    std::uint32_t m_active = 0;
    std::uint32_t m_order = order_default;
    playback_engine* m_engine = nullptr;
};

}  // namespace host
