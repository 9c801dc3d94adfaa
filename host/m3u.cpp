// M3U playlist reading.
//
// 1. Bring the text to UTF-8: skip a byte-order mark; a text that is not valid UTF-8 is converted
//    from the system code page.
// 2. Split it into lines (LF, CRLF or CR).
// 3. For each line: "#EXTINF:" remembers length and title for the next entry; other '#' lines and
//    blank lines are skipped; a line with control characters is refused; any other line is an entry
//    (relative paths joined to the playlist's folder) and takes the remembered #EXTINF.
// 4. An #EXTINF that no entry follows is reported.
#include "m3u.h"

#include <windows.h>

#include <cmath>

#include "text.h"

namespace host {

namespace {

bool valid_utf8(const std::string& s) {
    return s.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), int(s.size()), nullptr, 0) > 0;
}

std::string trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t')) --b;
    return s.substr(a, b - a);
}

bool has_control_chars(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x20 && c != '\t') return true;
    return false;
}

// A decimal number ("-1", "213", "12.5"). False when the text is not one or is out of range.
bool parse_seconds(const std::string& text, double& out) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    double value = 0;
    bool digits = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, digits = true) value = value * 10 + (text[i] - '0');
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, scale /= 10, digits = true)
            value += (text[i] - '0') * scale;
    }
    if (!digits || i != text.size() || !std::isfinite(value) || value > 1e9) return false;
    out = negative ? -value : value;
    return true;
}

bool is_absolute(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return true;                  // C:...
    if (!path.empty() && (path[0] == '\\' || path[0] == '/')) return true;  // \x, //server, /x
    const size_t scheme = path.find("://");
    return scheme != std::string::npos && scheme > 0;                      // file://, http://
}

}  // namespace

m3u_result parse_m3u(const std::string& raw, const std::string& base_folder) {
    m3u_result result;
    // 1. UTF-8.
    std::string text = raw.compare(0, 3, "\xEF\xBB\xBF") == 0 ? raw.substr(3) : raw;
    if (!valid_utf8(text)) text = ansi_to_utf8(text);

    bool pending = false;
    m3u_entry info;
    unsigned pending_line = 0;
    unsigned line_number = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        // 2. One line.
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = trim(text.substr(pos, end - pos));
        pos = end;
        if (pos < text.size() && text[pos] == '\r') ++pos;
        if (pos < text.size() && text[pos] == '\n') ++pos;
        ++line_number;
        const std::string where = "line " + std::to_string(line_number) + ": ";

        // 3. What it is.
        if (line.empty()) continue;
        if (has_control_chars(line)) {
            result.warnings.push_back(where + "control characters, line skipped");
            continue;
        }
        if (line.compare(0, 8, "#EXTINF:") == 0) {
            if (pending) result.warnings.push_back("line " + std::to_string(pending_line) + ": #EXTINF without an entry");
            const std::string rest = line.substr(8);
            const size_t comma = rest.find(',');
            std::string number = trim(rest.substr(0, comma));
            const size_t space = number.find_first_of(" \t");  // attributes after the length are not ours
            if (space != std::string::npos) number.resize(space);
            info = m3u_entry();
            info.has_info = true;
            double seconds = 0;
            if (!parse_seconds(number, seconds)) {
                result.warnings.push_back(where + "bad length \"" + number + "\", taken as unknown");
                seconds = 0;
            }
            info.length = seconds > 0 ? seconds : 0;
            if (comma != std::string::npos) info.title = trim(rest.substr(comma + 1));
            pending = true;
            pending_line = line_number;
            continue;
        }
        if (line[0] == '#') continue;

        m3u_entry entry = pending ? info : m3u_entry();
        pending = false;
        std::string path = line;
        if (!is_absolute(path) && !base_folder.empty()) path = base_folder + "\\" + path;
        entry.path = path;
        result.entries.push_back(entry);
    }
    // 4. A dangling #EXTINF.
    if (pending) result.warnings.push_back("line " + std::to_string(pending_line) + ": #EXTINF without an entry");
    return result;
}

bool load_m3u(const std::wstring& file, m3u_result& out, std::string& error) {
    const HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = "cannot open " + to_utf8(file) + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    std::string text;
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(h, &size) && size.QuadPart < (64 << 20);  // a playlist is never this big
    if (ok) {
        text.resize(size_t(size.QuadPart));
        DWORD got = 0;
        ok = text.empty() || (ReadFile(h, &text[0], DWORD(text.size()), &got, nullptr) && got == text.size());
    }
    CloseHandle(h);
    if (!ok) {
        error = "cannot read " + to_utf8(file);
        return false;
    }
    out = parse_m3u(text, to_utf8(folder_of(full_path(file))));
    return true;
}

bool is_m3u_name(const std::wstring& file) {
    auto ends_with = [&](const wchar_t* ext) {
        const size_t n = wcslen(ext);
        return file.size() >= n && _wcsicmp(file.c_str() + file.size() - n, ext) == 0;
    };
    return ends_with(L".m3u") || ends_with(L".m3u8");
}

}  // namespace host
