// The preferences page's dialog procedure: its three commands, the colour and font choices, and
// the page's end.
//
// Reload
//   1. Write the controls back into their items.
//   2. Reload the running skin (window states remembered, saved, unloaded, loaded with retry; the
//      current section stays current, the page stays open).
// Reset Config
//   1. Remember the window states (the script's OnUnload runs).
//   2. The page lets go of every item of the section, then the section is destroyed.
//   3. Save (the file no longer holds this skin's section).
//   4. Unload the skin.
//   5. Select a fresh section for the same skin path.
//   6. Load with retry; given up -> the message loop is asked to quit.
//   7. Close the host's preferences and open them again, now with the new values.
// Load Skin
//   1. Write the controls back into their items.
//   2. Ask for the new skin file (the dialog owned by the page); the current path stays until a
//      file is chosen.
//   3. Cancelled: nothing changes.
//   4. Remember the window states, save, unload, select the new skin's section.
//   5. Load with retry ("Cancel loads old skin!"); success: close the host's preferences and open
//      them again.
//   6. Given up: the old path comes back (the rejected one is freed), its section is selected and
//      the old skin loads from its own folder; given up again -> the message loop is asked to quit.
// A command is refused while another runs (the retry box lets the page take clicks) or while a
// script call is under way (the skin cannot be unloaded beneath it).

#include "zin_conf.h"

#include "pref_lists.h"
#include "zin_config.h"

#include <lua_class/lua_class.h>
#include <tro_ui_zin.h>

#include <trovaplay/sdk/console.h>
#include <trovaplay/sdk/mainmenu.h>
#include <trovaplay/shared/shared.h>

#include <debug.h>

#include <cwchar>
#include <exception>
#include <vector>

using zin_config::conf_base;

namespace {

const wchar_t CAPTION_QUITS[] = L"Loading of Skin failed. Cancel quits trova!";
const wchar_t CAPTION_OLD_SKIN[] = L"Loading of Skin failed. Cancel loads old skin!";

BOOL default_choose_color(DWORD* color, HWND parent, DWORD* custom_colors) {
    return uChooseColor(color, parent, custom_colors);
}
BOOL default_choose_font(CHOOSEFONTA* choice) { return ChooseFontA(choice); }

choose_color_function g_choose_color = &default_choose_color;
choose_font_function g_choose_font = &default_choose_font;

bool s_command_running = false;

struct command_scope {
    command_scope() { s_command_running = true; }
    ~command_scope() { s_command_running = false; }
    command_scope(const command_scope&) = delete;
    command_scope& operator=(const command_scope&) = delete;
};

// The page's record lists let go of the items (their section is about to go).
void forget_items() {
    g_pref_controls.clear();
    for (uint32_t i = 0; i < g_color_swatches.getSize(); ++i) g_color_swatches[i].item = nullptr;
}

// The host's preferences close (which destroys this page) and open again.
void reopen_preferences(HWND dialog) {
    forget_items();
    SendMessageW(GetParent(dialog), WM_CLOSE, 0, 0);
    show_preferences();
}

void reset_config(HWND dialog) {
    // 1.
    remember_window_states();
    // 2.
    forget_items();
    drop_current_section();
    // 3.
    save_config();
    // 4.
    unload_skin();
    // 5.
    select_skin_section();
    // 6.
    if (!load_skin_with_retry(CAPTION_QUITS)) {
        PostQuitMessage(0);
        return;
    }
    // 7.
    reopen_preferences(dialog);
}

void load_other_skin(HWND dialog) {
    // 1.
    read_config_controls();
    // 2.
    const std::wstring old_path = g_skin_path.get() ? g_skin_path.get() : L"";
    // 3.
    if (!choose_skin(dialog)) return;
    // 4.
    remember_window_states();
    save_config();
    unload_skin();
    select_skin_section();
    // 5.
    if (load_skin_with_retry(CAPTION_OLD_SKIN)) {
        reopen_preferences(dialog);
        return;
    }
    // 6.
    set_skin_path(old_path.c_str());
    select_skin_section();
    if (!load_skin_with_retry(CAPTION_QUITS)) PostQuitMessage(0);
}

void choose_color(HWND dialog, conf_base* item) {
    if (!modal_ui_allowed("colour dialog")) return;
    unsigned long& color = static_cast<zin_config::conf_color*>(item)->value();
    g_choose_color(&color, dialog, g_custom_colors);
    // Also after a cancel: the swatch is drawn again either way.
    zin_config::color_swatch* swatch = zin_config::find_color_swatch_by_item(item);
    if (!ZIN_CHECK_MSG(swatch != nullptr, "colour swatch of the item")) return;
    if (swatch->brush) DeleteObject(swatch->brush);
    swatch->brush = CreateSolidBrush(color);
    InvalidateRect(swatch->swatch, nullptr, TRUE);
}

void choose_font(HWND dialog, HWND button, conf_base* item) {
    if (!modal_ui_allowed("font dialog")) return;
    CHOOSEFONTA choice = {};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = dialog;
    choice.lpLogFont = &static_cast<zin_config::conf_font*>(item)->value();
    choice.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_FORCEFONTEXIST;
    choice.nFontType = SCREEN_FONTTYPE;
    if (!g_choose_font(&choice)) return;
    zin_config::font_button* entry = zin_config::find_font_button(button);
    if (!ZIN_CHECK_MSG(entry != nullptr, "font button of the control")) return;
    if (entry->font) DeleteObject(entry->font);
    entry->font = CreateFontIndirectA(choice.lpLogFont);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(entry->font), TRUE);
}

// The skin commands, each refused while one runs or a script call is under way.
INT_PTR skin_command(HWND dialog, int id) {
    if (s_command_running || g_script_calls > 0) {
        zin_debug_output("!!preferences command refused: the skin is busy\n");
        return TRUE;
    }
    const command_scope scope;
    if (id == IDC_RELOAD) {
        read_config_controls();
        reload_skin();
    } else if (id == IDC_RESET_CONFIG) {
        reset_config(dialog);
    } else {
        load_other_skin(dialog);
    }
    return TRUE;
}

INT_PTR on_command(HWND dialog, HWND control) {
    const int id = GetDlgCtrlID(control);
    if (id == IDC_RELOAD || id == IDC_RESET_CONFIG || id == IDC_LOAD_SKIN) return skin_command(dialog, id);
    zin_config::pref_control* entry = zin_config::find_pref_control(control);
    if (!entry) return FALSE;
    conf_base* item = entry->item;
    const char* type = item->get_type_name();
    if (zin_config::is_color_type(type))
        choose_color(dialog, item);
    else if (zin_config::is_font_type(type))
        choose_font(dialog, control, item);
    return TRUE;
}

void on_destroy() {
    for (uint32_t i = 0; i < g_font_buttons.getSize(); ++i)
        if (g_font_buttons[i].font) DeleteObject(g_font_buttons[i].font);
    g_font_buttons.clear();
    for (uint32_t i = 0; i < g_color_swatches.getSize(); ++i)
        if (g_color_swatches[i].brush) DeleteObject(g_color_swatches[i].brush);
    g_color_swatches.clear();
    read_config_controls();
    g_pref_controls.clear();
    g_pref_dialog = nullptr;
    if (has_skin_path()) save_config();
    clear_skin_sections();
}

INT_PTR handle_message(HWND dialog, UINT msg, WPARAM, LPARAM lparam) {
    switch (msg) {
    case WM_CTLCOLORSTATIC: {
        const zin_config::color_swatch* swatch = zin_config::find_color_swatch(reinterpret_cast<HWND>(lparam));
        return swatch ? reinterpret_cast<INT_PTR>(swatch->brush) : 0;
    }
    case WM_DESTROY:
        on_destroy();
        return TRUE;
    case WM_COMMAND:
        // By control, whatever the notification: the buttons only ever notify clicks, and the
        // other controls' notifications do nothing but are answered as the page's own.
        if (!lparam) return FALSE;
        return on_command(dialog, reinterpret_cast<HWND>(lparam));
    default:
        return FALSE;
    }
}

}  // namespace

choose_color_function set_choose_color(choose_color_function function) {
    choose_color_function previous = g_choose_color;
    g_choose_color = function ? function : &default_choose_color;
    return previous;
}

choose_font_function set_choose_font(choose_font_function function) {
    choose_font_function previous = g_choose_font;
    g_choose_font = function ? function : &default_choose_font;
    return previous;
}

INT_PTR CALLBACK config_dialog_proc(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam) {
    try {
        return handle_message(dialog, msg, wparam, lparam);
    } catch (const std::exception& e) {
        console::report_error("config_dialog_proc", e.what());
    }
    return FALSE;
}
