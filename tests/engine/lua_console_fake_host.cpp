// The binding's console output against the SDK layer's recording fake host: a failing callback
// gives "ERROR : " and the script's message; print sends one console message per argument.

#include "engine_test_util.h"

#include <lua_class/lua_load.h>

#include <gtest/gtest.h>
#include <windows.h>
#include <trovaplay/sdk/console.h>

#include "fake_host.h"

namespace {

class BindingConsole : public ::testing::Test {
protected:
    void SetUp() override {
        reset_module_state();
        host.offer(console_receiver::class_guid, &receiver);
        start_services(host);
        L = skin_load::new_script_state();
        g_lua = L;
    }
    void TearDown() override {
        g_lua = nullptr;
        lua_close(L);
        g_reg_free_slots.clear();
        EXPECT_EQ(receiver.count(), 1);  // the reference ledger balances
        reset_module_state();
    }
    fake_host host;
    fake_console_receiver receiver{0};
    lua_State* L = nullptr;
};

TEST_F(BindingConsole, AFailingCallbackIsAConsoleError) {
    ASSERT_EQ(engine_test::run(L, "function cb() error('callback broke') end"), "");
    lua_getglobal(L, "cb");
    lua_callback cb;
    cb.slot = lua_class::ref(L, -1);
    lua_pop(L, 1);
    cb.call();
    EXPECT_EQ(receiver.lines, (std::vector<std::string>{"ERROR : test:1: callback broke"}));
    EXPECT_EQ(lua_gettop(L), 0);
    lua_class::unref(L, cb.slot);
}

TEST_F(BindingConsole, PrintSendsEachArgumentToTheConsole) {
    ASSERT_EQ(engine_test::run(L, "print('a', 1) print() print(nil)"), "");
    EXPECT_EQ(receiver.lines, (std::vector<std::string>{"a", "1", "nil"}));
}

// Script text is in the system ANSI code page; the console gets UTF-8.
TEST_F(BindingConsole, PrintConvertsScriptTextToUtf8) {
    const char ansi[] = "caf\xE9";
    wchar_t wide[8] = {};
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, 8);
    char utf8[16] = {};
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
    ASSERT_STRNE(utf8, ansi);  // the code page maps the byte to a character beyond ASCII
    ASSERT_EQ(engine_test::run(L, std::string("print('") + ansi + "')"), "");
    EXPECT_EQ(receiver.lines, (std::vector<std::string>{utf8}));
}

// The same for the error text of a failing callback.
TEST_F(BindingConsole, CallbackErrorsReachTheConsoleAsUtf8) {
    const char ansi[] = "caf\xE9";
    wchar_t wide[8] = {};
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, 8);
    char utf8[16] = {};
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
    ASSERT_EQ(engine_test::run(L, std::string("function cb() error('") + ansi + "', 0) end"), "");
    lua_getglobal(L, "cb");
    lua_callback cb;
    cb.slot = lua_class::ref(L, -1);
    lua_pop(L, 1);
    cb.call();
    EXPECT_EQ(receiver.lines, (std::vector<std::string>{std::string("ERROR : ") + utf8}));
    lua_class::unref(L, cb.slot);
}

}  // namespace
