// End to end: starts trovaplay.exe (beside this test program) as its own process and reads its log
// file and its standard output.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <text.h>

namespace {

struct run_result {
    DWORD exit_code = 0xFFFFFFFF;
    DWORD elapsed_ms = 0;
    std::string log;
    std::string out;
};

std::string read_all(const std::wstring& path) {
    std::ifstream f(host::to_utf8(path).c_str(), std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::wstring quote(const std::wstring& a) { return L"\"" + a + L"\""; }

// Removes a folder with everything in it.
void remove_tree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = dir + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) remove_tree(path);
            else DeleteFileW(path.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

// A fresh, empty folder under the temporary folder.
std::wstring temp_folder(const wchar_t* name) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring dir = std::wstring(base) + L"trovaplay_e2e_" + name + L"_" + std::to_wstring(GetCurrentProcessId());
    remove_tree(dir);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

run_result run_host(const std::vector<std::wstring>& args, const std::wstring& work) {
    run_result r;
    const std::wstring exe = host::folder_of(host::module_path()) + L"\\trovaplay.exe";
    std::wstring cmd = quote(exe);
    for (const std::wstring& a : args) cmd += L" " + quote(a);
    const std::wstring out_path = work + L"\\stdout.txt";
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE out = CreateFileW(out_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = out;
    PROCESS_INFORMATION pi = {};
    std::vector<wchar_t> line(cmd.begin(), cmd.end());
    line.push_back(0);
    const DWORD start = GetTickCount();
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start " << host::to_utf8(exe) << " (error " << GetLastError() << ")";
        CloseHandle(out);
        return r;
    }
    if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "trovaplay.exe did not end within 60 s";
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    r.elapsed_ms = GetTickCount() - start;
    GetExitCodeProcess(pi.hProcess, &r.exit_code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(out);
    r.log = read_all(work + L"\\log.txt");
    r.out = read_all(out_path);
    return r;
}

bool has(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }

std::wstring bin_file(const wchar_t* name) { return host::folder_of(host::module_path()) + L"\\" + name; }

TEST(e2e, RealComponentLoadsRegistersAndExitsCleanly) {
    const std::wstring work = temp_folder(L"real");
    const run_result r =
        run_host({L"--run-for", L"500", L"--log", work + L"\\log.txt", L"--profile", work + L"\\profile"}, work);
    EXPECT_EQ(r.exit_code, 0u) << r.log;
    EXPECT_TRUE(has(r.log, "host: loaded ")) << r.log;
    EXPECT_TRUE(has(r.log, "(interface version 71)")) << r.log;
    EXPECT_TRUE(has(r.log, "host: registered componentversion {10BB3EBD-DDF7-4975-A3CC-23084829453E}")) << r.log;
    EXPECT_TRUE(has(r.log, "host: component zin_window_debug 0.1 (tro_ui_zin.dll): skinnable ui for trovaplay"))
        << r.log;
    // No skin was given: the user interface's open-file dialog was cancelled and the host went on
    // to exit without waiting for --run-for.
    EXPECT_TRUE(has(r.log, "host: the user interface gave no main window")) << r.log;
    EXPECT_TRUE(has(r.log, "host: component unloaded")) << r.log;
    EXPECT_TRUE(has(r.log, "host: all host references released")) << r.log;
    EXPECT_FALSE(has(r.log, "ERROR")) << r.log;
    // Every log line went to standard output too.
    EXPECT_EQ(r.out, r.log);
    // The component's blob was saved to the profile.
    EXPECT_NE(GetFileAttributesW((work + L"\\profile\\trovaplay_blob_tro_ui_zin.bin").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST(e2e, ProbeSeesTheRegistryAndItsConsoleLinesReachTheLog) {
    const std::wstring work = temp_folder(L"probe");
    const std::vector<std::wstring> args = {L"--run-for", L"100", L"--log", work + L"\\log.txt", L"--profile",
                                            work + L"\\profile", L"--component", bin_file(L"host_probe.dll")};
    const run_result first = run_host(args, work);
    EXPECT_EQ(first.exit_code, 0u) << first.log;
    const std::string& log = first.log;
    EXPECT_TRUE(has(log, "host: component host_probe 1.0 (host_probe.dll): end-to-end probe of the host")) << log;
    EXPECT_TRUE(has(log, "console: probe: previous blob ''\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: unknown class count 0\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: unknown class create 0 no\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: console receivers 1\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: create at last index ok yes\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: create past the end no\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: refcount add 3 release 2\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: componentversion services 1\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: profile file://")) << log;
    EXPECT_TRUE(has(log, "console: probe: main thread yes\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: main window yes\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: shutting down yes\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: initializing no\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: library host_probe.dll\n")) << log;
    // The probe offers no user interface: the host runs until --run-for is over.
    EXPECT_TRUE(has(log, "host: no user interface offered; running without one\n")) << log;
    EXPECT_TRUE(has(log, "host: --run-for time is over\n")) << log;
    EXPECT_TRUE(has(log, "console: ERROR : probe error line\n")) << log;
    // The probe kept a console receiver until its module unloaded: still every reference balanced.
    EXPECT_TRUE(has(log, "host: all host references released")) << log;

    // The blob saved at the first exit is handed back at the second start.
    const run_result second = run_host(args, work);
    EXPECT_EQ(second.exit_code, 0u) << second.log;
    EXPECT_TRUE(has(second.log, "host: configuration handed back (33 bytes)")) << second.log;
    EXPECT_TRUE(has(second.log, "console: probe: previous blob 'probe-blob-v1'\n")) << second.log;
}

TEST(e2e, PlaysAPlaylistGivenOnTheCommandLine) {
    const std::wstring work = temp_folder(L"play");
    const std::wstring list = work + L"\\list.m3u";
    {
        std::ofstream f(host::to_utf8(list).c_str(), std::ios::binary);
        f << "#EXTM3U\r\n#EXTINF:60,Band - Song One\r\none.mp3\r\n#EXTINF:bad,Two\r\ntwo.mp3\r\n";
    }
    const run_result r = run_host({L"--run-for", L"300", L"--log", work + L"\\log.txt", L"--profile",
                                   work + L"\\profile", L"--play", list, work + L"\\missing.m3u"},
                                  work);
    EXPECT_EQ(r.exit_code, 0u) << r.log;
    EXPECT_TRUE(has(r.log, "host: WARNING : " + host::to_utf8(list) + ": line 4: bad length \"bad\"")) << r.log;
    EXPECT_TRUE(has(r.log, "host: ERROR : playlist: cannot open ")) << r.log;
    EXPECT_TRUE(has(r.log, "host: playlist: 2 tracks")) << r.log;
    EXPECT_TRUE(has(r.log, "host: playback: track 1: Band - Song One\n")) << r.log;
    EXPECT_TRUE(has(r.log, "host: playback: stopped (reason 3)\n")) << r.log;  // stopped for the exit
    EXPECT_TRUE(has(r.log, "host: all host references released")) << r.log;
}

TEST(e2e, BadCommandLineAndMissingComponent) {
    const std::wstring work = temp_folder(L"bad");
    const run_result bad = run_host({L"--no-such-option"}, work);
    EXPECT_EQ(bad.exit_code, 1u);
    EXPECT_TRUE(has(bad.out, "host: ERROR : unknown option: --no-such-option")) << bad.out;

    const run_result missing = run_host({L"--run-for", L"0", L"--log", work + L"\\log.txt", L"--profile",
                                         work + L"\\profile", L"--component", work + L"\\nothing.dll"},
                                        work);
    EXPECT_EQ(missing.exit_code, 2u) << missing.log;
    EXPECT_TRUE(has(missing.log, "host: ERROR : cannot load ")) << missing.log;
    EXPECT_TRUE(has(missing.log, "host: all host references released")) << missing.log;
}

}  // namespace
