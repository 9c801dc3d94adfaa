// The title mirror and the playlist listener.
//
// Items added (mirror on): 1. debug line, 2. every title emptied (indices shifted), 3. n empty
//   titles appended, 4. views repainted; 5. OnPlaylistCountChanged (also with the mirror off).
// Items removed (mirror holding titles, also while the skin's script first runs, so that a view
//   shown then never paints an index the host no longer has): 1. debug line, 2. every title
//   emptied, 3. the mirror shrunk to the new count, 4. every view's top clamped to the shorter
//   list, 5. views repainted; then OnPlaylistCountChanged (whenever a skin runs, as for additions).
// Items modified: each mirrored index of the mask loses its title and its row is repainted.
// Focus changed (mirror on): the old and the new focus row of every view repainted.
// Ensure visible (not suppressed): each view that does not show the item scrolls it to its middle.
// Playlist switch (mirror on): the mirror rebuilt for the new playlist, every view's top clamped,
//   views repainted.
// Titles invalidated, reordered: with the mirror on every title emptied; views repainted.
//
// Wherever the mirror's size is checked against the host's item count and differs, the debug
// check reports it and the mirror is brought to the true count, so painting never reads a stale
// index.
//
// The host calls these methods: nothing may leave them. Script callbacks report their own errors;
// any other failure is reported here and the event ends.

#include "playlist_events.h"

#include "callbacks.h"
#include "zin_window.h"

#include <lua_class/lua_debug.h>

#include <trovaplay/sdk/console.h>

#include <exception>
#include <new>

CDynArray<zut::string8> g_items;
CDynArray<playlist*> g_playlist_views;
bool g_playlist_mirror = false;
bool g_ensure_visible_suppressed = false;

service_factory_single_t<playlist::tvp_callbacks> g_playlist_callback_factory;

namespace {

uint32_t host_item_count() { return g_pl_oper ? g_pl_oper->activeplaylist_get_item_count() : 0; }

// The debug check of the mirror's size; a mirror out of step is brought to the true count.
void check_mirror_size() {
    const uint32_t count = host_item_count();
    if (ZIN_CHECK_MSG(g_items.getSize() == count,
                      "(g_items.getSize() == g_pl_oper->playlist_get_item_count(g_pl_oper->get_active_playlist()))"))
        return;
    playlist_mirror_invalidate();
    playlist_mirror_resize(count);
}

// The views as they are now: a repaint or a scroll callback may make or drop views.
template <class Action>
void for_each_view(Action action) {
    CDynArray<playlist*> views;
    views.addArray(g_playlist_views.mpData, g_playlist_views.getSize());
    for (uint32_t i = 0; i < views.getSize(); ++i)
        if (g_playlist_views.find(views[i], 0)) action(views[i]);
}

void for_each_view(void (*action)(playlist* view, t_size arg), t_size arg) {
    for_each_view([&](playlist* view) { action(view, arg); });
}

void clamp_top(playlist* view, t_size) { view->set_top(view->mTop); }

// Only views that are shown have rows to repaint (a view in no window has none).
void redraw_row(playlist* view, t_size item) {
    if (view->mVisible && item <= static_cast<t_size>(INT32_MAX)) view->redraw_item(static_cast<int32_t>(item));
}

void scroll_to(playlist* view, t_size item) {
    const int64_t top = view->mTop;
    if (static_cast<int64_t>(item) >= top && static_cast<int64_t>(item) < top + view->mRows) return;
    view->set_top(static_cast<int32_t>(static_cast<int64_t>(item) - view->mRows / 2));
}

// Runs one event; a native failure is reported and the event ends.
template <typename F>
void event(const char* name, F&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        console::report_error(name, e.what());
    }
}

}  // namespace

// ---- The mirror ----------------------------------------------------------------------------------

void playlist_mirror_resize(uint32_t n) {
    const uint32_t size = g_items.getSize();
    if (n < size) {
        for (uint32_t i = n; i < size; ++i) g_items[i].~string8_t();
        g_items.setSize(n);
        return;
    }
    if (!g_items.setSize(n)) return;  // the check reports; the mirror keeps what it had
    for (uint32_t i = size; i < n; ++i) new (&g_items[i]) zut::string8();
}

void playlist_mirror_invalidate() {
    for (uint32_t i = 0; i < g_items.getSize(); ++i) g_items[i].truncate(0);
}

void playlist_mirror_on() {
    g_playlist_mirror = true;
    if (g_items.getSize() == 0) playlist_mirror_resize(host_item_count());
}

void playlist_mirror_off() {
    g_playlist_mirror = false;
    playlist_mirror_resize(0);
    g_items.clear();
}

void redraw_all_playlist_views() {
    zin_debug_output("DRAWALL!");
    for_each_view([](playlist* view, t_size) {
        if (view->mVisible) view->redraw();
    }, 0);
}

void playlist_unload() {
    playlist_mirror_off();
    g_playlist_views.clear();
    g_ensure_visible_suppressed = false;
    g_pl_drag_mode = PL_DRAG_IDLE;
}

// ---- The listener --------------------------------------------------------------------------------

// Every playlist event.
uint32_t playlist::tvp_callbacks::get_flags() { return ~uint32_t(0); }

void playlist::tvp_callbacks::on_items_added(t_size, const handle_list_const& p_data, const bit_array&) {
    event("on_items_added", [&] {
        if (g_playlist_mirror) {
            // 1.
            const t_size n = p_data.get_count();
            lua_class::debug_printf("added: %i+%i->%i\r\n", static_cast<int>(g_items.getSize()),
                                    static_cast<int>(n), static_cast<int>(host_item_count()));
            // 2. - 3.
            playlist_mirror_invalidate();
            playlist_mirror_resize(g_items.getSize() + n);
            check_mirror_size();
            // 4.
            redraw_all_playlist_views();
        }
        // 5.
        fire_global_callback(GCB_ON_PLAYLIST_COUNT_CHANGED);
    });
}

void playlist::tvp_callbacks::on_items_reordered(const t_size*, t_size) { on_titles_invalidated(); }

void playlist::tvp_callbacks::on_items_removed(const bit_array&, t_size, t_size p_new_count) {
    event("on_items_removed", [&] {
        if (g_items.getSize() != 0) {
            // 1.
            lua_class::debug_printf("removed: %i\r\n", static_cast<int>(host_item_count()));
            // 2. - 3.
            playlist_mirror_invalidate();
            if (p_new_count < g_items.getSize()) playlist_mirror_resize(p_new_count);
            check_mirror_size();
            // 4.
            for_each_view(&clamp_top, 0);
            // 5.
            redraw_all_playlist_views();
        }
        if (g_skin_running) fire_global_callback(GCB_ON_PLAYLIST_COUNT_CHANGED);
    });
}

void playlist::tvp_callbacks::on_selection_changed(const bit_array&, const bit_array&) {
    event("on_selection_changed", [] { redraw_all_playlist_views(); });
}

void playlist::tvp_callbacks::on_focus_changed(t_size p_from, t_size p_to) {
    event("on_focus_changed", [&] {
        if (!g_playlist_mirror) return;
        for_each_view(&redraw_row, p_from);
        for_each_view(&redraw_row, p_to);
    });
}

void playlist::tvp_callbacks::on_items_modified(const bit_array& p_mask) {
    event("on_items_modified", [&] {
        // The mask finds its next set index, so a single item costs no walk over the whole list.
        bool any = false;
        for (t_size i = 0; i < g_items.getSize(); ++i) {
            i = p_mask.find(true, i, static_cast<int>(g_items.getSize() - i));
            if (i >= g_items.getSize()) break;
            g_items[i].truncate(0);
            any = true;
        }
        // Each shown view repaints the modified rows it shows (an edit of thousands of items
        // repaints a few rows).
        if (!any) return;
        for_each_view([&](playlist* view) {
            if (!view->mVisible) return;
            const int64_t end = static_cast<int64_t>(view->mTop) + view->mRows + 1;
            for (int64_t row = view->mTop; row < end && row < static_cast<int64_t>(g_items.getSize()); ++row)
                if (row >= 0 && p_mask.get(static_cast<t_size>(row))) view->redraw_item(static_cast<int32_t>(row));
        });
    });
}

void playlist::tvp_callbacks::on_items_modified_2(const bit_array& p_mask, uint32_t) { on_items_modified(p_mask); }

void playlist::tvp_callbacks::on_ensure_visible(t_size p_item) {
    event("on_ensure_visible", [&] {
        if (g_ensure_visible_suppressed || p_item > static_cast<t_size>(INT32_MAX)) return;
        for_each_view(&scroll_to, p_item);
    });
}

void playlist::tvp_callbacks::on_playlist_switch() {
    event("on_playlist_switch", [] {
        if (!g_playlist_mirror) return;
        playlist_mirror_resize(0);
        playlist_mirror_resize(host_item_count());
        // The new playlist may be shorter than the old one's top rows.
        for_each_view(&clamp_top, 0);
        redraw_all_playlist_views();
    });
}

void playlist::tvp_callbacks::on_titles_invalidated() {
    event("on_titles_invalidated", [] {
        if (g_playlist_mirror) playlist_mirror_invalidate();
        redraw_all_playlist_views();
    });
}

void playlist::tvp_callbacks::on_playback_order_changed(t_size) {
    event("on_playback_order_changed", [] { fire_global_callback(GCB_ON_ORDER_CHANGE); });
}
