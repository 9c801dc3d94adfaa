#pragma once
// A playlist manager for the tests whose fakes implement only the slots they expect: every other
// slot of the playlist operations goes to other_slot (slot number), which answers "nothing".

#include <trovaplay/sdk/playlist_manager.h>

class playlist_manager_stub : public playlist_manager {
public:
    std::uint32_t playlist_get_id(std::uint32_t) override { return other_slot(7); }
    bool remove_playlists(const bit_array&) override { return other_slot(8) != 0; }
    void playlist_enum_items(std::uint32_t, enum_items_callback&, const bit_array&) override { other_slot(12); }
    bool playlist_get_name(std::uint32_t, zut::string_base&) override { return other_slot(14) != 0; }
    bool playlist_reorder_items(std::uint32_t, const t_size*, t_size) override { return other_slot(15) != 0; }
    void playlist_set_selection(std::uint32_t, const bit_array&, const bit_array&) override { other_slot(16); }
    bool playlist_remove_items(std::uint32_t, const bit_array&) override { return other_slot(17) != 0; }
    bool playlist_swap_items(std::uint32_t, t_size, t_size) override { return other_slot(18) != 0; }
    t_size playlist_insert_items(std::uint32_t, t_size, const handle_list_const&, const bit_array&) override {
        return other_slot(20);
    }
    t_size playlist_ensure_visible(std::uint32_t, t_size) override { return other_slot(21); }
    bool playlist_move_item(std::uint32_t, t_size, t_size) override { return other_slot(22) != 0; }
    std::uint32_t playlist_get_change_count(std::uint32_t) override { return other_slot(23); }
    bool playlist_lock(std::uint32_t) override { return other_slot(24) != 0; }
    bool playlist_unlock(std::uint32_t) override { return other_slot(25) != 0; }
    bool playlist_is_locked(std::uint32_t) override { return other_slot(26) != 0; }
    bool playlist_is_empty(std::uint32_t) override { return other_slot(27) != 0; }
    void playlist_item_format_title(std::uint32_t, t_size, titleformat_hook*, zut::string_base&,
                                    const service_ptr_t<titleformat_script>&, titleformat_text_filter*,
                                    std::uint32_t) override {
        other_slot(28);
    }
    bool get_playing_item_location(t_size*, t_size*) override { return other_slot(29) != 0; }
    bool playlist_mark_item(std::uint32_t, t_size, bool) override { return other_slot(30) != 0; }
    std::uint32_t playlist_get_marked_count(std::uint32_t) override { return other_slot(38); }

protected:
    virtual std::uint32_t other_slot(int) { return 0; }
};
