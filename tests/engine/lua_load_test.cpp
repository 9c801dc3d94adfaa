// load_lua: the script state with its libraries, loading the skin file, the load error box.

#include "engine_test_util.h"

#include <lua_class/lua_load.h>
#include <script_alloc.h>
#include <zut/string_conv.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

using namespace engine_test;

namespace {

struct message_box_record {
    std::wstring text;
    std::wstring caption;
    unsigned type = 0;
    int count = 0;
};
message_box_record g_box;

int record_message_box(const wchar_t* text, const wchar_t* caption, unsigned type) {
    g_box.text = text ? text : L"";
    g_box.caption = caption ? caption : L"";
    g_box.type = type;
    ++g_box.count;
    return IDOK;
}

std::wstring widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

class LoadLua : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir = std::string(temp) + "zin_lua_load_" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(dir.c_str(), nullptr);
        lua_compat::set_skin_dir(widen(dir).c_str());
        g_box = message_box_record();
        previous = skin_load::set_message_box(&record_message_box);
    }
    void TearDown() override {
        skin_load::set_message_box(previous);
        if (g_lua) lua_close(g_lua);
        g_lua = nullptr;
        lua_compat::set_skin_dir(nullptr);
        for (const std::string& f : files) DeleteFileA(f.c_str());
        SetCurrentDirectoryA(temp_dir().c_str());
        RemoveDirectoryA(dir.c_str());
    }
    static std::string temp_dir() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        return temp;
    }
    std::string write(const std::string& name, const std::string& text) {
        const std::string path = dir + name;
        FILE* f = fopen(path.c_str(), "w");
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
        files.push_back(path);
        return path;
    }
    std::string dir;
    std::vector<std::string> files;
    skin_load::message_box_function previous = nullptr;
};

TEST_F(LoadLua, LoadsTheSkinWithoutRunningIt) {
    debug_capture capture;
    const std::string path = write("skin.lua", "ran = true\n");
    ASSERT_TRUE(load_lua(widen(path).c_str()));
    ASSERT_NE(g_lua, nullptr);
    EXPECT_EQ(g_box.count, 0);
    EXPECT_TRUE(capture.contains("loading lua\n"));
    // The compiled chunk waits on the stack.
    ASSERT_EQ(lua_gettop(g_lua), 1);
    EXPECT_TRUE(lua_isfunction(g_lua, 1));
    EXPECT_EQ(eval(g_lua, "ran"), "nil");
    lua_call(g_lua, 0, 0);
    EXPECT_EQ(eval(g_lua, "ran"), "true");
}

TEST_F(LoadLua, OnlyTheSkinLibrariesAreOpen) {
    const std::string path = write("skin.lua", "\n");
    ASSERT_TRUE(load_lua(widen(path).c_str()));
    lua_settop(g_lua, 0);
    for (const char* present : {"math", "string", "table", "coroutine", "_LOADED", "print", "dofile", "require",
                                "loadfile", "collectgarbage"})
        EXPECT_NE(eval(g_lua, std::string("type(") + present + ")"), "nil") << present;
    for (const char* absent : {"io", "os", "debug", "package", "module", "loadlib"})
        EXPECT_EQ(eval(g_lua, std::string("type(") + absent + ")"), "nil") << absent;
    EXPECT_EQ(eval(g_lua, "table.getn({n = 3})"), "3");
}

TEST_F(LoadLua, ASyntaxErrorShowsTheLoadBoxWithPathAndLine) {
    g_lua = nullptr;
    const std::string path = write("broken.lua", "window = = 1\n");
    EXPECT_FALSE(load_lua(widen(path).c_str()));
    EXPECT_EQ(g_lua, nullptr);
    ASSERT_EQ(g_box.count, 1);
    EXPECT_EQ(g_box.caption, L"zin_window_debug: lua-load error");
    EXPECT_EQ(g_box.type, static_cast<unsigned>(MB_ICONHAND));
    EXPECT_EQ(g_box.text.rfind(widen(path + ":1:"), 0), 0u);
}

TEST_F(LoadLua, AMissingFileShowsTheLoadBox) {
    const std::string path = dir + "missing.lua";
    EXPECT_FALSE(load_lua(widen(path).c_str()));
    EXPECT_EQ(g_lua, nullptr);
    ASSERT_EQ(g_box.count, 1);
    EXPECT_EQ(g_box.text, widen("cannot read " + path + ": No such file or directory"));
}

TEST_F(LoadLua, AFailedLoadKeepsTheRunningState) {
    const std::string good = write("skin.lua", "\n");
    ASSERT_TRUE(load_lua(widen(good).c_str()));
    lua_State* running = g_lua;
    EXPECT_FALSE(load_lua(widen(dir + "missing.lua").c_str()));
    EXPECT_EQ(g_lua, running);
}

TEST_F(LoadLua, RelativeSkinFilesResolveAgainstTheSkinFolder) {
    write("lib.lua", "return 'from lib'\n");
    const std::string path = write("skin.lua", "value = dofile('lib.lua')\n");
    SetCurrentDirectoryA(temp_dir().c_str());
    ASSERT_TRUE(load_lua(widen(path).c_str()));
    lua_call(g_lua, 0, 0);
    EXPECT_EQ(eval(g_lua, "value"), "from lib");
}

// A folder whose name the ANSI code page cannot hold (the test runs under a UTF-8 locale, so that
// wine can name it on disk), and a skin file named so too: the skin loads, and the files it names
// by relative names load from its folder.
TEST_F(LoadLua, ASkinInAFolderTheCodePageCannotSpellLoads) {
    const std::wstring skin_dir = widen(dir) + L"\u76ae\u80a4_\u30b9\u30ad\u30f3_\U0001F3B5\\";
    const std::wstring skin = skin_dir + L"\u30b9\u30ad\u30f3.lua";
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, 0, skin_dir.c_str(), -1, nullptr, 0, nullptr, &lossy);
    ASSERT_TRUE(lossy) << "the code page holds the folder's name";
    ASSERT_TRUE(CreateDirectoryW(skin_dir.c_str(), nullptr));
    CreateDirectoryW((skin_dir + L"sub").c_str(), nullptr);
    const std::pair<std::wstring, const char*> texts[] = {
        {skin, "a = dofile('lib.lua') m = require('mod') f = loadfile('sub\\\\inner.lua')\n"},
        {skin_dir + L"lib.lua", "return 'lib'\n"},
        {skin_dir + L"mod.lua", "return {answer = 42}\n"},
        {skin_dir + L"sub\\inner.lua", "return 'inner'\n"}};
    for (const auto& t : texts) {
        FILE* f = _wfopen(t.first.c_str(), L"w");
        ASSERT_NE(f, nullptr);
        fputs(t.second, f);
        fclose(f);
    }
    lua_compat::set_skin_dir(skin_dir.c_str());
    SetCurrentDirectoryA(temp_dir().c_str());
    EXPECT_TRUE(load_lua(skin.c_str())) << zut::codepage_from_wide(g_box.text.c_str()).get_ptr();
    if (g_lua) {
        lua_call(g_lua, 0, 0);
        EXPECT_EQ(eval(g_lua, "a"), "lib");
        EXPECT_EQ(eval(g_lua, "m.answer"), "42");
        EXPECT_EQ(eval(g_lua, "f()"), "inner");
    }
    for (const auto& t : texts) DeleteFileW(t.first.c_str());
    SetCurrentDirectoryA(temp_dir().c_str());
    RemoveDirectoryW((skin_dir + L"sub").c_str());
    RemoveDirectoryW(skin_dir.c_str());
}

TEST(ScriptState, AnUnprotectedErrorBecomesAnException) {
    lua_State* L = skin_load::new_script_state();
    ASSERT_NE(L, nullptr);
    bool thrown = false;
    try {
        lua_pushnumber(L, 1);
        lua_call(L, 0, 0);  // calling a number outside any protected call
    } catch (const std::exception& e) {
        thrown = std::string(e.what()).find("attempt to call") != std::string::npos;
    }
    EXPECT_TRUE(thrown);
    lua_close(L);
}

// A script that takes all the memory it can get is stopped at the script heap's limit with a script
// error; the process keeps the rest, and what the script lets go is given back.
TEST(ScriptState, AScriptThatTakesAllItCanGetStopsAtTheLimit) {
    lua_State* L = skin_load::new_script_state();
    ASSERT_NE(L, nullptr);
    ASSERT_EQ("", engine_test::run(L, "hoard = {}"));
    std::string error;
    // Each a string of its own (equal strings are one).
    for (int i = 0; i < 400 && error.empty(); ++i)
        error = engine_test::run(L, "local n = table.getn(hoard) + 1 hoard[n] = n .. string.rep('m', 1048576)");
    EXPECT_NE(error.find("not enough memory"), std::string::npos) << error;
    EXPECT_LE(script_heap_in_use(), kScriptHeapLimit);
    EXPECT_GT(script_heap_in_use(), kScriptHeapLimit - (std::size_t(8) << 20));
    void* rest = std::malloc(std::size_t(64) << 20);
    EXPECT_NE(rest, nullptr);
    std::free(rest);
    EXPECT_EQ("", engine_test::run(L, "hoard = nil collectgarbage()"));
    EXPECT_LT(script_heap_in_use(), std::size_t(8) << 20);
    lua_close(L);
}

}  // namespace

namespace {

class RunSkin : public LoadLua {};

TEST_F(RunSkin, RunsTheChunkAndInstallsTheCallHook) {
    debug_capture capture;
    const std::string path = write("skin.lua", "ran = true\nfunction f() end\n");
    ASSERT_TRUE(load_lua(widen(path).c_str()));
    EXPECT_EQ(lua_gethook(g_lua), nullptr);
    ASSERT_TRUE(skin_load::run_skin_chunk());
    EXPECT_TRUE(capture.contains("executing skin-script\n"));
    EXPECT_EQ(eval(g_lua, "ran"), "true");
    EXPECT_EQ(lua_gethook(g_lua), &lua_trace_hook);
    EXPECT_EQ(lua_gethookmask(g_lua), LUA_MASKCALL | LUA_MASKRET);
    EXPECT_EQ(lua_gettop(g_lua), 0);
    EXPECT_EQ(g_box.count, 0);
    run(g_lua, "f()");
    EXPECT_TRUE(capture.contains("executing \"f\"\n"));
}

TEST_F(RunSkin, AScriptErrorShowsTheExecuteBoxAndClosesTheState) {
    const std::string path = write("skin.lua", "x = 1\nerror('no skin today')\n");
    ASSERT_TRUE(load_lua(widen(path).c_str()));
    EXPECT_FALSE(skin_load::run_skin_chunk());
    EXPECT_EQ(g_lua, nullptr);
    ASSERT_EQ(g_box.count, 1);
    EXPECT_EQ(g_box.caption, L"zin_window_debug: lua-execute error");
    EXPECT_EQ(g_box.type, static_cast<unsigned>(MB_ICONHAND));
    EXPECT_EQ(g_box.text, widen(path + ":2: no skin today"));
}

TEST_F(RunSkin, CloseStateIsIdempotentAndEmptiesTheFreeList) {
    const std::string path = write("skin.lua", "\n");
    ASSERT_TRUE(load_lua(widen(path).c_str()));
    g_reg_free_slots.push(1234);
    skin_load::close_state();
    EXPECT_EQ(g_lua, nullptr);
    EXPECT_EQ(g_reg_free_slots.getSize(), 0u);
    skin_load::close_state();
    EXPECT_EQ(g_lua, nullptr);
    EXPECT_FALSE(skin_load::run_skin_chunk());  // no state: reported, nothing else
}

}  // namespace

namespace {

// An object holding a callback slot, freed by its destructor as the engine's holders do.
struct slot_holder {
    lua_callback callback;
    explicit slot_holder(lua_State* L) { callback.slot = lua_class::set_function_ref(L, 1, 0); }
    ~slot_holder() { lua_class::unref(g_lua, callback.slot); }
    static const char* get_name() { return "holder"; }
    static lua_class::method_table get_methods() {
        static const luaL_Reg none[] = {{nullptr, nullptr}};
        return {none, 1};
    }
};

TEST_F(RunSkin, SlotsFreedWhileTheStateClosesAreReusedByTheNextSkin) {
    const std::string path = write("skin.lua", "h = holder.new(function() end)\n");
    ASSERT_TRUE(load_lua(widen(path).c_str()));
    lua_class::binding<slot_holder>::register_type(g_lua);
    ASSERT_TRUE(skin_load::run_skin_chunk());
    const int slot = 1000 + static_cast<int>(g_reg_slot_count) - 1;
    skin_load::close_state();
    ASSERT_EQ(g_reg_free_slots.getSize(), 1u);
    EXPECT_EQ(g_reg_free_slots[0], slot);

    const uint32_t reports = zin_debug_report_count();
    ASSERT_TRUE(load_lua(widen(path).c_str()));
    lua_pushboolean(g_lua, 1);
    EXPECT_EQ(lua_class::ref(g_lua, -1), slot);
    lua_pop(g_lua, 1);
    EXPECT_EQ(zin_debug_report_count(), reports);
}

}  // namespace
