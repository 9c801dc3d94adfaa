#pragma once
// The reference host's title-format compiler (service class titleformat_compiler) and its version
// record (service class core_version_info).
#include <trovaplay/sdk/titleformat.h>

#include "host_object.h"

namespace host {

// The host's version text.
extern const char* const host_version_text;

class titleformat_compiler_impl final : public host_object<titleformat_compiler> {
public:
    // A new compiler with one reference (the caller's).
    static titleformat_compiler_impl* make() { return new titleformat_compiler_impl(); }
    // 3: false (p_out untouched) for a text the language refuses.
    bool compile(service_ptr_t<titleformat_script>& p_out, const char* p_spec) override;

private:
    titleformat_compiler_impl() = default;
    void destroy() override { delete this; }
};

class core_version_info_impl final : public host_object<core_version_info> {
public:
    static core_version_info_impl* make() { return new core_version_info_impl(); }
    const char* get_version_string() override { return host_version_text; }

private:
    core_version_info_impl() = default;
    void destroy() override { delete this; }
};

}  // namespace host
