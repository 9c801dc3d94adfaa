#include "player.h"

#include <trovaplay/sdk/play_control.h>
#include <trovaplay/sdk/playlist_manager.h>
#include <trovaplay/sdk/titleformat_config.h>

#include "location_filter.h"
#include "log.h"
#include "play_control.h"
#include "playback_engine.h"
#include "playlist_manager.h"
#include "text.h"
#include "titleformat_compiler.h"
#include "titleformat_config.h"
#include "tracks.h"

namespace host {

player::player() {}

player::~player() {
    release();
    m_engine.reset();  // after the services: nothing calls into it any more
}

void player::register_services(service_registry& registry) {
    if (m_engine) return;
    m_playlists = playlist_manager_impl::make();
    m_engine.reset(new playback_engine(registry, *m_playlists));
    m_playlists->set_engine(m_engine.get());
    m_control = play_control_impl::make(*m_engine);
    m_row_format = make_playlist_row_format();
    m_playlists->set_registry(&registry);
    m_playlists->set_row_format(m_row_format);
    registry.add(playlist_manager::class_guid, m_playlists, false);
    registry.add(play_control::class_guid, m_control, false);
    registry.add(titleformat_config::class_guid, m_row_format, false);
    // The compiler and the version record hold nothing: the registry's reference is their only one.
    titleformat_compiler_impl* compiler = titleformat_compiler_impl::make();
    registry.add(titleformat_compiler::class_guid, compiler, false);
    compiler->service_release();
    core_version_info_impl* version = core_version_info_impl::make();
    registry.add(core_version_info::class_guid, version, false);
    version->service_release();
    location_filter_impl* filter = location_filter_impl::make();
    registry.add(location_filter::class_guid, filter, false);
    filter->service_release();
    if (!m_engine->create_timer_window()) log_host("ERROR : cannot make the playback timer window; time will not run");
}

void player::add_items(const std::vector<std::wstring>& items) {
    if (m_playlists == nullptr) return;
    std::vector<track*> made;
    for (const std::wstring& item : items) make_tracks(item, made);
    if (made.empty()) return;
    const std::uint32_t active = m_playlists->get_active_playlist();
    m_playlists->add_items(active, made);
    for (track* t : made) t->service_release();  // the playlist holds them now
    log_host("playlist: " + std::to_string(m_playlists->playlist_get_item_count(active)) + " tracks");
}

void player::play() {
    if (m_engine) m_engine->start(play_control::track_command_play, false);
}

void player::stop_for_exit() {
    if (m_engine) m_engine->shutdown();
}

void player::release() {
    if (m_engine) m_engine->shutdown();
    if (m_playlists) {
        m_playlists->set_engine(nullptr);
        m_playlists->set_registry(nullptr);
        m_playlists->set_row_format(nullptr);
        m_playlists->clear_all();
        m_playlists->service_release();
        m_playlists = nullptr;
    }
    if (m_control) {
        m_control->service_release();
        m_control = nullptr;
    }
    if (m_row_format) {
        m_row_format->service_release();
        m_row_format = nullptr;
    }
}

}  // namespace host
