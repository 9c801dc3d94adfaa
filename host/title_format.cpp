// Title formats: compile once, format many times.
//
// 1. Compile: read the text into nodes (literal text, fields, sections, functions with their
//    arguments); a quote makes literal text; an unclosed mark refuses the text.
// 2. Format: write the nodes in order.
//    a. A field: the caller's hook, then the host's hook; found when one of them found a value.
//    b. A section: its nodes into a text of their own, kept only when something inside found one.
//    c. A function: its arguments are formatted first; then the caller's hook, the language's own
//       functions, the host's hook.
#include "title_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

#include <trovaplay/shared/shared.h>
#include <zut/string_conv.h>
#include <zut/string_utils.h>

namespace host {

namespace {

using node = title_script::node;

// Lengths are written as at most this many seconds (a larger number would not fit the integers).
const double kMaxSeconds = 1e12;
// Widths that functions fill to are cut to this many characters.
const t_size kMaxWidth = 1024;

// Every script this host made and that is alive: a script handed back to the host is recognised by
// its address (never by asking the object, which may come from another module). The set lives
// to the end of the process: a script held by another static object may end after it would.
std::mutex g_scripts_lock;
std::set<const titleformat_script*>& live_scripts() {
    static auto* scripts = new std::set<const titleformat_script*>;
    return *scripts;
}

// Sections and functions nest at most this deep: the reader and the writer recurse once per level.
const int kMaxDepth = 64;

bool is_name_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// What ends the nodes being read.
enum class context { top, section, argument };

// 1. Reads nodes from `pos` up to the end of the text, or up to the mark that closes the context:
// ']' for a section; ',' or ')' for a function argument (left unread for the caller).
bool parse(const std::string& s, size_t& pos, int depth, context where, std::vector<node>& out, std::string& error) {
    std::string literal;
    auto flush = [&] {
        if (!literal.empty()) out.push_back(node{node::text, literal, {}, {}});
        literal.clear();
    };
    auto at = [](size_t p) { return " at " + std::to_string(p); };
    while (pos < s.size()) {
        const char c = s[pos];
        if (where == context::argument && (c == ',' || c == ')')) {
            flush();
            return true;
        }
        if (c == '%') {
            const size_t end = s.find('%', pos + 1);
            if (end == std::string::npos) {
                error = "unclosed field" + at(pos);
                return false;
            }
            if (end == pos + 1) {
                literal += '%';
            } else {
                flush();
                out.push_back(node{node::field, s.substr(pos + 1, end - pos - 1), {}, {}});
            }
            pos = end + 1;
        } else if (c == '$') {
            if (pos + 1 < s.size() && s[pos + 1] == '$') {
                literal += '$';
                pos += 2;
                continue;
            }
            size_t end = pos + 1;
            while (end < s.size() && is_name_char(s[end])) ++end;
            if (end == pos + 1 || end >= s.size() || s[end] != '(') {
                error = "a function needs a name and '('" + at(pos);
                return false;
            }
            if (depth >= kMaxDepth) {
                error = "functions nested more than " + std::to_string(kMaxDepth) + " deep" + at(pos);
                return false;
            }
            flush();
            node fn{node::function, s.substr(pos + 1, end - pos - 1), {}, {}};
            pos = end + 1;
            // "$f()" has no argument; otherwise arguments are separated by ','.
            if (pos < s.size() && s[pos] == ')') {
                ++pos;
            } else {
                for (;;) {
                    std::vector<node> arg;
                    if (!parse(s, pos, depth + 1, context::argument, arg, error)) return false;
                    if (pos >= s.size()) {
                        error = "unclosed function $" + fn.value;
                        return false;
                    }
                    fn.args.push_back(std::move(arg));
                    if (s[pos++] == ')') break;
                }
            }
            out.push_back(std::move(fn));
        } else if (c == '[') {
            if (depth >= kMaxDepth) {
                error = "sections nested more than " + std::to_string(kMaxDepth) + " deep" + at(pos);
                return false;
            }
            flush();
            node sec{node::section, std::string(), {}, {}};
            ++pos;
            if (!parse(s, pos, depth + 1, context::section, sec.children, error)) return false;
            out.push_back(std::move(sec));
        } else if (c == ']') {
            if (where != context::section) {
                error = "']' without '['" + at(pos);
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
                error = "unclosed quote" + at(pos);
                return false;
            }
            literal += s.substr(pos + 1, end - pos - 1);
            pos = end + 1;
        } else {
            literal += c;
            ++pos;
        }
    }
    if (where == context::section) {
        error = "unclosed section";
        return false;
    }
    if (where == context::argument) {
        error = "unclosed function";
        return false;
    }
    flush();
    return true;
}

// ---- 2. Formatting

// Collects output into a string, through the caller's filter when there is one.
class collect_out final : public titleformat_text_out {
public:
    collect_out(zut::string_base& out, titleformat_text_filter* filter) : m_out(out), m_filter(filter) {}
    void write(const GUID& p_inputtype, const char* p_text, t_size p_length) override {
        if (p_text == nullptr) return;
        if (m_filter) m_filter->write(p_inputtype, m_out, p_text, p_length);
        else m_out.add_string(p_text, p_length);
    }

private:
    zut::string_base& m_out;
    titleformat_text_filter* m_filter;
};

// A function's formatted arguments.
struct argument {
    zut::string8 text;
    bool found = false;
};

class arguments final : public titleformat_function_params {
public:
    explicit arguments(std::vector<argument>& args) : m_args(args) {}
    t_size get_param_count() override { return t_size(m_args.size()); }
    void get_param(t_size p_index, const char*& p_text, t_size& p_length) override {
        if (p_index >= m_args.size()) {
            p_text = "";
            p_length = 0;
            return;
        }
        p_text = m_args[p_index].text.get_ptr();
        p_length = m_args[p_index].text.get_length();
    }

private:
    std::vector<argument>& m_args;
};

t_size char_count(const char* text) {
    t_size count = 0;
    for (t_size pos = 0; text[pos];) {
        const t_size size = zut::utf8_char_len(text + pos);
        pos += size ? size : 1;  // a stray byte counts as one character
        ++count;
    }
    return count;
}

// Byte offset of character number n (or the end).
t_size char_offset(const char* text, t_size n) {
    t_size pos = 0;
    for (t_size i = 0; i < n && text[pos]; ++i) {
        const t_size size = zut::utf8_char_len(text + pos);
        pos += size ? size : 1;
    }
    return pos;
}

t_size width_of(const argument& arg) { return std::min<t_size>(zut::atoui_ex(arg.text.get_ptr()), kMaxWidth); }

struct formatter {
    titleformat_hook* caller;
    titleformat_hook* host_hook;
    titleformat_text_filter* filter;

    // Asks a hook, turning anything it throws into "not found".
    template <class Ask>
    static bool ask(titleformat_hook* hook, bool& found, Ask ask) {
        found = false;
        if (hook == nullptr) return false;
        try {
            return ask(hook);
        } catch (const std::exception&) {
            found = false;
            return true;
        }
    }

    bool emit(const std::vector<node>& nodes, zut::string_base& out) const {
        collect_out sink(out, filter);
        bool found_any = false;
        for (const node& n : nodes) {
            if (n.kind == node::text) {
                sink.write(titleformat_input_type_other, n.value.data(), t_size(n.value.size()));
            } else if (n.kind == node::field) {
                // 2a.
                bool found = false;
                const char* name = n.value.c_str();
                const t_size length = t_size(n.value.size());
                auto field = [&](titleformat_hook* h) { return h->process_field(&sink, name, length, found); };
                if (!ask(caller, found, field)) ask(host_hook, found, field);
                found_any |= found;
            } else if (n.kind == node::section) {
                // 2b.
                zut::string8 inner;
                if (emit(n.children, inner)) {
                    out.add_string(inner.get_ptr(), inner.get_length());
                    found_any = true;
                }
            } else {
                // 2c.
                found_any |= call(n, sink, out);
            }
        }
        return found_any;
    }

    // A function: true when it found a value.
    bool call(const node& n, titleformat_text_out& sink, zut::string_base& out) const {
        std::vector<argument> args(n.args.size());
        for (size_t i = 0; i < n.args.size(); ++i) args[i].found = emit(n.args[i], args[i].text);
        arguments params(args);
        const char* name = n.value.c_str();
        const t_size length = t_size(n.value.size());
        bool found = false;
        auto function = [&](titleformat_hook* h) { return h->process_function(&sink, name, length, &params, found); };
        if (ask(caller, found, function)) return found;
        if (builtin(name, args, out, found)) return found;
        ask(host_hook, found, function);
        return found;
    }

    // The language's own functions; false when the name (with this many arguments) is none of them.
    static bool builtin(const char* name, std::vector<argument>& args, zut::string_base& out, bool& found) {
        auto is = [&](const char* what) { return stricmp_utf8(name, what) == 0; };
        const size_t count = args.size();
        auto put = [&](const argument& a) {
            out.add_string(a.text.get_ptr(), a.text.get_length());
            found = a.found;
        };
        if (is("if") && (count == 2 || count == 3)) {
            if (args[0].found) put(args[1]);
            else if (count == 3) put(args[2]);
            return true;
        }
        if (is("if2") && count == 2) {
            put(args[0].found ? args[0] : args[1]);
            return true;
        }
        if (is("if3") && count >= 2) {
            for (size_t i = 0; i + 1 < count; ++i) {
                if (args[i].found) {
                    put(args[i]);
                    return true;
                }
            }
            put(args[count - 1]);
            return true;
        }
        if (is("num") && count == 2) {
            const unsigned width = unsigned(std::min<t_size>(width_of(args[1]), 64));
            out.add_string(zut::format_int(zut::atoi64_ex(args[0].text.get_ptr()), width));
            found = args[0].found;
            return true;
        }
        if (is("len") && count == 1) {
            out.add_string(zut::format_uint(char_count(args[0].text.get_ptr())));
            found = args[0].found;
            return true;
        }
        if ((is("left") || is("right")) && count == 2) {
            const char* text = args[0].text.get_ptr();
            const t_size total = char_count(text);
            const t_size n = std::min<t_size>(zut::atoui_ex(args[1].text.get_ptr()), total);
            if (is("left")) out.add_string(text, char_offset(text, n));
            else out.add_string(text + char_offset(text, total - n));
            found = args[0].found;
            return true;
        }
        if (is("pad") && (count == 2 || count == 3)) {
            put(args[0]);
            const char* fill = count == 3 && !args[2].text.is_empty() ? args[2].text.get_ptr() : " ";
            const t_size fill_size = std::max<t_size>(zut::utf8_char_len(fill), 1);
            for (t_size n = char_count(args[0].text.get_ptr()); n < width_of(args[1]); ++n) out.add_string(fill, fill_size);
            return true;
        }
        if ((is("upper") || is("lower")) && count == 1) {
            if (is("upper")) uAddStringUpper(out, args[0].text.get_ptr(), args[0].text.get_length());
            else uAddStringLower(out, args[0].text.get_ptr(), args[0].text.get_length());
            found = args[0].found;
            return true;
        }
        return false;
    }
};

}  // namespace

title_script* title_script::compile(const std::string& spec, std::string& error) {
    std::vector<node> nodes;
    size_t pos = 0;
    if (!parse(spec, pos, 0, context::top, nodes, error)) return nullptr;
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

bool title_script::run(titleformat_hook* p_hook, zut::string_base& p_out, titleformat_text_filter* p_filter) {
    format(p_hook, nullptr, p_out, p_filter);
    return true;
}

void title_script::format(titleformat_hook* caller, titleformat_hook* host_hook, zut::string_base& p_out,
                          titleformat_text_filter* p_filter) const {
    // Built apart and handed over at the end: the caller's string may be read by a hook meanwhile.
    zut::string8 text;
    formatter{caller, host_hook, p_filter}.emit(m_nodes, text);
    p_out.set_string(text.get_ptr(), text.get_length());
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
