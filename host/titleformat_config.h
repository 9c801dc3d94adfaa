#pragma once
// The reference host's title-format configurations (service class titleformat_config). The host
// offers one: the format of playlist rows.
#include <windows.h>

#include <string>

#include <trovaplay/sdk/titleformat_config.h>
#include <zut/sync.h>

#include "host_object.h"

namespace host {

// {B905715B-4B26-4E0E-B3B8-FF4A232A4258}: the format of playlist rows.
constexpr GUID playlist_row_format_guid = {0xB905715B, 0x4B26, 0x4E0E, {0xB3, 0xB8, 0xFF, 0x4A, 0x32, 0x2A, 0x42, 0x58}};

class titleformat_config_impl final : public host_object<titleformat_config> {
public:
    // A new configuration with one reference (the caller's).
    static titleformat_config_impl* make(const GUID& guid, const char* name, const char* default_spec, double number) {
        return new titleformat_config_impl(guid, name, default_spec, number);
    }

    GUID* get_guid(GUID* p_out) override;
    const char* get_name() override { return m_name.c_str(); }
    void get_spec(zut::string_base& p_out) override;
    void set_spec(const char* p_spec, t_size p_length) override;
    void reset() override;
    // The compiled script is kept and handed out again; a text that failed is not compiled again
    // until it changes.
    bool compile(service_ptr_t<titleformat_script>& p_out) override;
    double get_number() override { return m_number; }

private:
    titleformat_config_impl(const GUID& guid, const char* name, const char* default_spec, double number);
    ~titleformat_config_impl();
    void destroy() override { delete this; }

    GUID m_guid;
    std::string m_name;
    std::string m_spec;
    std::string m_default_spec;
    double m_number;
    service_ptr_t<titleformat_script> m_script;
    bool m_failed = false;
    zut::critical_section m_lock;  // spec, script and flag: compile and get_spec may come from any thread
};

// The configurations the host offers, each with one reference (the caller's).
titleformat_config_impl* make_playlist_row_format();

}  // namespace host
