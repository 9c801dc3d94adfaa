#include <trovaplay/sdk/mainmenu.h>

#include <trovaplay/sdk/service_items.h>
#include <trovaplay/shared/shared.h>

namespace {

template <typename F>
bool find_command(F match, service_ptr_t<mainmenu_commands>& p_service, std::uint32_t& p_index) {
  return service_find_item(&mainmenu_commands::get_command_count, match, p_service, p_index);
}

}  // namespace

bool mainmenu_find_command_by_name(const char* p_name, GUID& p_out) {
  zut::string8 name;
  service_ptr_t<mainmenu_commands> service;
  std::uint32_t index = 0;
  const bool found = find_command(
      [&](mainmenu_commands& s, std::uint32_t i) {
        s.get_name(i, name);
        return stricmp_utf8(name, p_name) == 0;
      },
      service, index);
  if (found) p_out = service->get_command(index);
  return found;
}

bool mainmenu_run_command(const GUID& p_command, const service_ptr_t<service_base>& p_callback) {
  service_ptr_t<mainmenu_commands> service;
  std::uint32_t index = 0;
  if (!find_command([&](mainmenu_commands& s, std::uint32_t i) { return zut::guid_equal(s.get_command(i), p_command); },
                    service, index))
    return false;
  service->execute(index, p_callback);
  return true;
}

bool mainmenu_execute_by_guid(const GUID& p_command) {
  return mainmenu_run_command(p_command, service_ptr_t<service_base>());
}

void show_preferences() { mainmenu_execute_by_guid(mainmenu_commands::guid_preferences); }
