// Registry slots: numbering from 1000, reuse through the free list, set_function_ref.
// The slot counter is process-wide and never reset: the tests of this file run in order.

#include "engine_test_util.h"

#include <gtest/gtest.h>

#include <limits>

using namespace engine_test;

namespace {

// Pushes a fresh function (a distinct closure each time).
void push_function(lua_State* L) {
    luaL_loadstring(L, "return 1");
}

int value_type_in_slot(lua_State* L, int slot) {
    lua_class::get_ref(L, slot);
    const int type = lua_type(L, -1);
    lua_pop(L, 1);
    return type;
}

TEST(Slots, FirstSlotIs1000AndFreedSlotIsReused) {
    lua_State* L = new_state();
    EXPECT_EQ(g_reg_slot_count, 0u);
    push_function(L);
    EXPECT_EQ(lua_class::ref(L, -1), 1000);
    EXPECT_EQ(lua_class::ref(L, -1), 1001);
    EXPECT_EQ(g_reg_slot_count, 2u);
    lua_pop(L, 1);
    EXPECT_EQ(value_type_in_slot(L, 1000), LUA_TFUNCTION);

    lua_class::unref(L, 1000);
    EXPECT_EQ(value_type_in_slot(L, 1000), LUA_TNIL);
    EXPECT_EQ(g_reg_free_slots.getSize(), 1u);
    push_function(L);
    EXPECT_EQ(lua_class::ref(L, -1), 1000);  // reused
    EXPECT_EQ(lua_class::ref(L, -1), 1002);  // then fresh again
    lua_pop(L, 1);
    EXPECT_EQ(lua_gettop(L), 0);
    lua_close(L);
    g_reg_free_slots.clear();
}

TEST(Slots, FreeListIsLastInFirstOut) {
    lua_State* L = new_state();
    push_function(L);
    const int a = lua_class::ref(L, -1);
    const int b = lua_class::ref(L, -1);
    const int c = lua_class::ref(L, -1);
    lua_pop(L, 1);
    lua_class::unref(L, a);
    lua_class::unref(L, c);
    lua_class::unref(L, b);
    push_function(L);
    EXPECT_EQ(lua_class::ref(L, -1), b);
    EXPECT_EQ(lua_class::ref(L, -1), c);
    EXPECT_EQ(lua_class::ref(L, -1), a);
    lua_pop(L, 1);
    lua_close(L);
    g_reg_free_slots.clear();
}

TEST(Slots, ANewStateContinuesAboveTheHighestSlot) {
    lua_State* L = new_state();
    push_function(L);
    const int last = lua_class::ref(L, -1);
    lua_pop(L, 1);
    lua_close(L);
    g_reg_free_slots.clear();  // what the unload does

    L = new_state();
    push_function(L);
    EXPECT_EQ(lua_class::ref(L, -1), last + 1);
    lua_pop(L, 1);
    lua_close(L);
    g_reg_free_slots.clear();
}

TEST(Slots, UnrefIgnoresSmallNumbersAndRefusesEmptySlots) {
    lua_State* L = new_state();
    const uint32_t reports = zin_debug_report_count();
    lua_class::unref(L, 0);
    lua_class::unref(L, 999);
    lua_class::unref(L, -5);
    EXPECT_EQ(zin_debug_report_count(), reports);
    EXPECT_EQ(g_reg_free_slots.getSize(), 0u);

    push_function(L);
    const int slot = lua_class::ref(L, -1);
    lua_pop(L, 1);
    lua_class::unref(L, slot);
    // Freed twice: reported, and the slot is not listed twice (two holders would share it).
    lua_class::unref(L, slot);
    EXPECT_EQ(zin_debug_report_count(), reports + 1);
    EXPECT_EQ(g_reg_free_slots.getSize(), 1u);
    // A number never issued: reported, not listed.
    lua_class::unref(L, 1000 + static_cast<int>(g_reg_slot_count) + 10);
    EXPECT_EQ(zin_debug_report_count(), reports + 2);
    EXPECT_EQ(g_reg_free_slots.getSize(), 1u);
    // No state: nothing happens.
    lua_class::unref(nullptr, 1000);
    EXPECT_EQ(g_reg_free_slots.getSize(), 1u);
    lua_close(L);
    g_reg_free_slots.clear();
}

TEST(Slots, GetRefOutOfRangeReportsAndPushesNil) {
    lua_State* L = new_state();
    const uint32_t reports = zin_debug_report_count();
    lua_class::get_ref(L, 5);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_class::get_ref(L, 1000 + static_cast<int>(g_reg_slot_count));
    EXPECT_TRUE(lua_isnil(L, -1));
    EXPECT_EQ(zin_debug_report_count(), reports + 2);
    EXPECT_EQ(lua_gettop(L), 2);
    lua_close(L);
}

TEST(Slots, StoreRefRefusesSmallSlots) {
    lua_State* L = new_state();
    const uint32_t reports = zin_debug_report_count();
    push_function(L);
    lua_class::store_ref(L, -1, 3);
    EXPECT_EQ(zin_debug_report_count(), reports + 1);
    lua_rawgeti(L, LUA_REGISTRYINDEX, 3);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_settop(L, 0);
    lua_close(L);
}

// ---- set_function_ref ----------------------------------------------------------------------------

int call_set_function_ref(lua_State* L) {
    const int old = static_cast<int>(luaL_checknumber(L, 1));
    lua_pushinteger(L, lua_class::set_function_ref(L, 2, old));
    return 1;
}

class SetFunctionRef : public ::testing::Test {
protected:
    void SetUp() override {
        L = new_state();
        lua_register(L, "set_ref", &call_set_function_ref);
    }
    void TearDown() override {
        lua_close(L);
        g_reg_free_slots.clear();
    }
    lua_State* L = nullptr;
};

TEST_F(SetFunctionRef, FunctionWithoutOldSlotTakesAFreshSlot) {
    const int next = 1000 + static_cast<int>(g_reg_slot_count);
    EXPECT_EQ(eval(L, "set_ref(0, function() return 'a' end)"), std::to_string(next));
    lua_class::get_ref(L, next);
    lua_call(L, 0, 1);
    EXPECT_STREQ(lua_tostring(L, -1), "a");
    lua_pop(L, 1);
}

TEST_F(SetFunctionRef, FunctionWithOldSlotOverwritesIt) {
    // Make sure slot 1005 has been issued.
    while (g_reg_slot_count < 6) {
        lua_pushboolean(L, 1);
        lua_class::ref(L, -1);
        lua_pop(L, 1);
    }
    const uint32_t count = g_reg_slot_count;
    EXPECT_EQ(eval(L, "set_ref(1005, function() return 'b' end)"), "1005");
    EXPECT_EQ(g_reg_slot_count, count);
    lua_class::get_ref(L, 1005);
    lua_call(L, 0, 1);
    EXPECT_STREQ(lua_tostring(L, -1), "b");
    lua_pop(L, 1);

    // nil frees it and gives 0.
    EXPECT_EQ(eval(L, "set_ref(1005, nil)"), "0");
    EXPECT_EQ(value_type_in_slot(L, 1005), LUA_TNIL);
    ASSERT_EQ(g_reg_free_slots.getSize(), 1u);
    EXPECT_EQ(g_reg_free_slots[0], 1005);
}

TEST_F(SetFunctionRef, NilWithoutOldSlotGivesZero) {
    const uint32_t reports = zin_debug_report_count();
    EXPECT_EQ(eval(L, "set_ref(0, nil)"), "0");
    EXPECT_EQ(zin_debug_report_count(), reports);
    // A small non-zero old slot is reported.
    EXPECT_EQ(eval(L, "set_ref(7, nil)"), "0");
    EXPECT_EQ(zin_debug_report_count(), reports + 1);
}

TEST_F(SetFunctionRef, ANumberRaisesTheArgumentError) {
    EXPECT_EQ(run(L, "set_ref(0, 5)"), "test:1: bad argument #2 to `set_ref' (function expected, got number)");
}

TEST_F(SetFunctionRef, NoArgumentRaisesTheArgumentErrorToo) {
    EXPECT_EQ(run(L, "set_ref(0)"), "test:1: bad argument #2 to `set_ref' (function expected, got no value)");
}

TEST(Conversion, NumbersTruncateAndSaturate) {
    EXPECT_EQ(lua_class::to_int32(2.9), 2);
    EXPECT_EQ(lua_class::to_int32(-2.9), -2);
    EXPECT_EQ(lua_class::to_int32(0.0), 0);
    EXPECT_EQ(lua_class::to_int32(2147483647.5), 2147483647);
    EXPECT_EQ(lua_class::to_int32(1e300), 2147483647);
    EXPECT_EQ(lua_class::to_int32(-2147483648.0), -2147483647 - 1);
    EXPECT_EQ(lua_class::to_int32(-1e300), -2147483647 - 1);
    EXPECT_EQ(lua_class::to_int32(std::numeric_limits<double>::quiet_NaN()), 0);
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(lua_class::to_int32(inf), 2147483647);
    EXPECT_EQ(lua_class::to_int32(-inf), -2147483647 - 1);
}

}  // namespace
