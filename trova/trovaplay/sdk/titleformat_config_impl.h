#pragma once
// A title-format configuration a component offers itself: a named text kept under a GUID in the
// host's configuration blob, compiled on demand. The object must be static (it is a cfg_var) and is
// offered through a service factory; its references are not counted.

#include <trovaplay/sdk/cfg_var.h>
#include <trovaplay/sdk/titleformat.h>
#include <trovaplay/sdk/titleformat_config.h>
#include <zut/sync.h>

// Host service class {9F33EDF0-B8F0-4D11-B27B-4FC1D3B3489F}: told of every change made through
// set_spec. Slot 3.
class titleformat_config_callback : public service_base {
  TROVA_SERVICE_INTERFACE({0x9F33EDF0, 0xB8F0, 0x4D11, {0xB2, 0x7B, 0x4F, 0xC1, 0xD3, 0xB3, 0x48, 0x9F}})
 public:
  virtual void on_change(const GUID& p_guid, const char* p_name, const char* p_spec, t_size p_length) = 0;

 protected:
  titleformat_config_callback() = default;
  ~titleformat_config_callback() = default;
};

class titleformat_config_impl : public titleformat_config, public cfg_var {
 public:
  titleformat_config_impl(const GUID& p_guid, const char* p_name, const char* p_default_spec, double p_number);
  ~titleformat_config_impl();

  int service_release() override { return 1; }
  int service_add_ref() override { return 1; }
  bool service_query(service_ptr_t<service_base>& p_out, const GUID& p_guid) override;

  GUID* get_guid(GUID* p_out) override;
  const char* get_name() override { return m_name.get_ptr(); }
  void get_spec(zut::string_base& p_out) override;
  // Main thread only; then every titleformat_config_callback hears of the change.
  void set_spec(const char* p_spec, t_size p_length) override;
  void reset() override;
  // The held script, or the text compiled now; a text that failed does not try again until it
  // changes.
  bool compile(service_ptr_t<titleformat_script>& p_out) override;
  double get_number() override { return m_number; }

  // The text's bytes, no terminator, no length.
  void get_data_raw(trovaplay_io::stream_writer& p_stream, trovaplay_io::abort_callback& p_abort) override;
  // The whole payload as the text; no callback is told.
  void set_data_raw(trovaplay_io::stream_reader& p_stream, std::uint32_t p_size,
                    trovaplay_io::abort_callback& p_abort) override;

 private:
  zut::string8 m_name;
  zut::string8 m_spec;
  zut::string8 m_default_spec;
  service_ptr_t<titleformat_script> m_script;
  bool m_compile_failed;
  GUID m_guid;
  double m_number;
  zut::critical_section m_lock;  // spec, script and flag
};
