#include "titleformat_config_impl.h"

#include <trovaplay/sdk/core_api.h>

titleformat_config_impl::titleformat_config_impl(const GUID& p_guid, const char* p_name, const char* p_default_spec,
                                                 double p_number)
    : cfg_var(p_guid), m_name(p_name ? p_name : ""), m_spec(p_default_spec ? p_default_spec : ""),
      m_default_spec(p_default_spec ? p_default_spec : ""), m_compile_failed(false), m_guid(p_guid),
      m_number(p_number) {}

titleformat_config_impl::~titleformat_config_impl() {}

bool titleformat_config_impl::service_query(service_ptr_t<service_base>& p_out, const GUID& p_guid) {
  return service_query_rule(static_cast<titleformat_config*>(this), p_out, p_guid, titleformat_config::class_guid);
}

GUID* titleformat_config_impl::get_guid(GUID* p_out) {
  if (p_out) *p_out = m_guid;
  return p_out;
}

void titleformat_config_impl::get_spec(zut::string_base& p_out) {
  zut::scoped_lock lock(m_lock);
  p_out.set_string(m_spec.get_ptr());
}

void titleformat_config_impl::set_spec(const char* p_spec, t_size p_length) {
  core_api::ensure_main_thread();
  zut::string8 text(p_spec ? p_spec : "", p_spec ? p_length : 0);
  {
    zut::scoped_lock lock(m_lock);
    m_spec = text;
    m_compile_failed = false;
    m_script.release();
  }
  // Outside the lock: a listener may read the configuration again.
  service_enumerator_t<titleformat_config_callback> listeners;
  service_ptr_t<titleformat_config_callback> listener;
  while (listeners.next(listener))
    listener->on_change(m_guid, m_name.get_ptr(), text.get_ptr(), text.get_length());
}

void titleformat_config_impl::reset() { set_spec(m_default_spec.get_ptr(), zut::infinite_size); }

bool titleformat_config_impl::compile(service_ptr_t<titleformat_script>& p_out) {
  zut::scoped_lock lock(m_lock);
  if (m_script.is_empty()) {
    if (m_compile_failed) return false;
    if (!titleformat_compile(m_script, m_spec.get_ptr())) {
      m_script.release();
      m_compile_failed = true;
      return false;
    }
  }
  p_out = m_script;
  return true;
}

void titleformat_config_impl::get_data_raw(trovaplay_io::stream_writer& p_stream,
                                           trovaplay_io::abort_callback& p_abort) {
  zut::string8 text;
  get_spec(text);
  trovaplay_io::write_raw_string(p_stream, text.get_ptr(), p_abort);
}

void titleformat_config_impl::set_data_raw(trovaplay_io::stream_reader& p_stream, std::uint32_t p_size,
                                           trovaplay_io::abort_callback& p_abort) {
  // Never past this variable's payload, whatever reader the caller hands in.
  stream_reader_limited_ref payload(p_stream, p_size);
  zut::string8 text;
  trovaplay_io::read_raw_string(payload, text, p_abort);
  zut::scoped_lock lock(m_lock);
  m_script.release();
  m_compile_failed = false;
  m_spec = text;
}
