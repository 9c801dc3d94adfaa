#pragma once
// The component version record: a service the component offers, naming the component.

#include <trovaplay/sdk/service.h>

namespace zut {
class string_base;
}

class componentversion : public service_base {
  TROVA_SERVICE_INTERFACE({0x10BB3EBD, 0xDDF7, 0x4975, {0xA3, 0xCC, 0x23, 0x08, 0x48, 0x29, 0x45, 0x3E}})
 public:
  virtual void get_file_name(zut::string_base& p_out) = 0;          // 3
  virtual void get_component_name(zut::string_base& p_out) = 0;     // 4
  virtual void get_component_version(zut::string_base& p_out) = 0;  // 5
  virtual void get_about_message(zut::string_base& p_out) = 0;      // 6

 protected:
  componentversion() = default;
  ~componentversion() = default;
};

// Name, version and about text kept as pointers to static text (a null about text becomes "").
// The getters write an empty text for a null field and never throw.
class componentversion_impl_simple : public componentversion {
 public:
  componentversion_impl_simple(const char* p_name, const char* p_version, const char* p_about);
  void get_file_name(zut::string_base& p_out) override;
  void get_component_name(zut::string_base& p_out) override;
  void get_component_version(zut::string_base& p_out) override;
  void get_about_message(zut::string_base& p_out) override;

 private:
  const char* m_name;
  const char* m_version;
  const char* m_about;
};

class componentversion_impl_simple_factory
    : public service_factory_single_transparent_t<componentversion_impl_simple> {
 public:
  componentversion_impl_simple_factory(const char* p_name, const char* p_version, const char* p_about)
      : service_factory_single_transparent_t<componentversion_impl_simple>(p_name, p_version, p_about) {}
};
