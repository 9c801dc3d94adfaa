// The reference host's keyboard shortcuts.
#include <cstdio>

#include <trovaplay/sdk/contextmenu_item.h>
#include <trovaplay/sdk/keyboard_shortcut_manager.h>
#include <trovaplay/sdk/mainmenu.h>
#include <trovaplay/sdk/metadb_handle_list.h>
#include <trovaplay/sdk/play_control.h>

#include "host_object.h"
#include "log.h"
#include "menus.h"

namespace host {

namespace {

constexpr GUID kShowLocation = {0x7C2E9A40, 0x5D13, 0x4F6B, {0x8A, 0x27, 0x3B, 0x90, 0x1E, 0x44, 0xC6, 0x01}};
GUID playback_command(unsigned char n) {
    return {0x5B1F0C61, 0x2E7A, 0x4C1B, {0x9E, 0x31, 0x0A, 0x52, 0x6D, 0x11, 0x83, n}};
}

struct shortcut {
    std::uint32_t type;
    std::uint32_t key;
    bool context;  // a context-menu command (on the tracks), else a main-menu command
    GUID command;
};

const std::uint32_t kCtrl = keyboard_shortcut_manager::key_ctrl;
const std::uint32_t kShift = keyboard_shortcut_manager::key_shift;

const shortcut kShortcuts[] = {
    {keyboard_shortcut_manager::type_main, 'Z', false, playback_command(5)},
    {keyboard_shortcut_manager::type_main, 'X', false, playback_command(1)},
    {keyboard_shortcut_manager::type_main, 'C', false, playback_command(2)},
    {keyboard_shortcut_manager::type_main, 'V', false, playback_command(3)},
    {keyboard_shortcut_manager::type_main, 'B', false, playback_command(4)},
    {keyboard_shortcut_manager::type_main, kCtrl | 'P', false, mainmenu_commands::guid_preferences},
    {keyboard_shortcut_manager::type_playlist, kCtrl | 'L', true, kShowLocation},
    {keyboard_shortcut_manager::type_context_now_playing, kCtrl | kShift | 'L', true, kShowLocation},
};

class shortcut_manager final : public host_object<keyboard_shortcut_manager> {
public:
    static shortcut_manager* make(service_registry& registry) { return new shortcut_manager(registry); }

    bool process_keydown(std::uint32_t p_type, const handle_list_const& p_data, std::uint32_t p_key) override {
        return process_keydown_ex(p_type, p_data, p_key, contextmenu_callers::none);
    }
    bool process_keydown_ex(std::uint32_t p_type, const handle_list_const& p_data, std::uint32_t p_key,
                            const GUID& p_caller) override {
        for (const shortcut& s : kShortcuts) {
            if (s.type != p_type || s.key != p_key) continue;
            char line[64];
            std::snprintf(line, sizeof line, "shortcut: type %u key 0x%X", unsigned(p_type), unsigned(p_key));
            log_host(line);
            if (!s.context) return run_main_command(m_registry, s.command);
            if (p_type != keyboard_shortcut_manager::type_context_now_playing)
                return run_context_command(m_registry, s.command, p_data, p_caller);
            // The playing track, when there is one.
            metadb_handle_list_t playing;
            const service_ptr_t<play_control> player = m_registry.first_of<play_control>();
            service_ptr_t<metadb_handle> track;
            if (player.is_valid() && player->get_now_playing(track) && track.is_valid()) playing.add_item(track);
            return run_context_command(m_registry, s.command, playing, contextmenu_callers::now_playing);
        }
        return false;
    }

private:
    explicit shortcut_manager(service_registry& registry) : m_registry(registry) {}
    void destroy() override { delete this; }

    service_registry& m_registry;
};

}  // namespace

void register_shortcut_service(service_registry& registry) {
    shortcut_manager* manager = shortcut_manager::make(registry);
    registry.add(keyboard_shortcut_manager::class_guid, manager, false);
    manager->service_release();
}

}  // namespace host
