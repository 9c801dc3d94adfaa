// The reference host's context-menu commands on tracks and its context-menu manager.
#include <string>
#include <vector>

#include <trovaplay/sdk/contextmenu_item.h>
#include <trovaplay/sdk/contextmenu_manager.h>
#include <trovaplay/sdk/metadb_handle_list.h>
#include <trovaplay/sdk/playable_location.h>
#include <zut/string.h>

#include "host_object.h"
#include "log.h"
#include "menus.h"
#include "playlist_manager.h"  // HOST_NOT_IMPLEMENTED

namespace host {

namespace {

struct item_def {
    GUID guid;
    const char* name;
    const char* path;  // the default menu path ("" for the top level)
    const char* description;
    void (*run)(service_registry& registry, const handle_list_const& tracks);
};

std::string location_list(const handle_list_const& tracks) {
    std::string out;
    for (t_size i = 0; i < tracks.get_count(); ++i) {
        const service_ptr_t<metadb_handle> track = tracks.get_item(i);
        if (track.is_empty()) continue;
        if (!out.empty()) out += "; ";
        out += track->get_location().get_path();
    }
    return out;
}

const item_def kTrackItems[] = {
    {{0x7C2E9A40, 0x5D13, 0x4F6B, {0x8A, 0x27, 0x3B, 0x90, 0x1E, 0x44, 0xC6, 0x01}}, "Show location", "",
     "Writes the tracks' locations to the log",
     [](service_registry&, const handle_list_const& tracks) {
         log_host("context command: Show location: " + location_list(tracks));
     }},
    {{0x7C2E9A40, 0x5D13, 0x4F6B, {0x8A, 0x27, 0x3B, 0x90, 0x1E, 0x44, 0xC6, 0x02}}, "Remove from playlist", "",
     "Removes the tracks from every playlist",
     [](service_registry& registry, const handle_list_const& tracks) {
         log_host("context command: Remove from playlist: " + std::to_string(tracks.get_count()) + " tracks");
         const service_ptr_t<playlist_manager> playlists = registry.first_of<playlist_manager>();
         if (playlists.is_valid()) playlists->remove_items_from_all_playlists(tracks);
     }},
};

const item_def kUtilityItems[] = {
    {{0x7C2E9A40, 0x5D13, 0x4F6B, {0x8A, 0x27, 0x3B, 0x90, 0x1E, 0x44, 0xC6, 0x03}}, "Count & length", "Utilities",
     "Writes the number of tracks and their total length to the log",
     [](service_registry&, const handle_list_const& tracks) {
         double total = 0;
         for (t_size i = 0; i < tracks.get_count(); ++i) {
             const service_ptr_t<metadb_handle> track = tracks.get_item(i);
             if (track.is_valid()) total += track->get_length();
         }
         log_host("context command: Count & length: " + std::to_string(tracks.get_count()) + " tracks, " +
                  std::to_string(int(total)) + " s");
     }},
};

// The tree of one command: the command alone.
class item_node final : public contextmenu_item_node {
public:
    explicit item_node(const item_def& def) : m_def(def) {}
    bool get_display_data(zut::string_base& p_out, std::uint32_t& p_display_flags, const handle_list_const&,
                          const GUID&) override {
        p_out = m_def.name;
        p_display_flags = 0;
        return true;
    }
    std::uint32_t get_type() override { return 1; }
    t_size get_children_count() override { return 0; }
    contextmenu_item_node* get_child(t_size) override { return nullptr; }
    void get_guid(GUID& p_out) override { p_out = m_def.guid; }
    void destroy(std::uint32_t p_flags) override {
        if (p_flags & 1) delete this;
    }

private:
    const item_def& m_def;
};

class item_group final : public host_object<contextmenu_item> {
public:
    template <size_t N>
    static item_group* make(service_registry& registry, const item_def (&defs)[N]) {
        return new item_group(registry, defs, N);
    }

    std::uint32_t get_num_items() override { return m_count; }
    contextmenu_item_node* instantiate_item(std::uint32_t p_index, const handle_list_const&, const GUID&) override {
        return p_index < m_count ? new item_node(m_defs[p_index]) : nullptr;
    }
    GUID* get_item_guid(GUID* p_out, std::uint32_t p_index) override {
        *p_out = p_index < m_count ? m_defs[p_index].guid : GUID{};
        return p_out;
    }
    void get_item_name(std::uint32_t p_index, zut::string_base& p_out) override {
        p_out = p_index < m_count ? m_defs[p_index].name : "";
    }
    void get_item_default_path(std::uint32_t p_index, zut::string_base& p_out) override {
        p_out = p_index < m_count ? m_defs[p_index].path : "";
    }
    bool get_item_description(std::uint32_t p_index, zut::string_base& p_out) override {
        if (p_index >= m_count) return false;
        p_out = m_defs[p_index].description;
        return true;
    }
    void item_execute_simple(std::uint32_t p_index, const GUID&, const handle_list_const& p_data,
                             const GUID&) override {
        if (p_index < m_count) m_defs[p_index].run(m_registry, p_data);
    }

    HOST_NOT_IMPLEMENTED("contextmenu_item", 9)

private:
    item_group(service_registry& registry, const item_def* defs, size_t count)
        : m_registry(registry), m_defs(defs), m_count(std::uint32_t(count)) {}
    void destroy() override { delete this; }

    service_registry& m_registry;
    const item_def* m_defs;
    std::uint32_t m_count;
};

// A node of the manager's tree.
class menu_node final : public contextmenu_node {
public:
    std::uint32_t get_type() override { return type; }
    const char* get_name() override { return name.c_str(); }
    t_size get_num_children() override { return t_size(children.size()); }
    contextmenu_node* get_child(t_size p_index) override {
        return p_index < children.size() ? children[p_index] : nullptr;
    }
    std::uint32_t get_display_flags() override { return flags; }
    std::int32_t get_id() override { return id; }
    void execute() override;

    std::uint32_t type = type_popup;
    std::string name;
    std::uint32_t flags = 0;
    std::int32_t id = -1;
    std::vector<menu_node*> children;  // owned by the manager
    contextmenu_item* item = nullptr;  // a command's service (the manager holds the reference)
    std::uint32_t index = 0;
    class menu_tree* tree = nullptr;
};

// The context-menu manager: a fresh tree of every command for the tracks it was given.
class menu_tree final : public host_object<contextmenu_manager> {
public:
    static service_base* make(service_registry& registry) { return new menu_tree(registry); }

    void init_context(const handle_list_const& p_data, std::uint32_t) override {
        m_tracks = metadb_handle_list_t();
        for (t_size i = 0; i < p_data.get_count(); ++i) m_tracks.add_item(p_data.get_item(i));
        m_caller = contextmenu_callers::none;
        build();
    }
    void init_context_playlist(std::uint32_t) override {
        m_tracks = metadb_handle_list_t();
        const service_ptr_t<playlist_manager> playlists = m_registry.first_of<playlist_manager>();
        if (playlists.is_valid()) playlists->activeplaylist_get_selected_items(m_tracks);
        m_caller = contextmenu_callers::active_playlist_selection;
        build();
    }
    contextmenu_node* get_root() override { return m_nodes.empty() ? nullptr : m_nodes[0]; }
    contextmenu_node* find_by_id(std::uint32_t p_id) override {
        for (menu_node* n : m_nodes)
            if (n->type == contextmenu_node::type_command && n->id == std::int32_t(p_id)) return n;
        return nullptr;
    }

    void run(menu_node& node) { node.item->item_execute_simple(node.index, contextmenu_callers::none, m_tracks, m_caller); }

private:
    explicit menu_tree(service_registry& registry) : m_registry(registry) {}
    ~menu_tree() { clear(); }
    void destroy() override { delete this; }

    menu_node* add_node(menu_node* parent) {
        m_nodes.push_back(new menu_node());
        m_nodes.back()->tree = this;
        if (parent) parent->children.push_back(m_nodes.back());
        return m_nodes.back();
    }
    void clear() {
        for (menu_node* n : m_nodes) delete n;
        m_nodes.clear();
        for (contextmenu_item* s : m_services) s->service_release();
        m_services.clear();
    }
    void build() {
        clear();
        menu_node* root = add_node(nullptr);
        std::int32_t next_id = 0;
        zut::string8 path, name;
        for (std::uint32_t s = 0;; ++s) {
            service_base* base = m_registry.get(contextmenu_item::class_guid, s);
            if (base == nullptr) break;
            contextmenu_item* service = static_cast<contextmenu_item*>(base);
            m_services.push_back(service);  // the reference the registry gave
            const std::uint32_t count = service->get_num_items();
            if (count > 0 && !root->children.empty()) add_node(root)->type = contextmenu_node::type_separator;
            for (std::uint32_t i = 0; i < count; ++i) {
                service->get_item_default_path(i, path);
                menu_node* parent = root;
                if (!path.is_empty()) parent = popup_named(root, path.get_ptr());
                menu_node* command = add_node(parent);
                service->get_item_name(i, name);
                command->type = contextmenu_node::type_command;
                command->name = name.get_ptr();
                command->id = next_id++;
                command->flags = m_tracks.get_count() == 0 ? std::uint32_t(contextmenu_node::flag_grayed) : 0u;
                command->item = service;
                command->index = i;
            }
        }
    }
    menu_node* popup_named(menu_node* parent, const char* name) {
        for (menu_node* n : parent->children)
            if (n->type == contextmenu_node::type_popup && n->name == name) return n;
        menu_node* popup = add_node(parent);
        popup->name = name;
        return popup;
    }

    service_registry& m_registry;
    metadb_handle_list_t m_tracks;
    GUID m_caller = contextmenu_callers::none;
    std::vector<menu_node*> m_nodes;  // m_nodes[0] is the root
    std::vector<contextmenu_item*> m_services;
};

void menu_node::execute() {
    if (type == type_command && item && tree) {
        log_host("context menu: " + name);
        tree->run(*this);
    }
}

template <size_t N>
void add_items(service_registry& registry, const item_def (&defs)[N]) {
    item_group* group = item_group::make(registry, defs);
    registry.add(contextmenu_item::class_guid, group, false);
    group->service_release();
}

}  // namespace

void register_contextmenu_services(service_registry& registry) {
    add_items(registry, kTrackItems);
    add_items(registry, kUtilityItems);
    registry.add_maker(contextmenu_manager::class_guid, &menu_tree::make);
}

bool run_context_command(service_registry& registry, const GUID& command, const handle_list_const& tracks,
                         const GUID& caller) {
    return run_first_item(
        registry, &contextmenu_item::get_num_items,
        [&](contextmenu_item& s, std::uint32_t i) { return zut::guid_equal(s.get_item_guid(i), command); },
        [&](contextmenu_item& s, std::uint32_t i) {
            s.item_execute_simple(i, contextmenu_callers::none, tracks, caller);
        });
}

void register_menu_services(service_registry& registry) {
    register_mainmenu_services(registry);
    register_contextmenu_services(registry);
    register_shortcut_service(registry);
}

}  // namespace host
