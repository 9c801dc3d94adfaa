// Global callbacks and the play listener.
//
// set_global_callback(type, f)
//   1. type must be a string.
//   2. Find it among the thirteen global callback names, ignoring case; no match is a script error.
//   3. Store f in the callback's slot (nil clears it and frees the slot).
// Firing
//   1. Nothing happens while no skin state exists or the callback is unset.
//   2. The callback runs under protection; its errors go to the console and the event goes on.
//   3. For the frequent events tracing is switched off for the call and then put back as it was.

#include "callbacks.h"

#include <trovaplay/sdk/console.h>

#include <exception>
#include <strings.h>

lua_callback g_global_callbacks[GCB_COUNT];

play_callback_static_factory_t<callbacks> g_play_callback_factory;

const char* const g_callback_names[CALLBACK_NAME_COUNT] = {
    // Part callbacks.
    "LDown", "LUp", "LDbl", "RDown", "RUp", "RDbl", "MDown", "MUp", "MDbl", "HoverEnter",
    "HoverLeave",
    // Global callbacks.
    "OnDynamic", "OnDynamicTrack", "OnSeek", "OnVolumeChange", "OnTime", "OnNewTrack", "OnPause",
    "OnStart", "OnStop", "OnPlaylistCountChanged", "OnEdited", "OnUnload", "OnOrderChange",
    // Window callbacks.
    "OnSize", "OnSizeEnd", "OnShow", "OnHide", "OnClose", "OnActivate", "OnDeactivate",
    "OnWheelDown", "OnWheelUp",
};

int find_callback_name(const char* name, int first, int count) {
    if (!name || first < 0 || count < 0 || first + count > CALLBACK_NAME_COUNT) return -1;
    for (int i = 0; i < count; ++i)
        if (strcasecmp(g_callback_names[first + i], name) == 0) return i;
    return -1;
}

// ---- Global callbacks ----------------------------------------------------------------------------

void fire_global_callback(int index) {
    if (index < 0 || index >= GCB_COUNT) return;
    // 1. Before a skin runs or after it unloaded there is no state to call into.
    if (!g_lua || g_global_callbacks[index].slot == 0) return;
    // 2. Script errors are reported by the protected call; only a native failure can get here.
    try {
        g_global_callbacks[index].call();
    } catch (const std::exception& e) {
        console::report_error(g_callback_names[FIRST_GLOBAL_CALLBACK_NAME + index], e.what());
    }
}

void fire_global_callback_untraced(int index) {
    // 3. Put back what was there: a callback that runs inside an untraced call stays untraced.
    const bool tracing = g_trace_calls;
    g_trace_calls = false;
    fire_global_callback(index);
    g_trace_calls = tracing;
}

void clear_global_callbacks() {
    for (lua_callback& callback : g_global_callbacks) callback.slot = 0;
}

int set_global_callback(lua_State* L) {
    // 1.
    const char* type = luaL_checkstring(L, 1);
    // 2. Before a slot is touched, so that a bad name changes nothing.
    const int index = find_callback_name(type, FIRST_GLOBAL_CALLBACK_NAME, GCB_COUNT);
    if (index < 0) return luaL_error(L, "%s is no global-callback-type", type);
    // 3. An absent second argument is an error, as is any value that is neither a function nor nil.
    g_global_callbacks[index].slot = lua_class::set_function_ref(L, 2, g_global_callbacks[index].slot);
    return 0;
}

// ---- The play listener ---------------------------------------------------------------------------

// Every one of the ten play events.
uint32_t callbacks::get_flags() { return 1023; }

void callbacks::on_start(int32_t, bool) { fire_global_callback(GCB_ON_START); }

void callbacks::on_new_track(metadb_handle* p_track) {
    if (p_track) fire_global_callback(GCB_ON_NEW_TRACK);
}

void callbacks::on_stop(int32_t) {
    fire_global_callback(GCB_ON_STOP);
    // A stop ends the track: the listener's own new-track slot hears of no track (and fires nothing).
    on_new_track(nullptr);
}

void callbacks::on_seek(double) { fire_global_callback(GCB_ON_SEEK); }

void callbacks::on_pause(bool) { fire_global_callback(GCB_ON_PAUSE); }

void callbacks::on_edited(metadb_handle*) { fire_global_callback(GCB_ON_EDITED); }

void callbacks::on_dynamic(const file_info&) { fire_global_callback_untraced(GCB_ON_DYNAMIC); }

void callbacks::on_dynamic_track(const file_info&) {
    fire_global_callback_untraced(GCB_ON_DYNAMIC_TRACK);
}

void callbacks::on_time(double) { fire_global_callback_untraced(GCB_ON_TIME); }

void callbacks::on_volume_change(float) { fire_global_callback(GCB_ON_VOLUME_CHANGE); }
