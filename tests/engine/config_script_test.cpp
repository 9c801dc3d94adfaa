// The script table `config` and the window states: typed values saved and loaded by name in the
// current section, the refusals and warnings, config.enable, and windows reopened from their saved
// states.

#include "window_test_util.h"

#include "fake_host.h"

#include <zin_config/config_script.h>
#include <zin_config/zin_config.h>
#include <zin_window/callbacks.h>

#include <trovaplay/sdk/console.h>

#include <cstdlib>
#include <new>

// Allocations of arrays fail on demand: the next one of exactly this many bytes throws.
static size_t g_fail_array_of = 0;

void* operator new[](size_t n) {
    if (n != 0 && n == g_fail_array_of) {
        g_fail_array_of = 0;
        throw std::bad_alloc();
    }
    if (void* p = malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete[](void* p) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }

namespace {

using namespace zin_config;

class ConfigScript : public window_test::window_fixture {
protected:
    fake_host host;
    fake_console_receiver receiver{0};

    void SetUp() override {
        window_fixture::SetUp();
        lua_class::binding<font>::register_type(L);
        register_config_table(L);
        lua_register(L, "set_global_callback", &set_global_callback);
        reset_module_state();
        host.offer(console_receiver::class_guid, &receiver);
        start_services(host);
        g_config_enabled = true;
        set_skin_path(L"C:\\skins\\test.lua");
        select_skin_section();
    }
    void TearDown() override {
        clear_global_callbacks();
        window_fixture::TearDown();
        clear_skin_sections();
        set_skin_path(nullptr);
        g_config_enabled = true;
        reset_module_state();
    }
    std::string eval(const std::string& expression) { return engine_test::eval(L, expression); }
    named_value* value(const char* name) { return find_named_value(*g_current_section, name); }
    void add_state(uint32_t state, const char* name, const RECT& r) {
        window_state_record* record = g_current_section->states.pushNew();
        new (record) window_state_record();
        record->state = state;
        record->rect = r;
        record->name.assign(name);
    }
    bool is_open(const char* global) { return window(global) && window(global)->mWnd != nullptr; }
};

TEST_F(ConfigScript, ValuesOfEveryTypeComeBackByNameInAnyCase) {
    ASSERT_EQ("", run("config.save(0.5, 'volume') config.save(true, 'Shuffle') "
                      "config.save(rect.new(1, 2, 3, 4), 'area') "
                      "config.save(font.new('Arial', 12, 0, 700), 'face')"));
    EXPECT_EQ("0.5", eval("config.load(1, 'Volume')"));
    EXPECT_EQ("true", eval("config.load(false, 'shuffle')"));
    EXPECT_EQ("1 2 3 4", eval("(function() local r = config.load(rect.new(0, 0, 0, 0), 'area') "
                              "return r.left .. ' ' .. r.top .. ' ' .. r.right .. ' ' .. r.bottom end)()"));
    EXPECT_EQ("default", eval("config.load('default', 'missing')"));
    EXPECT_TRUE(value("face") != nullptr);
    EXPECT_STREQ("Arial", static_cast<conf_font*>(value("face")->item)->value().lfFaceName);
    EXPECT_TRUE(receiver.lines.empty());
}

TEST_F(ConfigScript, AColourLoadsIntoTheDefaultObjectItself) {
    ASSERT_EQ("", run("config.save(color.new(1, 2, 3), 'accent') d = color.new(9, 9, 9) "
                      "same = config.load(d, 'accent') == d"));
    EXPECT_EQ("true", eval("same"));
    lua_getglobal(L, "d");
    EXPECT_EQ(RGB(1, 2, 3), check_color(L, -1)->value);
    lua_pop(L, 1);
}

TEST_F(ConfigScript, AnotherTypeWarnsOnLoadAndIsRefusedOnSave) {
    ASSERT_EQ("", run("config.save('text', 'name') config.save(true, 'flag')"));
    EXPECT_EQ("7", eval("config.load(7, 'name')"));
    EXPECT_EQ(std::vector<std::string>{"WARNING : cannot load value with different type"}, receiver.lines);
    EXPECT_TRUE(engine_test::fails_with(L, "config.save(1, 'flag')", "cannot overwrite value with different type"));
    EXPECT_TRUE(engine_test::fails_with(L, "config.save(nil, 'flag')", "cannot overwrite value with different type"));
    EXPECT_TRUE(engine_test::fails_with(L, "config.save(bitmap.new(), 'pic')", "not able to save this type"));
    EXPECT_TRUE(engine_test::fails_with(L, "config.save({}, 'table')", "not able to save this type"));
    EXPECT_TRUE(engine_test::fails_with(L, "config.load(nil, 'x')", "error getting type or not savable"));
    EXPECT_TRUE(engine_test::fails_with(L, "config.load(1, {})", "string expected"));
    EXPECT_EQ(nullptr, value("pic"));
    EXPECT_EQ(2u, g_current_section->values.getSize());
}

TEST_F(ConfigScript, StringsKeepTheirChoicesUntilSavedWithout) {
    ASSERT_EQ("", run("config.save('b', 'mode', true, {'a', 'b', 3})"));
    auto* mode = static_cast<conf_string*>(value("mode")->item);
    ASSERT_EQ(3u, mode->m_choices.getSize());
    EXPECT_STREQ(L"a", mode->m_choices[0].get());
    EXPECT_STREQ(L"3", mode->m_choices[2].get());
    ASSERT_EQ("", run("config.save('c', 'mode')"));
    EXPECT_EQ(0u, mode->m_choices.getSize());
    EXPECT_STREQ(L"c", mode->get());
}

TEST_F(ConfigScript, ARefusedSaveLeavesNoValueBehind) {
    EXPECT_TRUE(engine_test::fails_with(L, "config.save('x', 's', 'yes')", "boolean expected"));
    EXPECT_TRUE(engine_test::fails_with(L, "config.save('x', 's', nil)", "boolean expected, got nil"));
    EXPECT_TRUE(engine_test::fails_with(L, "config.save('x', 's', true, 5)", "table expected"));
    EXPECT_TRUE(engine_test::fails_with(L, "config.save('x', 's', true, nil)", "table expected, got nil"));
    EXPECT_TRUE(engine_test::fails_with(L, "config.save('x', 's', true, {'a', {}})", "string expected"));
    EXPECT_EQ(nullptr, value("s"));
    // An existing value stays as it was too.
    ASSERT_EQ("", run("config.save('old', 's', false, {'old', 'other'})"));
    EXPECT_TRUE(engine_test::fails_with(L, "config.save('new', 's', true, {false})", "string expected"));
    auto* s = static_cast<conf_string*>(value("s")->item);
    EXPECT_STREQ(L"old", s->get());
    EXPECT_EQ(2u, s->m_choices.getSize());
    EXPECT_FALSE(value("s")->show_in_prefs);
    // The flag given once stays until given again.
    ASSERT_EQ("", run("config.save('new', 's')"));
    EXPECT_FALSE(value("s")->show_in_prefs);
    ASSERT_EQ("", run("config.save('new', 's', true)"));
    EXPECT_TRUE(value("s")->show_in_prefs);
}

// Argument 4 is the choices of a string: every other type saves whatever it is.
TEST_F(ConfigScript, OnlyAStringLooksAtItsFourthArgument) {
    const char* saves[] = {
        "config.save(5, 'n', true, nil)",
        "config.save(false, 'b', false, 'not a table')",
        "config.save(color.new(1, 2, 3), 'c', true, 7)",
        "config.save(rect.new(1, 2, 3, 4), 'r', true, {})",
        "config.save(font.new('Arial', 12, 0, 400), 'f', true, nil)",
    };
    for (const char* save : saves) EXPECT_EQ("", run(save)) << save;
    EXPECT_EQ(5.0, static_cast<conf_number*>(value("n")->item)->value());
    EXPECT_FALSE(value("b")->show_in_prefs);
    EXPECT_EQ(5u, g_current_section->values.getSize());
}

TEST_F(ConfigScript, ANewNameThatCannotBeCopiedLeavesNoHalfValueBehind) {
    const std::string name = "a name that is 31 characters ok";
    g_fail_array_of = name.size() + 1;
    EXPECT_TRUE(engine_test::fails_with(L, "config.save(1, '" + name + "')", "bad_alloc"));
    g_fail_array_of = 0;
    EXPECT_EQ(0u, g_current_section->values.getSize());
    ASSERT_EQ("", run("config.save(2, 'n')"));
    EXPECT_EQ(2.0, static_cast<conf_number*>(value("n")->item)->value());
}

TEST_F(ConfigScript, NonAsciiTextRoundTripsThroughTheAnsiCodePage) {
    const std::string ansi = "caf\xE9 \xC4";
    wchar_t wide[16] = {};
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide, 16);
    lua_pushstring(L, ansi.c_str());
    lua_setglobal(L, "text");
    ASSERT_EQ("", run("config.save(text, 'title', true, {text}) back = config.load('', 'title')"));
    EXPECT_STREQ(wide, static_cast<conf_string*>(value("title")->item)->get());
    EXPECT_STREQ(wide, static_cast<conf_string*>(value("title")->item)->m_choices[0].get());
    EXPECT_EQ(ansi, eval("back"));
}

TEST_F(ConfigScript, DisabledOrWithoutSectionValuesAreNeitherSavedNorLoaded) {
    ASSERT_EQ("", run("config.save(3, 'n') config.enable(false) config.save(4, 'n') config.save(5, 'new')"));
    EXPECT_EQ("9", eval("config.load(9, 'n')"));
    EXPECT_TRUE(receiver.lines.empty());
    EXPECT_EQ(nullptr, value("new"));
    EXPECT_TRUE(engine_test::fails_with(L, "config.enable(1)", "boolean expected"));
    ASSERT_EQ("", run("config.enable(true)"));
    EXPECT_EQ("3", eval("config.load(9, 'n')"));

    g_current_section = nullptr;
    EXPECT_EQ("9", eval("config.load(9, 'n')"));
    ASSERT_EQ("", run("config.save(1, 'n')"));
    EXPECT_EQ((std::vector<std::string>{"WARNING : loading only possible in main-script & unload-callback",
                                        "ERROR : saving only possible in main-script & unload-callback"}),
              receiver.lines);
}

TEST_F(ConfigScript, NewWindowsTakeTheirSavedRectangleWhileConfigIsEnabled) {
    add_state(window_state_record::closed, "main", RECT{300, 200, 400, 260});
    zin_window* w = new_window("main", 10, 10, 50, 40);
    ASSERT_NE(nullptr, w);
    EXPECT_EQ(300, w->mRect.left);
    EXPECT_EQ(260, w->mRect.bottom);
    g_config_enabled = false;
    zin_window* other = new_window("main2", 10, 10, 50, 40);
    ASSERT_EQ("", run("main3 = window.new('main', 10, 10, rect.new_size(10, 10, 50, 40))"));
    EXPECT_EQ(10, other->mRect.left);
    EXPECT_EQ(10, window("main3")->mRect.left);
}

TEST_F(ConfigScript, LoadWindowsOpensTheSavedOpenWindowsOrQueuesTheWaitingOnes) {
    new_window("a", 10, 10, 50, 40);
    new_window("b", 70, 10, 50, 40);
    EXPECT_EQ("false", eval("config.load_windows()"));  // no states yet
    add_state(window_state_record::open, "a", RECT{10, 10, 60, 50});
    add_state(window_state_record::closed, "b", RECT{70, 10, 120, 50});
    add_state(window_state_record::open, "a", RECT{10, 10, 60, 50});  // twice: queued once
    EXPECT_EQ("true", eval("config.load_windows()"));
    EXPECT_TRUE(is_open("a"));
    EXPECT_FALSE(is_open("b"));
    EXPECT_EQ(0u, g_pending_windows.getSize());
    // Open already: restored all the same, not queued again, and the windows saved waiting stay
    // where they are.
    g_current_section->states[1].state = window_state_record::waiting;
    EXPECT_EQ("true", eval("config.load_windows()"));
    EXPECT_EQ(0u, g_pending_windows.getSize());
    g_current_section->states[1].state = window_state_record::closed;

    g_current_section->states[0].state = window_state_record::closed;
    g_current_section->states[2].state = window_state_record::closed;
    g_current_section->states[1].state = window_state_record::waiting;
    EXPECT_EQ("true", eval("config.load_windows()"));
    EXPECT_FALSE(is_open("b"));
    ASSERT_EQ(1u, g_pending_windows.getSize());
    EXPECT_EQ(window("b"), g_pending_windows[0]);
}

TEST_F(ConfigScript, RememberedStatesSayOpenWaitingOrClosedThenOnUnloadSaves) {
    new_window("open", 10, 10, 50, 40);
    new_window("waiting", 70, 10, 50, 40);
    new_window("closed", 130, 10, 50, 40);
    ASSERT_EQ("", run("open:create() set_global_callback('OnUnload', function() config.save(42, 'at end') end)"));
    queue_window(window("waiting"));
    add_state(window_state_record::open, "gone", RECT{0, 0, 1, 1});
    remember_window_states();
    const CDynArray<window_state_record>& states = g_current_section->states;
    ASSERT_EQ(3u, states.getSize());
    EXPECT_STREQ("open", states[0].name.get());
    EXPECT_EQ(window_state_record::open, states[0].state);
    EXPECT_EQ(window_state_record::waiting, states[1].state);
    EXPECT_EQ(window_state_record::closed, states[2].state);
    EXPECT_EQ(130, states[2].rect.left);
    ASSERT_NE(nullptr, value("at end"));
    EXPECT_EQ(42.0, static_cast<conf_number*>(value("at end")->item)->value());
}

TEST_F(ConfigScript, SectionsAreKeptPerSkinPath) {
    ASSERT_EQ("", run("config.save(1, 'n')"));
    set_skin_path(L"C:\\skins\\other.lua");
    select_skin_section();
    EXPECT_EQ("0", eval("config.load(0, 'n')"));
    ASSERT_EQ(2u, g_skin_sections.getSize());
    set_skin_path(L"C:\\skins\\test.lua");
    select_skin_section();
    EXPECT_EQ("1", eval("config.load(0, 'n')"));
    EXPECT_EQ(2u, g_skin_sections.getSize());
}

}  // namespace
