// Path and file-name helpers. Path separators are "\", "/", "|" and ":"; a file name may be followed
// by a "?" query part, which the file-name helpers leave out.
#include <zut/string_utils.h>

namespace zut {

namespace {

const t_size none = infinite_size;

// Index of the last p_char among the first p_length bytes at or after p_from, or none.
t_size last_of(const char* p_text, t_size p_from, t_size p_length, char p_char) {
    t_size found = none;
    for (t_size n = p_from; n < p_length; ++n) {
        if (p_text[n] == p_char) found = n;
    }
    return found;
}

// End of the file name that starts at p_start: the first "?" after it or the end of the text.
t_size name_end(const char* p_path, t_size p_start) {
    t_size n = p_start;
    while (p_path[n] != 0 && p_path[n] != '?') ++n;
    return n;
}

}  // namespace

bool is_path_separator(char p_char) {
    return p_char == '\\' || p_char == '/' || p_char == '|' || p_char == ':';
}

bool is_path_bad_char(char p_char) {
    return is_path_separator(p_char) || p_char == '*' || p_char == '?' || p_char == '"' ||
           p_char == '>' || p_char == '<';
}

bool has_path_bad_chars(const char* p_text) {
    if (p_text == nullptr) return false;
    for (; *p_text != 0; ++p_text) {
        if (is_path_bad_char(*p_text)) return true;
    }
    return false;
}

t_size scan_filename(const char* p_path) {
    if (p_path == nullptr) return 0;
    t_size start = 0;
    for (t_size n = 0; p_path[n] != 0; ++n) {
        if (is_path_separator(p_path[n])) start = n + 1;
    }
    return start;
}

t_size string_base::scan_filename() const { return zut::scan_filename(get_ptr()); }

string_filename::string_filename(const char* p_path) {
    if (p_path == nullptr) return;
    t_size start = zut::scan_filename(p_path);
    t_size end = name_end(p_path, start);
    // Cut before the last "." when one follows the name's first byte.
    t_size dot = end > start ? last_of(p_path, start + 1, end, '.') : none;
    if (dot != none) end = dot;
    set_string(p_path + start, end - start);
}

string_filename_ext::string_filename_ext(const char* p_path) {
    if (p_path == nullptr) return;
    t_size start = zut::scan_filename(p_path);
    set_string(p_path + start, name_end(p_path, start) - start);
}

string_extension::string_extension(const char* p_path) {
    m_buffer[0] = 0;
    if (p_path == nullptr) return;
    const char* name = p_path + scan_filename(p_path);
    t_size length = strlen_max(name, none);
    t_size dot = last_of(name, 0, length, '.');
    if (dot == none) return;
    // The extension ends at the last "?" after the "." or at the end.
    t_size begin = dot + 1;
    t_size query = last_of(name, begin, length, '?');
    t_size end = query != none ? query : length;
    if (end - begin > sizeof m_buffer - 1) return;
    for (t_size n = begin; n < end; ++n) m_buffer[n - begin] = name[n];
    m_buffer[end - begin] = 0;
}

t_size string_extension::length() const { return strlen_max(m_buffer, sizeof m_buffer); }

string_directory::string_directory(const char* p_path) {
    if (p_path == nullptr) return;
    t_size last = none;
    for (t_size n = 0; p_path[n] != 0; ++n) {
        if (is_path_separator(p_path[n])) last = n;
    }
    if (last == none || last == 0) return;
    set_string(p_path, last);
}

string_replace_extension::string_replace_extension(const char* p_path, const char* p_ext) {
    if (p_path == nullptr) p_path = "";
    t_size length = strlen_max(p_path, none);
    t_size dot = last_of(p_path, 0, length, '.');
    if (dot != none && dot >= zut::scan_filename(p_path)) {
        // The last "." lies in the file name: keep the path up to and including it.
        set_string(p_path, dot + 1);
    } else {
        set_string(p_path, length);
        add_byte('.');
    }
    add_string(p_ext);
}

}  // namespace zut
