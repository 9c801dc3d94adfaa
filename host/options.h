#pragma once
// The reference host's command line.
//
//   --profile DIR   the profile folder (default: a per-user folder, %APPDATA%\trovaplay)
//   --log FILE      every console line (and, later, debug and message-box lines) to FILE, UTF-8
//   --run-for MS    quit normally after MS milliseconds
//   --component DLL the component module to load (default: tro_ui_zin.dll beside the program)
//   --help          the usage text
// Accepted already, not yet acted on (the run reports that it ignores them):
//   --skin FILE, --answer WORD, --screenshot FILE
//
// Options are taken in any order; each takes one value, as the next argument or after '='.
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
    // Taken from the line, not acted on yet.
    std::wstring skin;
    std::wstring answer;
    std::wstring screenshot;
};

// Parses argv[1..] (argv[0] is the program). Returns false with a message in `error` on a bad line.
bool parse_options(const std::vector<std::wstring>& args, options& out, std::wstring& error);

// The usage text.
const wchar_t* usage_text();

}  // namespace host
