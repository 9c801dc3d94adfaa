// trovaplay.exe: the reference host. Parses its command line and runs (see app.h).
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app.h"
#include "log.h"
#include "options.h"
#include "text.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::vector<std::wstring> args;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 0; argv && i < argc; ++i) args.emplace_back(argv[i]);
    if (argv) LocalFree(argv);

    host::options opts;
    std::wstring error;
    if (!host::parse_options(args, opts, error)) {
        host::log_host("ERROR : " + host::to_utf8(error));
        host::print_plain(host::to_utf8(host::usage_text()));
        return host::exit_bad_command_line;
    }
    if (opts.help) {
        host::print_plain(host::to_utf8(host::usage_text()));
        return host::exit_ok;
    }
    int code;
    {
        host::app application(opts);
        code = application.run();
    }
    host::log_host("exit code " + std::to_string(code));
    host::log_close();
    return code;
}
