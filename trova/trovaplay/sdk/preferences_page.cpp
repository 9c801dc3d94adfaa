// The default help address of a preferences page.

#include <trovaplay/sdk/preferences_page.h>

#include <trovaplay/sdk/titleformat.h>
#include <zut/guid.h>
#include <zut/string.h>

#include <exception>

namespace {

// The first part of every page's help address.
const char HELP_ADDRESS[] = "https://trovaplay.org/help/";

// The host's version text; "" when the host has no (or more than one) version record. The host
// calls get_help_url: no exception may go back to it.
const char* core_version_text() {
  try {
    const char* version = get_core_version_text();
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
