#pragma once
// Helpers of the tests that start trovaplay.exe (beside the test program) as its own process: fresh
// work folders, files written and read whole, and the run itself with its log.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <text.h>

namespace host_run {

struct result {
    DWORD exit_code = 0xFFFFFFFF;
    std::string log;
};

inline std::string read_text(const std::wstring& path) {
    std::ifstream f(host::to_utf8(path).c_str(), std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline std::vector<std::uint8_t> read_bytes(const std::wstring& path) {
    const std::string s = read_text(path);
    return std::vector<std::uint8_t>(s.begin(), s.end());
}

inline void write_text(const std::wstring& path, const std::string& text) {
    std::ofstream f(host::to_utf8(path).c_str(), std::ios::binary);
    f << text;
}

inline void remove_tree(const std::wstring& dir) {
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
inline std::wstring temp_folder(const std::wstring& name) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    const std::wstring dir =
        std::wstring(base) + L"trovaplay_" + name + L"_" + std::to_wstring(GetCurrentProcessId());
    remove_tree(dir);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

// Runs the host with `args` plus --log <work>\log.txt and --profile <work>\profile; waits at most a
// minute. Its standard output is thrown away (the log file holds the same lines).
inline result run(const std::vector<std::wstring>& args, const std::wstring& work) {
    result r;
    const std::wstring exe = host::folder_of(host::module_path()) + L"\\trovaplay.exe";
    std::wstring cmd = L"\"" + exe + L"\"";
    std::vector<std::wstring> all = args;
    all.insert(all.end(), {L"--log", work + L"\\log.txt", L"--profile", work + L"\\profile"});
    for (const std::wstring& a : all) cmd += L" \"" + a + L"\"";
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE null_out = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0,
                                  nullptr);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = null_out;
    si.hStdError = null_out;
    PROCESS_INFORMATION pi = {};
    std::vector<wchar_t> line(cmd.begin(), cmd.end());
    line.push_back(0);
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        r.log = "cannot start " + host::to_utf8(exe) + " (error " + std::to_string(GetLastError()) + ")";
        if (null_out != INVALID_HANDLE_VALUE) CloseHandle(null_out);
        return r;
    }
    if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    GetExitCodeProcess(pi.hProcess, &r.exit_code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (null_out != INVALID_HANDLE_VALUE) CloseHandle(null_out);
    r.log = read_text(work + L"\\log.txt");
    return r;
}

inline bool has(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }

}  // namespace host_run
