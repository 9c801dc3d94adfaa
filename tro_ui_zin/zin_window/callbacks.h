#pragma once
// The skin's global callbacks (set by name with the script global set_global_callback), the engine's
// one table of callback names, and the play listener `callbacks` through which the host's playback
// events reach the script.

#include <lua_class/lua_class.h>

#include <trovaplay/sdk/play_callback.h>

#include <cstdint>

// ---- Global callbacks ----------------------------------------------------------------------------

// Index of each global callback in g_global_callbacks.
enum global_callback_index {
    GCB_ON_DYNAMIC = 0,
    GCB_ON_DYNAMIC_TRACK = 1,
    GCB_ON_SEEK = 2,
    GCB_ON_VOLUME_CHANGE = 3,
    GCB_ON_TIME = 4,
    GCB_ON_NEW_TRACK = 5,
    GCB_ON_PAUSE = 6,
    GCB_ON_START = 7,
    GCB_ON_STOP = 8,
    GCB_ON_PLAYLIST_COUNT_CHANGED = 9,
    GCB_ON_EDITED = 10,
    GCB_ON_UNLOAD = 11,
    GCB_ON_ORDER_CHANGE = 12,
    GCB_COUNT = 13
};

// The thirteen callback slots; all 0 while no skin has set them.
extern lua_callback g_global_callbacks[GCB_COUNT];

// Calls the global callback at index (0..12) with no arguments when it is set and a script state
// exists; a script error goes to the console. Indices out of range do nothing.
void fire_global_callback(int index);

// The same with tracing off during the call (for events that fire often); the trace flag is put
// back as it was.
void fire_global_callback_untraced(int index);

// Forgets all thirteen callbacks without touching the registry (the skin unload, which closes the
// state that holds their functions, calls this after OnUnload ran).
void clear_global_callbacks();

// Script global set_global_callback(type, function or nil).
int set_global_callback(lua_State* L);

// ---- Callback names ------------------------------------------------------------------------------
// Entries 0-10 are the part callbacks (LDown ... HoverLeave), 11-23 the global callbacks in the
// order of global_callback_index, 24-32 the window callbacks (OnSize ... OnWheelUp).
constexpr int CALLBACK_NAME_COUNT = 33;
constexpr int FIRST_PART_CALLBACK_NAME = 0;
constexpr int FIRST_GLOBAL_CALLBACK_NAME = 11;
constexpr int FIRST_WINDOW_CALLBACK_NAME = 24;
extern const char* const g_callback_names[CALLBACK_NAME_COUNT];

// Index of name (compared without regard to case) among count entries of g_callback_names starting
// at first, or -1 when none matches.
int find_callback_name(const char* name, int first, int count);

// ---- The play listener ---------------------------------------------------------------------------

// The host's playback events, each firing its global callback. Arguments are not passed on.
class callbacks : public play_callback_static {
public:
    uint32_t get_flags() override;

    void on_start(int32_t p_command, bool p_paused) override;
    void on_new_track(metadb_handle* p_track) override;
    void on_stop(int32_t p_reason) override;
    void on_seek(double p_time) override;
    void on_pause(bool p_state) override;
    void on_edited(metadb_handle* p_track) override;
    void on_dynamic(const file_info& p_info) override;
    void on_dynamic_track(const file_info& p_info) override;
    void on_time(double p_time) override;
    void on_volume_change(float p_volume) override;
};

// Registered with the host's factory list when the module loads.
extern play_callback_static_factory_t<callbacks> g_play_callback_factory;
