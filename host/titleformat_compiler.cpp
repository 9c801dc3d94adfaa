#include "titleformat_compiler.h"

#include <string>

#include "guard.h"
#include "log.h"
#include "title_format.h"

namespace host {

const char* const host_version_text = "trovaplay 0.1 (reference host)";

bool titleformat_compiler_impl::compile(service_ptr_t<titleformat_script>& p_out, const char* p_spec) {
    return guard("titleformat_compiler compile", false, [&] {
        std::string error;
        title_script* script = title_script::compile(p_spec ? p_spec : "", error);
        if (script == nullptr) {
            log_host("titleformat: \"" + std::string(p_spec ? p_spec : "") + "\" does not compile: " + error);
            return false;
        }
        p_out.attach(script);
        return true;
    });
}

}  // namespace host
