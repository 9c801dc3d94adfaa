#include "playlist_manager.h"

#include <cstring>

#include "guard.h"
#include "log.h"
#include "playback_engine.h"

namespace host {

namespace {

const char* const kOrderNames[order_count] = {"Default", "Repeat (playlist)", "Repeat (track)"};

}  // namespace

void report_not_implemented(const char* service, int slot) {
    log_host(std::string("ERROR : ") + service + " slot " + std::to_string(slot) +
             " is not implemented in the reference host");
}

playlist_manager_impl* playlist_manager_impl::make() { return new playlist_manager_impl; }

playlist_manager_impl::playlist_manager_impl() {
    m_playlists.push_back(playlist{"Default", {}, none});
}

std::uint32_t playlist_manager_impl::add_items(std::uint32_t index, const std::vector<track*>& tracks) {
    if (index >= m_playlists.size()) return none;
    playlist& pl = m_playlists[index];
    const std::uint32_t first = std::uint32_t(pl.items.size());
    for (track* t : tracks)
        if (t) pl.items.emplace_back(static_cast<metadb_handle*>(t));
    return first;
}

service_ptr_t<metadb_handle> playlist_manager_impl::get_item(std::uint32_t index, std::uint32_t item) const {
    const playlist* pl = find(index);
    if (pl == nullptr || item >= pl->items.size()) return service_ptr_t<metadb_handle>();
    return pl->items[item];
}

void playlist_manager_impl::clear_all() {
    for (playlist& pl : m_playlists) {
        pl.items.clear();
        pl.focus = none;
    }
}

std::uint32_t playlist_manager_impl::get_playlist_count() { return std::uint32_t(m_playlists.size()); }

std::uint32_t playlist_manager_impl::get_active_playlist() {
    return m_active < m_playlists.size() ? m_active : none;
}

void playlist_manager_impl::set_active_playlist(std::uint32_t p_playlist) {
    if (p_playlist < m_playlists.size()) m_active = p_playlist;  // an index past the end changes nothing
}

std::uint32_t playlist_manager_impl::create_playlist(const char* p_name, std::uint32_t p_name_length,
                                                     std::uint32_t p_index) {
    return guard("playlist_manager create_playlist", std::uint32_t(none), [&] {
        std::string name;
        if (p_name)
            name = p_name_length == none ? std::string(p_name) : std::string(p_name, strnlen(p_name, p_name_length));
        const std::uint32_t at = p_index > m_playlists.size() ? std::uint32_t(m_playlists.size()) : p_index;
        m_playlists.insert(m_playlists.begin() + at, playlist{name, {}, none});
        if (m_active >= at && m_active < m_playlists.size() - 1) ++m_active;  // the active one keeps being active
        if (m_engine) m_engine->on_playlist_inserted(at);
        return at;
    });
}

std::uint32_t playlist_manager_impl::playlist_get_item_count(std::uint32_t p_playlist) {
    const playlist* pl = find(p_playlist);
    return pl ? std::uint32_t(pl->items.size()) : 0;
}

std::uint32_t playlist_manager_impl::playlist_get_focus_item(std::uint32_t p_playlist) {
    const playlist* pl = find(p_playlist);
    return pl ? pl->focus : none;
}

void playlist_manager_impl::playlist_set_focus_item(std::uint32_t p_playlist, std::uint32_t p_item) {
    if (p_playlist >= m_playlists.size()) return;
    playlist& pl = m_playlists[p_playlist];
    if (p_item < pl.items.size() || p_item == none) pl.focus = p_item;
}

std::uint32_t playlist_manager_impl::playback_order_get_count() { return order_count; }

const char* playlist_manager_impl::playback_order_get_name(std::uint32_t p_order) {
    return p_order < order_count ? kOrderNames[p_order] : nullptr;
}

std::uint32_t playlist_manager_impl::playback_order_get_active() { return m_order; }

void playlist_manager_impl::playback_order_set_active(std::uint32_t p_order) {
    if (p_order < order_count) m_order = p_order;
}

bool playlist_manager_impl::playlist_execute_default_action(std::uint32_t p_playlist, std::uint32_t p_item) {
    if (m_engine == nullptr || get_item(p_playlist, p_item).is_empty()) return false;
    m_playlists[p_playlist].focus = p_item;
    return guard("playlist_manager default action", false, [&] { return m_engine->play_item(p_playlist, p_item); });
}

}  // namespace host
