#pragma once
// The script global `trova`: the skin's remote control of the host player. A class without
// constructor: a plain table of traced functions, called as trova.play().
//
//   trova.show_config()           the host's preferences (its main-menu command)
//   trova.quit()                  quit flag set, quit message posted
//   trova.prev() / play() / next() / stop()
//   trova.pause([n = 2])          2: play-or-pause toggle; otherwise pause(n ~= 0)
//   trova.seek(seconds)           only when the playing track can seek
//   trova.time_elapsed()          -> position in seconds
//   trova.title_playtime()        -> length of the playing track in seconds, 0 when none plays
//   trova.set_volume(v) / trova.get_volume() -> v
//   trova.set_order(name) / trova.get_order() -> name   (ANSI code page text)
//   trova.is_playing()            -> 0 stopped, 1 playing, 2 paused
//   trova.run_menu_command(name)  the host's main-menu command of that name (case ignored)
//   trova.run_context_command(name)  the context-menu command of that name on the playing track
//   trova.show_main_menu([name[, point]])  the host's main menu at the point (default: the cursor)
//   trova.show_context_menu([point])       the context menu of the playing track
//   trova.get_orders()            -> table of order names under the keys 0 .. count - 1
//
// Every function works on g_play_control and g_pl_oper; without them it raises a script error.
// Names that match no command write "!!menu command "<name>" not found" to the debug output.

#include <lua_class/lua_class.h>

struct trova_commands {
    static const char* get_name() { return "trova"; }
    static lua_class::method_table get_methods();
    static constexpr bool lua_has_new = false;
};

// Registers the table `trova` (the start-up calls this in its place of the fixed order).
void register_trova_commands(lua_State* L);
