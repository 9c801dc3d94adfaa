#include "fake_host.h"

#include <trovaplay/sdk/client.h>
#include <trovaplay/sdk/module_state.h>

#include <cstring>

std::vector<fake_call>& fake_call_log() {
  static std::vector<fake_call> log;
  return log;
}

void fake_log(const std::string& who, int slot, const std::string& text) {
  fake_call_log().push_back(fake_call{who, slot, text});
}

std::vector<int> fake_slots_of(const std::string& who) {
  std::vector<int> slots;
  for (const fake_call& c : fake_call_log())
    if (c.who == who) slots.push_back(c.slot);
  return slots;
}

fake_host::fake_host() {}

void fake_host::offer(const GUID& p_guid, service_base* p_service) {
  service_class_ref ref = enum_find_class(p_guid);
  fake_call_log().pop_back();  // offering is not a call of the component
  find(ref)->services.push_back(p_service);
}

void fake_host::break_creation(const GUID& p_guid) {
  service_class_ref ref = enum_find_class(p_guid);
  fake_call_log().pop_back();
  find(ref)->broken = true;
}

fake_host::service_class* fake_host::find(service_class_ref p_class) {
  if (p_class == 0 || p_class > m_classes.size()) return nullptr;
  return &m_classes[p_class - 1];
}

service_class_ref fake_host::enum_find_class(const GUID& p_guid) {
  fake_log("host_api", 0);
  for (std::size_t n = 0; n < m_classes.size(); n++)
    if (std::memcmp(&m_classes[n].guid, &p_guid, sizeof(GUID)) == 0) return static_cast<service_class_ref>(n + 1);
  service_class c;
  c.guid = p_guid;
  m_classes.push_back(c);
  return static_cast<service_class_ref>(m_classes.size());
}

bool fake_host::enum_create(service_ptr_t<service_base>& p_out, service_class_ref p_class, std::uint32_t p_index) {
  fake_log("host_api", 1);
  service_class* c = find(p_class);
  if (!c || c->broken || p_index >= c->services.size()) return false;
  p_out = c->services[p_index];
  return true;
}

std::uint32_t fake_host::enum_get_count(service_class_ref p_class) {
  fake_log("host_api", 2);
  service_class* c = find(p_class);
  return c ? static_cast<std::uint32_t>(c->services.size()) : 0;
}

HWND fake_host::get_main_window() {
  fake_log("host_api", 3);
  return main_window;
}
bool fake_host::is_main_thread() {
  fake_log("host_api", 4);
  return main_thread;
}
bool fake_host::query_yes_no() {
  fake_log("host_api", 5);
  return yes_no;
}
bool fake_host::is_shutting_down() {
  fake_log("host_api", 6);
  return shutting_down;
}
const char* fake_host::get_profile_path() {
  fake_log("host_api", 7);
  return profile_path;
}
bool fake_host::is_initializing() {
  fake_log("host_api", 8);
  return initializing;
}

void reset_module_state() {
  g_api = nullptr;
  trova_module::g_instance = nullptr;
  trova_module::g_full_path.set("");
  trova_module::g_file_name.set("");
  trova_module::g_services_available = false;
  trova_module::g_services_initialized = false;
  fake_call_log().clear();
}

void start_services(fake_host& p_host) {
  trovaplay_client* client = trovaplay_get_interface(&p_host, nullptr);
  client->services_init(true);
}
