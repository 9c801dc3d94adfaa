// Core services and the module state that the entry and the client object write.

#include <trovaplay/sdk/core_api.h>
#include <trovaplay/sdk/module_state.h>

host_api* g_api = nullptr;

namespace trova_module {
HINSTANCE g_instance = nullptr;
zut::plain_string g_full_path;
zut::plain_string g_file_name;
bool g_services_available = false;
bool g_services_initialized = false;
}  // namespace trova_module

using namespace trova_module;

namespace core_api {

// The host answers only between services_init(true) and services_init(false), and only once g_api
// is set.
static bool host_answers() { return g_services_available && g_api != nullptr; }

HINSTANCE get_my_instance() { return g_instance; }

HWND get_main_window() { return g_api ? g_api->get_main_window() : nullptr; }

const char* get_my_file_name() { return g_file_name.get_ptr(); }

const char* get_my_full_path() { return g_full_path.get_ptr(); }

bool are_services_available() { return g_services_available; }

bool is_main_thread() { return host_answers() ? g_api->is_main_thread() : true; }

void ensure_main_thread() {
  if (!is_main_thread()) throw exception_wrong_thread();
}

bool query_yes_no() { return host_answers() ? g_api->query_yes_no() : true; }

const char* get_profile_path() { return host_answers() ? g_api->get_profile_path() : nullptr; }

bool is_shutting_down() { return host_answers() ? g_api->is_shutting_down() : g_services_initialized; }

bool is_initializing() { return host_answers() ? g_api->is_initializing() : !g_services_initialized; }

}  // namespace core_api
