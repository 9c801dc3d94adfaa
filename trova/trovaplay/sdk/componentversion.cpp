// The component version record: fixed texts handed out through the string interface.

#include <trovaplay/sdk/componentversion.h>
#include <trovaplay/sdk/console.h>
#include <trovaplay/sdk/core_api.h>
#include <zut/string.h>

componentversion_impl_simple::componentversion_impl_simple(const char* p_name, const char* p_version,
                                                           const char* p_about)
    : m_name(p_name), m_version(p_version), m_about(p_about ? p_about : "") {}

// Writes the whole text (an empty one for null) and never lets an exception out.
static void write_text(zut::string_base& p_out, const char* p_text, const char* p_where) {
  console::guarded(p_where, [&] { p_out.set_string(p_text ? p_text : ""); });
}

void componentversion_impl_simple::get_file_name(zut::string_base& p_out) {
  write_text(p_out, core_api::get_my_file_name(), "componentversion::get_file_name");
}

void componentversion_impl_simple::get_component_name(zut::string_base& p_out) {
  write_text(p_out, m_name, "componentversion::get_component_name");
}

void componentversion_impl_simple::get_component_version(zut::string_base& p_out) {
  write_text(p_out, m_version, "componentversion::get_component_version");
}

void componentversion_impl_simple::get_about_message(zut::string_base& p_out) {
  write_text(p_out, m_about, "componentversion::get_about_message");
}
