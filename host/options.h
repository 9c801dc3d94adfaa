#pragma once
// The reference host's command line.
//
//   --profile DIR      the profile folder (default: a per-user folder, %APPDATA%\trovaplay)
//   --log FILE         every host line, console line and message box to FILE, UTF-8, each marked and
//                      timed (they go to standard output too)
//   --debug-log        the component's debug lines too (they are left out otherwise)
//   --run-for MS       quit normally after MS milliseconds
//   --play             start playback once the user interface runs
//   --skin FILE        answers the component's open-file dialog with FILE when it asks for a skin
//   --answer WORD      answers every other dialog of the component: ok, cancel, abort, retry, ignore,
//                      yes or no (default ok)
//   --menu-pick LABEL  picks the item of that label in every popup menu of the component ("Sub/Item"
//                      for an item of a submenu; '&' marks and case are ignored); a menu without
//                      it is dismissed
//   --screenshot FILE  a PNG of the component's windows (the part of the screen they cover), taken
//                      just before the host quits
//   --full-screen      the --screenshot holds the whole screen
//   --show-prefs       open the preferences once the user interface runs
//   --component DLL    the component module to load (default: tro_ui_zin.dll beside the program)
//   --fault NAME:SLOT  for tests: the component's calls through slot SLOT of the host's service NAME
//                      (host_api for the host's API object) throw; NAME:missing offers it no such
//                      service
//   --help             the usage text
//   FILE ...           tracks for the playlist: files, or M3U playlists (.m3u, .m3u8) whose entries
//                      are taken
//
// Options are taken in any order; each but the flags (--play, --debug-log, --full-screen, --show-prefs,
// --help) takes one value, as the next argument
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
    bool debug_log = false;           // --debug-log
    bool full_screen = false;         // --full-screen
    bool show_prefs = false;          // --show-prefs
    std::vector<std::wstring> items;  // tracks and playlists, in the order given
    std::wstring skin;        // empty: the open-file dialog is cancelled
    std::wstring answer;      // empty: ok
    std::wstring screenshot;  // empty: none
    std::wstring fault_name;  // empty: no --fault
    int fault_slot = -1;      // -1: the service is missing
    std::wstring menu_pick;   // empty: popup menus are left to the user
};

// Parses argv[1..] (argv[0] is the program). Returns false with a message in `error` on a bad line.
bool parse_options(const std::vector<std::wstring>& args, options& out, std::wstring& error);

// The usage text.
const wchar_t* usage_text();

}  // namespace host
