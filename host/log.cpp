#include "log.h"

#include <windows.h>

#include <cstdio>

#include <zut/sync.h>

#include "text.h"

namespace host {

namespace {

struct log_state {
    zut::critical_section lock;
    HANDLE file = INVALID_HANDLE_VALUE;
    unsigned counts[4] = {0, 0, 0, 0};
    bool show_debug = false;
    std::string last_msgbox;
    // Never destroyed: lines may still come from other threads while the process ends.
};

log_state& state() {
    static log_state* s = new log_state;
    return *s;
}

const char* mark_of(log_kind kind) {
    switch (kind) {
        case log_kind::console: return "console: ";
        case log_kind::debug: return "debug: ";
        case log_kind::msgbox: return "msgbox: ";
        case log_kind::host: return "host: ";
    }
    return "";
}

void write_all(HANDLE h, const std::string& bytes) {
    if (h == INVALID_HANDLE_VALUE || h == nullptr) return;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(h, bytes.data() + done, DWORD(bytes.size() - done), &written, nullptr) || written == 0) return;
        done += written;
    }
}

}  // namespace

bool log_open(const std::wstring& path) {
    log_state& s = state();
    zut::scoped_lock lock(s.lock);
    if (s.file != INVALID_HANDLE_VALUE) CloseHandle(s.file);
    s.file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool ok = s.file != INVALID_HANDLE_VALUE;
    return ok;
}

void log_close() {
    log_state& s = state();
    zut::scoped_lock lock(s.lock);
    if (s.file != INVALID_HANDLE_VALUE) CloseHandle(s.file);
    s.file = INVALID_HANDLE_VALUE;
}

void log_show_debug(bool show) {
    log_state& s = state();
    zut::scoped_lock lock(s.lock);
    s.show_debug = show;
}

void log_line(log_kind kind, const char* text, unsigned length) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char time[16];
    std::snprintf(time, sizeof time, "%02u:%02u:%02u.%03u ", unsigned(now.wHour), unsigned(now.wMinute),
                  unsigned(now.wSecond), unsigned(now.wMilliseconds));
    std::string body;
    if (text != nullptr) {
        unsigned n = 0;
        while (n < length && text[n] != 0) ++n;
        body.assign(text, n);
    }
    if (!body.empty() && body.back() == '\n') body.pop_back();
    if (!body.empty() && body.back() == '\r') body.pop_back();
    std::string out;
    const char* mark = mark_of(kind);
    size_t start = 0;
    unsigned lines = 0;
    for (;;) {
        size_t end = body.find('\n', start);
        std::string line = body.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out += time;
        out += mark;
        out += line;
        out += "\n";
        ++lines;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    log_state& s = state();
    zut::scoped_lock lock(s.lock);
    s.counts[int(kind)] += lines;
    if (kind == log_kind::msgbox) s.last_msgbox = body;
    if (kind == log_kind::debug && !s.show_debug) return;
    write_all(GetStdHandle(STD_OUTPUT_HANDLE), out);
    write_all(s.file, out);
}

std::string last_message_box() {
    log_state& s = state();
    zut::scoped_lock lock(s.lock);
    return s.last_msgbox;
}

void log_host(const std::string& text) { log_line(log_kind::host, text); }

void print_plain(const std::string& text) {
    log_state& s = state();
    zut::scoped_lock lock(s.lock);
    write_all(GetStdHandle(STD_OUTPUT_HANDLE), text);
}

unsigned log_count(log_kind kind) {
    log_state& s = state();
    zut::scoped_lock lock(s.lock);
    const unsigned n = s.counts[int(kind)];
    return n;
}

}  // namespace host
