// What the engine adds to the library (print, the file loader entering the skin folder for dofile,
// loadfile and require, the base opener) and Lua 5.0's base library.

#include "engine_test_util.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

using namespace engine_test;

namespace {

std::wstring widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::string current_dir() {
    char buffer[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, buffer);
    std::string dir = buffer;
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return dir;
}

void write_file(const std::string& path, const std::string& text, const char* mode = "w") {
    FILE* f = fopen(path.c_str(), mode);
    ASSERT_NE(f, nullptr) << path;
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

// A skin folder with script files and a separate folder the process starts in.
class SkinFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        root = std::string(temp) + "zin_lua_compat_" + std::to_string(GetCurrentProcessId()) + "\\";
        skin = root + "skin\\";
        elsewhere = root + "elsewhere\\";
        CreateDirectoryA(root.c_str(), nullptr);
        CreateDirectoryA(skin.c_str(), nullptr);
        CreateDirectoryA((skin + "sub").c_str(), nullptr);
        CreateDirectoryA(elsewhere.c_str(), nullptr);
        write_file(skin + "lib.lua", "lib_loaded = (lib_loaded or 0) + 1\nreturn 'lib', 2\n");
        write_file(skin + "mod.lua", "mod_loads = (mod_loads or 0) + 1\nmod_name = _REQUIREDNAME\nreturn {answer = 42}\n");
        write_file(skin + "plain.lua", "plain_loads = (plain_loads or 0) + 1\n");
        write_file(skin + "sub\\inner.lua", "return 'inner'\n");
        write_file(skin + "bad.lua", "x = = 1\n");
        write_file(skin + "hashbang.lua", "#!/usr/bin/lua\nerror('second line')\n");
        SetCurrentDirectoryA(elsewhere.c_str());
        lua_compat::set_skin_dir(widen(skin).c_str());
        printed().clear();
        L = new_state();
    }
    void TearDown() override {
        lua_close(L);
        lua_compat::set_skin_dir(nullptr);
        SetCurrentDirectoryA(elsewhere.c_str());
        for (const char* f : {"lib.lua", "mod.lua", "plain.lua", "sub\\inner.lua", "bad.lua", "hashbang.lua",
                              "binary.luac"})
            DeleteFileA((skin + f).c_str());
        RemoveDirectoryA((skin + "sub").c_str());
        RemoveDirectoryA(skin.c_str());
        SetCurrentDirectoryA(root.c_str());
        RemoveDirectoryA(elsewhere.c_str());
        SetCurrentDirectoryA("..");
        RemoveDirectoryA(root.c_str());
    }
    std::string root, skin, elsewhere;
    lua_State* L = nullptr;
};

// ---- print -------------------------------------------------------------------------------------------

TEST_F(SkinFolder, PrintSendsOneMessagePerArgument) {
    ASSERT_EQ(run(L, "print()"), "");
    EXPECT_TRUE(printed().empty());
    ASSERT_EQ(run(L, "print(nil)"), "");
    ASSERT_EQ(run(L, "print(true, 2)"), "");
    ASSERT_EQ(run(L, "print('a', 1, 2.5)"), "");
    const std::vector<std::string> expected = {"nil", "true", "2", "a", "1", "2.5"};
    EXPECT_EQ(printed(), expected);
}

TEST_F(SkinFolder, PrintNeedsAStringFromTostring) {
    ASSERT_EQ(run(L, "tostring = function(v) return {} end"), "");
    EXPECT_EQ(run(L, "print(1)"), "test:1: `tostring' must return a string to `print'");
    ASSERT_EQ(run(L, "tostring = function(v) return 7 end"), "");
    ASSERT_EQ(run(L, "print('x')"), "");
    EXPECT_EQ(printed().back(), "7");
}

// ---- dofile, loadfile, require -----------------------------------------------------------------------

TEST_F(SkinFolder, DofileLoadsFromTheSkinFolderWhileTheProcessStartedElsewhere) {
    EXPECT_EQ(current_dir(), elsewhere);
    ASSERT_EQ(run(L, "a, b = dofile('lib.lua')"), "");
    EXPECT_EQ(eval(L, "lib_loaded"), "1");
    EXPECT_EQ(eval(L, "a"), "lib");
    EXPECT_EQ(eval(L, "b"), "2");
    // The current directory stays in the skin folder.
    EXPECT_EQ(current_dir(), skin);
    ASSERT_EQ(run(L, "dofile('sub\\\\inner.lua')"), "");
}

TEST_F(SkinFolder, DofileErrors) {
    EXPECT_EQ(run(L, "dofile('missing.lua')"), "cannot read missing.lua: No such file or directory");
    EXPECT_EQ(run(L, "dofile()").rfind("cannot read stdin: ", 0), 0u);
    const std::string error = run(L, "dofile('bad.lua')");
    EXPECT_EQ(error.rfind("bad.lua:1:", 0), 0u) << error;
    EXPECT_EQ(run(L, "dofile('hashbang.lua')"), "hashbang.lua:2: second line");
}

TEST_F(SkinFolder, LoadfileReturnsTheChunkOrNilAndTheMessage) {
    ASSERT_EQ(run(L, "f = loadfile('lib.lua')"), "");
    EXPECT_EQ(eval(L, "type(f)"), "function");
    EXPECT_EQ(eval(L, "lib_loaded"), "nil");
    ASSERT_EQ(run(L, "f, msg = loadfile('missing.lua')"), "");
    EXPECT_EQ(eval(L, "f"), "nil");
    EXPECT_EQ(eval(L, "msg"), "cannot read missing.lua: No such file or directory");
}

TEST_F(SkinFolder, PrecompiledChunksLoadInBinaryMode) {
    ASSERT_EQ(run(L, "dumped = string.dump(function() return 'from binary\\r\\n' end)"), "");
    lua_getglobal(L, "dumped");
    size_t size = 0;
    const char* bytes = lua_tolstring(L, -1, &size);
    write_file(skin + "binary.luac", std::string(bytes, size), "wb");
    lua_pop(L, 1);
    EXPECT_EQ(eval(L, "dofile('binary.luac') == 'from binary\\r\\n'"), "true");
}

TEST_F(SkinFolder, RequireLoadsOncePerName) {
    ASSERT_EQ(run(L, "m = require('mod') m2 = require('mod')"), "");
    EXPECT_EQ(current_dir(), skin);
    EXPECT_EQ(eval(L, "m.answer"), "42");
    EXPECT_EQ(eval(L, "m == m2"), "true");
    EXPECT_EQ(eval(L, "mod_loads"), "1");
    EXPECT_EQ(eval(L, "mod_name"), "mod");
    EXPECT_EQ(eval(L, "_REQUIREDNAME"), "nil");
    EXPECT_EQ(eval(L, "_LOADED.mod == m"), "true");
    // A package without a result is recorded as true.
    EXPECT_EQ(eval(L, "require('plain')"), "true");
    EXPECT_EQ(eval(L, "require('plain')"), "true");
    EXPECT_EQ(eval(L, "plain_loads"), "1");
}

TEST_F(SkinFolder, RequireFollowsLuaPath) {
    ASSERT_EQ(run(L, "LUA_PATH = 'nowhere/?.lua;sub\\\\?.lua'"), "");
    EXPECT_EQ(eval(L, "require('inner')"), "inner");
    EXPECT_EQ(run(L, "require('mod')"), "test:1: could not load package `mod' from path `nowhere/?.lua;sub\\?.lua'");
}

TEST_F(SkinFolder, RequireErrors) {
    EXPECT_EQ(run(L, "require('nope')"), "test:1: could not load package `nope' from path `?;?.lua'");
    const std::string error = run(L, "require('bad')");
    EXPECT_EQ(error.rfind("test:1: error loading package `bad' (bad.lua:1:", 0), 0u) << error;
    EXPECT_EQ(run(L, "_LOADED = nil require('mod')"), "test:1: `_LOADED' is not a table");
}

TEST_F(SkinFolder, WithoutSkinFolderTheCurrentDirectoryIsUsed) {
    lua_compat::set_skin_dir(nullptr);
    EXPECT_EQ(run(L, "dofile('lib.lua')"), "cannot read lib.lua: No such file or directory");
    EXPECT_EQ(current_dir(), elsewhere);
    SetCurrentDirectoryA(skin.c_str());
    EXPECT_EQ(run(L, "dofile('lib.lua')"), "");
}

TEST_F(SkinFolder, LoadFileLeavesOnlyTheChunkOrTheMessage) {
    lua_pushliteral(L, "below");
    EXPECT_EQ(luaL_loadfile(L, "lib.lua"), 0);
    EXPECT_EQ(lua_gettop(L), 2);
    EXPECT_TRUE(lua_isfunction(L, -1));
    lua_pop(L, 1);
    EXPECT_EQ(luaL_loadfile(L, "missing.lua"), LUA_ERRFILE);
    EXPECT_EQ(lua_gettop(L), 2);
    EXPECT_STREQ(lua_tostring(L, -1), "cannot read missing.lua: No such file or directory");
    lua_pop(L, 1);
    EXPECT_EQ(luaL_loadfile(L, nullptr), LUA_ERRFILE);
    EXPECT_EQ(lua_gettop(L), 2);
    EXPECT_EQ(std::string(lua_tostring(L, -1)).rfind("cannot read stdin: ", 0), 0u);
    lua_pop(L, 1);
    EXPECT_EQ(luaL_loadfile(L, (skin + "bad.lua").c_str()), LUA_ERRSYNTAX);
    EXPECT_EQ(std::string(lua_tostring(L, -1)).rfind(skin + "bad.lua:1:", 0), 0u);
    lua_settop(L, 0);
}

// ---- Base library --------------------------------------------------------------------------------------

// Exactly the globals of Lua 5.0.2's base library and of the three other libraries.
TEST_F(SkinFolder, TheGlobalsAreThoseOfLua50) {
    ASSERT_EQ(run(L, "local t = {} for k in pairs(_G) do table.insert(t, k) end table.sort(t) "
                     "names = table.concat(t, ' ')"),
              "");
    EXPECT_EQ(eval(L, "names"),
              "_G _LOADED _VERSION __pow assert collectgarbage coroutine dofile error gcinfo getfenv "
              "getmetatable ipairs loadfile loadstring math newproxy next pairs pcall print rawequal "
              "rawget rawset require setfenv setmetatable string table tonumber tostring type unpack "
              "xpcall");
    EXPECT_EQ(eval(L, "next(_LOADED)"), "nil");
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(SkinFolder, CollectgarbageTakesALimitInKilobytes) {
    ASSERT_EQ(run(L, "collected = 0 "
                     "function make() local p = newproxy(true) "
                     "getmetatable(p).__gc = function() collected = collected + 1 end end"),
              "");
    ASSERT_EQ(run(L, "make() collectgarbage(1000000)"), "");  // a threshold far above: no collection
    EXPECT_EQ(eval(L, "collected"), "0");
    EXPECT_EQ(eval(L, "({gcinfo()})[2]"), "1000000");
    ASSERT_EQ(run(L, "collectgarbage(0)"), "");
    EXPECT_EQ(eval(L, "collected"), "1");
    ASSERT_EQ(run(L, "make() collectgarbage()"), "");
    EXPECT_EQ(eval(L, "collected"), "2");
}

}  // namespace
