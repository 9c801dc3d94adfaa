#pragma once
// The reference host's title-formatting language:
//   text            written as it stands; any byte passes (tabs, the colour-mark byte 3, ...), but
//                   the marks below; ',' and ')' are marks only between a function's parentheses
//   %name%          a field, names without regard to case; "%%" writes one '%'
//   $name(a,b,...)  a function; arguments are texts of this language; "$$" writes one '$'
//   [ ... ]         a section, written only when a field or function inside it found a value
//   'text'          literal text ('' is one quote)
// Fields and functions are asked, in this order, of the caller's hook, then the language's own
// functions ($if, $if2, $if3, $num, $len, $left, $right, $pad, $upper, $lower), then the host's
// hooks (the track's fields and functions, and while a track plays %playback_time% and friends).
// A text with an unclosed mark, a '$' without a name and '(' or sections nested too deep does not
// compile. An unknown field or function writes nothing and finds nothing.
#include <memory>
#include <string>
#include <vector>

#include <trovaplay/sdk/titleformat.h>

#include "host_object.h"

namespace host {

class title_script final : public host_object<titleformat_script> {
public:
    // The compiled text with one reference (the caller's), or null with the reason in `error`.
    static title_script* compile(const std::string& spec, std::string& error);
    // The host's own script behind `script`, or null when it is none of ours.
    static const title_script* from(const titleformat_script* script);

    // 3: with the caller's hook alone (no track). p_out takes the result.
    bool run(titleformat_hook* p_hook, zut::string_base& p_out, titleformat_text_filter* p_filter) override;

    // The result with the caller's hook (may be null) asked first, the host's hook (may be null)
    // last. p_out takes the result.
    void format(titleformat_hook* caller, titleformat_hook* host_hook, zut::string_base& p_out,
                titleformat_text_filter* p_filter) const;

    struct node {
        enum kind_t { text, field, section, function } kind;
        std::string value;                  // text, field name or function name
        std::vector<node> children;         // section
        std::vector<std::vector<node>> args;  // function
    };

private:
    explicit title_script(std::vector<node> nodes) : m_nodes(std::move(nodes)) {}
    ~title_script();
    void destroy() override { delete this; }

    std::vector<node> m_nodes;
};

// A host hook that knows fields only: every function is left to the others.
class field_hook : public titleformat_hook {
public:
    bool process_function(titleformat_text_out*, const char*, t_size, titleformat_function_params*,
                          bool& p_found) override {
        p_found = false;
        return false;
    }
};

// Length as text: "m:ss", or "h:mm:ss" from one hour on (whole seconds, rounded down).
std::string format_length(double seconds);

}  // namespace host
