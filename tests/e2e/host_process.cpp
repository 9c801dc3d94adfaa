// Starting and watching the reference host for the end-to-end tests.

#include "host_process.h"

#include <sstream>

namespace e2e {

namespace {

std::wstring widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n);
    return out;
}

std::wstring folder_of_this_program() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    const size_t slash = p.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : p.substr(0, slash);
}

void remove_tree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = dir + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

std::wstring quote(const std::wstring& a) { return L"\"" + a + L"\""; }

}  // namespace

std::string narrow(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring source_file(const char* relative) {
    // The source tree is a Unix folder: under Wine it has a drive letter of its own, which Wine's
    // own call knows; the default prefix maps the root to Z:.
    const std::string unix_path = std::string(ZIN_SOURCE_DIR) + "/" + relative;
    using to_dos_function = wchar_t* (*)(const char*);
    const auto to_dos = reinterpret_cast<to_dos_function>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (to_dos) {
        if (wchar_t* dos = to_dos(unix_path.c_str())) {
            std::wstring out = dos;
            HeapFree(GetProcessHeap(), 0, dos);
            return out;
        }
    }
    std::wstring out = L"Z:" + widen(unix_path);
    for (wchar_t& c : out)
        if (c == L'/') c = L'\\';
    return out;
}

std::wstring temp_folder(const wchar_t* name) {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    const std::wstring dir = std::wstring(base) + L"zin_e2e_" + name + L"_" + std::to_wstring(GetCurrentProcessId());
    remove_tree(dir);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::string read_file(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::string();
    std::string out;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    CloseHandle(f);
    return out;
}

std::vector<std::string> lines_containing(const std::string& text, const std::string& what) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (line.find(what) != std::string::npos) out.push_back(line);
    return out;
}

host_process::host_process(const std::vector<std::wstring>& args, const std::wstring& stdout_file) {
    const std::wstring exe = folder_of_this_program() + L"\\trovaplay.exe";
    std::wstring command = quote(exe);
    for (const std::wstring& a : args) command += L" " + quote(a);
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE out = CreateFileW(stdout_file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = out;
    PROCESS_INFORMATION pi = {};
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(0);
    if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        m_process = pi.hProcess;
        m_process_id = pi.dwProcessId;
    }
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
}

host_process::~host_process() {
    if (!m_process) return;
    if (WaitForSingleObject(m_process, 0) != WAIT_OBJECT_0) {
        TerminateProcess(m_process, 99);
        WaitForSingleObject(m_process, 5000);
    }
    CloseHandle(m_process);
}

bool host_process::wait(DWORD timeout_ms) {
    if (!m_process) return false;
    if (WaitForSingleObject(m_process, timeout_ms) == WAIT_OBJECT_0) return true;
    TerminateProcess(m_process, 99);
    WaitForSingleObject(m_process, 5000);
    return false;
}

DWORD host_process::exit_code() const {
    DWORD code = 0xFFFFFFFF;
    if (m_process) GetExitCodeProcess(m_process, &code);
    return code;
}

HWND host_process::wait_for_window(const wchar_t* class_name, const wchar_t* title, DWORD timeout_ms) const {
    const DWORD start = GetTickCount();
    for (;;) {
        for (HWND w = FindWindowExW(nullptr, nullptr, class_name, title); w;
             w = FindWindowExW(nullptr, w, class_name, title)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == m_process_id && IsWindowVisible(w)) return w;
        }
        if (GetTickCount() - start > timeout_ms) return nullptr;
        Sleep(100);
    }
}

bool wait_for_text(const std::wstring& file, const std::string& text, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (read_file(file).find(text) != std::string::npos) return true;
        if (GetTickCount() - start > timeout_ms) return false;
        Sleep(100);
    }
}

void post_left_click(HWND window, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(window, WM_MOUSEMOVE, 0, at);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
}

}  // namespace e2e
