// Script timers: ids from 44 and their reuse, ticks through the main window's message queue, and
// ticks that find no live timer or no function.

#include "engine_test_util.h"

#include <zin_classes/timer.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using engine_test::fails_with;
using engine_test::run;

// What the script's tick function saw of the tracing flag, one entry per tick.
std::vector<bool>& traced_ticks() {
    static std::vector<bool> ticks;
    return ticks;
}
int record_tick(lua_State*) {
    traced_ticks().push_back(g_trace_calls);
    return 0;
}

class Timers : public ::testing::Test {
protected:
    void SetUp() override {
        traced_ticks().clear();
        g_hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                 nullptr);
        ASSERT_NE(g_hWnd, nullptr);
        L = engine_test::new_state();
        lua_class::binding<timer>::register_type(L);
        lua_register(L, "record_tick", &record_tick);
        g_lua = L;
        g_trace_calls = true;
    }
    void TearDown() override {
        close_state();
        DestroyWindow(g_hWnd);
        g_hWnd = nullptr;
    }
    // What unloading a skin does: close the state (the collector destroys the timers), then empty
    // both lists.
    void close_state() {
        if (!L) return;
        lua_close(L);
        L = nullptr;
        g_lua = nullptr;
        g_reg_free_slots.clear();
        g_timers.clear();
        g_free_timer_ids.clear();
    }
    timer* object(const char* name) {
        lua_getglobal(L, name);
        timer* t = static_cast<timer*>(lua_touserdata(L, -1));
        lua_pop(L, 1);
        return t;
    }
    uint32_t id_of(const char* name) { return object(name) ? object(name)->id : 0; }
    // Delivers queued messages until the tick count reaches n or a generous deadline passes.
    void pump_until_ticks(size_t n) {
        const DWORD start = GetTickCount();
        while (traced_ticks().size() < n && GetTickCount() - start < 10000) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(5);
        }
    }
    lua_State* L = nullptr;
};

TEST_F(Timers, IdsStartAt44AndFreedIdsAreReused) {
    ASSERT_EQ(run(L, "a = timer.new(record_tick); b = timer.new(record_tick)"), "");
    EXPECT_EQ(id_of("a"), 44u);
    EXPECT_EQ(id_of("b"), 45u);
    ASSERT_EQ(g_timers.getSize(), 2u);
    ASSERT_EQ(run(L, "a = nil; collectgarbage(); collectgarbage()"), "");
    // The destroyed timer's entry no longer points at it.
    EXPECT_EQ(g_timers[0], nullptr);
    ASSERT_EQ(run(L, "c = timer.new(record_tick)"), "");
    EXPECT_EQ(id_of("c"), 44u);
    EXPECT_EQ(g_timers[0], object("c"));
    ASSERT_EQ(run(L, "d = timer.new(record_tick)"), "");
    EXPECT_EQ(id_of("d"), 46u);
}

TEST_F(Timers, EachSkinCountsFrom44Again) {
    ASSERT_EQ(run(L, "a = timer.new(record_tick); b = timer.new(record_tick)"), "");
    close_state();
    EXPECT_EQ(g_free_timer_ids.getSize(), 0u);
    L = engine_test::new_state();
    lua_class::binding<timer>::register_type(L);
    lua_register(L, "record_tick", &record_tick);
    g_lua = L;
    ASSERT_EQ(run(L, "t = timer.new(record_tick)"), "");
    EXPECT_EQ(id_of("t"), 44u);
}

TEST_F(Timers, TimersDestroyedAfterTheListsWereEmptiedGiveNoIdBack) {
    ASSERT_EQ(run(L, "a = timer.new(record_tick)"), "");
    g_timers.clear();
    g_free_timer_ids.clear();
    ASSERT_EQ(run(L, "a = nil; collectgarbage(); collectgarbage()"), "");
    EXPECT_EQ(g_free_timer_ids.getSize(), 0u);
    ASSERT_EQ(run(L, "t = timer.new(record_tick)"), "");
    EXPECT_EQ(id_of("t"), 44u);
}

TEST_F(Timers, StartedTimerTicksWithoutTracingUntilStopped) {
    ASSERT_EQ(run(L, "t = timer.new(record_tick); t:start(10)"), "");
    pump_until_ticks(2);
    ASSERT_GE(traced_ticks().size(), 2u);
    for (bool traced : traced_ticks()) EXPECT_FALSE(traced);
    EXPECT_TRUE(g_trace_calls);  // on again after each tick
    ASSERT_EQ(run(L, "t:stop()"), "");
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    const size_t ticks = traced_ticks().size();
    Sleep(50);
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(traced_ticks().size(), ticks);
}

TEST_F(Timers, TicksWithoutALiveTimerOrFunctionDoNothing) {
    ASSERT_EQ(run(L, "a = timer.new(record_tick); silent = timer.new(); nothing = timer.new(nil)"),
              "");
    timer_proc(g_hWnd, WM_TIMER, 44, 0);
    EXPECT_EQ(traced_ticks().size(), 1u);
    timer_proc(g_hWnd, WM_TIMER, id_of("silent"), 0);
    timer_proc(g_hWnd, WM_TIMER, id_of("nothing"), 0);
    timer_proc(g_hWnd, WM_TIMER, 43, 0);
    timer_proc(g_hWnd, WM_TIMER, 1000, 0);
    EXPECT_EQ(traced_ticks().size(), 1u);
    ASSERT_EQ(run(L, "a = nil; collectgarbage(); collectgarbage()"), "");
    timer_proc(g_hWnd, WM_TIMER, 44, 0);
    EXPECT_EQ(traced_ticks().size(), 1u);
    EXPECT_TRUE(g_trace_calls);
}

TEST_F(Timers, AFailingTickIsReportedAndTracingComesBack) {
    engine_test::debug_capture debug;
    ASSERT_EQ(run(L, "t = timer.new(function() error('tick broke') end)"), "");
    timer_proc(g_hWnd, WM_TIMER, id_of("t"), 0);
    EXPECT_TRUE(g_trace_calls);
    EXPECT_FALSE(debug.containing("tick broke").empty());
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(Timers, ATickInsideAnUntracedCallLeavesTracingOff) {
    ASSERT_EQ(run(L, "t = timer.new(record_tick)"), "");
    g_trace_calls = false;  // as inside OnTime, when a modal loop dispatches the tick
    timer_proc(g_hWnd, WM_TIMER, id_of("t"), 0);
    EXPECT_EQ(traced_ticks().size(), 1u);
    EXPECT_FALSE(g_trace_calls);
}

TEST_F(Timers, ConstructorTakesOnlyAFunction) {
    EXPECT_TRUE(fails_with(L, "timer.new(5)", "function expected"));
    // A refused timer takes no id.
    EXPECT_EQ(g_timers.getSize(), 0u);
    ASSERT_EQ(run(L, "t = timer.new(record_tick)"), "");
    EXPECT_EQ(id_of("t"), 44u);
    EXPECT_TRUE(fails_with(L, "timer.start(t)", "number expected"));
    EXPECT_TRUE(fails_with(L, "timer.stop(5)", "timer expected"));
}

TEST_F(Timers, CollectedTimerReleasesItsFunction) {
    ASSERT_EQ(run(L, "t = timer.new(record_tick)"), "");
    const int slot = object("t")->callback.slot;
    ASSERT_GE(slot, lua_class::LUA_REGISTRY_OFFSET);
    ASSERT_EQ(run(L, "t = nil; collectgarbage(); collectgarbage()"), "");
    lua_rawgeti(L, LUA_REGISTRYINDEX, slot);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
}

}  // namespace
