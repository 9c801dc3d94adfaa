#pragma once
// The preferences page `zin_conf`: the host shows it inside its preferences. It lists every value
// the running skin saved for the preferences, one control per line, and offers three commands:
// reload the skin, reset its configuration, load another skin. The edited values are written back
// and saved when the page closes.

#include <trovaplay/sdk/preferences_page.h>

#include <windows.h>
#include <commdlg.h>

class zin_conf : public preferences_page {
public:
    HWND create(HWND p_parent) override;  // 3
    const char* get_name() override;      // 4
    GUID* get_guid(GUID* p_out) override;         // 5
    GUID* get_parent_guid(GUID* p_out) override;  // 6
    using preferences_page::get_guid;
    using preferences_page::get_parent_guid;
    bool reset_query() override;          // 7
    void reset() override;                // 8
    // 9 get_help_url: the SDK layer's default.

protected:
    zin_conf() = default;
    ~zin_conf() = default;
};

// The service object the factory hands out.
preferences_page& get_zin_conf();

// The page's dialog window while a page exists, else null. Also the owner of the dialogs the page
// opens (the reload cycle's "Retry ?" boxes, the file, colour and font dialogs).
extern HWND g_pref_dialog;

// The controls of the dialog resource 101.
enum : int { IDC_RELOAD = 1003, IDC_LOAD_SKIN = 1004, IDC_RESET_CONFIG = 1005 };
// The first value line's position and the distance between lines (pixels).
constexpr int PREF_LINE_X = 10;
constexpr int PREF_LINE_Y = 50;
constexpr int PREF_LINE_STEP = 30;

INT_PTR CALLBACK config_dialog_proc(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam);
// Writes every value control back into its item (strings and booleans; colours and fonts were
// stored as they were chosen). Controls that are no longer windows are reported and passed over.
void read_config_controls();

// The colour and font dialogs: uChooseColor and ChooseFontA by default; tests replace them.
using choose_color_function = BOOL (*)(DWORD* color, HWND parent, DWORD* custom_colors);
choose_color_function set_choose_color(choose_color_function function);
using choose_font_function = BOOL (*)(CHOOSEFONTA* choice);
choose_font_function set_choose_font(choose_font_function function);
