// The preferences page service: building the page and writing its controls back.
//
// zin_conf::create (parent)
//   1. No skin running: take the profile folder from the host, as the start-up does.
//   2. Only one page at a time, and none while a configuration section is in use (the script's
//      main chunk or its unload callback runs): answer null.
//   3. Read the configuration file; it cannot be read: answer null.
//   4. Select the section of the current skin path.
//   5. Make the dialog from resource 101 as a child of parent.
//   6. No skin running: the three command buttons are disabled.
//   7. The dialog becomes g_pref_dialog; take its font.
//   8. One line per value shown in the preferences, from (10, 50) down in steps of 30; values
//      without a control (numbers, rectangles) take no line.
//   9. Every child gets the dialog's font;
//  10. then each font button its own font.
//  11. Each string's drop-down list selects the entry that equals its value exactly.
//  12. Answer the dialog.

#include "zin_conf.h"

#include "pref_lists.h"
#include "zin_config.h"

#include <tro_ui_zin.h>

#include <trovaplay/sdk/console.h>
#include <trovaplay/sdk/core_api.h>
#include <trovaplay/sdk/dialog.h>

#include <debug.h>

#include <cwchar>
#include <exception>
#include <vector>

using zin_config::conf_base;

HWND g_pref_dialog = nullptr;

namespace {

preferences_page_factory_t<zin_conf> g_zin_conf_factory;

// CB_SELECTSTRING would take the first entry that merely begins with the value (and ignores case).
void select_exact_choice(HWND combo, const wchar_t* value) {
    if (!value) return;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    std::vector<wchar_t> entry;
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        if (length < 0) continue;
        entry.assign(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry.data()));
        if (wcscmp(entry.data(), value) == 0) {
            SendMessageW(combo, CB_SETCURSEL, i, 0);
            return;
        }
    }
}

HWND create_page(HWND parent) {
    // 1.
    if (!g_skin_running) g_profile_dir = profile_dir_of(core_api::get_profile_path());
    // 2.
    if (g_pref_dialog && IsWindow(g_pref_dialog)) {
        zin_debug_output("!!preferences page already open\n");
        return nullptr;
    }
    ZIN_ASSERT(g_pref_controls.getSize() == 0 && g_color_swatches.getSize() == 0 &&
               g_font_buttons.getSize() == 0);
    if (!ZIN_CHECK(g_current_section == nullptr)) return nullptr;
    // 3.
    if (!load_config()) return nullptr;
    // 4.
    if (has_skin_path()) select_skin_section();
    // 5.
    const HWND dialog = create_dialog_param(101, parent, &config_dialog_proc, 0);
    if (!ZIN_CHECK(dialog != nullptr)) {
        clear_skin_sections();
        return nullptr;
    }
    // 6.
    if (!g_skin_running) {
        for (int id : {IDC_RELOAD, IDC_RESET_CONFIG, IDC_LOAD_SKIN}) EnableWindow(GetDlgItem(dialog, id), FALSE);
    }
    // 7.
    g_pref_dialog = dialog;
    const WPARAM font = static_cast<WPARAM>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    // 8.
    int y = PREF_LINE_Y;
    if (g_current_section) {
        CDynArray<named_value>& values = g_current_section->values;
        for (uint32_t i = 0; i < values.getSize(); ++i) {
            if (!values[i].show_in_prefs) continue;
            conf_base* item = values[i].item;
            const HWND control = item->create_control(dialog, values[i].name, PREF_LINE_X, y);
            if (!control) continue;
            g_pref_controls.push(zin_config::pref_control{control, item});
            y += PREF_LINE_STEP;
        }
    }
    // 9.
    for (HWND child = FindWindowExW(dialog, nullptr, nullptr, nullptr); child;
         child = FindWindowExW(dialog, child, nullptr, nullptr))
        SendMessageW(child, WM_SETFONT, font, FALSE);
    // 10.
    for (uint32_t i = 0; i < g_font_buttons.getSize(); ++i)
        SendMessageW(g_font_buttons[i].button, WM_SETFONT, reinterpret_cast<WPARAM>(g_font_buttons[i].font), FALSE);
    // 11.
    for (uint32_t i = 0; i < g_pref_controls.getSize(); ++i) {
        conf_base* item = g_pref_controls[i].item;
        if (zin_config::is_string_type(item->get_type_name()))
            select_exact_choice(g_pref_controls[i].control,
                                static_cast<zin_config::conf_string_base<wchar_t>*>(item)->get());
    }
    // 12.
    return dialog;
}

}  // namespace

preferences_page& get_zin_conf() { return g_zin_conf_factory.get_static_instance(); }

HWND zin_conf::create(HWND p_parent) {
    try {
        return create_page(p_parent);
    } catch (const std::exception& e) {
        console::report_error("zin_conf::create", e.what());
    }
    // A page half made is taken down again: its window's end empties the lists and the sections.
    if (g_pref_dialog)
        DestroyWindow(g_pref_dialog);
    else
        clear_skin_sections();
    return nullptr;
}

const char* zin_conf::get_name() { return "zin_window_debug"; }

GUID* zin_conf::get_guid(GUID* p_out) {
    *p_out = {0x8FD35FE9, 0xD072, 0x4A1E, {0xB4, 0x30, 0xB3, 0x33, 0x81, 0xEA, 0xD1, 0x3C}};
    return p_out;
}

GUID* zin_conf::get_parent_guid(GUID* p_out) {
    *p_out = {0x6AAA67B6, 0x732F, 0x4967, {0x89, 0x9A, 0x18, 0xC5, 0xF8, 0xC7, 0x00, 0x17}};
    return p_out;
}

bool zin_conf::reset_query() { return false; }

void zin_conf::reset() {}

void read_config_controls() {
    for (uint32_t i = 0; i < g_pref_controls.getSize(); ++i) {
        const HWND control = g_pref_controls[i].control;
        conf_base* item = g_pref_controls[i].item;
        const char* type = item->get_type_name();
        const bool is_string = zin_config::is_string_type(type);
        if (!is_string && !zin_config::is_bool_type(type)) continue;
        if (!ZIN_CHECK(IsWindow(control))) continue;
        if (is_string) {
            const int length = GetWindowTextLengthW(control);
            std::vector<wchar_t> text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
            GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
            static_cast<zin_config::conf_string_base<wchar_t>*>(item)->assign(text.data());
        } else {
            static_cast<zin_config::conf_bool*>(item)->value() =
                SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        }
    }
}
