// Starting and watching the reference host for the tests.

#include "host_process.h"

#include "files.h"
#include "png_read.h"

#include <screenshot.h>

#include <gtest/gtest.h>

#include <memory>

namespace test_support {

namespace {

std::wstring quote(const std::wstring& a) { return L"\"" + a + L"\""; }

}  // namespace

host_process::host_process(const std::vector<std::wstring>& args, const std::wstring& stdout_file) {
    const std::wstring exe = beside_this_program(L"trovaplay.exe");
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
    } else {
        m_start_error = "cannot start " + narrow(exe) + " (error " + std::to_string(GetLastError()) + ")";
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

bool host_process::running() const {
    return m_process != nullptr && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
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

namespace {

std::vector<std::wstring> with_log_and_profile(const std::vector<std::wstring>& args, const std::wstring& work,
                                               bool debug_lines = true) {
    std::vector<std::wstring> all = args;
    all.insert(all.end(), {L"--log", work + L"\\log.txt", L"--profile", work + L"\\profile"});
    if (debug_lines) all.push_back(L"--debug-log");
    return all;
}

}  // namespace

run_result run_host(const std::vector<std::wstring>& args, const std::wstring& work) {
    const std::wstring out_file = work + L"\\stdout.txt";
    run_result r;
    {
        host_process host(with_log_and_profile(args, work), out_file);
        if (!host.started()) {
            ADD_FAILURE() << host.start_error();
            return r;
        }
        if (!host.wait(60000)) ADD_FAILURE() << "trovaplay.exe did not end within 60 s";
        r.exit_code = host.exit_code();
    }
    r.log = read_file(work + L"\\log.txt");
    r.out = read_file(out_file);
    return r;
}

unsigned parallel_hosts() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 2 ? info.dwNumberOfProcessors : 2;
}

void run_hosts(const std::vector<host_job>& jobs, unsigned parallel, DWORD timeout_ms,
               const std::function<void(size_t, const run_result&, bool)>& done) {
    struct slot {
        std::unique_ptr<host_process> host;
        size_t job = 0;
        DWORD started = 0;
    };
    std::vector<slot> slots(parallel > 0 ? parallel : 1);
    size_t next = 0, running = 0;
    while (next < jobs.size() || running > 0) {
        bool idle = true;
        for (slot& s : slots) {
            if (s.host) {
                const bool over = GetTickCount() - s.started > timeout_ms;
                if (s.host->running() && !over) continue;
                const bool in_time = s.host->wait(0);
                run_result r;
                r.exit_code = s.host->exit_code();
                s.host.reset();
                --running;
                r.log = read_file(jobs[s.job].work + L"\\log.txt");
                r.out = read_file(jobs[s.job].work + L"\\stdout.txt");
                done(s.job, r, in_time);
                idle = false;
            }
            if (!s.host && next < jobs.size()) {
                s.job = next++;
                s.started = GetTickCount();
                s.host.reset(new host_process(with_log_and_profile(jobs[s.job].args, jobs[s.job].work, false),
                                              jobs[s.job].work + L"\\stdout.txt"));
                if (!s.host->started()) ADD_FAILURE() << s.host->start_error();
                ++running;
                idle = false;
            }
        }
        if (idle) Sleep(10);
    }
}

bool wait_for_text(const std::wstring& file, const std::string& text, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (has(read_file(file), text)) return true;
        if (GetTickCount() - start > timeout_ms) return false;
        Sleep(100);
    }
}

bool screen_pixels(int x, int y, int width, int height, std::vector<std::uint32_t>& out) {
    out.assign(static_cast<std::size_t>(width > 0 && height > 0 ? width * height : 0), kOutside);
    std::uint32_t screen_width = 0, screen_height = 0;
    std::vector<std::uint8_t> rgb_bytes;
    if (!host::capture_screen(screen_width, screen_height, rgb_bytes)) return false;
    // The capture starts at the virtual screen's corner.
    const long long left = static_cast<long long>(x) - GetSystemMetrics(SM_XVIRTUALSCREEN);
    const long long top = static_cast<long long>(y) - GetSystemMetrics(SM_YVIRTUALSCREEN);
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            const long long column = left + c, row = top + r;
            if (column < 0 || row < 0 || column >= screen_width || row >= screen_height) continue;
            const std::uint8_t* p = &rgb_bytes[(static_cast<std::size_t>(row) * screen_width + column) * 3];
            out[static_cast<std::size_t>(r) * width + c] = rgb(p[0], p[1], p[2]);
        }
    }
    return true;
}

std::uint32_t screen_pixel(int x, int y) {
    std::vector<std::uint32_t> one;
    if (!screen_pixels(x, y, 1, 1, one)) return kOutside;
    return one[0];
}

bool wait_for_screen_colour(int x, int y, std::uint32_t colour, int tolerance, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (close_to(screen_pixel(x, y), colour, tolerance)) return true;
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

namespace {

bool send_mouse_input(DWORD flags, LONG dx, LONG dy) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    return SendInput(1, &input, sizeof input) == 1;
}

// A screen coordinate in the 0..65535 range of absolute mouse input, rounded up so that scaling
// it back lands on the same pixel.
LONG absolute_coordinate(int value, int origin, int extent) {
    if (extent <= 0) return 0;
    return static_cast<LONG>((static_cast<long long>(value - origin) * 65536 + extent - 1) / extent);
}

}  // namespace

bool real_mouse_move(int x, int y) {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    return send_mouse_input(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK,
                            absolute_coordinate(x, left, width), absolute_coordinate(y, top, height));
}

bool real_left_button(bool down) {
    return send_mouse_input(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP, 0, 0);
}

}  // namespace test_support
