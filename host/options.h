#pragma once
// The reference host's command line.
//
//   --profile DIR      the profile folder (default: a per-user folder, %APPDATA%\trovaplay)
//   --log FILE         every console line, debug line and message box to FILE, UTF-8, each marked
//   --run-for MS       quit normally after MS milliseconds
//   --play             start playback once the user interface runs
//   --skin FILE        answers the component's open-file dialog with FILE when it asks for a skin
//   --answer WORD      answers every other dialog of the component: ok, cancel, abort, retry, ignore,
//                      yes or no (default ok)
//   --menu-pick LABEL  picks the item of that label in every popup menu of the component ("Sub/Item"
//                      for an item of a submenu; '&' marks and case are ignored); a menu without
//                      it is dismissed
//   --screenshot FILE  a PNG of the whole screen, taken just before the host quits
//   --show-prefs       open the preferences once the user interface runs
//   --component DLL    the component module to load (default: tro_ui_zin.dll beside the program)
//   --help             the usage text
//   FILE ...           tracks for the playlist: files, or M3U playlists (.m3u, .m3u8) whose entries
//                      are taken
//
// Options are taken in any order; each but --play, --show-prefs and --help takes one value, as the next argument
// or after '='.
#include <cstdint>
#include <string>
#include <vector>

namespace host {

struct options {
    std::wstring profile;          // empty: the per-user default
    std::wstring log_file;         // empty: no log file
    std::wstring component;        // empty: tro_ui_zin.dll beside the program
    bool run_for_set = false;
    std::uint32_t run_for_ms = 0;  // with run_for_set
    bool help = false;
    bool play = false;                // --play
    bool show_prefs = false;          // --show-prefs
    std::vector<std::wstring> items;  // tracks and playlists, in the order given
    std::wstring skin;        // empty: the open-file dialog is cancelled
    std::wstring answer;      // empty: ok
    std::wstring screenshot;  // empty: none
    std::wstring menu_pick;   // empty: popup menus are left to the user
};

// Parses argv[1..] (argv[0] is the program). Returns false with a message in `error` on a bad line.
bool parse_options(const std::vector<std::wstring>& args, options& out, std::wstring& error);

// The usage text.
const wchar_t* usage_text();

}  // namespace host
