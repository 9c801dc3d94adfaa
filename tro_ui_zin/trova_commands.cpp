// The player commands of the script table `trova`.
//
// trova.pause([n])
//   1. n (default 2) is truncated toward zero.
//   2. n == 2, the play-or-pause toggle: while playing, pause(not paused); otherwise start playing.
//   3. Any other n: pause(n ~= 0).
// trova.set_order(name)
//   1. The name from the ANSI code page to UTF-8.
//   2. The first order whose name equals it byte for byte becomes the active order.
//   3. No match: nothing happens.
// trova.show_main_menu([name[, p]])
//   1. The name (default "System") is read; the menu shown does not depend on it.
//   2. The screen position: p, else the cursor.
//   3. The host's main-menu manager builds its main menu into a new popup, ids from 1.
//   4. The popup is tracked and destroyed.
//   5. A picked id runs the manager's command id - 1.
//
// Popup menus are owned by an open skin window rather than by the hidden message-only main window:
// a popup owned by a message-only window is not closed by a click elsewhere (seen under Wine).

#include "trova_commands.h"

#include "tro_ui_zin.h"

#include <trovaplay/sdk/contextmenu_manager.h>
#include <trovaplay/sdk/mainmenu.h>
#include <trovaplay/sdk/menu_helpers.h>
#include <trovaplay/sdk/metadb_handle_list.h>
#include <zin_classes/values.h>
#include <zin_window/zin_window.h>
#include <zut/string_conv.h>

#include <debug.h>

#include <windows.h>

#include <cstring>

namespace {

// The host services every command works on. They are taken at start-up, before any script runs;
// a script state without them (a host that has none) gets a clear error instead of a crash.
play_control& player(lua_State* L) {
    if (!g_play_control) luaL_error(L, "no playback control available");
    return *g_play_control;
}

playlist_manager& playlists(lua_State* L) {
    if (!g_pl_oper) luaL_error(L, "no playlist manager available");
    return *g_pl_oper;
}

// The owner of the popup menus: the foreground skin window, else the first open one, else (no
// window open) the main window.
HWND menu_owner() {
    const HWND foreground = GetForegroundWindow();
    if (foreground && find_window(foreground)) return foreground;
    if (g_window_handles.getSize() > 0) return g_window_handles[0].handle;
    return g_hWnd;
}

// The screen position of a menu: the script point at index when given, else the cursor.
POINT menu_position(lua_State* L, int index) {
    POINT position = {0, 0};
    if (lua_isnoneornil(L, index)) {
        GetCursorPos(&position);
    } else {
        const point* p = check_point(L, index);
        position.x = p->x;
        position.y = p->y;
    }
    return position;
}

// The playing track, when there is one, in a list of its own.
bool now_playing_list(lua_State* L, metadb_handle_list_t& out) {
    service_ptr_t<metadb_handle> playing;
    if (!player(L).get_now_playing(playing) || playing.is_empty()) return false;
    out.add_item(playing);
    return true;
}

void report_command_not_found(const char* utf8_name) {
    zut::string8 line;
    line << "!!menu command \"" << utf8_name << "\" not found\n";
    zin_debug_output(line.get_ptr());
}

int trova_show_config(lua_State*) {
    // A host command like run_menu_command's: its dialog may be modal.
    if (!modal_ui_allowed("preferences")) return 0;
    show_preferences();
    return 0;
}

int trova_quit(lua_State*) {
    g_quitting = true;
    PostQuitMessage(0);
    return 0;
}

int trova_prev(lua_State* L) {
    play_control_start(player(L), play_control::track_command_prev, false);
    return 0;
}

int trova_play(lua_State* L) {
    play_control_start(player(L), play_control::track_command_play, false);
    return 0;
}

int trova_pause(lua_State* L) {
    // 1.
    const int32_t n = lua_class::to_int32(luaL_optnumber(L, 1, 2));
    play_control& pc = player(L);
    if (n == 2) {
        // 2.
        play_control_play_or_pause(pc);
    } else {
        // 3.
        pc.pause(n != 0);
    }
    return 0;
}

int trova_stop(lua_State* L) {
    play_control_stop(player(L));
    return 0;
}

int trova_next(lua_State* L) {
    player(L).start(play_control::track_command_next, false);
    return 0;
}

int trova_seek(lua_State* L) {
    const lua_Number seconds = luaL_checknumber(L, 1);
    play_control& pc = player(L);
    if (pc.playback_can_seek()) pc.playback_seek(seconds);
    return 0;
}

int trova_time_elapsed(lua_State* L) {
    lua_pushnumber(L, player(L).playback_get_position());
    return 1;
}

int trova_title_playtime(lua_State* L) {
    lua_pushnumber(L, play_control_get_length(player(L)));
    return 1;
}

int trova_set_volume(lua_State* L) {
    const lua_Number volume = luaL_checknumber(L, 1);
    player(L).set_volume(static_cast<float>(volume));
    return 0;
}

int trova_get_volume(lua_State* L) {
    lua_pushnumber(L, player(L).get_volume());
    return 1;
}

int trova_set_order(lua_State* L) {
    // 1.
    const zut::utf8_from_codepage name(luaL_checkstring(L, 1));
    playlist_manager& pm = playlists(L);
    // 2.
    const uint32_t count = pm.playback_order_get_count();
    for (uint32_t i = 0; i < count; ++i) {
        const char* order = pm.playback_order_get_name(i);
        if (order && strcmp(order, name.get_ptr()) == 0) {
            pm.playback_order_set_active(i);
            return 0;
        }
    }
    // 3.
    return 0;
}

// An order name for the script: ANSI code page text; a name the host does not have reads as "".
void push_order_name(lua_State* L, const char* utf8_name) {
    const zut::codepage_from_utf8 name(utf8_name ? utf8_name : "");
    lua_pushstring(L, name.get_ptr());
}

int trova_get_order(lua_State* L) {
    playlist_manager& pm = playlists(L);
    push_order_name(L, pm.playback_order_get_name(pm.playback_order_get_active()));
    return 1;
}

int trova_is_playing(lua_State* L) {
    play_control& pc = player(L);
    int state = 0;
    if (pc.is_playing()) state = pc.is_paused() ? 2 : 1;
    lua_pushnumber(L, state);
    return 1;
}

int trova_get_orders(lua_State* L) {
    playlist_manager& pm = playlists(L);
    lua_newtable(L);
    // Stack: [..., orders]
    const uint32_t count = pm.playback_order_get_count();
    for (uint32_t i = 0; i < count; ++i) {
        // The keys run from 0, as skins expect.
        lua_pushnumber(L, i);
        push_order_name(L, pm.playback_order_get_name(i));
        // Stack: [..., orders, i, name]
        lua_rawset(L, -3);
        // Stack: [..., orders]
    }
    return 1;
}

int trova_run_menu_command(lua_State* L) {
    if (!modal_ui_allowed("menu command")) return 0;
    const zut::utf8_from_codepage name(luaL_checkstring(L, 1));
    GUID command;
    if (mainmenu_find_command_by_name(name.get_ptr(), command))
        mainmenu_run_command(command, service_ptr_t<service_base>());
    else
        report_command_not_found(name.get_ptr());
    return 0;
}

int trova_run_context_command(lua_State* L) {
    if (!modal_ui_allowed("context menu command")) return 0;
    const zut::utf8_from_codepage name(luaL_checkstring(L, 1));
    service_ptr_t<contextmenu_item> service;
    std::uint32_t index = 0;
    if (!menu_helpers::find_command_by_name(name.get_ptr(), ~t_size(0), service, index)) {
        report_command_not_found(name.get_ptr());
        return 0;
    }
    // Found: the item that matched (items may share a GUID) runs on the playing track, or not at all.
    metadb_handle_list_t tracks;
    if (now_playing_list(L, tracks))
        service->item_execute_simple(index, contextmenu_callers::none, tracks, contextmenu_callers::now_playing);
    return 0;
}

int trova_show_main_menu(lua_State* L) {
    if (!modal_ui_allowed("main menu")) return 0;
    // 1.
    (void)luaL_optstring(L, 1, "System");
    // 2.
    const POINT position = menu_position(L, 2);
    // 3.
    menu_handle menu(CreatePopupMenu());
    if (menu.get() == nullptr) return 0;
    single_service_ptr_t<mainmenu_manager> manager;
    manager->instantiate(mainmenu_manager::group_main);
    manager->generate_menu_win32(menu.get(), 1, ~std::uint32_t(0), 0);
    // 4.
    const int id = TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_RETURNCMD, position.x,
                                  position.y, 0, menu_owner(), nullptr);
    menu.destroy();
    // 5.
    if (id >= 1) manager->execute_command(static_cast<std::uint32_t>(id - 1), service_ptr_t<service_base>());
    return 0;
}

int trova_show_context_menu(lua_State* L) {
    if (!modal_ui_allowed("context menu")) return 0;
    const POINT position = menu_position(L, 1);
    metadb_handle_list_t tracks;
    if (now_playing_list(L, tracks)) contextmenu_run_on_items(menu_owner(), tracks, &position, 0);
    return 0;
}

const luaL_Reg kCommands[] = {
    {"show_config", &trova_show_config},
    {"quit", &trova_quit},
    {"prev", &trova_prev},
    {"play", &trova_play},
    {"pause", &trova_pause},
    {"stop", &trova_stop},
    {"next", &trova_next},
    {"seek", &trova_seek},
    {"time_elapsed", &trova_time_elapsed},
    {"title_playtime", &trova_title_playtime},
    {"set_volume", &trova_set_volume},
    {"get_volume", &trova_get_volume},
    {"set_order", &trova_set_order},
    {"get_order", &trova_get_order},
    {"is_playing", &trova_is_playing},
    {"run_menu_command", &trova_run_menu_command},
    {"run_context_command", &trova_run_context_command},
    {"show_main_menu", &trova_show_main_menu},
    {"show_context_menu", &trova_show_context_menu},
    {"get_orders", &trova_get_orders},
};

}  // namespace

lua_class::method_table trova_commands::get_methods() {
    return {kCommands, static_cast<int>(sizeof kCommands / sizeof kCommands[0])};
}

void register_trova_commands(lua_State* L) { lua_class::binding<trova_commands>::register_type(L); }
