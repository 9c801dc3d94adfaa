// The host's menus and shortcuts from the engine: trova's menu commands against a recording host
// (main menu and context menu with scripted choices, commands by name, preferences, the playing
// track's length), the keys of a skin window going to the host's shortcuts, and a quit that makes
// a window refuse to close.

#include "window_test_util.h"

#include "fake_file_info.h"
#include "fake_host.h"
#include "menu_keys.h"
#include "play_control_stub.h"

#include <trova_commands.h>
#include <zin_classes/base_class.h>
#include <trovaplay/sdk/contextmenu_item.h>
#include <trovaplay/sdk/contextmenu_manager.h>
#include <trovaplay/sdk/keyboard_shortcut_manager.h>
#include <trovaplay/sdk/mainmenu.h>
#include <trovaplay/shared/shared.h>

#include <array>

using namespace window_test;

namespace {

// A playing track of a known length.
class fake_track final : public metadb_handle {
public:
    fake_file_info info;
    fake_location location{"C:\\music\\a.wav", 0};
    int service_release() override { return 1; }
    int service_add_ref() override { return 1; }
    const playable_location& get_location() const override { return location; }
    bool format_title(titleformat_hook*, zut::string_base&, const service_ptr_t<titleformat_script>&,
                      titleformat_text_filter*) override {
        return false;
    }
    void metadb_lock() override {}
    void metadb_unlock() override {}
    file_stats* get_filestats(file_stats* p_out) const override { return &(*p_out = {~0ull, 0}); }
    bool get_info_locked(const file_info*& p_out) const override {
        p_out = &info;
        return true;
    }
    bool has_info() const override { return true; }
};

class fake_player final : public play_control_stub {
public:
    metadb_handle* playing = nullptr;
    bool get_now_playing(service_ptr_t<metadb_handle>& p_out) override {
        p_out = playing;
        return playing != nullptr;
    }
    bool is_playing() override { return playing != nullptr; }
};

std::vector<std::string>& host_log() {
    static std::vector<std::string> log;
    return log;
}

class fake_main_commands final : public mainmenu_commands {
public:
    std::vector<std::pair<GUID, std::string>> commands{
        {guid_preferences, "Preferences"}, {{0x1, 0, 0, {0}}, "Lecture \xC3\xA9t\xC3\xA9"}};
    int service_release() override { return 1; }
    int service_add_ref() override { return 1; }
    std::uint32_t get_command_count() override { return std::uint32_t(commands.size()); }
    GUID* get_command(GUID* p_out, std::uint32_t i) override { return &(*p_out = commands[i].first); }
    void get_name(std::uint32_t i, zut::string_base& p_out) override { p_out = commands[i].second.c_str(); }
    void execute(std::uint32_t i, service_base*) override {
        host_log().push_back("main " + commands[i].second);
    }
};

class fake_main_menu final : public mainmenu_manager {
public:
    int service_release() override { return 1; }
    int service_add_ref() override { return 1; }
    void instantiate(const GUID& p_group) override {
        host_log().push_back(zut::guid_equal(p_group, group_main) ? "instantiate main" : "instantiate other");
    }
    void generate_menu_win32(HMENU p_menu, std::uint32_t p_first, std::uint32_t p_last, std::uint32_t p_flags) override {
        host_log().push_back("generate " + std::to_string(p_first) + " " + std::to_string(p_last) + " " +
                             std::to_string(p_flags));
        uAppendMenu(p_menu, MF_STRING, p_first, "One");
        uAppendMenu(p_menu, MF_STRING, p_first + 1, "Two");
    }
    bool execute_command(std::uint32_t p_id, service_base*) override {
        host_log().push_back("execute " + std::to_string(p_id));
        return true;
    }
};

// Two items that share the null GUID: only the name tells them apart.
class fake_context_items final : public contextmenu_item {
public:
    std::array<const char*, 2> names{{"Other", "Show \xC3\xA9t\xC3\xA9"}};
    int service_release() override { return 1; }
    int service_add_ref() override { return 1; }
    std::uint32_t get_num_items() override { return std::uint32_t(names.size()); }
    contextmenu_item_node* instantiate_item(std::uint32_t, const handle_list_const&, const GUID&) override {
        return nullptr;
    }
    GUID* get_item_guid(GUID* p_out, std::uint32_t) override { return &(*p_out = GUID{}); }
    void get_item_name(std::uint32_t i, zut::string_base& p_out) override { p_out = names[i]; }
    void get_item_default_path(std::uint32_t, zut::string_base& p_out) override { p_out = ""; }
    bool get_item_description(std::uint32_t, zut::string_base&) override { return false; }
    void item_execute_simple(std::uint32_t i, const GUID&, const handle_list_const& p_data, const GUID& p_caller) override {
        const GUID now_playing = {0x994C0D0E, 0x319E, 0x45F3, {0x92, 0xFC, 0x51, 0x86, 0x16, 0xE7, 0x3A, 0xDC}};
        host_log().push_back(std::string("context ") + names[i] + " " + std::to_string(p_data.get_count()) +
                             (zut::guid_equal(p_caller, now_playing) ? " now playing" : " other"));
    }
};

class fake_context_menu final : public contextmenu_manager {
public:
    int service_release() override { return 1; }
    int service_add_ref() override { return 1; }
    void init_context(const handle_list_const& p_data, std::uint32_t p_flags) override {
        host_log().push_back("init_context " + std::to_string(p_data.get_count()) + " " + std::to_string(p_flags));
    }
    void init_context_playlist(std::uint32_t) override { host_log().push_back("init_context_playlist"); }
    contextmenu_node* get_root() override { return nullptr; }
    contextmenu_node* find_by_id(std::uint32_t) override { return nullptr; }
};

class fake_shortcuts final : public keyboard_shortcut_manager {
public:
    std::uint32_t takes_key = 0;
    int service_release() override { return 1; }
    int service_add_ref() override { return 1; }
    bool process_keydown(std::uint32_t p_type, const handle_list_const&, std::uint32_t p_key) override {
        host_log().push_back("key " + std::to_string(p_type) + " " + std::to_string(p_key));
        return p_key == takes_key;
    }
    bool process_keydown_ex(std::uint32_t, const handle_list_const&, std::uint32_t, const GUID&) override {
        return false;
    }
};

class menus : public window_fixture {
protected:
    fake_host host;
    fake_player player;
    fake_track track;
    fake_main_commands main_commands;
    fake_main_menu main_menu;
    fake_context_items context_items;
    fake_context_menu context_menu;
    fake_shortcuts shortcuts;

    void SetUp() override {
        window_fixture::SetUp();
        register_trova_commands(L);
        reset_module_state();
        host.offer(mainmenu_commands::class_guid, &main_commands);
        host.offer(mainmenu_manager::class_guid, &main_menu);
        host.offer(contextmenu_item::class_guid, &context_items);
        host.offer(contextmenu_manager::class_guid, &context_menu);
        host.offer(keyboard_shortcut_manager::class_guid, &shortcuts);
        start_services(host);
        g_play_control = &player;
        track.info.length = 187.5;
        host_log().clear();
    }
    void TearDown() override {
        g_play_control = nullptr;
        g_quitting = false;
        reset_module_state();
        window_fixture::TearDown();
    }
    void choose(const std::vector<WPARAM>& keys) { menu_keys::choose(keys); }
    using lines = std::vector<std::string>;
};

TEST_F(menus, main_menu_runs_the_picked_command_whatever_its_first_argument) {
    zin_window* w = new_window("w", 10, 10, 60, 40);
    ASSERT_EQ("", run("w:create()"));
    choose({VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ("", run("trova.show_main_menu()"));
    EXPECT_EQ(lines({"instantiate main", "generate 1 4294967295 0", "execute 1"}), host_log());
    // Owned by the open skin window, not by the hidden main window.
    EXPECT_EQ(w->mWnd, menu_keys::current().owner);
    host_log().clear();
    choose({VK_ESCAPE});
    EXPECT_EQ("", run("trova.show_main_menu('Anything', point.new(20, 20))"));
    EXPECT_EQ(lines({"instantiate main", "generate 1 4294967295 0"}), host_log());
    EXPECT_NE(std::string::npos, run("trova.show_main_menu('x', 5)").find("point expected"));
    EXPECT_NE(nullptr, w->mWnd);
}

TEST_F(menus, context_menu_only_for_a_playing_track) {
    EXPECT_EQ("", run("trova.show_context_menu()"));
    EXPECT_TRUE(host_log().empty());
    player.playing = &track;
    EXPECT_EQ("", run("trova.show_context_menu(point.new(5, 5))"));
    EXPECT_EQ(lines({"init_context 1 0"}), host_log());
}

TEST_F(menus, commands_by_name_in_the_ansi_code_page) {
    if (GetACP() != 1252) GTEST_SKIP() << "needs the Western code page";
    engine_test::debug_capture capture;
    EXPECT_EQ("", run("trova.run_menu_command('LECTURE \xC9T\xC9')"));
    EXPECT_EQ("", run("trova.show_config()"));
    EXPECT_EQ(lines({"main Lecture \xC3\xA9t\xC3\xA9", "main Preferences"}), host_log());
    host_log().clear();
    // A context command runs on the playing track only; without one nothing runs, silently.
    EXPECT_EQ("", run("trova.run_context_command('show \xE9t\xE9')"));
    EXPECT_TRUE(host_log().empty());
    player.playing = &track;
    EXPECT_EQ("", run("trova.run_context_command('Show \xC9T\xC9')"));
    EXPECT_EQ(lines({"context Show \xC3\xA9t\xC3\xA9 1 now playing"}), host_log());
    EXPECT_TRUE(capture.containing("not found").empty());
    EXPECT_EQ("", run("trova.run_menu_command('Nope') trova.run_context_command('Nix')"));
    EXPECT_TRUE(capture.contains("!!menu command \"Nope\" not found\n"));
    EXPECT_TRUE(capture.contains("!!menu command \"Nix\" not found\n"));
    EXPECT_NE(std::string::npos, run("trova.run_menu_command()").find("string expected, got no value"));
}

// A script part's draw that asks for a menu or a menu command: the modal loop would run inside the
// paint (at the host's shutdown nothing would end it). Each is refused with its debug line and
// nothing reaches the host, a script error after it ends the paint as usual, and outside a paint
// the same call goes through.
TEST_F(menus, menus_asked_for_by_a_draw_are_refused) {
    lua_register(L, "new_base_class", &new_base_class);
    register_base_class(L);
    player.playing = &track;
    zin_window* w = new_window("w", 10, 10, 60, 40);
    ASSERT_EQ("", run("w:create()"));
    ASSERT_EQ("", run("draws = 0\n"
                      "Part = new_base_class(false)\n"
                      "function Part.draw(self, r, clip)\n"
                      "  draws = draws + 1\n"
                      "  opener()\n"
                      "  error('after the menu')\n"
                      "end\n"
                      "w:add(Part.new(rect.new(0, 0, 60, 40)))"));
    pump();
    const struct {
        const char* call;
        const char* refused;     // the debug line
        const char* outside;     // the host's first line for the same call outside a paint
        bool popup;              // outside a paint it shows a popup menu (the fake context menu is empty)
    } cases[] = {
        {"trova.show_main_menu()", "!!main menu not shown: a paint is under way\n", "instantiate main", true},
        {"trova.show_context_menu()", "!!context menu not shown: a paint is under way\n", "init_context 1 0", false},
        {"trova.run_menu_command('Preferences')", "!!menu command not shown: a paint is under way\n",
         "main Preferences", false},
        {"trova.run_context_command('Other')", "!!context menu command not shown: a paint is under way\n",
         "context Other 1 now playing", false},
        {"trova.show_config()", "!!preferences not shown: a paint is under way\n", "main Preferences", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.call);
        ASSERT_EQ("", run(std::string("function opener() ") + c.call + " end"));
        const std::string draws = engine_test::eval(L, "draws");
        host_log().clear();
        {
            // Should a menu open all the same, it is dismissed rather than waited for.
            menu_keys::current() = menu_keys::state{{VK_ESCAPE}, nullptr};
            const UINT_PTR dismiss = SetTimer(nullptr, 0, 20, &menu_keys::press);
            engine_test::debug_capture capture;
            w->redraw_rect(rect(0, 0, 60, 40));
            KillTimer(nullptr, dismiss);
            EXPECT_EQ(std::to_string(std::stoi(draws) + 1), engine_test::eval(L, "draws"));
            EXPECT_TRUE(capture.contains(c.refused));
            EXPECT_EQ(1u, capture.containing("after the menu").size());
            EXPECT_EQ(nullptr, menu_keys::current().owner);
            EXPECT_TRUE(host_log().empty());
            EXPECT_FALSE(paint_under_way());
        }
        if (c.popup) choose({VK_ESCAPE});
        EXPECT_EQ("", run(c.call));
        ASSERT_FALSE(host_log().empty());
        EXPECT_EQ(c.outside, host_log().front());
    }
}

TEST_F(menus, title_playtime_is_the_playing_tracks_length) {
    EXPECT_EQ("0", engine_test::eval(L, "trova.title_playtime()"));
    player.playing = &track;
    EXPECT_EQ("187.5", engine_test::eval(L, "trova.title_playtime()"));
}

TEST_F(menus, missing_host_services_are_script_errors) {
    reset_module_state();
    fake_host bare;
    start_services(bare);
    EXPECT_NE(std::string::npos, run("trova.show_main_menu()").find("Service not found"));
    player.playing = &track;
    EXPECT_NE(std::string::npos, run("trova.show_context_menu()").find("Service not found"));
}

TEST_F(menus, keys_go_to_the_host_shortcuts_in_type_order) {
    zin_window* w = new_window("w", 10, 10, 60, 40);
    ASSERT_EQ("", run("w:create()"));
    BYTE state[256] = {};
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    shortcuts.takes_key = 0x200 | 'P';
    EXPECT_EQ(0, SendMessageW(w->mWnd, WM_KEYDOWN, 'P', 0));
    EXPECT_EQ(lines({"key 0 592"}), host_log());
    host_log().clear();
    SendMessageW(w->mWnd, WM_KEYDOWN, 'Q', 0);
    EXPECT_EQ(lines({"key 0 593", "key 2 593", "key 3 593"}), host_log());
    SetKeyboardState(std::array<BYTE, 256>{}.data());
}

TEST_F(menus, without_a_shortcut_manager_keys_go_on_to_the_window) {
    zin_window* w = new_window("w", 10, 10, 60, 40);
    ASSERT_EQ("", run("w:create()"));
    reset_module_state();
    fake_host bare;
    start_services(bare);
    SendMessageW(w->mWnd, WM_KEYDOWN, 'P', 0);
    EXPECT_TRUE(host_log().empty());
    EXPECT_NE(nullptr, w->mWnd);
}

TEST_F(menus, a_window_refuses_to_close_while_a_quit_is_pending) {
    zin_window* w = new_window("w", 10, 10, 60, 40);
    ASSERT_EQ("", run("w:create()"));
    EXPECT_EQ("", run("trova.quit()"));
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    SendMessageW(w->mWnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(w->mWnd != nullptr && IsWindow(w->mWnd));
}

}  // namespace
