// The default help address of a preferences page.

#include <trovaplay/sdk/preferences_page.h>

#include <zut/guid.h>
#include <zut/string.h>

#include <exception>

namespace {

// The first part of every page's help address.
const char HELP_ADDRESS[] = "https://trovaplay.org/help/";

// The host's version record (exactly one service): slot 3 answers its version text.
class core_version_info : public service_base {
  TROVA_SERVICE_INTERFACE({0x0C36A649, 0x9EA0, 0x4F48, {0xB2, 0x29, 0x0C, 0xB2, 0xAA, 0x9A, 0xB6, 0xF4}})
 public:
  virtual const char* get_version_string() = 0;  // 3

 protected:
  core_version_info() = default;
  ~core_version_info() = default;
};


// The host's version text; "" when the host has no (or more than one) version record. The host
// calls get_help_url: no exception may go back to it.
const char* core_version_text() {
  try {
    single_service_ptr_t<core_version_info> info;
    const char* version = info->get_version_string();
    return version ? version : "";
  } catch (const std::exception&) {
    return "";
  }
}

}  // namespace

bool preferences_page::get_help_url(zut::string_base& p_out) {
  p_out.set_string(HELP_ADDRESS);
  p_out.add_string(core_version_text());
  p_out.add_string("/preferences/");
  p_out.add_string(zut::print_guid(get_guid()));
  p_out.add_string("/");
  const char* name = get_name();
  p_out.add_string(name ? name : "");
  return true;
}
