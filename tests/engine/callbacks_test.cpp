// Global callbacks and the play listener: setting callbacks by name, which host event fires which
// callback, tracing during frequent events, failing callbacks, and events while no skin runs.

#include "engine_test_util.h"

#include <zin_window/callbacks.h>

#include <trovaplay/sdk/client.h>
#include <trovaplay/sdk/console.h>
#include <trovaplay/sdk/console_receiver.h>
#include <trovaplay/sdk/core_api.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The host's console, as far as these tests need it: one receiver that keeps the lines.
class console_lines final : public console_receiver {
public:
    std::vector<std::string> lines;
    int service_release() override { return 1; }
    int service_add_ref() override { return 1; }
    void print(const char* p_text, std::uint32_t) override { lines.push_back(p_text ? p_text : ""); }
};

class console_host final : public host_api {
public:
    explicit console_host(console_lines* receiver) : m_receiver(receiver) {}
    service_class_ref enum_find_class(const GUID& p_guid) override {
        return zut::guid_equal(p_guid, console_receiver::class_guid) ? 1 : 2;
    }
    bool enum_create(service_ptr_t<service_base>& p_out, service_class_ref p_class,
                     std::uint32_t p_index) override {
        if (p_class != 1 || p_index != 0) return false;
        p_out = static_cast<service_base*>(m_receiver);
        return true;
    }
    std::uint32_t enum_get_count(service_class_ref p_class) override { return p_class == 1 ? 1 : 0; }
    HWND get_main_window() override { return nullptr; }
    bool is_main_thread() override { return true; }
    bool query_yes_no() override { return false; }
    bool is_shutting_down() override { return false; }
    const char* get_profile_path() override { return "file://C:\\"; }
    bool is_initializing() override { return false; }

private:
    console_lines* m_receiver;
};

int probe_ping(lua_State*) { return 0; }
const luaL_Reg kProbeMethods[] = {{"ping", &probe_ping}};

class global_callbacks : public ::testing::Test {
protected:
    console_lines console;
    console_host host{&console};
    lua_State* L = nullptr;
    play_callback* listener = nullptr;
    service_ptr_t<service_base> service;

    void SetUp() override {
        trovaplay_get_interface(&host, GetModuleHandleW(nullptr))->services_init(true);
        L = engine_test::new_state();
        lua_register(L, "set_global_callback", &set_global_callback);
        // A class without constructor: probe.ping() is a traced call.
        lua_class::register_class(L, "probe", kProbeMethods, 1, nullptr, nullptr, nullptr);
        g_lua = L;
        g_trace_calls = true;
        ASSERT_EQ("", run("log = {} function note(s) table.insert(log, s) end"));
        g_play_callback_factory.instance_create(service);
        listener = static_cast<play_callback_static*>(service.get_ptr());
    }

    void TearDown() override {
        service.release();
        clear_global_callbacks();
        g_lua = nullptr;
        lua_close(L);
        g_reg_free_slots.clear();
        g_trace_calls = true;
        trovaplay_get_interface(&host, GetModuleHandleW(nullptr))->services_init(false);
        g_api = nullptr;
    }

    std::string run(const std::string& code) { return engine_test::run(L, code); }
    // The notes written so far, comma-separated; the log is emptied.
    std::string take_log() {
        const std::string text = engine_test::eval(L, "table.concat(log, ',')");
        run("log = {}");
        return text;
    }
    // Sets every global callback to note its own name.
    void note_all() {
        for (int i = 0; i < GCB_COUNT; ++i) {
            const std::string name = g_callback_names[FIRST_GLOBAL_CALLBACK_NAME + i];
            ASSERT_EQ("", run("set_global_callback('" + name + "', function() note('" + name + "') end)"));
        }
    }
    // Stand-ins for host objects that the listener only passes by address.
    metadb_handle* some_track() { return reinterpret_cast<metadb_handle*>(&m_dummy); }
    const file_info& some_info() { return *reinterpret_cast<const file_info*>(&m_dummy); }

private:
    int m_dummy = 0;
};

TEST_F(global_callbacks, listener_is_registered_and_wants_every_event) {
    bool listed = false;
    for (service_factory_base* f = service_factory_base::get_list_head(); f; f = f->get_next())
        if (f == &g_play_callback_factory) listed = true;
    EXPECT_TRUE(listed);
    EXPECT_TRUE(zut::guid_equal(g_play_callback_factory.get_class_guid(), play_callback_static::class_guid));
    play_callback_static* s = static_cast<play_callback_static*>(service.get_ptr());
    EXPECT_EQ(1023u, s->get_flags());
    EXPECT_EQ(1, s->service_add_ref());
    EXPECT_EQ(1, s->service_release());
    service_ptr_t<service_base> queried;
    EXPECT_TRUE(s->service_query(queried, play_callback_static::class_guid));
    EXPECT_EQ(queried.get_ptr(), service.get_ptr());
}

TEST_F(global_callbacks, names_match_in_any_case) {
    ASSERT_EQ("", run("set_global_callback('ontime', function() note('time') end)"));
    ASSERT_EQ("", run("set_global_callback('ONSTART', function() note('start') end)"));
    ASSERT_EQ("", run("set_global_callback('onNewTrack', function() note('new') end)"));
    listener->on_time(1.0);
    listener->on_start(1, false);
    listener->on_new_track(some_track());
    EXPECT_EQ("time,start,new", take_log());
}

TEST_F(global_callbacks, unknown_names_and_bad_functions_raise_and_change_nothing) {
    const uint32_t slots_before = g_reg_slot_count;
    EXPECT_NE(std::string::npos,
              run("set_global_callback('OnTimer', function() end)").find("OnTimer is no global-callback-type"));
    // Part and window callback names are not global ones.
    EXPECT_NE("", run("set_global_callback('LDown', function() end)"));
    EXPECT_NE("", run("set_global_callback('OnSize', function() end)"));
    EXPECT_NE(std::string::npos, run("set_global_callback('OnStop', 5)").find("function expected"));
    EXPECT_NE(std::string::npos, run("set_global_callback('OnStop')").find("function expected"));
    EXPECT_NE("", run("set_global_callback(nil, function() end)"));
    EXPECT_EQ(slots_before, g_reg_slot_count);
    for (const lua_callback& c : g_global_callbacks) EXPECT_EQ(0, c.slot);
}

TEST_F(global_callbacks, replacing_keeps_the_slot_and_nil_frees_it) {
    ASSERT_EQ("", run("set_global_callback('OnStop', function() note('first') end)"));
    const int slot = g_global_callbacks[GCB_ON_STOP].slot;
    EXPECT_GE(slot, 1000);
    ASSERT_EQ("", run("set_global_callback('OnStop', function() note('second') end)"));
    EXPECT_EQ(slot, g_global_callbacks[GCB_ON_STOP].slot);
    listener->on_stop(0);
    EXPECT_EQ("second", take_log());

    ASSERT_EQ("", run("set_global_callback('OnStop', nil)"));
    EXPECT_EQ(0, g_global_callbacks[GCB_ON_STOP].slot);
    listener->on_stop(0);
    EXPECT_EQ("", take_log());
    // The freed slot is the next one handed out.
    lua_pushboolean(L, 1);
    EXPECT_EQ(slot, lua_class::ref(L, -1));
    lua_pop(L, 1);
}

TEST_F(global_callbacks, each_event_fires_its_own_callback) {
    note_all();
    listener->on_start(2, true);
    listener->on_new_track(some_track());
    listener->on_seek(12.5);
    listener->on_pause(true);
    listener->on_edited(some_track());
    listener->on_dynamic(some_info());
    listener->on_dynamic_track(some_info());
    listener->on_time(3.0);
    listener->on_volume_change(-6.0f);
    EXPECT_EQ("OnStart,OnNewTrack,OnSeek,OnPause,OnEdited,OnDynamic,OnDynamicTrack,OnTime,OnVolumeChange",
              take_log());
    // The three that other parts of the engine fire.
    fire_global_callback(GCB_ON_PLAYLIST_COUNT_CHANGED);
    fire_global_callback(GCB_ON_ORDER_CHANGE);
    fire_global_callback(GCB_ON_UNLOAD);
    fire_global_callback(-1);
    fire_global_callback(GCB_COUNT);
    EXPECT_EQ("OnPlaylistCountChanged,OnOrderChange,OnUnload", take_log());
}

TEST_F(global_callbacks, a_stop_fires_on_stop_once_and_never_on_new_track) {
    note_all();
    listener->on_stop(1);
    EXPECT_EQ("OnStop", take_log());
    listener->on_new_track(nullptr);
    EXPECT_EQ("", take_log());
}

TEST_F(global_callbacks, frequent_events_write_no_trace_lines) {
    ASSERT_EQ("", run("set_global_callback('OnTime', function() probe.ping() end)"));
    ASSERT_EQ("", run("set_global_callback('OnDynamic', function() probe.ping() end)"));
    ASSERT_EQ("", run("set_global_callback('OnDynamicTrack', function() probe.ping() end)"));
    ASSERT_EQ("", run("set_global_callback('OnSeek', function() probe.ping() end)"));
    {
        engine_test::debug_capture capture;
        listener->on_time(1.0);
        listener->on_dynamic(some_info());
        listener->on_dynamic_track(some_info());
        EXPECT_TRUE(capture.containing("calling probe::ping").empty());
        EXPECT_TRUE(g_trace_calls);
        // Other events are traced.
        listener->on_seek(2.0);
        EXPECT_EQ(1u, capture.containing("calling probe::ping").size());
    }
    // Tracing that was off stays off.
    g_trace_calls = false;
    listener->on_time(2.0);
    EXPECT_FALSE(g_trace_calls);
}

TEST_F(global_callbacks, a_failing_callback_is_reported_and_later_events_still_arrive) {
    ASSERT_EQ("", run("set_global_callback('OnStop', function() error('stop broke') end)"));
    ASSERT_EQ("", run("set_global_callback('OnStart', function() note('start') end)"));
    listener->on_stop(0);
    ASSERT_EQ(1u, console.lines.size());
    EXPECT_EQ(0u, console.lines[0].find("ERROR : "));
    EXPECT_NE(std::string::npos, console.lines[0].find("stop broke"));
    EXPECT_EQ(0, lua_gettop(L));
    listener->on_start(1, false);
    listener->on_stop(0);
    EXPECT_EQ("start", take_log());
    EXPECT_EQ(2u, console.lines.size());
}

TEST_F(global_callbacks, events_without_a_skin_do_nothing) {
    // A state with no callbacks set.
    listener->on_start(1, false);
    listener->on_stop(0);
    listener->on_time(1.0);
    // A slot left set while no state exists (a skin that is gone) is not called.
    note_all();
    g_lua = nullptr;
    const uint32_t reports = zin_debug_report_count();
    listener->on_start(1, false);
    listener->on_new_track(some_track());
    listener->on_stop(0);
    listener->on_time(1.0);
    listener->on_dynamic(some_info());
    listener->on_volume_change(0.0f);
    fire_global_callback(GCB_ON_UNLOAD);
    EXPECT_EQ(reports, zin_debug_report_count());
    EXPECT_TRUE(console.lines.empty());
    g_lua = L;
    EXPECT_EQ("", take_log());
}

TEST_F(global_callbacks, clearing_forgets_the_callbacks_but_leaves_the_registry) {
    note_all();
    const int slot = g_global_callbacks[GCB_ON_START].slot;
    clear_global_callbacks();
    for (const lua_callback& c : g_global_callbacks) EXPECT_EQ(0, c.slot);
    listener->on_start(1, false);
    EXPECT_EQ("", take_log());
    // The state that holds the functions is closed by the unload itself.
    lua_rawgeti(L, LUA_REGISTRYINDEX, slot);
    EXPECT_TRUE(lua_isfunction(L, -1));
    lua_pop(L, 1);
}

TEST(callback_names, table_and_lookup) {
    EXPECT_STREQ("HoverLeave", g_callback_names[FIRST_GLOBAL_CALLBACK_NAME - 1]);
    EXPECT_STREQ("OnDynamic", g_callback_names[FIRST_GLOBAL_CALLBACK_NAME]);
    EXPECT_STREQ("OnWheelUp", g_callback_names[CALLBACK_NAME_COUNT - 1]);
    EXPECT_EQ(2, find_callback_name("ldbl", FIRST_PART_CALLBACK_NAME, 11));
    EXPECT_EQ(-1, find_callback_name("OnTime", FIRST_WINDOW_CALLBACK_NAME, 9));
    EXPECT_EQ(-1, find_callback_name("OnSize", 30, 9));  // past the table
}

}  // namespace
