#pragma once
// The reference host's services for the benchmarks that run the engine without the host's window:
// title formatting, playlists and a player that stands still.

#include "bench_engine.h"

#include <lua_class/lua_load.h>
#include <playlist_format.h>
#include <tro_ui_zin.h>
#include <zin_config/zin_config.h>
#include <zin_window/zin_window.h>

#include <host_window.h>
#include <player.h>
#include <registry.h>
#include <trovaplay/sdk/client.h>

#include <cstdio>
#include <string>

namespace bench {

// Registers the services, announces them to the component and sets g_play_control and g_pl_oper.
// Also makes the host's main window, hidden and top-level as the reference host makes it: the
// engine runs in a process that has one (under wine the first window shown by a process without
// another top-level window costs about 2 ms more, which a benchmark without it would count).
inline void open_reference_host_services() {
    static HWND host_main_window = host::create_host_window(L"bench_host_main", &DefWindowProcW, nullptr, nullptr);
    (void)host_main_window;
    static host::service_registry registry;
    static host::player player;
    player.register_services(registry);
    trovaplay_get_interface(&registry, nullptr)->services_init(true);
    g_play_control = static_cast<play_control*>(registry.get(play_control::class_guid, 0));
    g_pl_oper = static_cast<playlist_manager*>(registry.get(playlist_manager::class_guid, 0));
}

// Message boxes would wait for a person: print them instead.
inline int print_box(const wchar_t* text, const wchar_t*, unsigned) {
    std::printf("message box: %ls\n", text);
    return IDCANCEL;
}

// A file of the source tree, as a Windows path of the drive that shows the Unix root.
inline std::wstring source_path(const char* relative) {
    std::wstring path = L"Z:";
    for (const char* p = ZIN_SOURCE_DIR; *p; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    path += L'\\';
    for (const char* p = relative; *p; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    return path;
}

// The engine as start-up leaves it before the skin runs, without the host's window: a profile
// folder <temp>\<name>_<process id> (made, and returned), the reference host's services, message
// boxes printed, the default skin's path, the window class, the main window and the skin's section.
inline std::string open_host_less_engine(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string profile = std::string(temp) + name + "_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(profile.c_str(), nullptr);
    static std::string s_profile;
    s_profile = profile;
    g_profile_dir = s_profile.c_str();
    open_reference_host_services();
    skin_load::set_message_box(&print_box);
    set_skin_path(source_path("skins/default/skin.lua").c_str());
    register_window_class(&pass_everything);
    create_main_window(&main_window_proc);
    unload_skin();  // the main window came with a tray manager; a load makes its own
    select_skin_section();
    return profile;
}

// Removes the profile folder of open_host_less_engine with the configuration file in it.
inline void remove_profile(const std::string& profile) {
    DeleteFileA((profile + "\\tro_ui_zin.cfg").c_str());
    RemoveDirectoryA(profile.c_str());
}

// Gives back what the engine holds of the services before the host's objects end with the program
// (the playlist rows' compiled format would otherwise be released into a host already gone).
inline void close_reference_host_services() {
    g_playlist_format.release();
    g_play_control = nullptr;
    g_pl_oper = nullptr;
}

}  // namespace bench
