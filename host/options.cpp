#include "options.h"

#include "automation.h"

namespace host {

namespace {

bool parse_ms(const std::wstring& text, std::uint32_t& out) {
    if (text.empty() || text.size() > 10) return false;
    std::uint64_t v = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        v = v * 10 + std::uint64_t(c - L'0');
    }
    if (v > 0x7FFFFFFFu) return false;
    out = std::uint32_t(v);
    return true;
}

}  // namespace

bool parse_options(const std::vector<std::wstring>& args, options& out, std::wstring& error) {
    out = options();
    for (size_t i = 1; i < args.size(); ++i) {
        std::wstring name = args[i];
        std::wstring value;
        bool has_value = false;
        const size_t eq = name.find(L'=');
        if (name.compare(0, 2, L"--") == 0 && eq != std::wstring::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            has_value = true;
        }
        const bool help = name == L"--help" || name == L"-h" || name == L"/?";
        bool* flag = help                       ? &out.help
                     : name == L"--play"        ? &out.play
                     : name == L"--debug-log"   ? &out.debug_log
                     : name == L"--full-screen" ? &out.full_screen
                     : name == L"--show-prefs"  ? &out.show_prefs
                                                : nullptr;
        if (flag != nullptr) {
            if (has_value) {
                error = L"option " + name + L" takes no value: " + args[i];
                return false;
            }
            *flag = true;
            continue;
        }
        if (!name.empty() && name[0] != L'-') {
            out.items.push_back(args[i]);
            continue;
        }
        const bool known = name == L"--profile" || name == L"--log" || name == L"--run-for" ||
                           name == L"--component" || name == L"--skin" || name == L"--answer" ||
                           name == L"--screenshot" || name == L"--fault" ||
                           name == L"--menu-pick";
        if (!known) {
            error = L"unknown option: " + args[i];
            return false;
        }
        if (!has_value) {
            if (i + 1 >= args.size()) {
                error = L"option " + name + L" needs a value";
                return false;
            }
            value = args[++i];
        }
        if (name == L"--profile") {
            if (value.empty()) {
                error = L"--profile needs a folder";
                return false;
            }
            out.profile = value;
        } else if (name == L"--log") {
            if (value.empty()) {
                error = L"--log needs a file name";
                return false;
            }
            out.log_file = value;
        } else if (name == L"--skin") {
            out.skin = value;
        } else if (name == L"--answer") {
            if (answer_button(value) == 0) {
                error = L"--answer needs one of ok, cancel, abort, retry, ignore, yes, no: " + value;
                return false;
            }
            out.answer = value;
        } else if (name == L"--screenshot") {
            out.screenshot = value;
        } else if (name == L"--menu-pick") {
            if (value.empty()) {
                error = L"--menu-pick needs a menu item label";
                return false;
            }
            out.menu_pick = value;
        } else if (name == L"--component") {
            if (value.empty()) {
                error = L"--component needs a file name";
                return false;
            }
            out.component = value;
        } else if (name == L"--fault") {
            const size_t colon = value.find(L':');
            std::uint32_t slot = 0;
            const std::wstring what = colon == std::wstring::npos ? std::wstring() : value.substr(colon + 1);
            if (colon == 0 || colon == std::wstring::npos || (what != L"missing" && (!parse_ms(what, slot) || slot > 95))) {
                error = L"--fault needs NAME:SLOT (0 to 95) or NAME:missing: " + value;
                return false;
            }
            out.fault_name = value.substr(0, colon);
            out.fault_slot = what == L"missing" ? -1 : int(slot);
        } else if (name == L"--run-for") {
            if (!parse_ms(value, out.run_for_ms)) {
                error = L"--run-for needs a number of milliseconds (0 to 2147483647): " + value;
                return false;
            }
            out.run_for_set = true;
        }
    }
    return true;
}

const wchar_t* usage_text() {
    return L"usage: trovaplay.exe [--profile DIR] [--log FILE] [--debug-log] [--run-for MS] [--play]\n"
           L"                     [--skin FILE] [--answer WORD] [--menu-pick LABEL] [--screenshot FILE]\n"
           L"                     [--full-screen] [--show-prefs] [--component DLL] [--fault NAME:SLOT] [FILE...]\n"
           L"  --profile DIR      profile folder (default: %APPDATA%\\trovaplay)\n"
           L"  --log FILE         write every host line, console line and message box to FILE (UTF-8)\n"
           L"  --debug-log        write the component's debug lines too\n"
           L"  --run-for MS       quit normally after MS milliseconds\n"
           L"  --play             start playback once the user interface runs\n"
           L"  --skin FILE        answer the open-file dialog for a skin with FILE\n"
           L"  --answer WORD      answer other dialogs: ok, cancel, abort, retry, ignore, yes or no (default ok)\n"
           L"  --menu-pick LABEL  pick the item LABEL (\"Sub/Item\" in a submenu) in every popup menu of the\n"
           L"                     component; a menu without it is dismissed\n"
           L"  --screenshot FILE  save a PNG of the component's windows just before quitting\n"
           L"  --full-screen      the screenshot holds the whole screen\n"
           L"  --show-prefs       open the preferences once the user interface runs\n"
           L"  --component DLL    the component to load (default: tro_ui_zin.dll beside the program)\n"
           L"  --fault NAME:SLOT  (tests) calls through that slot of host service NAME throw; NAME:missing\n"
           L"                     offers no such service\n"
           L"  --help             this text\n"
           L"  FILE...            tracks for the playlist: files or M3U playlists (.m3u, .m3u8)\n";
}

}  // namespace host
