#pragma once
// A host's title-format configuration for the tests: a GUID and its format text, compiled into
// its own counted script unless the text begins with "$".

#include "fake_host.h"

#include <trovaplay/sdk/titleformat_config.h>

class fake_script final : public titleformat_script {
 public:
  int service_release() override { return m_counted.release(); }
  int service_add_ref() override { return m_counted.add_ref(); }
  bool run(titleformat_hook*, zut::string_base&, titleformat_text_filter*) override { return true; }
  int count() const { return m_counted.count(); }

 private:
  fake_service_base m_counted{"titleformat_script"};
};

class fake_config final : public titleformat_config {
 public:
  fake_config(const GUID& guid, const char* spec) : m_guid(guid), m_spec(spec) {}
  fake_script script;
  int service_release() override { return m_counted.release(); }
  int service_add_ref() override { return m_counted.add_ref(); }
  GUID* get_guid(GUID* p_out) override { return *p_out = m_guid, p_out; }
  const char* get_name() override { return "fake"; }
  void get_spec(zut::string_base& p_out) override { p_out.set_string(m_spec); }
  void set_spec(const char*, t_size) override {}
  void reset() override {}
  bool compile(service_ptr_t<titleformat_script>& p_out) override {
    if (m_spec[0] == '$') return false;
    p_out = &script;
    return true;
  }
  double get_number() override { return 0; }
  int count() const { return m_counted.count(); }

 private:
  GUID m_guid;
  const char* m_spec;
  fake_service_base m_counted{"titleformat_config"};
};
