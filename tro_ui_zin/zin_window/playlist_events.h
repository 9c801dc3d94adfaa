#pragma once
// The title mirror and the host's playlist listener.
//
// The mirror g_items holds one formatted title per item of the active playlist while at least one
// window with a playlist view has its native window (an empty title: not formatted yet; the views
// format titles as they paint them). The listener playlist::tvp_callbacks keeps it in step with
// the host, repaints the views, scrolls them to items the host wants shown, and fires the global
// callbacks OnPlaylistCountChanged and OnOrderChange.

#include <array.h>
#include <playlist_format.h>
#include <zin_classes/playlist.h>

#include <trovaplay/sdk/playlist_callback.h>
#include <zut/string.h>

extern CDynArray<zut::string8> g_items;
extern CDynArray<playlist*> g_playlist_views;
// Set while the mirror is on.
extern bool g_playlist_mirror;
// Set while the left button is down in a view: the host's ensure-visible requests are ignored.
extern bool g_ensure_visible_suppressed;

// Turns the mirror on; an empty mirror is filled with one empty title per item.
void playlist_mirror_on();
// Turns the mirror off and destroys every title.
void playlist_mirror_off();
// Empties every title (they stay in place, to be formatted again).
void playlist_mirror_invalidate();
// Gives the mirror n titles: titles beyond n are destroyed, new ones are empty.
void playlist_mirror_resize(uint32_t n);
// Repaints every visible view.
void redraw_all_playlist_views();
// The skin unloads: mirror off, no views, the shared selection state back to rest.
void playlist_unload();

// The listener's own operations carry their own names where the interface's differ; the four
// events it ignores share one empty operation.
class playlist::tvp_callbacks : public playlist_callback_single_static {
public:
    uint32_t get_flags() override;

    void on_items_added(t_size p_base, const handle_list_const& p_data, const bit_array& p_selection) override;  // 0
    void on_items_reordered(const t_size* p_order, t_size p_count) override;                                   // 1
    void on_items_removing(const bit_array&, t_size, t_size) override { on_ignored_event(); }                    // 2
    void on_items_removed(const bit_array& p_mask, t_size p_old_count, t_size p_new_count) override;           // 3
    void on_items_selection_change(const bit_array& p_affected, const bit_array& p_state) override {          // 4
        on_selection_changed(p_affected, p_state);
    }
    void on_item_focus_change(t_size p_from, t_size p_to) override { on_focus_changed(p_from, p_to); }         // 5
    void on_items_modified(const bit_array& p_mask) override;                                                  // 6
    void on_items_modified_2(const bit_array& p_mask, uint32_t p_level) override;                              // 7
    void on_items_replaced(const bit_array&, const handle_list_const&) override { on_ignored_event(); }        // 8
    void on_item_ensure_visible(t_size p_item) override { on_ensure_visible(p_item); }                         // 9
    void on_playlist_switch() override;                                                                        // 10
    void on_playlist_renamed(const char*, t_size) override { on_ignored_event(); }                             // 11
    void on_playlist_locked(bool) override { on_ignored_event(); }                                             // 12
    void on_titles_invalidated() override;                                                                     // 13
    void on_playback_order_changed(t_size p_order) override;                                                   // 14

    void on_ignored_event() {}
    void on_selection_changed(const bit_array& p_affected, const bit_array& p_state);
    void on_focus_changed(t_size p_from, t_size p_to);
    void on_ensure_visible(t_size p_item);
};

// Registered with the host's factory list when the module loads.
extern service_factory_single_t<playlist::tvp_callbacks> g_playlist_callback_factory;
