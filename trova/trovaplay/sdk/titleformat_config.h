#pragma once
// Host service class of a title-format configuration: a named title-formatting text kept under a
// GUID, which can change while the host runs (for example the format of playlist rows). Any number
// of services; a caller picks the one whose get_guid answers the GUID it wants.

#include <trovaplay/sdk/service.h>
#include <trovaplay/sdk/titleformat_script.h>
#include <zut/string.h>

// Slots 3 to 9 after the three of service_base.
class titleformat_config : public service_base {
  TROVA_SERVICE_INTERFACE({0x942F5EFE, 0xD68B, 0x4BDE, {0xBA, 0x17, 0xC4, 0x42, 0xA8, 0xB2, 0xA4, 0x45}})
 public:
  virtual GUID* get_guid(GUID* p_out) = 0;                         // 3: fills p_out and returns it
  virtual const char* get_name() = 0;                              // 4: UTF-8
  virtual void get_spec(zut::string_base& p_out) = 0;              // 5
  virtual void set_spec(const char* p_spec, t_size p_length) = 0;  // 6: length ~0: up to the NUL
  virtual void reset() = 0;                                        // 7: back to the default text
  // 8: the text compiled; false when it does not compile.
  virtual bool compile(service_ptr_t<titleformat_script>& p_out) = 0;
  virtual double get_number() = 0;                                 // 9

 protected:
  titleformat_config() = default;
  ~titleformat_config() = default;
};

// The configuration whose get_guid answers p_guid (the first in the host's order); false, p_out
// untouched, when none does.
bool titleformat_config_find(const GUID& p_guid, service_ptr_t<titleformat_config>& p_out);
// That configuration's text compiled; false when there is none or it does not compile (p_out is
// then untouched).
bool titleformat_config_compile(const GUID& p_guid, service_ptr_t<titleformat_script>& p_out);
// That configuration's text; false when there is none.
bool titleformat_config_get_spec(const GUID& p_guid, zut::string_base& p_out);
