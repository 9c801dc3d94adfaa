// Finding a title-format configuration by its GUID, and compiling or reading its text.

#include "titleformat_config.h"

bool titleformat_config_find(const GUID& p_guid, service_ptr_t<titleformat_config>& p_out) {
  service_enumerator_t<titleformat_config> configs;
  service_ptr_t<titleformat_config> config;
  while (configs.next(config)) {
    GUID guid = {};
    if (zut::guid_equal(*config->get_guid(&guid), p_guid)) {
      p_out = config;
      return true;
    }
  }
  return false;
}

bool titleformat_config_compile(const GUID& p_guid, service_ptr_t<titleformat_script>& p_out) {
  service_ptr_t<titleformat_config> config;
  if (!titleformat_config_find(p_guid, config)) return false;
  service_ptr_t<titleformat_script> script;
  if (!config->compile(script) || script.is_empty()) return false;
  p_out = script;
  return true;
}

bool titleformat_config_get_spec(const GUID& p_guid, zut::string_base& p_out) {
  service_ptr_t<titleformat_config> config;
  if (!titleformat_config_find(p_guid, config)) return false;
  config->get_spec(p_out);
  return true;
}
