#pragma once
// The reference host's title-formatting language, a small one:
//   text            written as it stands
//   %name%          a field of the track: title, artist, album or any other tag (values joined by
//                   ", "), length (m:ss or h:mm:ss), length_seconds, filename, filename_ext, path
//   [ ... ]         a section, written only when a field inside it had a value
//   'text'          literal text ('' is one quote)
// Functions ($name(...)) are not part of it: a text that uses one does not compile.
#include <memory>
#include <string>
#include <vector>

#include <trovaplay/sdk/file_info.h>
#include <trovaplay/sdk/playable_location.h>
#include <trovaplay/sdk/titleformat_script.h>

#include "host_object.h"

namespace host {

class title_script final : public host_object<titleformat_script> {
public:
    // The compiled text with one reference (the caller's), or null with the reason in `error`.
    static title_script* compile(const std::string& spec, std::string& error);
    // The host's own script behind `script`, or null when it is none of ours.
    static const title_script* from(const titleformat_script* script);

    // 3: without a track every field is empty.
    bool run(titleformat_hook* p_hook, zut::string_base& p_out, titleformat_text_filter* p_filter) override;

    // The text for a track (the caller holds the track-information lock).
    std::string format(const playable_location& location, const file_info& info) const;

    struct node {
        enum kind_t { text, field, section } kind;
        std::string value;            // text or field name
        std::vector<node> children;   // section
    };

private:
    explicit title_script(std::vector<node> nodes) : m_nodes(std::move(nodes)) {}
    ~title_script();
    void destroy() override { delete this; }

    std::vector<node> m_nodes;
};

// Length as text: "m:ss", or "h:mm:ss" from one hour on (whole seconds, rounded down).
std::string format_length(double seconds);

}  // namespace host
