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

#include "trova_commands.h"

#include "tro_ui_zin.h"

#include <zut/string_conv.h>

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

const luaL_Reg kCommands[] = {
    {"quit", &trova_quit},
    {"prev", &trova_prev},
    {"play", &trova_play},
    {"pause", &trova_pause},
    {"stop", &trova_stop},
    {"next", &trova_next},
    {"seek", &trova_seek},
    {"time_elapsed", &trova_time_elapsed},
    {"set_volume", &trova_set_volume},
    {"get_volume", &trova_get_volume},
    {"set_order", &trova_set_order},
    {"get_order", &trova_get_order},
    {"is_playing", &trova_is_playing},
    {"get_orders", &trova_get_orders},
};

}  // namespace

lua_class::method_table trova_commands::get_methods() {
    return {kCommands, static_cast<int>(sizeof kCommands / sizeof kCommands[0])};
}

void register_trova_commands(lua_State* L) { lua_class::binding<trova_commands>::register_type(L); }
