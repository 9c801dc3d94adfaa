// Class binding: registration, traced calls and their exact lines, the typed fetch, construction and
// collection, member access, and callbacks through the protected call.

#include "engine_test_util.h"

#include <lua_class/lua_load.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <windows.h>

using namespace engine_test;

namespace {

// ---- Test classes ------------------------------------------------------------------------------

struct test_window {
    int32_t id;
    static int alive;
    static int destroyed;

    explicit test_window(lua_State* L) : id(lua_class::to_int32(luaL_optnumber(L, 1, 0))) { ++alive; }
    ~test_window() {
        --alive;
        ++destroyed;
    }

    static const char* get_name() { return "window"; }
    static lua_class::method_table get_methods() {
        static const luaL_Reg methods[] = {
            {"set_pos", &set_pos},
            {"get_id", &get_id},
            {"fail_native", &fail_native},
            {"fail_script", &fail_script},
        };
        return {methods, 4};
    }
    static int set_pos(lua_State* L) {
        lua_compat::check_udata(L, 1, "window");
        lua_compat::check_udata(L, 2, "rect");
        return 0;
    }
    static int get_id(lua_State* L) {
        auto* w = static_cast<test_window*>(lua_compat::check_udata(L, 1, "window"));
        lua_pushnumber(L, w->id);
        return 1;
    }
    static int fail_native(lua_State*) { throw std::runtime_error("native failure"); }
    static int fail_script(lua_State* L) { return luaL_error(L, "script failure"); }
};
int test_window::alive = 0;
int test_window::destroyed = 0;

struct test_rect {
    int32_t left, top, right, bottom;
    static constexpr bool lua_has_delete = false;
    explicit test_rect(lua_State* L)
        : left(lua_class::to_int32(luaL_checknumber(L, 1))),
          top(lua_class::to_int32(luaL_checknumber(L, 2))),
          right(lua_class::to_int32(luaL_checknumber(L, 3))),
          bottom(lua_class::to_int32(luaL_checknumber(L, 4))) {}
    static const char* get_name() { return "rect"; }
    static lua_class::method_table get_methods() {
        static const luaL_Reg none[] = {{nullptr, nullptr}};
        return {none, 1};
    }
};

struct test_point {
    int32_t x, y;
    static constexpr bool lua_has_delete = false;
    explicit test_point(lua_State* L)
        : x(lua_class::to_int32(luaL_optnumber(L, 1, 0))), y(lua_class::to_int32(luaL_optnumber(L, 2, 0))) {}
    static const char* get_name() { return "point"; }
    static lua_class::method_table get_methods() {
        static const luaL_Reg methods[] = {{"sum", &sum}};
        return {methods, 1};
    }
    static int sum(lua_State* L) {
        auto* p = static_cast<test_point*>(lua_compat::check_udata(L, 1, "point"));
        lua_pushnumber(L, p->x + p->y);
        return 1;
    }
};

struct test_bitmap {
    int32_t unused;
    explicit test_bitmap(lua_State*) : unused(0) {}
    static const char* get_name() { return "bitmap"; }
    static lua_class::method_table get_methods() {
        static const luaL_Reg none[] = {{nullptr, nullptr}};
        return {none, 1};
    }
};

// A constructor that can fail: with "lua" it raises a script error, with "std" it throws.
struct test_fragile {
    static int constructed;
    static int destroyed;
    int32_t unused = 0;
    explicit test_fragile(lua_State* L) {
        const char* how = luaL_optstring(L, 1, "");
        if (strcmp(how, "lua") == 0) luaL_error(L, "refused by script");
        if (strcmp(how, "std") == 0) throw std::runtime_error("refused by C++");
        ++constructed;
    }
    ~test_fragile() { ++destroyed; }
    static const char* get_name() { return "fragile"; }
    static lua_class::method_table get_methods() {
        static const luaL_Reg none[] = {{nullptr, nullptr}};
        return {none, 1};
    }
};
int test_fragile::constructed = 0;
int test_fragile::destroyed = 0;

struct test_trova {
    static constexpr bool lua_has_new = false;
    static const char* get_name() { return "trova"; }
    static lua_class::method_table get_methods() {
        static const luaL_Reg methods[] = {{"play", &play}, {"stop", &play}};
        return {methods, 2};
    }
    static int play(lua_State*) { return 0; }
};

// A userdata without class metatable, as the paint-part handle returned to scripts.
int new_picture(lua_State* L) {
    lua_newuserdata(L, 8);
    return 1;
}

int needs_window(lua_State* L) {
    lua_compat::check_udata(L, 1, "window");
    return 0;
}

class Binding : public ::testing::Test {
protected:
    void SetUp() override {
        L = new_state();
        lua_class::binding<test_trova>::register_type(L);
        lua_class::binding<test_bitmap>::register_type(L);
        lua_class::binding<test_window>::register_type(L);
        lua_class::binding<test_point>::register_type(L, &point_member_access);
        lua_class::binding<test_rect>::register_type(L);
        lua_class::binding<test_fragile>::register_type(L);
        lua_register(L, "new_picture", &new_picture);
        lua_register(L, "needs_window", &needs_window);
        g_lua = L;
        g_trace_calls = true;
    }
    void TearDown() override {
        g_lua = nullptr;
        lua_close(L);
        g_reg_free_slots.clear();
        g_trace_calls = true;
        lua_class::trace_restore({0, 0});
    }
    lua_State* L = nullptr;
};

// ---- Registration --------------------------------------------------------------------------------

TEST_F(Binding, ClassesWithoutNewArePlainTablesOfFunctions) {
    EXPECT_EQ(eval(L, "type(trova)"), "table");
    EXPECT_EQ(eval(L, "type(trova.play)"), "function");
    EXPECT_EQ(eval(L, "trova.new"), "nil");
    EXPECT_EQ(eval(L, "getmetatable(trova)"), "nil");
    EXPECT_EQ(eval(L, "trova.__metatable"), "nil");
    EXPECT_EQ(run(L, "trova.play()"), "");
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(Binding, ClassesWithNewHaveANamedMetatable) {
    EXPECT_EQ(eval(L, "type(window.new)"), "function");
    EXPECT_EQ(eval(L, "window.__metatable == getmetatable(window.new())"), "true");
    EXPECT_EQ(eval(L, "getmetatable(window.new()).__index == window"), "true");
    EXPECT_EQ(eval(L, "type(getmetatable(window.new()).__gc)"), "function");
    // registry[metatable] = name
    luaL_getmetatable(L, "window");
    lua_rawget(L, LUA_REGISTRYINDEX);
    EXPECT_STREQ(lua_tostring(L, -1), "window");
    lua_pop(L, 1);
    // A member function serves both reading and writing.
    EXPECT_EQ(eval(L, "type(getmetatable(point.new()).__index)"), "function");
    EXPECT_EQ(eval(L, "type(getmetatable(point.new()).__newindex)"), "function");
    EXPECT_EQ(eval(L, "getmetatable(window.new()).__newindex"), "nil");
}

TEST_F(Binding, GetNameOfValues) {
    run(L, "w = window.new() pic = new_picture()");
    lua_getglobal(L, "w");
    EXPECT_STREQ(lua_class::get_name(L, -1), "window");
    lua_getglobal(L, "pic");
    EXPECT_STREQ(lua_class::get_name(L, -1), "error");
    lua_pushlightuserdata(L, L);
    EXPECT_STREQ(lua_class::get_name(L, -1), "error");
    lua_pushnumber(L, 1);
    EXPECT_STREQ(lua_class::get_name(L, -1), "number");
    lua_newtable(L);
    EXPECT_STREQ(lua_class::get_name(L, -1), "table");
    lua_pushnil(L);
    EXPECT_STREQ(lua_class::get_name(L, -1), "nil");
    lua_settop(L, 0);
}

// ---- Traced calls ----------------------------------------------------------------------------------

TEST_F(Binding, TraceLineOfAMethodCall) {
    debug_capture capture;
    ASSERT_EQ(run(L, "w = window.new() r = rect.new(0, 0, 100, 20) w:set_pos(r)"), "");
    EXPECT_TRUE(capture.contains("calling window::set_pos(@window, [0,0,100,20])\n"));
    EXPECT_TRUE(capture.contains("new window\n"));
    EXPECT_TRUE(capture.contains("new rect\n"));
}

TEST_F(Binding, TraceLineArgumentForms) {
    debug_capture capture;
    ASSERT_EQ(run(L, "p = point.new(3, -4) pic = new_picture() "
                     "trova.play('text', 2.9, -2.9, nil, true, false, {}, p, pic, print)"),
              "");
    EXPECT_TRUE(capture.contains(
        "calling trova::play(\"text\", 2, -2, nil, true, false, @table, [3,-4], @error, @function)\n"));
    ASSERT_EQ(run(L, "trova.stop()"), "");
    EXPECT_TRUE(capture.contains("calling trova::stop()\n"));
}

// String arguments are script text in the system ANSI code page; the debug output gets them as
// the same characters.
std::vector<std::wstring>& wide_lines() {
    static std::vector<std::wstring> lines;
    return lines;
}
void capture_wide(const wchar_t* text, void*) { wide_lines().push_back(text); }

TEST_F(Binding, TraceLineShowsScriptTextAsItsCharacters) {
    const char ansi[] = "caf\xE9";
    wchar_t wide[8] = {};
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, 8);
    wide_lines().clear();
    void* previous_context = nullptr;
    zin_debug_output_hook previous = zin_set_debug_output_hook(&capture_wide, nullptr, &previous_context);
    const std::string error = run(L, std::string("trova.play('") + ansi + "')");
    zin_set_debug_output_hook(previous, previous_context);
    ASSERT_EQ(error, "");
    const std::wstring expected = std::wstring(L"calling trova::play(\"") + wide + L"\")\n";
    EXPECT_NE(std::find(wide_lines().begin(), wide_lines().end(), expected), wide_lines().end());
}

TEST_F(Binding, NoTraceLineWhileTracingIsOff) {
    debug_capture capture;
    g_trace_calls = false;
    ASSERT_EQ(run(L, "trova.play(1)"), "");
    EXPECT_TRUE(capture.containing("calling").empty());
}

TEST_F(Binding, TraceLineIsWrittenBeforeAFailingMethod) {
    debug_capture capture;
    EXPECT_EQ(run(L, "w = window.new() w:fail_script()"), "test:1: script failure");
    EXPECT_TRUE(capture.contains("calling window::fail_script(@window)\n"));
}

TEST_F(Binding, LongArgumentsAndDeepIndentationStayInsideTheLine) {
    debug_capture capture;
    ASSERT_EQ(run(L, "trova.play(string.rep('x', 100000), string.rep('y', 100000))"), "");
    const std::string line = lua_class::last_trace_line();
    EXPECT_LT(line.size(), 2048u);
    EXPECT_EQ(line.compare(0, 19, "calling trova::play"), 0);
    EXPECT_EQ(line.substr(line.size() - 2), ")\n");

    for (int i = 0; i < 100000; ++i) lua_class::trace_enter(true);
    ASSERT_EQ(run(L, "trova.play('z')"), "");
    const std::string deep = lua_class::last_trace_line();
    EXPECT_LT(deep.size(), 2048u);
    EXPECT_EQ(deep.find_first_not_of(' '), 512u);
    EXPECT_EQ(deep.substr(512), "calling trova::play(\"z\")\n");
    for (int i = 0; i < 100000; ++i) lua_class::trace_leave();
    ASSERT_EQ(run(L, "trova.play()"), "");
    EXPECT_STREQ(lua_class::last_trace_line(), "calling trova::play()\n");
}

TEST_F(Binding, NativeExceptionBecomesAScriptError) {
    EXPECT_EQ(run(L, "w = window.new() w:fail_native()"), "test:1: native failure");
    EXPECT_EQ(lua_gettop(L), 0);
}

// ---- Typed fetch -----------------------------------------------------------------------------------

TEST_F(Binding, TypedFetchNamesExpectedAndGivenClasses) {
    EXPECT_EQ(run(L, "needs_window(bitmap.new())"),
              "test:1: bad argument #1 to `needs_window' (window expected, got bitmap)");
    EXPECT_EQ(run(L, "needs_window(5)"), "test:1: bad argument #1 to `needs_window' (window expected, got nil)");
    EXPECT_EQ(run(L, "needs_window(setmetatable({}, {}))"),
              "test:1: bad argument #1 to `needs_window' (window expected, got nil)");
    EXPECT_EQ(run(L, "needs_window('text')"),
              "test:1: bad argument #1 to `needs_window' (window expected, got nil)");
    EXPECT_EQ(run(L, "needs_window(new_picture())"),
              "test:1: bad argument #1 to `needs_window' (window expected, got nil)");
    EXPECT_EQ(run(L, "needs_window()"), "test:1: bad argument #1 to `needs_window' (window expected, got nil)");
    EXPECT_EQ(run(L, "needs_window(window.new())"), "");
}

TEST_F(Binding, TypedFetchRefusesATableDressedAsAnObject) {
    EXPECT_EQ(run(L, "t = setmetatable({}, getmetatable(window.new())) needs_window(t)"),
              "test:1: bad argument #1 to `needs_window' (window expected, got table)");
    EXPECT_EQ(run(L, "t = setmetatable({}, window.__metatable) t:get_id()"),
              "test:1: calling `get_id' on bad self (window expected, got table)");
}

TEST_F(Binding, TypedFetchForMethodArguments) {
    EXPECT_EQ(run(L, "w = window.new() w:set_pos(bitmap.new())"),
              "test:1: bad argument #1 to `set_pos' (rect expected, got bitmap)");
    EXPECT_EQ(run(L, "t = {get_id = window.get_id} t:get_id()"),
              "test:1: calling `get_id' on bad self (window expected, got nil)");
}

// ---- Construction and collection ------------------------------------------------------------------

TEST_F(Binding, ObjectsAreDestroyedOnceByTheCollector) {
    debug_capture capture;
    const int destroyed = test_window::destroyed;
    ASSERT_EQ(run(L, "w = window.new(7) w2 = window.new(8)"), "");
    EXPECT_EQ(eval(L, "w:get_id()"), "7");
    ASSERT_EQ(run(L, "w = nil collectgarbage()"), "");
    EXPECT_EQ(test_window::destroyed, destroyed + 1);
    EXPECT_TRUE(capture.contains("deleting window\n"));
    lua_close(L);
    L = new_state();
    g_lua = L;
    EXPECT_EQ(test_window::destroyed, destroyed + 2);
    EXPECT_EQ(test_window::alive, 0);
}

TEST_F(Binding, ClassesWithoutDeleteAreNeverDestructedButSayDeleting) {
    debug_capture capture;
    ASSERT_EQ(run(L, "r = rect.new(1, 2, 3, 4) r = nil collectgarbage()"), "");
    EXPECT_TRUE(capture.contains("deleting rect\n"));
}

TEST_F(Binding, GcCalledByHandOnAWrongValueDoesNothing) {
    const int destroyed = test_window::destroyed;
    const uint32_t reports = zin_debug_report_count();
    ASSERT_EQ(run(L, "w = window.new(1) gc = getmetatable(w).__gc "
                     "gc(5) gc({}) gc(bitmap.new()) gc(new_picture()) gc()"),
              "");
    EXPECT_EQ(test_window::destroyed, destroyed);
    EXPECT_EQ(zin_debug_report_count(), reports + 5);
    EXPECT_EQ(eval(L, "w:get_id()"), "1");
}

// The engine's lists point at live windows and parts: a script that calls __gc itself (through
// the class table's "__metatable") must not destroy them under the engine's feet.
TEST_F(Binding, GcCalledByHandOnALiveObjectLeavesItAlone) {
    const int destroyed = test_window::destroyed;
    ASSERT_EQ(run(L, "w = window.new(1) gc = getmetatable(w).__gc gc(w) pcall(gc, w) "
                     "coroutine.wrap(function() gc(w) end)() window.__metatable.__gc(w)"),
              "");
    EXPECT_EQ(test_window::destroyed, destroyed);
    EXPECT_EQ(eval(L, "w:get_id()"), "1");
    // The collector still destroys it, once.
    ASSERT_EQ(run(L, "w = nil collectgarbage() collectgarbage()"), "");
    EXPECT_EQ(test_window::destroyed, destroyed + 1);
    // And closing the state destroys what is left.
    ASSERT_EQ(run(L, "w2 = window.new(2)"), "");
    lua_close(L);
    L = new_state();
    g_lua = L;
    EXPECT_EQ(test_window::destroyed, destroyed + 2);
}

TEST_F(Binding, AConstructorThatRaisesLeavesNothingToDestroy) {
    debug_capture capture;
    const int destroyed = test_fragile::destroyed;
    EXPECT_EQ(run(L, "fragile.new('lua')"), "test:1: refused by script");
    EXPECT_EQ(run(L, "fragile.new('std')"), "test:1: refused by C++");
    ASSERT_EQ(run(L, "collectgarbage()"), "");
    EXPECT_EQ(test_fragile::destroyed, destroyed);
    EXPECT_TRUE(capture.containing("deleting fragile").empty());
    // A good one is destroyed as usual.
    ASSERT_EQ(run(L, "f = fragile.new() f = nil collectgarbage()"), "");
    EXPECT_EQ(test_fragile::destroyed, destroyed + 1);
}

TEST_F(Binding, PushNewUserdataCarriesTheClassMetatable) {
    test_rect* r = lua_class::binding<test_rect>::push_new_userdata(L);
    r->left = 1;
    r->top = 2;
    r->right = 3;
    r->bottom = 4;
    EXPECT_STREQ(lua_class::get_name(L, -1), "rect");
    EXPECT_EQ(lua_compat::check_udata(L, -1, "rect"), r);
    lua_setglobal(L, "r");
    debug_capture capture;
    ASSERT_EQ(run(L, "trova.play(r)"), "");
    EXPECT_TRUE(capture.contains("calling trova::play([1,2,3,4])\n"));
}

// ---- Members -----------------------------------------------------------------------------------------

TEST_F(Binding, PointMembers) {
    ASSERT_EQ(run(L, "p = point.new(1, 2)"), "");
    EXPECT_EQ(eval(L, "p.x"), "1");
    EXPECT_EQ(eval(L, "p.y"), "2");
    ASSERT_EQ(run(L, "p.x = 3.7 p.y = -3.7"), "");
    EXPECT_EQ(eval(L, "p.x"), "3");
    EXPECT_EQ(eval(L, "p.y"), "-3");
    ASSERT_EQ(run(L, "p.x = 1e20 p.y = -1e20"), "");
    EXPECT_EQ(eval(L, "p.x"), "2147483647");
    EXPECT_EQ(eval(L, "p.y"), "-2147483648");
    ASSERT_EQ(run(L, "p.x = 0/0"), "");
    EXPECT_EQ(eval(L, "p.x"), "0");
    EXPECT_EQ(eval(L, "p.new == point.new"), "true");
    EXPECT_EQ(eval(L, "p:sum()"), "-2147483648");
    EXPECT_EQ(eval(L, "p.__metatable == getmetatable(p)"), "true");
}

TEST_F(Binding, UnknownAndNonStringMembersAreNotMembers) {
    ASSERT_EQ(run(L, "p = point.new(1, 2)"), "");
    EXPECT_EQ(run(L, "local v = p.z"), "test:1: 'z' not a member of this class");
    EXPECT_EQ(run(L, "p.z = 1"), "test:1: 'z' not a member of this class");
    EXPECT_EQ(run(L, "p.X = 1"), "test:1: 'X' not a member of this class");
    EXPECT_EQ(run(L, "local v = p[1]"), "test:1: '1' not a member of this class");
    EXPECT_EQ(run(L, "local v = p[true]"), "test:1: '<boolean>' not a member of this class");
    EXPECT_EQ(run(L, "p[{}] = 1"), "test:1: '<table>' not a member of this class");
    EXPECT_EQ(run(L, "p.x = 'abc'"), "test:1: bad argument #3 to `?' (number expected, got string)");
    EXPECT_EQ(eval(L, "p.x"), "1");
    // A set never looks at methods.
    EXPECT_EQ(run(L, "p.sum = 1"), "test:1: 'sum' not a member of this class");
}

TEST_F(Binding, MemberFunctionCalledByHandWithWrongValues) {
    ASSERT_EQ(run(L, "p = point.new(1, 2) access = getmetatable(p).__index"), "");
    EXPECT_EQ(run(L, "access(5, 'x')"), "test:1: bad argument #1 to `access' (point expected, got nil)");
    EXPECT_EQ(run(L, "access(p)"), "test:1: '<no value>' not a member of this class");
    EXPECT_EQ(eval(L, "access(p, 'y')"), "2");
}

// ---- Callbacks -----------------------------------------------------------------------------------------

TEST_F(Binding, CallbackCallsItsFunction) {
    ASSERT_EQ(run(L, "calls = 0 function cb() calls = calls + 1 end"), "");
    lua_getglobal(L, "cb");
    lua_callback cb;
    cb.slot = lua_class::ref(L, -1);
    lua_pop(L, 1);
    cb.call();
    cb.call_if_set();
    EXPECT_EQ(eval(L, "calls"), "2");
    EXPECT_EQ(lua_gettop(L), 0);
    lua_callback unset;
    unset.call_if_set();
    EXPECT_EQ(eval(L, "calls"), "2");
    lua_class::unref(L, cb.slot);
}

TEST_F(Binding, FailingCallbackIsReportedAndLeavesTheStackAsItWas) {
    debug_capture capture;
    ASSERT_EQ(run(L, "function cb() error('boom') end"), "");
    lua_getglobal(L, "cb");
    lua_callback cb;
    cb.slot = lua_class::ref(L, -1);
    lua_pop(L, 1);
    lua_pushliteral(L, "below");
    cb.call();
    EXPECT_EQ(lua_gettop(L), 1);
    EXPECT_STREQ(lua_tostring(L, -1), "below");
    EXPECT_TRUE(capture.contains("test:1: boom\r\n"));
    lua_settop(L, 0);
}

TEST_F(Binding, PcallHandsBackNilsForPromisedResults) {
    debug_capture capture;
    ASSERT_EQ(run(L, "function bad(a, b) error('bad ' .. a .. b) end function good(a, b) return a + b, a - b end"), "");
    lua_getglobal(L, "bad");
    lua_pushnumber(L, 1);
    lua_pushnumber(L, 2);
    EXPECT_FALSE(lua_callback::pcall(2, 3));
    ASSERT_EQ(lua_gettop(L), 3);
    EXPECT_TRUE(lua_isnil(L, 1) && lua_isnil(L, 2) && lua_isnil(L, 3));
    EXPECT_TRUE(capture.contains("test:1: bad 12\r\n"));
    lua_settop(L, 0);

    lua_getglobal(L, "good");
    lua_pushnumber(L, 5);
    lua_pushnumber(L, 3);
    EXPECT_TRUE(lua_callback::pcall(2, 2));
    ASSERT_EQ(lua_gettop(L), 2);
    EXPECT_EQ(lua_tonumber(L, 1), 8);
    EXPECT_EQ(lua_tonumber(L, 2), 2);
    lua_settop(L, 0);
}

TEST_F(Binding, PcallReportsNonStringErrorsAsText) {
    debug_capture capture;
    ASSERT_EQ(run(L, "function t() error({}) end function n() error(42) end function z() error() end"), "");
    lua_getglobal(L, "t");
    lua_callback::pcall(0, 0);
    lua_getglobal(L, "n");
    lua_callback::pcall(0, 1);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
    lua_getglobal(L, "z");
    lua_callback::pcall(0, 0);
    EXPECT_EQ(lua_gettop(L), 0);
    EXPECT_TRUE(capture.contains("(error object is a table value)\r\n"));
    EXPECT_TRUE(capture.contains("test:1: 42\r\n"));
    EXPECT_TRUE(capture.contains("(error object is a nil value)\r\n"));
}

TEST_F(Binding, PcallOfSomethingThatIsNotAFunction) {
    const uint32_t reports = zin_debug_report_count();
    lua_pushnumber(L, 1);
    EXPECT_FALSE(lua_callback::pcall(0, 1));
    EXPECT_EQ(zin_debug_report_count(), reports + 1);
    EXPECT_EQ(lua_gettop(L), 1);
    EXPECT_TRUE(lua_isnil(L, 1));
    lua_settop(L, 0);
}

TEST_F(Binding, CallbacksWithoutAStateDoNothing) {
    g_lua = nullptr;
    lua_callback cb;
    cb.slot = 1000;
    cb.call();
    EXPECT_FALSE(lua_callback::pcall(0, 0));
    g_lua = L;
}

// ---- Call hook indentation --------------------------------------------------------------------------

TEST_F(Binding, CallHookIndentsTraceLinesOfNestedScriptCalls) {
    ASSERT_EQ(run(L, "w = window.new(1) "
                     "function inner() w:get_id() end "
                     "function outer() w:get_id() inner() w:get_id() end "
                     "function cb() outer() end"),
              "");
    lua_sethook(L, &lua_trace_hook, LUA_MASKCALL | LUA_MASKRET, 0);
    debug_capture capture;
    lua_getglobal(L, "cb");
    lua_callback::pcall(0, 0);
    std::vector<std::string> expected = {
        "executing \"outer\"\n",
        "    calling window::get_id(@window)\n",
        "executing \"inner\"\n",
        "        calling window::get_id(@window)\n",
        "    calling window::get_id(@window)\n",
    };
    std::vector<std::string> got;
    for (const std::string& l : capture.lines)
        if (l.find("executing") != std::string::npos || l.find("calling") != std::string::npos) got.push_back(l);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(lua_class::trace_save().depth, 0);
    EXPECT_EQ(lua_class::trace_save().frames, 0);
}

TEST_F(Binding, CallHookLeavesOutFunctionsCalledThroughUpvalues) {
    // A function reached through an upvalue, or a generic for's iterator, has no name: it is not
    // traced and does not indent.
    ASSERT_EQ(run(L, "w = window.new(1) "
                     "local function helper() w:get_id() end "
                     "local function each() return function(_, done) if not done then return true end end end "
                     "function cb() helper() for _ in each() do end end"),
              "");
    lua_sethook(L, &lua_trace_hook, LUA_MASKCALL | LUA_MASKRET, 0);
    debug_capture capture;
    lua_getglobal(L, "cb");
    lua_callback::pcall(0, 0);
    EXPECT_TRUE(capture.containing("executing").empty());
    EXPECT_EQ(lua_class::last_trace_line(), std::string("calling window::get_id(@window)\n"));
}

TEST_F(Binding, CallHookStaysBalancedWithTailCallsAndErrors) {
    ASSERT_EQ(run(L, "w = window.new(1) "
                     "function leaf() w:get_id() end "
                     "function tail() return leaf() end "
                     "function deep(n) if n == 0 then error('deep') end deep(n - 1) end "
                     "function cb1() tail() tail() w:get_id() end "
                     "function cb2() deep(50) end"),
              "");
    lua_sethook(L, &lua_trace_hook, LUA_MASKCALL | LUA_MASKRET, 0);
    debug_capture capture;
    lua_getglobal(L, "cb1");
    lua_callback::pcall(0, 0);
    EXPECT_EQ(lua_class::trace_save().depth, 0);
    // The call after the two tail calls is back at the callback's level.
    EXPECT_EQ(lua_class::last_trace_line(), std::string("calling window::get_id(@window)\n"));
    lua_getglobal(L, "cb2");
    lua_callback::pcall(0, 0);
    EXPECT_EQ(lua_class::trace_save().depth, 0);
    EXPECT_EQ(lua_class::trace_save().frames, 0);
    lua_getglobal(L, "cb1");
    lua_callback::pcall(0, 0);
    EXPECT_EQ(lua_class::last_trace_line(), std::string("calling window::get_id(@window)\n"));
}

TEST_F(Binding, CallHookWritesNothingWhileTracingIsOff) {
    ASSERT_EQ(run(L, "w = window.new(1) function f() w:get_id() end function cb() f() end"), "");
    lua_sethook(L, &lua_trace_hook, LUA_MASKCALL | LUA_MASKRET, 0);
    debug_capture capture;
    g_trace_calls = false;
    lua_getglobal(L, "cb");
    lua_callback::pcall(0, 0);
    EXPECT_TRUE(capture.containing("executing").empty());
    EXPECT_TRUE(capture.containing("calling").empty());
}

}  // namespace
