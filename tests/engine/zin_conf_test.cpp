// The preferences page inside the engine: its dialog resource, the value lines, edits written back
// when it closes, colour and font choices, and the reload, reset and load-skin commands with the
// ways they can fail.

#include "startup_test_util.h"
#include "window_test_util.h"

#include <lua_class/lua_compat.h>
#include <zin_config/pref_lists.h>
#include <zin_config/zin_conf.h>
#include <zut/string.h>

#include <gtest/gtest.h>

#include <malloc.h>

#include <functional>


using namespace startup_test;

namespace {

// What the fake colour and font dialogs were given and answer.
struct choice_state {
    int calls = 0;
    HWND owner = nullptr;
    DWORD* custom_colors = nullptr;
    bool confirm = true;
    DWORD color = 0;   // written on confirm
    LONG height = 0;   // written on confirm
    DWORD flags = 0;
    INT font_type = 0;
};
choice_state& choice() {
    static choice_state state;
    return state;
}
BOOL fake_choose_color(DWORD* color, HWND owner, DWORD* custom_colors) {
    choice_state& c = choice();
    ++c.calls;
    c.owner = owner;
    c.custom_colors = custom_colors;
    if (c.confirm) *color = c.color;
    return c.confirm;
}
BOOL fake_choose_font(CHOOSEFONTA* cf) {
    choice_state& c = choice();
    ++c.calls;
    c.owner = cf->hwndOwner;
    c.flags = cf->Flags;
    c.font_type = cf->nFontType;
    if (c.confirm) cf->lpLogFont->lfHeight = c.height;
    return c.confirm;
}

const char SKIN[] =
    "w = window.new('main', 10, 10, rect.new(20, 20, 120, 80))\n"
    "loads = (loads or 0) + 1\n"
    "config.save(config.load(3, 'step'), 'step')\n"
    "clock = config.load(true, 'clock')\n"
    "config.save(clock, 'clock')\n"
    "face = config.load('Arial', 'face')\n"
    "config.save(face, 'face', true, {'Arial Black', 'Arial'})\n"
    "config.save(config.load(color.new(255, 0, 0), 'back'), 'back')\n"
    "config.save(config.load(false, 'hidden'), 'hidden', false)\n"
    "config.save(config.load(font.new('Tahoma', 14, 0, 400), 'title'), 'title')\n";

class PrefPage : public host_fixture {
protected:
    void SetUp() override {
        use_profile_folder();
        remove_config_files();
        host_fixture::SetUp();
        choice() = choice_state();
        previous_color = set_choose_color(&fake_choose_color);
        previous_font = set_choose_font(&fake_choose_font);
        skin_path = folder.write("skin.lua", SKIN);
        ASSERT_NE(init_with(skin_path), nullptr);
        parent = CreateWindowExW(0, L"STATIC", L"preferences", WS_OVERLAPPEDWINDOW, 0, 0, 600, 500,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent, nullptr);
    }
    void TearDown() override {
        if (IsWindow(parent)) DestroyWindow(parent);
        set_choose_color(previous_color);
        set_choose_font(previous_font);
        host_fixture::TearDown();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        EXPECT_EQ(_heapchk(), _HEAPOK);
        remove_config_files();
    }
    // The folder outlives the test (its name is the same for every test of the process).
    void remove_config_files() const {
        for (const char* name : {"tro_ui_zin.cfg", "tro_ui_zin.cfg.tmp", "tro_ui_zin.cfg.bad"})
            DeleteFileA((profile + name).c_str());
    }
    HWND open_page() { return get_zin_conf().create(parent); }
    // The window's position in the page's client coordinates.
    static POINT position(HWND page, HWND control) {
        RECT r = {};
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
        return {r.left, r.top};
    }
    static void click(HWND control) { SendMessageW(control, BM_CLICK, 0, 0); }
    static void uncheck(HWND box) { SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0); }
    // The page's control of the value saved under name.
    static HWND control_of(const char* name) {
        named_value* value = g_current_section ? find_named_value(*g_current_section, name) : nullptr;
        for (uint32_t i = 0; value && i < g_pref_controls.getSize(); ++i)
            if (g_pref_controls[i].item == value->item) return g_pref_controls[i].control;
        return nullptr;
    }
    // The stored value of name in the file's section of the skin (by default the file's skin path),
    // as text ("<none>" when the file holds no such value).
    static std::string stored(const char* name, const std::string& skin = "") {
        EXPECT_EQ(g_current_section, nullptr);
        EXPECT_TRUE(load_config());
        if (!skin.empty()) set_skin_path(widen(skin).c_str());
        select_skin_section();
        std::string result = "<none>";
        if (named_value* value = find_named_value(*g_current_section, name)) {
            zin_config::conf_base* item = value->item;
            const std::string type = item->get_type_name();
            if (type == "bool") {
                result = static_cast<zin_config::conf_bool*>(item)->value() ? "true" : "false";
            } else if (type == "number") {
                result = std::to_string(static_cast<int>(static_cast<zin_config::conf_number*>(item)->value()));
            } else if (type == "color") {
                result = std::to_string(static_cast<zin_config::conf_color*>(item)->value());
            } else if (type == "string") {
                const wchar_t* text = static_cast<zin_config::conf_string*>(item)->get();
                result = text ? std::string(text, text + wcslen(text)) : "<null>";
            }
        }
        clear_skin_sections();
        return result;
    }
    static bool quit_posted() {
        MSG msg;
        return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
    }

    std::string skin_path;
    HWND parent = nullptr;
    choose_color_function previous_color = nullptr;
    choose_font_function previous_font = nullptr;
};

TEST(PrefDialogResource, TemplateIsTheGermanDialog101) {
    HRSRC found = FindResourceExW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(101), MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    ASSERT_NE(found, nullptr);
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
    ASSERT_NE(data, nullptr);
    auto u16 = [&](size_t at) { return static_cast<uint16_t>(data[at] | data[at + 1] << 8); };
    auto u32 = [&](size_t at) { return static_cast<uint32_t>(u16(at) | u16(at + 2) << 16); };
    EXPECT_EQ(u16(0), 1);         // dlgVer
    EXPECT_EQ(u16(2), 0xFFFF);    // signature
    EXPECT_EQ(u32(8), 0x00010000u);
    EXPECT_EQ(u32(12), 0x50000048u);
    EXPECT_EQ(u16(16), 3);        // items
    EXPECT_EQ(u16(22), 285);
    EXPECT_EQ(u16(24), 205);
    EXPECT_EQ(u16(32), 8);        // point size
    EXPECT_EQ(u16(34), 400);      // weight
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(data + 38)), L"MS Shell Dlg");
}

TEST_F(PrefPage, ThePageNamesItselfAndItsHelp) {
    preferences_page& page = get_zin_conf();
    EXPECT_STREQ(page.get_name(), "zin_window_debug");
    EXPECT_FALSE(page.reset_query());
    const GUID parent_guid = page.get_parent_guid();
    EXPECT_EQ(parent_guid.Data1, 0x6AAA67B6u);
    EXPECT_EQ(page.service_add_ref(), 1);
    EXPECT_EQ(page.service_release(), 1);
    service_ptr_t<service_base> out;
    EXPECT_TRUE(page.service_query(out, preferences_page::class_guid));
    EXPECT_EQ(out.get_ptr(), static_cast<service_base*>(&page));
    // The fake host has no version record: the address goes on without the version.
    zut::string8 url;
    EXPECT_TRUE(page.get_help_url(url));
    EXPECT_STREQ(url.get_ptr(),
                 "https://trovaplay.org/help//preferences/8FD35FE9-D072-4A1E-B430-B33381EAD13C/zin_window_debug");
}

TEST_F(PrefPage, ShownValuesGetOneLineEachInOrder) {
    const HWND page = open_page();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(g_pref_dialog, page);
    EXPECT_EQ(GetParent(page), parent);
    for (int id : {IDC_RELOAD, IDC_RESET_CONFIG, IDC_LOAD_SKIN}) EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, id)));
    // step (a number) and hidden take no line.
    ASSERT_EQ(g_pref_controls.getSize(), 4u);
    ASSERT_EQ(g_color_swatches.getSize(), 1u);
    struct line {
        HWND control;
        LONG x, y;
    };
    for (const line& l : {line{control_of("clock"), 10, 56}, line{control_of("face"), 220, 86},
                          line{control_of("back"), 10, 116}, line{g_color_swatches[0].swatch, 410, 115},
                          line{control_of("title"), 10, 141}}) {
        const POINT at = position(page, l.control);
        EXPECT_EQ(at.x, l.x);
        EXPECT_EQ(at.y, l.y);
    }
    EXPECT_EQ(SendMessageW(control_of("clock"), BM_GETCHECK, 0, 0), BST_CHECKED);
    // The font button shows its own font; the others the dialog's.
    ASSERT_EQ(g_font_buttons.getSize(), 1u);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control_of("title"), WM_GETFONT, 0, 0)), g_font_buttons[0].font);
    EXPECT_EQ(SendMessageW(control_of("clock"), WM_GETFONT, 0, 0), SendMessageW(page, WM_GETFONT, 0, 0));
    // "Arial" is selected, not "Arial Black" that merely begins with it.
    EXPECT_EQ(SendMessageW(control_of("face"), CB_GETCURSEL, 0, 0), 1);
    // The swatch is painted with its brush.
    EXPECT_EQ(SendMessageW(page, WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(g_color_swatches[0].swatch)),
              reinterpret_cast<LRESULT>(g_color_swatches[0].brush));
    // One page at a time.
    EXPECT_EQ(open_page(), nullptr);
    EXPECT_EQ(g_pref_dialog, page);
}

TEST_F(PrefPage, EditsReachTheFileWhenThePageCloses) {
    const HWND page = open_page();
    ASSERT_NE(page, nullptr);
    uncheck(control_of("clock"));
    SetWindowTextW(control_of("face"), L"Tahoma");
    DestroyWindow(parent);
    EXPECT_EQ(g_pref_dialog, nullptr);
    EXPECT_EQ(g_pref_controls.getSize(), 0u);
    EXPECT_EQ(g_color_swatches.getSize(), 0u);
    EXPECT_EQ(g_font_buttons.getSize(), 0u);
    EXPECT_EQ(g_skin_sections.getSize(), 0u);
    EXPECT_EQ(stored("clock"), "false");
    EXPECT_EQ(stored("face"), "Tahoma");
}

// A host need not close its preferences before the shutdown: the page goes first, with its edits,
// before the shutdown reads the file again (which frees the items the page's controls stand for).
TEST_F(PrefPage, ShutdownWithThePageOpenKeepsItsEdits) {
    const HWND page = open_page();
    ASSERT_NE(page, nullptr);
    uncheck(control_of("clock"));
    get_ui_zin().shutdown();
    EXPECT_FALSE(IsWindow(page));
    EXPECT_EQ(g_pref_dialog, nullptr);
    EXPECT_EQ(g_pref_controls.getSize(), 0u);
    EXPECT_EQ(_heapchk(), _HEAPOK);
    EXPECT_EQ(stored("clock"), "false");
}

TEST_F(PrefPage, AControlThatIsNoLongerAWindowIsPassedOver) {
    ASSERT_NE(open_page(), nullptr);
    engine_test::debug_capture debug;
    DestroyWindow(control_of("clock"));
    SetWindowTextW(control_of("face"), L"Tahoma");
    DestroyWindow(parent);
    EXPECT_FALSE(debug.containing("IsWindow").empty());
    EXPECT_EQ(stored("clock"), "true");
    EXPECT_EQ(stored("face"), "Tahoma");
}

TEST_F(PrefPage, ColourIsStoredOnOkAndTheSwatchRefreshedEitherWay) {
    const HWND page = open_page();
    ASSERT_NE(page, nullptr);
    auto swatch_colour = [] {
        LOGBRUSH brush = {};
        GetObjectW(g_color_swatches[0].brush, sizeof brush, &brush);
        return brush.lbColor;
    };
    choice().confirm = false;
    choice().color = 0x00FF00;
    const HBRUSH before = g_color_swatches[0].brush;
    click(control_of("back"));
    EXPECT_EQ(choice().calls, 1);
    EXPECT_EQ(choice().owner, page);
    EXPECT_EQ(choice().custom_colors, reinterpret_cast<DWORD*>(g_custom_colors));
    EXPECT_NE(g_color_swatches[0].brush, before);
    EXPECT_EQ(swatch_colour(), 0x0000FFu);
    choice().confirm = true;
    click(control_of("back"));
    EXPECT_EQ(swatch_colour(), 0x00FF00u);
    DestroyWindow(parent);
    EXPECT_EQ(stored("back"), std::to_string(0x00FF00));
}

// A dialog asked for while a paint is under way (here a part's draw that clicks the page's button)
// is refused with its debug line and not shown: its modal loop would run inside the paint. After the
// paint the same click shows it.
TEST_F(PrefPage, DialogsAskedForInsideAPaintAreRefused) {
    const HWND page = open_page();
    ASSERT_NE(page, nullptr);
    ASSERT_GT(g_windows.getSize(), 0u);
    zin_window* w = g_windows[0];
    ASSERT_NE(w->mWnd, nullptr);
    window_test::probe_part part(g_lua, rect(0, 0, 10, 10));
    w->add_part(&part, "probe");
    dialog() = dialog_state();  // the open-file dialog cancels: the skin stays
    choice().confirm = false;
    const struct {
        const char* what;
        HWND control;
        std::function<int()> shown;
    } cases[] = {
        {"colour dialog", control_of("back"), [] { return choice().calls; }},
        {"font dialog", control_of("title"), [] { return choice().calls; }},
        {"open-file dialog", GetDlgItem(page, IDC_LOAD_SKIN), [] { return dialog().calls; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NE(c.control, nullptr);
        const int before = c.shown();
        part.on_draw = [&] { click(c.control); };
        {
            engine_test::debug_capture capture;
            w->redraw_rect(rect(0, 0, 10, 10));
            EXPECT_TRUE(capture.contains(std::string("!!") + c.what + " not shown: a paint is under way\n"));
        }
        EXPECT_EQ(c.shown(), before);
        part.on_draw = nullptr;
        click(c.control);
        EXPECT_EQ(c.shown(), before + 1);
    }
    EXPECT_TRUE(IsWindow(page));
    w->mParts.removeValue(&part);
    part.mpWin = nullptr;
}

// Commands go by control, whatever their notification: the page's own controls are answered, a
// drop-down list's notification does nothing, and any other control is not the page's.
TEST_F(PrefPage, CommandsGoByControl) {
    const HWND page = open_page();
    ASSERT_NE(page, nullptr);
    const HWND face = control_of("face");
    SendMessageW(face, CB_SETCURSEL, 0, 0);
    const HWND stranger = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 0, 1, 1, page, nullptr, nullptr, nullptr);
    struct command {
        HWND control;
        WORD code;
        INT_PTR answer;
    };
    for (const command& c : {command{face, CBN_SELCHANGE, TRUE}, command{face, CBN_DROPDOWN, TRUE},
                             command{control_of("clock"), BN_CLICKED, TRUE}, command{stranger, BN_CLICKED, FALSE},
                             command{nullptr, 0, FALSE}})
        EXPECT_EQ(config_dialog_proc(page, WM_COMMAND, MAKEWPARAM(0, c.code), reinterpret_cast<LPARAM>(c.control)),
                  c.answer);
    EXPECT_EQ(choice().calls, 0);
    EXPECT_EQ(SendMessageW(face, CB_GETCURSEL, 0, 0), 0);
    DestroyWindow(stranger);
}

TEST_F(PrefPage, ConfirmedFontIsShownOnItsButton) {
    const HWND page = open_page();
    ASSERT_NE(page, nullptr);
    choice().confirm = false;
    const HFONT before = g_font_buttons[0].font;
    click(control_of("title"));
    EXPECT_EQ(g_font_buttons[0].font, before);
    choice().confirm = true;
    choice().height = -20;
    click(control_of("title"));
    EXPECT_EQ(choice().owner, page);
    EXPECT_EQ(choice().flags, DWORD(CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_FORCEFONTEXIST));
    EXPECT_EQ(choice().font_type, SCREEN_FONTTYPE);
    ASSERT_NE(g_font_buttons[0].font, before);
    LOGFONTW shown = {};
    GetObjectW(g_font_buttons[0].font, sizeof shown, &shown);
    EXPECT_EQ(shown.lfHeight, -20);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control_of("title"), WM_GETFONT, 0, 0)), g_font_buttons[0].font);
}

TEST_F(PrefPage, ReloadKeepsThePageAndHandsTheScriptTheEditedValues) {
    const HWND page = open_page();
    ASSERT_NE(page, nullptr);
    // A new state may lie where the old one did: the old one carries a mark.
    ASSERT_EQ(engine_test::run(g_lua, "old_state = true"), "");
    uncheck(control_of("clock"));
    click(GetDlgItem(page, IDC_RELOAD));
    ASSERT_NE(g_lua, nullptr);
    EXPECT_EQ(engine_test::eval(g_lua, "old_state"), "nil");
    EXPECT_TRUE(g_skin_running);
    EXPECT_EQ(engine_test::eval(g_lua, "clock"), "false");
    EXPECT_TRUE(IsWindow(page));
    EXPECT_NE(g_current_section, nullptr);
    EXPECT_EQ(g_pref_controls.getSize(), 4u);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(PrefPage, ResetConfigStartsTheSkinWithAFreshSectionAndClosesThePreferences) {
    const HWND page = open_page();
    ASSERT_NE(page, nullptr);
    uncheck(control_of("clock"));
    click(GetDlgItem(page, IDC_RESET_CONFIG));
    EXPECT_FALSE(IsWindow(parent));
    EXPECT_EQ(g_pref_dialog, nullptr);
    EXPECT_TRUE(g_skin_running);
    EXPECT_EQ(engine_test::eval(g_lua, "clock"), "true");
    EXPECT_FALSE(quit_posted());
    EXPECT_EQ(stored("clock"), "true");
}

TEST_F(PrefPage, ResetConfigWithAFailingSkinAndCancelQuitsWithoutTouchingTheDroppedItems) {
    const HWND page = open_page();
    ASSERT_NE(page, nullptr);
    folder.write("skin.lua", "error('broken skin')\n");
    box_answers() = {IDOK, IDCANCEL};  // the script's error, then "Retry ?"
    click(GetDlgItem(page, IDC_RESET_CONFIG));
    EXPECT_TRUE(quit_posted());
    EXPECT_FALSE(g_skin_running);
    EXPECT_EQ(boxes().back().caption, L"Loading of Skin failed. Cancel quits trova!");
    // The page let go of the destroyed items at once: closing it writes nothing through them.
    EXPECT_EQ(g_pref_controls.getSize(), 0u);
    DestroyWindow(parent);
    EXPECT_EQ(g_pref_dialog, nullptr);
    EXPECT_EQ(_heapchk(), _HEAPOK);
    EXPECT_EQ(stored("clock"), "<none>");  // the section is gone from the file
}

TEST_F(PrefPage, LoadSkinCancelledLeavesSkinPathAndPageAsTheyWere) {
    const HWND page = open_page();
    ASSERT_NE(page, nullptr);
    lua_State* running = g_lua;
    const std::wstring path = g_skin_path.get();
    dialog() = dialog_state();  // cancels
    click(GetDlgItem(page, IDC_LOAD_SKIN));
    EXPECT_EQ(dialog().calls, 1);
    EXPECT_EQ(dialog().owner, page);
    EXPECT_EQ(g_lua, running);
    EXPECT_EQ(std::wstring(g_skin_path.get()), path);
    EXPECT_TRUE(IsWindow(page));
    EXPECT_EQ(g_pref_controls.getSize(), 4u);
}

TEST_F(PrefPage, LoadSkinThatFailsWithCancelLoadsTheOldSkinFromItsOwnFolder) {
    const HWND page = open_page();
    ASSERT_NE(page, nullptr);
    uncheck(control_of("clock"));
    const std::wstring old_path = g_skin_path.get();
    const std::wstring old_dir = lua_compat::skin_dir();
    const std::string other = folder.subfolder("other") + "broken.lua";
    folder.write("other\\broken.lua", "error('broken skin')\n");
    dialog().answer = widen(other);
    box_answers() = {IDOK, IDCANCEL};  // the script's error, then "Retry ?"
    click(GetDlgItem(page, IDC_LOAD_SKIN));
    ASSERT_GE(boxes().size(), 2u);
    EXPECT_EQ(boxes().back().caption, L"Loading of Skin failed. Cancel loads old skin!");
    EXPECT_TRUE(g_skin_running);
    EXPECT_FALSE(quit_posted());
    EXPECT_EQ(std::wstring(g_skin_path.get()), old_path);
    EXPECT_EQ(std::wstring(lua_compat::skin_dir()), old_dir);
    ASSERT_NE(g_current_section, nullptr);
    EXPECT_EQ(std::wstring(g_current_section->key.get()), old_path);
    // The old skin got its own values, with the edit made before the switch.
    EXPECT_EQ(engine_test::eval(g_lua, "clock"), "false");
    EXPECT_TRUE(IsWindow(page));
    DestroyWindow(parent);
    EXPECT_EQ(_heapchk(), _HEAPOK);
}

TEST_F(PrefPage, LoadSkinSwitchesToTheNewSkinAndKeepsBothSections) {
    const HWND page = open_page();
    ASSERT_NE(page, nullptr);
    const std::string other = folder.subfolder("next") + "skin.lua";
    folder.write("next\\skin.lua", "w = window.new('main', 10, 10, rect.new(20, 20, 120, 80))\n"
                                   "config.save(7, 'other')\n");
    dialog().answer = widen(other);
    click(GetDlgItem(page, IDC_LOAD_SKIN));
    EXPECT_FALSE(IsWindow(parent));
    EXPECT_TRUE(g_skin_running);
    EXPECT_EQ(std::wstring(g_skin_path.get()), widen(other));
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(stored("other"), "7");
    EXPECT_EQ(stored("clock", skin_path), "true");
}

TEST_F(PrefPage, NoPageWhileAConfigurationSectionIsInUse) {
    // As while the skin's main chunk or its unload callback runs: reading the file now would pull
    // the section from under the script.
    ASSERT_TRUE(load_config());
    select_skin_section();
    skin_section* in_use = g_current_section;
    EXPECT_EQ(open_page(), nullptr);
    EXPECT_EQ(g_pref_dialog, nullptr);
    EXPECT_EQ(g_current_section, in_use);
    clear_skin_sections();
}

TEST_F(PrefPage, WithoutARunningSkinTheCommandsAreDisabled) {
    get_ui_zin().shutdown();
    ASSERT_FALSE(g_skin_running);
    const HWND page = open_page();
    ASSERT_NE(page, nullptr);
    for (int id : {IDC_RELOAD, IDC_RESET_CONFIG, IDC_LOAD_SKIN}) EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, id)));
}

}  // namespace
