// Creating the skin's Lua state and loading the skin script.
//
// load_lua
//   1. Write "loading lua" to the debug output.
//   2. Create the state (a debug check reports a failure).
//   3. Open math, string, base (print goes to the host console), table, in this order.
//   4. Register the script interface in its fixed order.
//   5. Compile the skin file with the changed loader (opened by its wide path).
//   6. A load error: message box with the library's message, close the state, false.
//   7. Success: g_lua = the state, with the compiled chunk on its stack; true.
// lua_trace_hook, for every call and return event:
//   1. Only while tracing, and only named script (Lua) functions.
//   2. A call writes "executing "<name>"" and indents the trace line by one level.
//   3. A return takes back what its call did (never below the start).

#include "lua_load.h"

#include "lua_class.h"
#include "lua_compat.h"
#include "lua_debug.h"

#include <zin_classes/zin_classes.h>
#include <zin_classes/base_class.h>
#include <zin_classes/button.h>
#include <zin_classes/progbar.h>
#include <zin_config/config_script.h>
#include <zin_classes/playlist.h>
#include <zin_classes/text_field.h>
#include <zin_classes/text_scroll.h>
#include <zin_window/callbacks.h>
#include <zin_window/docking.h>
#include <zin_window/zin_window.h>
#include <global_functions.h>
#include <script_alloc.h>
#include <trova_commands.h>

#include <trovaplay/sdk/console.h>
#include <zut/primitives.h>
#include <zut/string_conv.h>

#include <lualib.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace skin_load {

namespace {

HWND g_message_box_owner = nullptr;  // the owner of the box being shown (null: none)

int default_message_box(const wchar_t* text, const wchar_t* caption, unsigned type) {
    return MessageBoxW(g_message_box_owner, text, caption, type);
}

message_box_function g_message_box = &default_message_box;

// print's output: the host console's plain message output. Script text is in the system ANSI code
// page; the console takes UTF-8.
void print_to_console(const char* text) { console::info(zut::utf8_from_codepage(text)); }

// An error outside any protected call would end the process: make it a C++ exception instead,
// which the engine's boundaries report.
int panic(lua_State* L) {
    const char* text = lua_tostring(L, -1);
    throw std::runtime_error(text ? text : "unprotected error in the script state");
}

}  // namespace

message_box_function set_message_box(message_box_function function) {
    message_box_function previous = g_message_box;
    g_message_box = function ? function : &default_message_box;
    return previous;
}

int show_message_box(const wchar_t* text, const wchar_t* caption, unsigned type, HWND owner) {
    // A box pumps messages: one shown from inside it keeps its own owner, then this one's returns.
    const HWND previous = g_message_box_owner;
    g_message_box_owner = owner && IsWindow(owner) ? owner : nullptr;
    const int answer = g_message_box(text, caption, type);
    g_message_box_owner = previous;
    return answer;
}

lua_State* new_script_state() {
    // 2. The state.
    lua_State* L = lua_newstate(&script_alloc, nullptr);
    if (!ZIN_CHECK_MSG(L != nullptr, "l != NULL")) return nullptr;
    lua_atpanic(L, &panic);
    // 3. The libraries, in this order.
    lua_compat::open_libraries(L, &print_to_console);
    // 4. The script interface.
    register_script_interface(L);
    return L;
}

void register_script_interface(lua_State* L) {
    // The order is fixed. Entries marked "later" are registered here, in their place, once their
    // code exists.
    // 1. global debug_out
    lua_register(L, "debug_out", &debug_out);
    // 2. class config
    register_config_table(L);
    // 3. globals new_base_class, set_global_callback, add_tray_icon, remove_tray_icon,
    //    get_winamp_pl_info
    lua_register(L, "new_base_class", &new_base_class);
    lua_register(L, "set_global_callback", &set_global_callback);
    lua_register(L, "add_tray_icon", &add_tray_icon);
    lua_register(L, "remove_tray_icon", &remove_tray_icon);
    lua_register(L, "get_winamp_pl_info", &get_winamp_pl_info);
    // 4. classes docking, trova, bitmap, color, font, window, point, rect, image,
    //    button, color_rect, base_class, textfield, progbar,
    //    text_scroll, timer, playlist
    register_docking(L);
    register_trova_commands(L);
    lua_class::binding<bitmap>::register_type(L);
    lua_class::binding<color>::register_type(L);
    lua_class::binding<font>::register_type(L);
    zin_window::register_script_class(L);
    lua_class::binding<point>::register_type(L, &point_member_access);
    lua_class::binding<rect>::register_type(L, &rect_member_access);
    lua_class::binding<image>::register_type(L, &image_member_access);
    register_button_class(L);
    lua_class::binding<color_rect>::register_type(L);
    register_base_class(L);
    lua_class::binding<text_field>::register_type(L);
    register_prog_bar_class(L);
    lua_class::binding<text_scroll>::register_type(L);
    lua_class::binding<timer>::register_type(L);
    lua_class::binding<playlist>::register_type(L);
    // Stack: as on entry
}

bool run_skin_chunk() {
    zin_debug_output("executing skin-script\n");
    lua_State* L = g_lua;
    if (!ZIN_CHECK_MSG(L != nullptr, "g_lua")) return false;
    // Stack: [chunk]
    int status;
    {
        script_call_scope in_script;
        status = lua_pcall(L, 0, 0, 0);
    }
    if (status != 0) {
        // Stack: [message]
        const char* message = (lua_type(L, -1) == LUA_TSTRING || lua_type(L, -1) == LUA_TNUMBER)
                                  ? lua_tostring(L, -1)
                                  : nullptr;
        char fallback[64];
        if (!message) {
            snprintf(fallback, sizeof fallback, "(error object is a %s value)", luaL_typename(L, -1));
            message = fallback;
        }
        zut::wide_from_codepage text(message);
        show_message_box(text.get_ptr(), L"zin_window_debug: lua-execute error", MB_ICONHAND);
        close_state();
        return false;
    }
    lua_sethook(L, &lua_trace_hook, LUA_MASKCALL | LUA_MASKRET, 0);
    return true;
}

void close_state() {
    // Objects destroyed while the state closes still free their slots through g_lua; one of them
    // asking for another close meanwhile is ignored.
    if (script_state_closing()) return;
    g_reg_free_slots.clear();
    if (!g_lua) return;
    // The window lists stay as they are while script code (finalisers) can run: each window
    // leaves them when it is destroyed. Meanwhile no window is found by its handle, so no message
    // (an activation that moves when a window goes) reaches a half-destroyed skin.
    lua_close(g_lua);
    g_lua = nullptr;
    clear_window_lists();
    lua_class::trace_restore({0, 0});
}

}  // namespace skin_load

bool load_lua(const wchar_t* skin_path) {
    // 1.
    zin_debug_output("loading lua\n");
    // 2. - 4.
    lua_State* L = skin_load::new_script_state();
    if (!L) return false;
    // 5. Compile the skin.
    const int status = lua_compat::load_file(L, skin_path ? skin_path : L"");
    if (status != 0) {
        // 6. The library's message (in the system ANSI code page) in a message box.
        const char* message = lua_tostring(L, -1);
        zut::wide_from_codepage text(message ? message : "");
        skin_load::show_message_box(text.get_ptr(), L"zin_window_debug: lua-load error", MB_ICONHAND);
        lua_close(L);
        return false;
    }
    // 7.
    g_lua = L;
    return true;
}

void lua_trace_hook(lua_State* L, lua_Debug* ar) {
    // 3. Every return (a return from a tail call too) closes what its call opened. Calls and returns
    //    are counted also while tracing is off, so that the two always pair up.
    if (ar->event == LUA_HOOKRET || ar->event == LUA_HOOKTAILRET) {
        lua_class::trace_leave();
        return;
    }
    if (ar->event != LUA_HOOKCALL) return;
    // 1. Only while tracing, and only named script functions (asking for the name costs: not when
    //    nobody reads the line).
    const bool traced = g_trace_calls && zut::debug_output_wanted() && lua_getinfo(L, "nS", ar) &&
                        ar->name && ar->what && strcmp(ar->what, "Lua") == 0;
    // 2.
    if (traced) lua_class::debug_printf("executing \"%s\"\n", ar->name);
    lua_class::trace_enter(traced);
}
