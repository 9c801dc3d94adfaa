#pragma once
// A recording playlist manager for the tests: playlists by name (only playlist 0 holds items),
// items with a title and a selection state, a focus item, and a log of every slot call with its
// arguments ("16:aff=0-4,sel=2"). Changes of playlist 0 while it is active are told to `listener`
// (when set) with the argument lists the host uses.

#include <trovaplay/sdk/metadb_handle.h>
#include <trovaplay/sdk/playlist_callback.h>
#include <trovaplay/sdk/playlist_manager.h>
#include <trovaplay/sdk/titleformat_script.h>

#include <algorithm>
#include <string>
#include <vector>

class playlist_model : public playlist_manager {
public:
    struct item {
        std::string title;
        bool selected;
    };
    std::vector<std::string> names{"Default"};
    std::vector<item> items;  // of playlist 0
    std::uint32_t focus = none;
    std::uint32_t active = 0;
    std::vector<std::string> calls;
    playlist_callback_single* listener = nullptr;
    // Answers of slot 14 (false from this playlist index on) and slot 15.
    std::uint32_t name_fails_from = none;
    bool reorder_answer = true;

    explicit playlist_model(std::uint32_t n = 0) { add(n); }

    // n items titled "item <index>".
    void add(std::uint32_t n) {
        for (std::uint32_t i = 0; i < n; ++i) items.push_back({"item " + std::to_string(items.size()), false});
    }
    std::vector<std::uint32_t> selected() const {
        std::vector<std::uint32_t> out;
        for (std::uint32_t i = 0; i < items.size(); ++i)
            if (items[i].selected) out.push_back(i);
        return out;
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> out;
        for (const item& it : items) out.push_back(it.title);
        return out;
    }
    // The slots called, without arguments.
    std::vector<int> slots() const {
        std::vector<int> out;
        for (const std::string& c : calls) out.push_back(std::stoi(c));
        return out;
    }
    // Mask text: the indices in 0 .. n-1 set in the mask, as ranges "0-4,7".
    static std::string mask_text(const bit_array& mask, std::uint32_t n) {
        std::string out;
        for (std::uint32_t i = 0; i < n; ++i) {
            if (!mask.get(i)) continue;
            std::uint32_t j = i;
            while (j + 1 < n && mask.get(j + 1)) ++j;
            if (!out.empty()) out += ',';
            out += std::to_string(i);
            if (j > i) out += "-" + std::to_string(j);
            i = j;
        }
        return out;
    }

    int service_release() override { return 1; }
    int service_add_ref() override { return 1; }

    std::uint32_t get_playlist_count() override { return log(3), std::uint32_t(names.size()); }
    std::uint32_t get_active_playlist() override { return log(4), active; }
    void set_active_playlist(std::uint32_t p) override {
        log(5, std::to_string(p));
        active = p;
        if (listener) listener->on_playlist_switch();
    }
    std::uint32_t playlist_get_id(std::uint32_t p) override { return log(7, std::to_string(p)), p + 100; }
    bool remove_playlists(const bit_array& mask) override {
        log(8, mask_text(mask, std::uint32_t(names.size())));
        for (std::uint32_t i = std::uint32_t(names.size()); i-- > 0;)
            if (mask.get(i)) names.erase(names.begin() + i);
        return true;
    }
    std::uint32_t create_playlist(const char* name, std::uint32_t length, std::uint32_t index) override {
        const std::string text = length == none ? std::string(name) : std::string(name, length);
        log(9, text + "," + std::to_string(int(index)));
        const std::uint32_t at = std::min<std::uint32_t>(index, std::uint32_t(names.size()));
        names.insert(names.begin() + at, text);
        return at;
    }
    std::uint32_t playlist_get_item_count(std::uint32_t p) override {
        return log(11, std::to_string(p)), p == 0 ? std::uint32_t(items.size()) : 0;
    }
    void playlist_enum_items(std::uint32_t p, enum_items_callback& callback, const bit_array& mask) override {
        log(12, std::to_string(p));
        if (p != 0) return;
        for (std::uint32_t i = 0; i < items.size(); ++i)
            if (mask.get(i) && !callback.on_item(i, service_ptr_t<metadb_handle>(), items[i].selected)) return;
    }
    std::uint32_t playlist_get_focus_item(std::uint32_t p) override { return log(13, std::to_string(p)), focus; }
    bool playlist_get_name(std::uint32_t p, zut::string_base& out) override {
        log(14, std::to_string(p));
        if (p >= names.size() || p >= name_fails_from) return false;
        out = names[p].c_str();
        return true;
    }
    bool playlist_reorder_items(std::uint32_t p, const t_size* order, t_size count) override {
        std::string text;
        for (t_size i = 0; i < count; ++i) text += (i ? "," : "") + std::to_string(order[i]);
        log(15, text);
        if (!reorder_answer || p != 0 || count != items.size()) return false;
        std::vector<item> moved(count);
        for (t_size i = 0; i < count; ++i) moved[i] = items[order[i]];
        items.swap(moved);
        if (focus != none)
            for (t_size i = 0; i < count; ++i)
                if (order[i] == focus) {
                    focus = i;
                    break;
                }
        if (listener) listener->on_items_reordered(order, count);
        return true;
    }
    void playlist_set_selection(std::uint32_t p, const bit_array& affected, const bit_array& state) override {
        const std::uint32_t n = std::uint32_t(items.size());
        log(16, "aff=" + mask_text(affected, n) + ",sel=" + mask_text(state, n));
        if (p != 0) return;
        for (std::uint32_t i = 0; i < n; ++i)
            if (affected.get(i)) items[i].selected = state.get(i);
        if (listener) listener->on_items_selection_change(affected, state);
    }
    bool playlist_remove_items(std::uint32_t p, const bit_array& mask) override {
        const std::uint32_t old_count = std::uint32_t(items.size());
        log(17, mask_text(mask, old_count));
        if (p != 0) return false;
        std::vector<item> kept;
        for (std::uint32_t i = 0; i < old_count; ++i)
            if (!mask.get(i)) kept.push_back(items[i]);
        items.swap(kept);
        if (focus != none && focus >= items.size()) focus = none;
        if (listener) listener->on_items_removed(mask, old_count, std::uint32_t(items.size()));
        return true;
    }
    bool playlist_swap_items(std::uint32_t, t_size a, t_size b) override {
        return log(18, std::to_string(a) + "," + std::to_string(b)), true;
    }
    void playlist_set_focus_item(std::uint32_t p, std::uint32_t item) override {
        log(19, std::to_string(int(item)));
        if (p != 0) return;
        const std::uint32_t old = focus;
        focus = item;
        if (listener && old != item) listener->on_item_focus_change(old, item);
    }
    t_size playlist_insert_items(std::uint32_t p, t_size base, const handle_list_const& data,
                                 const bit_array& selection) override {
        log(20, std::to_string(int(base)) + "," + std::to_string(data.get_count()) + "," +
                    mask_text(selection, data.get_count()));
        if (p != 0) return none;
        const std::uint32_t at = std::min<std::uint32_t>(base, std::uint32_t(items.size()));
        for (t_size i = 0; i < data.get_count(); ++i)
            items.insert(items.begin() + at + i, item{"new " + std::to_string(i), selection.get(i)});
        if (listener) listener->on_items_added(at, data, selection);
        return at;
    }
    t_size playlist_ensure_visible(std::uint32_t, t_size item) override {
        log(21, std::to_string(item));
        if (listener) listener->on_item_ensure_visible(item);
        return item;
    }
    bool playlist_move_item(std::uint32_t, t_size a, t_size b) override {
        return log(22, std::to_string(a) + "," + std::to_string(b)), true;
    }
    std::uint32_t playlist_get_change_count(std::uint32_t) override { return log(23), 5; }
    bool playlist_lock(std::uint32_t) override { return log(24), true; }
    bool playlist_unlock(std::uint32_t) override { return log(25), true; }
    bool playlist_is_locked(std::uint32_t) override { return log(26), true; }
    bool playlist_is_empty(std::uint32_t) override { return log(27), true; }
    void playlist_item_format_title(std::uint32_t p, t_size item, titleformat_hook*, zut::string_base& out,
                                    const service_ptr_t<titleformat_script>&, titleformat_text_filter*,
                                    std::uint32_t level) override {
        log(28, std::to_string(item) + "," + std::to_string(level));
        out = (p == 0 && item < items.size()) ? items[item].title.c_str() : "";
    }
    bool get_playing_item_location(t_size* p, t_size* item) override {
        log(29);
        if (playing == none) return false;
        *p = 0;
        *item = playing;
        return true;
    }
    bool playlist_mark_item(std::uint32_t, t_size, bool) override { return log(30), true; }
    std::uint32_t playlist_get_marked_count(std::uint32_t) override { return log(38), 2; }
    std::uint32_t playback_order_get_count() override { return log(39), 0; }
    const char* playback_order_get_name(std::uint32_t) override { return log(40), ""; }
    std::uint32_t playback_order_get_active() override { return log(42), 0; }
    void playback_order_set_active(std::uint32_t) override { log(43); }
    bool playlist_execute_default_action(std::uint32_t, std::uint32_t item) override {
        return log(56, std::to_string(item)), true;
    }

    std::uint32_t playing = none;  // answer of slot 29

private:
    void log(int slot, const std::string& args = std::string()) {
        calls.push_back(std::to_string(slot) + (args.empty() ? "" : ":" + args));
    }
};
