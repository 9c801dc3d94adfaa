// The reference host's main-menu commands and main-menu manager.
#include <string>
#include <vector>

#include <trovaplay/sdk/mainmenu.h>
#include <trovaplay/sdk/play_control.h>
#include <trovaplay/shared/shared.h>
#include <zut/string.h>

#include "host_object.h"
#include "log.h"
#include "menus.h"
#include "playlist_manager.h"  // HOST_NOT_IMPLEMENTED
#include "preferences_window.h"

namespace host {

namespace {

struct command_def {
    GUID guid;
    const char* name;
    void (*run)(service_registry& registry);
};

// Runs `action` on the host's playback control.
template <typename F>
void with_player(service_registry& registry, F action) {
    const service_ptr_t<play_control> player = registry.first_of<play_control>();
    if (player.is_valid()) action(*player.get_ptr());
}

const command_def kPlayback[] = {
    {{0x5B1F0C61, 0x2E7A, 0x4C1B, {0x9E, 0x31, 0x0A, 0x52, 0x6D, 0x11, 0x83, 0x01}}, "Play",
     [](service_registry& r) { with_player(r, [](play_control& p) { p.start(play_control::track_command_play, false); }); }},
    {{0x5B1F0C61, 0x2E7A, 0x4C1B, {0x9E, 0x31, 0x0A, 0x52, 0x6D, 0x11, 0x83, 0x02}}, "Pause",
     [](service_registry& r) { with_player(r, [](play_control& p) { play_control_toggle_pause(p); }); }},
    {{0x5B1F0C61, 0x2E7A, 0x4C1B, {0x9E, 0x31, 0x0A, 0x52, 0x6D, 0x11, 0x83, 0x03}}, "Stop",
     [](service_registry& r) { with_player(r, [](play_control& p) { p.stop(); }); }},
    {{0x5B1F0C61, 0x2E7A, 0x4C1B, {0x9E, 0x31, 0x0A, 0x52, 0x6D, 0x11, 0x83, 0x04}}, "Next",
     [](service_registry& r) { with_player(r, [](play_control& p) { p.start(play_control::track_command_next, false); }); }},
    {{0x5B1F0C61, 0x2E7A, 0x4C1B, {0x9E, 0x31, 0x0A, 0x52, 0x6D, 0x11, 0x83, 0x05}}, "Previous",
     [](service_registry& r) { with_player(r, [](play_control& p) { p.start(play_control::track_command_prev, false); }); }},
};

const command_def kFile[] = {
    {mainmenu_commands::guid_preferences, "Preferences", &open_preferences},
    {{0x5B1F0C61, 0x2E7A, 0x4C1B, {0x9E, 0x31, 0x0A, 0x52, 0x6D, 0x11, 0x83, 0x06}}, "Exit",
     [](service_registry&) { PostQuitMessage(0); }},
};

const command_def kHelp[] = {
    {{0x5B1F0C61, 0x2E7A, 0x4C1B, {0x9E, 0x31, 0x0A, 0x52, 0x6D, 0x11, 0x83, 0x07}}, "About",
     [](service_registry&) { log_host("about: trovaplay reference host"); }},
};

// A later service with a command of the same name: found by name only when the first is gone.
const command_def kHelpAgain[] = {
    {{0x5B1F0C61, 0x2E7A, 0x4C1B, {0x9E, 0x31, 0x0A, 0x52, 0x6D, 0x11, 0x83, 0x08}}, "About",
     [](service_registry&) { log_host("about: the second service"); }},
};

class command_group final : public host_object<mainmenu_commands> {
public:
    template <size_t N>
    static command_group* make(service_registry& registry, const command_def (&defs)[N]) {
        return new command_group(registry, defs, N);
    }

    std::uint32_t get_command_count() override { return m_count; }
    GUID* get_command(GUID* p_out, std::uint32_t p_index) override {
        *p_out = p_index < m_count ? m_defs[p_index].guid : GUID{};
        return p_out;
    }
    void get_name(std::uint32_t p_index, zut::string_base& p_out) override {
        p_out = p_index < m_count ? m_defs[p_index].name : "";
    }
    void execute(std::uint32_t p_index, service_base* p_callback) override {
        service_ptr_t<service_base> callback;
        callback.attach(p_callback);
        if (p_index >= m_count) return;
        log_host(std::string("menu command: ") + m_defs[p_index].name);
        m_defs[p_index].run(m_registry);
    }

    HOST_NOT_IMPLEMENTED("mainmenu_commands", 6)
    HOST_NOT_IMPLEMENTED("mainmenu_commands", 7)
    HOST_NOT_IMPLEMENTED("mainmenu_commands", 8)
    HOST_NOT_IMPLEMENTED("mainmenu_commands", 9)

private:
    command_group(service_registry& registry, const command_def* defs, size_t count)
        : m_registry(registry), m_defs(defs), m_count(std::uint32_t(count)) {}
    void destroy() override { delete this; }

    service_registry& m_registry;
    const command_def* m_defs;
    std::uint32_t m_count;
};

// The main-menu manager: every command of every service, in the registry's order.
class menu_manager final : public host_object<mainmenu_manager> {
public:
    static service_base* make(service_registry& registry) { return new menu_manager(registry); }

    void instantiate(const GUID& p_group) override {
        clear();
        if (!zut::guid_equal(p_group, mainmenu_manager::group_main)) return;
        for (std::uint32_t s = 0;; ++s) {
            service_base* base = m_registry.get(mainmenu_commands::class_guid, s);
            if (base == nullptr) break;
            mainmenu_commands* service = static_cast<mainmenu_commands*>(base);
            const std::uint32_t count = service->get_command_count();
            for (std::uint32_t i = 0; i < count; ++i) {
                service->service_add_ref();
                m_entries.push_back(entry{service, i, i == 0 && s > 0});
            }
            service->service_release();
        }
    }
    void generate_menu_win32(HMENU p_menu, std::uint32_t p_first_id, std::uint32_t p_last_id,
                             std::uint32_t) override {
        zut::string8 name;
        for (std::uint32_t k = 0; k < m_entries.size(); ++k) {
            const std::uint32_t id = p_first_id + k;
            if (id < p_first_id || id > p_last_id) break;
            if (m_entries[k].separator_before) uAppendMenu(p_menu, MF_SEPARATOR, 0, nullptr);
            m_entries[k].service->get_name(m_entries[k].index, name);
            uAppendMenu(p_menu, MF_STRING, id, name);
        }
    }
    bool execute_command(std::uint32_t p_id, service_base* p_callback) override {
        service_ptr_t<service_base> callback;
        callback.attach(p_callback);
        if (p_id >= m_entries.size()) return false;
        m_entries[p_id].service->execute(m_entries[p_id].index, callback);
        return true;
    }

private:
    struct entry {
        mainmenu_commands* service;  // one reference held
        std::uint32_t index;
        bool separator_before;
    };
    explicit menu_manager(service_registry& registry) : m_registry(registry) {}
    ~menu_manager() { clear(); }
    void destroy() override { delete this; }
    void clear() {
        for (const entry& e : m_entries) e.service->service_release();
        m_entries.clear();
    }

    service_registry& m_registry;
    std::vector<entry> m_entries;
};

template <size_t N>
void add_group(service_registry& registry, const command_def (&defs)[N]) {
    command_group* group = command_group::make(registry, defs);
    registry.add(mainmenu_commands::class_guid, group, false);
    group->service_release();
}

}  // namespace

void register_mainmenu_services(service_registry& registry) {
    add_group(registry, kPlayback);
    add_group(registry, kFile);
    add_group(registry, kHelp);
    add_group(registry, kHelpAgain);
    registry.add_maker(mainmenu_manager::class_guid, &menu_manager::make);
}

bool run_main_command(service_registry& registry, const GUID& command) {
    return run_first_item(
        registry, &mainmenu_commands::get_command_count,
        [&](mainmenu_commands& s, std::uint32_t i) { return zut::guid_equal(s.get_command(i), command); },
        [](mainmenu_commands& s, std::uint32_t i) { s.execute(i, service_ptr_t<service_base>()); });
}

}  // namespace host
