#include "titleformat_config.h"

#include <cstring>

#include "guard.h"
#include "log.h"
#include "title_format.h"

namespace host {

titleformat_config_impl::titleformat_config_impl(const GUID& guid, const char* name, const char* default_spec,
                                                 double number)
    : m_guid(guid), m_name(name ? name : ""), m_spec(default_spec ? default_spec : ""), m_default_spec(m_spec),
      m_number(number) {}

titleformat_config_impl::~titleformat_config_impl() {}

GUID* titleformat_config_impl::get_guid(GUID* p_out) {
    if (p_out) *p_out = m_guid;
    return p_out;
}

void titleformat_config_impl::get_spec(zut::string_base& p_out) {
    zut::scoped_lock lock(m_lock);
    p_out.set_string(m_spec.c_str());
}

void titleformat_config_impl::set_spec(const char* p_spec, t_size p_length) {
    const std::string spec = p_spec == nullptr ? std::string()
                             : p_length == zut::infinite_size ? std::string(p_spec)
                                                         : std::string(p_spec, strnlen(p_spec, p_length));
    zut::scoped_lock lock(m_lock);
    m_spec = spec;
    m_failed = false;
    m_script.release();
}

void titleformat_config_impl::reset() { set_spec(m_default_spec.c_str(), zut::infinite_size); }

bool titleformat_config_impl::compile(service_ptr_t<titleformat_script>& p_out) {
    return guard("titleformat_config compile", false, [&] {
        zut::scoped_lock lock(m_lock);
        if (m_script.is_empty()) {
            if (m_failed) return false;
            std::string error;
            title_script* script = title_script::compile(m_spec, error);
            if (script == nullptr) {
                m_failed = true;
                log_host("ERROR : the title format \"" + m_spec + "\" of " + m_name + " does not compile: " + error);
                return false;
            }
            m_script.attach(script);
        }
        p_out = m_script;
        return true;
    });
}

titleformat_config_impl* make_playlist_row_format() {
    // The playing track's row starts with a mark, U+00BB (in every font and every Western code page).
    return titleformat_config_impl::make(playlist_row_format_guid, "Playlist rows",
                                         "$if(%is_playing%,\xC2\xBB )[%artist% - ]%title%", 0.0);
}

}  // namespace host
