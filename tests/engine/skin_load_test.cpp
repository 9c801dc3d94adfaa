// Finding the skin (remembered path or the open-file dialog), the skin folder that script-side file
// loads resolve against, and the script interface a new state offers.

#include "startup_test_util.h"

#include <lua_class/lua_compat.h>

#include <gtest/gtest.h>

using namespace startup_test;

namespace {

class SkinLocation : public ::testing::Test {
protected:
    void SetUp() override {
        dialog() = dialog_state();
        previous = set_open_file_dialog(&answer_dialog);
        set_skin_path(nullptr);
    }
    void TearDown() override {
        set_open_file_dialog(previous);
        set_skin_path(nullptr);
        lua_compat::set_skin_dir(nullptr);
        if (g_lua) unload_skin();
    }
    skin_folder folder{"zin_locate"};
    open_file_dialog_function previous = nullptr;
};

TEST_F(SkinLocation, RememberedPathIsUsedWithoutAsking) {
    const std::string path = folder.write("skin.lua", "");
    set_skin_path(widen(path).c_str());
    engine_test::debug_capture capture;
    ASSERT_TRUE(locate_skin());
    EXPECT_EQ(dialog().calls, 0);
    EXPECT_TRUE(capture.contains("locating skin\n"));
    EXPECT_EQ(std::wstring(g_skin_path.get()), widen(path));
    EXPECT_EQ(std::wstring(lua_compat::skin_dir()), widen(folder.dir()));
}

TEST_F(SkinLocation, DeletedRememberedPathOpensTheDialog) {
    set_skin_path(widen(folder.dir() + "gone.lua").c_str());
    const std::string chosen = folder.write("chosen.lua", "");
    dialog().answer = widen(chosen);
    ASSERT_TRUE(locate_skin());
    EXPECT_EQ(dialog().calls, 1);
    EXPECT_EQ(std::wstring(g_skin_path.get()), widen(chosen));

    // Cancelled: no path remains.
    set_skin_path(widen(folder.dir() + "gone.lua").c_str());
    dialog().answer.clear();
    EXPECT_FALSE(locate_skin());
    EXPECT_FALSE(has_skin_path());
}

TEST_F(SkinLocation, PathWithoutFolderIsMadeAbsolute) {
    folder.write("here.lua", "");
    ASSERT_TRUE(SetCurrentDirectoryA(folder.dir().c_str()));
    set_skin_path(L"here.lua");
    ASSERT_TRUE(locate_skin());
    EXPECT_EQ(std::wstring(g_skin_path.get()), widen(folder.dir() + "here.lua"));
    EXPECT_EQ(std::wstring(lua_compat::skin_dir()), widen(folder.dir()));

    // Forward slashes only: the same file, its folder found.
    std::string slashed = folder.dir() + "here.lua";
    for (char& c : slashed)
        if (c == '\\') c = '/';
    set_skin_path(widen(slashed).c_str());
    ASSERT_TRUE(locate_skin());
    EXPECT_EQ(std::wstring(lua_compat::skin_dir()), widen(folder.dir()));
}

// dofile and require from the skin folder while the process works elsewhere.
TEST_F(SkinLocation, ScriptFilesResolveAgainstTheSkinFolder) {
    const std::string skins = folder.subfolder("skins");
    folder.write("skins\\lib.lua", "from_lib = 'lib'\n");
    folder.write("skins\\mod.lua", "from_mod = _REQUIREDNAME\n");
    const std::string skin = folder.write("skins\\skin.lua", "dofile('lib.lua')\nrequire('mod')\n");
    ASSERT_TRUE(SetCurrentDirectoryA(folder.temp().c_str()));
    set_skin_path(widen(skin).c_str());
    ASSERT_TRUE(locate_skin());
    ASSERT_TRUE(load_lua(g_skin_path.get()));
    ASSERT_TRUE(skin_load::run_skin_chunk());
    EXPECT_EQ(engine_test::eval(g_lua, "from_lib"), "lib");
    EXPECT_EQ(engine_test::eval(g_lua, "from_mod"), "mod");
    // The process stays in the skin folder afterwards (bitmaps and fonts rely on it).
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    EXPECT_EQ(std::wstring(cwd) + L"\\", widen(skins));
}

TEST(ScriptInterface, ClassesAndGlobalsOfTheSkin) {
    lua_State* L = skin_load::new_script_state();
    ASSERT_NE(L, nullptr);
    for (const char* name : {"bitmap", "color", "font", "window", "point", "rect", "image", "button",
                             "color_rect", "timer"}) {
        lua_getglobal(L, name);
        EXPECT_TRUE(lua_istable(L, -1)) << name;
        lua_pop(L, 1);
        luaL_getmetatable(L, name);
        EXPECT_TRUE(lua_istable(L, -1)) << name;
        lua_pop(L, 1);
    }
    EXPECT_EQ(engine_test::eval(L, "type(set_global_callback)"), "function");
    // Only the four libraries: no io, os, debug or package loading.
    for (const char* absent : {"io", "os", "debug", "package", "loadlib"})
        EXPECT_EQ(engine_test::eval(L, std::string("type(") + absent + ")"), "nil") << absent;
    for (const char* present : {"math", "string", "table", "coroutine", "_LOADED"})
        EXPECT_EQ(engine_test::eval(L, std::string("type(") + present + ")"), "table") << present;
    // Point members work through the registered member function.
    EXPECT_EQ(engine_test::eval(L, "point.new(3, 4).y"), "4");
    g_lua = L;
    skin_load::close_state();
}

}  // namespace
