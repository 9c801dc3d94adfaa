#include "playlist_manager.h"

#include <algorithm>
#include <cstring>

#include <trovaplay/shared/shared.h>

#include "guard.h"
#include "log.h"
#include "playback_engine.h"
#include "title_format.h"

namespace host {

namespace {

const char* const kOrderNames[order_count] = {"Default", "Repeat (playlist)", "Repeat (track)"};

// Listener slots, as the bits of get_flags.
enum listener_slot : int {
    slot_items_added = 0,
    slot_items_reordered = 1,
    slot_items_removing = 2,
    slot_items_removed = 3,
    slot_selection_change = 4,
    slot_focus_change = 5,
    slot_items_modified = 6,
    slot_items_modified_2 = 7,
    slot_ensure_visible = 9,
    slot_playlist_switch = 10,
    slot_playlist_locked = 12,
    slot_titles_invalidated = 13,
    slot_order_changed = 14,
};

// A list view of the handles of a vector of entries or tracks, for the listeners.
class handle_vector_view final : public handle_list_const {
public:
    explicit handle_vector_view(const std::vector<service_ptr_t<metadb_handle>>& items) : m_items(items) {}
    t_size get_count() const override { return t_size(m_items.size()); }
    void get_item_ex(service_ptr_t<metadb_handle>& p_out, t_size n) const override {
        if (n < m_items.size()) p_out = m_items[n];
    }

private:
    const std::vector<service_ptr_t<metadb_handle>>& m_items;
};

// A mask over a table of bools.
class bool_vector_mask final : public bit_array {
public:
    explicit bool_vector_mask(const std::vector<bool>& bits) : m_bits(bits) {}
    bool get(t_size n) const override { return n < m_bits.size() && m_bits[n]; }

private:
    const std::vector<bool>& m_bits;
};

// The field a playlist row knows beyond its track's: %is_playing% ("1" for the playing item's
// row, not found for the others).
class playlist_row_fields final : public field_hook {
public:
    explicit playlist_row_fields(bool playing) : m_playing(playing) {}
    bool process_field(titleformat_text_out* p_out, const char* p_name, t_size p_name_length, bool& p_found) override {
        p_found = false;
        if (stricmp_utf8_ex(p_name, p_name_length, "is_playing", ~0u) != 0) return false;
        if (m_playing) {
            p_out->write(titleformat_input_type_other, "1", 1);
            p_found = true;
        }
        return true;
    }

private:
    bool m_playing;
};

}  // namespace

void report_not_implemented(const char* service, int slot) {
    log_host(std::string("ERROR : ") + service + " slot " + std::to_string(slot) +
             " is not implemented in the reference host");
}

playlist_manager_impl* playlist_manager_impl::make() { return new playlist_manager_impl; }

playlist_manager_impl::playlist_manager_impl() {
    playlist first;
    first.name = "Default";
    first.id = m_next_id++;
    m_playlists.push_back(first);
}

// ---- Listeners

void playlist_manager_impl::notify(std::uint32_t index, int slot,
                                   const std::function<void(playlist_callback_single&)>& call) {
    if (m_registry == nullptr) return;
    if (index != none && index != get_active_playlist()) return;
    for (const service_ptr_t<service_base>& s : m_registry->all_of(playlist_callback_single_static::class_guid)) {
        playlist_callback_single_static* listener = static_cast<playlist_callback_single_static*>(s.get_ptr());
        guarded("a playlist listener", [&] {
            if ((listener->get_flags() & (1u << slot)) == 0) return;
            playlist_callback_single& callback = *listener;
            call(callback);
        });
    }
}

void playlist_manager_impl::follow_playing_item(std::uint32_t index,
                                                const std::function<std::uint32_t(std::uint32_t)>& moved) {
    std::uint32_t pl = none, item = none;
    if (m_engine && m_engine->playing_item(pl, item) && pl == index) m_engine->playing_item_moved(moved(item));
}

void playlist_manager_impl::items_modified(std::uint32_t index, const bit_array& mask) {
    notify(index, slot_items_modified, [&](playlist_callback_single& c) { c.on_items_modified(mask); });
}

void playlist_manager_impl::items_modified_2(std::uint32_t index, const bit_array& mask, std::uint32_t level) {
    notify(index, slot_items_modified_2, [&](playlist_callback_single& c) { c.on_items_modified_2(mask, level); });
}

void playlist_manager_impl::titles_invalidated() {
    notify(none, slot_titles_invalidated, [](playlist_callback_single& c) { c.on_titles_invalidated(); });
}

// ---- Host side

std::uint32_t playlist_manager_impl::add_items(std::uint32_t index, const std::vector<track*>& tracks) {
    std::vector<service_ptr_t<metadb_handle>> handles;
    for (track* t : tracks)
        if (t) handles.emplace_back(static_cast<metadb_handle*>(t));
    const handle_vector_view view(handles);
    return playlist_insert_items(index, none, view, bit_array_false());
}

service_ptr_t<metadb_handle> playlist_manager_impl::get_item(std::uint32_t index, std::uint32_t item) const {
    const playlist* pl = find(index);
    if (pl == nullptr || item >= pl->items.size()) return service_ptr_t<metadb_handle>();
    return pl->items[item].handle;
}

void playlist_manager_impl::clear_all() {
    for (playlist& pl : m_playlists) {
        pl.items.clear();
        pl.focus = none;
    }
}

playlist_manager_impl::playlist* playlist_manager_impl::find_unlocked(std::uint32_t index) {
    playlist* pl = find(index);
    return pl && !pl->locked ? pl : nullptr;
}

// ---- Playlists

std::uint32_t playlist_manager_impl::get_playlist_count() { return std::uint32_t(m_playlists.size()); }

std::uint32_t playlist_manager_impl::get_active_playlist() {
    return m_active < m_playlists.size() ? m_active : none;
}

void playlist_manager_impl::set_active_playlist(std::uint32_t p_playlist) {
    if (p_playlist >= m_playlists.size() || p_playlist == m_active) return;  // past the end: no change
    m_active = p_playlist;
    notify(none, slot_playlist_switch, [](playlist_callback_single& c) { c.on_playlist_switch(); });
}

std::uint32_t playlist_manager_impl::playlist_get_id(std::uint32_t p_playlist) {
    const playlist* pl = find(p_playlist);
    return pl ? pl->id : 0;
}

bool playlist_manager_impl::remove_playlists(const bit_array& p_mask) {
    return guard("playlist_manager remove_playlists", false, [&] {
        const std::uint32_t active_before = get_active_playlist();
        bool removed = false;
        for (std::uint32_t i = std::uint32_t(m_playlists.size()); i-- > 0;) {
            if (!p_mask.get(i)) continue;
            m_playlists.erase(m_playlists.begin() + i);
            removed = true;
            if (m_engine) m_engine->on_playlist_removed(i);
            if (m_active == i) m_active = none;
            else if (m_active != none && m_active > i) --m_active;
        }
        // The active playlist gone: none is active until someone chooses one.
        if (removed && (m_active == none) != (active_before == none))
            notify(none, slot_playlist_switch, [](playlist_callback_single& c) { c.on_playlist_switch(); });
        return removed;
    });
}

std::uint32_t playlist_manager_impl::create_playlist(const char* p_name, std::uint32_t p_name_length,
                                                     std::uint32_t p_index) {
    return guard("playlist_manager create_playlist", std::uint32_t(none), [&] {
        playlist made;
        if (p_name)
            made.name = p_name_length == none ? std::string(p_name) : std::string(p_name, strnlen(p_name, p_name_length));
        made.id = m_next_id++;
        const std::uint32_t at = p_index > m_playlists.size() ? std::uint32_t(m_playlists.size()) : p_index;
        m_playlists.insert(m_playlists.begin() + at, made);
        if (m_active != none && m_active >= at && m_active < m_playlists.size() - 1) ++m_active;  // stays active
        if (m_engine) m_engine->on_playlist_inserted(at);
        return at;
    });
}

bool playlist_manager_impl::playlist_get_name(std::uint32_t p_playlist, zut::string_base& p_out) {
    const playlist* pl = find(p_playlist);
    if (pl == nullptr) return false;
    p_out.set_string(pl->name.c_str(), t_size(pl->name.size()));
    return true;
}

std::uint32_t playlist_manager_impl::playlist_get_change_count(std::uint32_t p_playlist) {
    const playlist* pl = find(p_playlist);
    return pl ? pl->changes : none;
}

bool playlist_manager_impl::playlist_lock(std::uint32_t p_playlist) {
    playlist* pl = find(p_playlist);
    if (pl == nullptr || pl->locked) return false;
    pl->locked = true;
    notify(p_playlist, slot_playlist_locked, [](playlist_callback_single& c) { c.on_playlist_locked(true); });
    return true;
}

bool playlist_manager_impl::playlist_unlock(std::uint32_t p_playlist) {
    playlist* pl = find(p_playlist);
    if (pl == nullptr || !pl->locked) return false;
    pl->locked = false;
    notify(p_playlist, slot_playlist_locked, [](playlist_callback_single& c) { c.on_playlist_locked(false); });
    return true;
}

bool playlist_manager_impl::playlist_is_locked(std::uint32_t p_playlist) {
    const playlist* pl = find(p_playlist);
    return pl && pl->locked;
}

bool playlist_manager_impl::playlist_is_empty(std::uint32_t p_playlist) {
    const playlist* pl = find(p_playlist);
    return pl && pl->items.empty();
}

// ---- Items

std::uint32_t playlist_manager_impl::playlist_get_item_count(std::uint32_t p_playlist) {
    const playlist* pl = find(p_playlist);
    return pl ? std::uint32_t(pl->items.size()) : 0;
}

void playlist_manager_impl::playlist_enum_items(std::uint32_t p_playlist, enum_items_callback& p_callback,
                                                const bit_array& p_mask) {
    guarded("playlist_manager enum_items", [&] {
        // By index with a re-check: the callback may change the playlist. The mask finds its next
        // set index itself, so asking for one item costs no walk over the whole playlist.
        for (std::uint32_t i = 0;; ++i) {
            const playlist* pl = find(p_playlist);
            if (pl == nullptr || i >= pl->items.size()) return;
            const std::uint32_t size = std::uint32_t(pl->items.size());
            i = p_mask.find(true, i, int(std::min<std::uint32_t>(size - i, INT32_MAX)));
            if (i >= size) return;
            const entry e = pl->items[i];
            if (!p_callback.on_item(i, e.handle, e.selected)) return;
        }
    });
}

std::uint32_t playlist_manager_impl::playlist_get_focus_item(std::uint32_t p_playlist) {
    const playlist* pl = find(p_playlist);
    return pl ? pl->focus : none;
}

void playlist_manager_impl::playlist_set_focus_item(std::uint32_t p_playlist, std::uint32_t p_item) {
    playlist* pl = find(p_playlist);
    if (pl == nullptr || (p_item >= pl->items.size() && p_item != none)) return;
    const std::uint32_t old = pl->focus;
    if (old == p_item) return;
    pl->focus = p_item;
    notify(p_playlist, slot_focus_change, [&](playlist_callback_single& c) { c.on_item_focus_change(old, p_item); });
}

bool playlist_manager_impl::playlist_reorder_items(std::uint32_t p_playlist, const t_size* p_order, t_size p_count) {
    return guard("playlist_manager reorder_items", false, [&] {
        playlist* pl = find_unlocked(p_playlist);
        if (pl == nullptr || p_order == nullptr || p_count != pl->items.size()) return false;
        // A permutation, or nothing happens.
        std::vector<bool> seen(p_count, false);
        for (t_size i = 0; i < p_count; ++i) {
            if (p_order[i] >= p_count || seen[p_order[i]]) return false;
            seen[p_order[i]] = true;
        }
        std::vector<entry> items(p_count);
        std::vector<std::uint32_t> new_index(p_count);
        for (t_size i = 0; i < p_count; ++i) {
            items[i] = pl->items[p_order[i]];
            new_index[p_order[i]] = i;
        }
        pl->items.swap(items);
        if (pl->focus != none) pl->focus = new_index[pl->focus];
        ++pl->changes;
        follow_playing_item(p_playlist, [&](std::uint32_t old) { return new_index[old]; });
        notify(p_playlist, slot_items_reordered,
               [&](playlist_callback_single& c) { c.on_items_reordered(p_order, p_count); });
        return true;
    });
}

void playlist_manager_impl::playlist_set_selection(std::uint32_t p_playlist, const bit_array& p_affected,
                                                   const bit_array& p_status) {
    playlist* pl = find(p_playlist);
    if (pl == nullptr) return;
    bool changed = false;
    for (std::uint32_t i = 0; i < pl->items.size(); ++i) {
        if (!p_affected.get(i)) continue;
        const bool state = p_status.get(i);
        if (pl->items[i].selected != state) changed = true;
        pl->items[i].selected = state;
    }
    if (!changed) return;
    notify(p_playlist, slot_selection_change,
           [&](playlist_callback_single& c) { c.on_items_selection_change(p_affected, p_status); });
}

bool playlist_manager_impl::playlist_remove_items(std::uint32_t p_playlist, const bit_array& p_mask) {
    return guard("playlist_manager remove_items", false, [&] {
        playlist* pl = find_unlocked(p_playlist);
        if (pl == nullptr) return false;
        const std::uint32_t old_count = std::uint32_t(pl->items.size());
        std::vector<bool> gone(old_count, false);
        std::uint32_t new_count = 0;
        for (std::uint32_t i = 0; i < old_count; ++i) {
            gone[i] = p_mask.get(i);
            if (!gone[i]) ++new_count;
        }
        if (new_count == old_count) return true;  // nothing to remove
        const bool_vector_mask mask(gone);
        notify(p_playlist, slot_items_removing,
               [&](playlist_callback_single& c) { c.on_items_removing(mask, old_count, new_count); });
        pl = find(p_playlist);  // a listener may have changed the playlists
        if (pl == nullptr || pl->items.size() != old_count) return false;
        std::vector<std::uint32_t> new_index(old_count, none);
        std::vector<entry> kept;
        kept.reserve(new_count);
        for (std::uint32_t i = 0; i < old_count; ++i) {
            if (gone[i]) continue;
            new_index[i] = std::uint32_t(kept.size());
            kept.push_back(pl->items[i]);
        }
        pl->items.swap(kept);
        if (pl->focus != none) pl->focus = new_index[pl->focus];
        ++pl->changes;
        follow_playing_item(p_playlist, [&](std::uint32_t old) { return new_index[old]; });
        notify(p_playlist, slot_items_removed,
               [&](playlist_callback_single& c) { c.on_items_removed(mask, old_count, new_count); });
        return true;
    });
}

bool playlist_manager_impl::playlist_swap_items(std::uint32_t p_playlist, t_size p_item1, t_size p_item2) {
    const std::uint32_t count = playlist_get_item_count(p_playlist);
    if (p_item1 >= count || p_item2 >= count) return false;
    std::vector<t_size> order(count);
    for (t_size i = 0; i < count; ++i) order[i] = i;
    std::swap(order[p_item1], order[p_item2]);
    return playlist_reorder_items(p_playlist, order.data(), count);
}

bool playlist_manager_impl::playlist_move_item(std::uint32_t p_playlist, t_size p_from, t_size p_to) {
    const std::uint32_t count = playlist_get_item_count(p_playlist);
    if (p_from >= count || p_to >= count) return false;
    std::vector<t_size> order;
    order.reserve(count);
    for (t_size i = 0; i < count; ++i)
        if (i != p_from) order.push_back(i);
    order.insert(order.begin() + p_to, p_from);
    return playlist_reorder_items(p_playlist, order.data(), count);
}

t_size playlist_manager_impl::playlist_insert_items(std::uint32_t p_playlist, t_size p_base,
                                                    const handle_list_const& p_data, const bit_array& p_selection) {
    return guard("playlist_manager insert_items", t_size(none), [&]() -> t_size {
        playlist* pl = find_unlocked(p_playlist);
        if (pl == nullptr) return none;
        const t_size base = std::min<t_size>(p_base, t_size(pl->items.size()));
        std::vector<service_ptr_t<metadb_handle>> added;
        std::vector<entry> inserted;
        const t_size n = p_data.get_count();
        for (t_size i = 0; i < n; ++i) {
            entry e;
            p_data.get_item_ex(e.handle, i);
            if (e.handle.is_empty()) continue;  // an empty handle is no track
            e.selected = p_selection.get(i);
            added.push_back(e.handle);
            inserted.push_back(e);
        }
        pl->items.insert(pl->items.begin() + base, inserted.begin(), inserted.end());
        const std::uint32_t count = std::uint32_t(inserted.size());
        if (pl->focus != none && pl->focus >= base) pl->focus += count;
        ++pl->changes;
        follow_playing_item(p_playlist, [&](std::uint32_t old) { return old >= base ? old + count : old; });
        // The selection as the listeners see it: one bit per added item.
        std::vector<bool> selected(count);
        for (std::uint32_t i = 0; i < count; ++i) selected[i] = inserted[i].selected;
        const bool_vector_mask selection(selected);
        const handle_vector_view view(added);
        notify(p_playlist, slot_items_added,
               [&](playlist_callback_single& c) { c.on_items_added(base, view, selection); });
        return base;
    });
}

t_size playlist_manager_impl::playlist_ensure_visible(std::uint32_t p_playlist, t_size p_item) {
    if (p_item >= playlist_get_item_count(p_playlist)) return none;
    notify(p_playlist, slot_ensure_visible, [&](playlist_callback_single& c) { c.on_item_ensure_visible(p_item); });
    return p_item;
}

void playlist_manager_impl::playlist_item_format_title(std::uint32_t p_playlist, t_size p_item,
                                                       titleformat_hook* p_hook, zut::string_base& p_out,
                                                       const service_ptr_t<titleformat_script>& p_script,
                                                       titleformat_text_filter* p_filter, std::uint32_t) {
    p_out.set_string("");
    const service_ptr_t<metadb_handle> handle = get_item(p_playlist, std::uint32_t(p_item));
    if (handle.is_empty()) return;
    service_ptr_t<titleformat_script> script = p_script;
    // No script: the host's own row format.
    if (script.is_empty() && (m_row_format == nullptr || !m_row_format->compile(script))) return;
    const title_script* compiled = title_script::from(script.get_ptr());
    if (compiled == nullptr) return;  // not one of the host's: it knows no other formatter
    std::uint32_t playing_playlist = none, playing_item = none;
    const bool playing = m_engine && m_engine->playing_item(playing_playlist, playing_item) &&
                         playing_playlist == p_playlist && playing_item == p_item;
    playlist_row_fields row(playing);
    // Every track handle of this host is one of its tracks.
    track* t = static_cast<track*>(handle.get_ptr());
    guarded("playlist_manager format_title", [&] { t->format_with(p_hook, &row, p_out, *compiled, p_filter); });
}

bool playlist_manager_impl::get_playing_item_location(t_size* p_playlist, t_size* p_item) {
    std::uint32_t pl = none, item = none;
    if (m_engine == nullptr || !m_engine->playing_item(pl, item)) return false;
    if (p_playlist) *p_playlist = pl;
    if (p_item) *p_item = item;
    return true;
}

bool playlist_manager_impl::playlist_mark_item(std::uint32_t p_playlist, t_size p_item, bool p_state) {
    playlist* pl = find(p_playlist);
    if (pl == nullptr || p_item >= pl->items.size()) return false;
    pl->items[p_item].marked = p_state;
    return true;
}

std::uint32_t playlist_manager_impl::playlist_get_marked_count(std::uint32_t p_playlist) {
    const playlist* pl = find(p_playlist);
    if (pl == nullptr) return none;
    return std::uint32_t(std::count_if(pl->items.begin(), pl->items.end(), [](const entry& e) { return e.marked; }));
}

// ---- Playback orders and the default action

std::uint32_t playlist_manager_impl::playback_order_get_count() { return order_count; }

const char* playlist_manager_impl::playback_order_get_name(std::uint32_t p_order) {
    return p_order < order_count ? kOrderNames[p_order] : nullptr;
}

std::uint32_t playlist_manager_impl::playback_order_get_active() { return m_order; }

void playlist_manager_impl::playback_order_set_active(std::uint32_t p_order) {
    if (p_order >= order_count || p_order == m_order) return;
    m_order = p_order;
    notify(none, slot_order_changed, [&](playlist_callback_single& c) { c.on_playback_order_changed(p_order); });
}

bool playlist_manager_impl::playlist_execute_default_action(std::uint32_t p_playlist, std::uint32_t p_item) {
    if (m_engine == nullptr || get_item(p_playlist, p_item).is_empty()) return false;
    playlist_set_focus_item(p_playlist, p_item);
    return guard("playlist_manager default action", false, [&] { return m_engine->play_item(p_playlist, p_item); });
}

}  // namespace host
