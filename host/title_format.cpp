// Title formats: compile once, format many times.
//
// 1. Compile: read the text into nodes (literal text, fields, sections); a quote makes literal
//    text; anything this language does not have (functions, unclosed marks) refuses the text.
// 2. Format: write the nodes in order; a field writes its value; a section writes its text only
//    when one of its fields had a value.
#include "title_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <set>

#include <trovaplay/shared/shared.h>

namespace host {

namespace {

using node = title_script::node;

// Lengths are written as at most this many seconds (a larger number would not fit the integers).
const double kMaxSeconds = 1e12;

// Every script this host made and that is alive: a script handed back to the host is recognised by
// its address (never by asking the object, which may come from another module).
std::mutex g_scripts_lock;
std::set<const titleformat_script*>& live_scripts() {
    static std::set<const titleformat_script*> scripts;
    return scripts;
}

// Sections nest at most this deep: the reader and the writer recurse once per level.
const int kMaxDepth = 64;

// 1. Reads nodes from `pos` up to the end of the text, or up to the ']' that closes a section at
// nesting level `depth` (0: the top, no section open).
bool parse(const std::string& s, size_t& pos, int depth, std::vector<node>& out, std::string& error) {
    const bool in_section = depth > 0;
    std::string literal;
    auto flush = [&] {
        if (!literal.empty()) out.push_back(node{node::text, literal, {}});
        literal.clear();
    };
    while (pos < s.size()) {
        const char c = s[pos];
        if (c == '%') {
            const size_t end = s.find('%', pos + 1);
            if (end == std::string::npos) {
                error = "unclosed field at " + std::to_string(pos);
                return false;
            }
            flush();
            out.push_back(node{node::field, s.substr(pos + 1, end - pos - 1), {}});
            pos = end + 1;
        } else if (c == '[') {
            if (depth >= kMaxDepth) {
                error = "sections nested more than " + std::to_string(kMaxDepth) + " deep at " + std::to_string(pos);
                return false;
            }
            flush();
            node sec{node::section, std::string(), {}};
            ++pos;
            if (!parse(s, pos, depth + 1, sec.children, error)) return false;
            out.push_back(sec);
        } else if (c == ']') {
            if (!in_section) {
                error = "']' without '[' at " + std::to_string(pos);
                return false;
            }
            ++pos;
            flush();
            return true;
        } else if (c == '\'') {
            if (pos + 1 < s.size() && s[pos + 1] == '\'') {
                literal += '\'';
                pos += 2;
                continue;
            }
            const size_t end = s.find('\'', pos + 1);
            if (end == std::string::npos) {
                error = "unclosed quote at " + std::to_string(pos);
                return false;
            }
            literal += s.substr(pos + 1, end - pos - 1);
            pos = end + 1;
        } else if (c == '$') {
            error = "functions are not supported (at " + std::to_string(pos) + ")";
            return false;
        } else {
            literal += c;
            ++pos;
        }
    }
    if (in_section) {
        error = "unclosed section";
        return false;
    }
    flush();
    return true;
}

bool is(const std::string& name, const char* what) { return stricmp_utf8(name.c_str(), what) == 0; }

std::string file_name(const char* path, bool with_extension) {
    std::string name = path ? path : "";
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    if (!with_extension) {
        const size_t dot = name.find_last_of('.');
        if (dot != std::string::npos && dot > 0) name.resize(dot);
    }
    return name;
}

// The value of a field; false when the track has none.
bool field_value(const std::string& name, const playable_location* location, const file_info* info, std::string& out) {
    out.clear();
    if (location == nullptr || info == nullptr) return false;
    const double length = info->get_length();
    if (is(name, "length")) {
        if (!(length > 0)) return false;
        out = format_length(length);
        return true;
    }
    if (is(name, "length_seconds")) {
        if (!(length > 0)) return false;
        out = std::to_string((long long)std::min(length, kMaxSeconds));
        return true;
    }
    if (is(name, "filename")) out = file_name(location->get_path(), false);
    else if (is(name, "filename_ext")) out = file_name(location->get_path(), true);
    else if (is(name, "path")) out = location->get_path() ? location->get_path() : "";
    if (!out.empty()) return true;
    if (is(name, "filename") || is(name, "filename_ext") || is(name, "path")) return false;

    const t_size index = info->meta_find_ex(name.c_str(), zut::infinite_size);
    if (index == zut::infinite_size) {
        if (is(name, "title")) {  // a track without a title tag shows its file name
            out = file_name(location->get_path(), false);
            return !out.empty();
        }
        return false;
    }
    for (t_size v = 0; v < info->meta_value_count(index); ++v) {
        if (v) out += ", ";
        const char* value = info->meta_value(index, v);
        if (value) out += value;
    }
    return true;
}

// 2. Writes the nodes; true when any field among them had a value.
bool emit(const std::vector<node>& nodes, const playable_location* location, const file_info* info, std::string& out) {
    bool found = false;
    for (const node& n : nodes) {
        if (n.kind == node::text) {
            out += n.value;
        } else if (n.kind == node::field) {
            std::string value;
            if (field_value(n.value, location, info, value)) found = true;
            out += value;
        } else {
            std::string inner;
            if (emit(n.children, location, info, inner)) {
                out += inner;
                found = true;
            }
        }
    }
    return found;
}

}  // namespace

title_script* title_script::compile(const std::string& spec, std::string& error) {
    std::vector<node> nodes;
    size_t pos = 0;
    if (!parse(spec, pos, 0, nodes, error)) return nullptr;
    title_script* script = new title_script(std::move(nodes));
    std::lock_guard<std::mutex> lock(g_scripts_lock);
    live_scripts().insert(script);
    return script;
}

title_script::~title_script() {
    std::lock_guard<std::mutex> lock(g_scripts_lock);
    live_scripts().erase(this);
}

const title_script* title_script::from(const titleformat_script* script) {
    std::lock_guard<std::mutex> lock(g_scripts_lock);
    return live_scripts().count(script) ? static_cast<const title_script*>(script) : nullptr;
}

bool title_script::run(titleformat_hook*, zut::string_base& p_out, titleformat_text_filter*) {
    std::string text;
    emit(m_nodes, nullptr, nullptr, text);
    p_out.set_string(text.c_str());
    return true;
}

std::string title_script::format(const playable_location& location, const file_info& info) const {
    std::string text;
    emit(m_nodes, &location, &info, text);
    return text;
}

std::string format_length(double seconds) {
    if (!(seconds > 0) || !std::isfinite(seconds)) seconds = 0;
    const unsigned long long total = (unsigned long long)std::min(seconds, kMaxSeconds);
    char buf[64];
    if (total >= 3600)
        std::snprintf(buf, sizeof buf, "%llu:%02llu:%02llu", total / 3600, total / 60 % 60, total % 60);
    else
        std::snprintf(buf, sizeof buf, "%llu:%02llu", total / 60, total % 60);
    return buf;
}

}  // namespace host
