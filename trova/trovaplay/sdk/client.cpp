// The client object behind the module entry. No exception leaves a method the host calls: each
// catches, reports "ERROR : ..." on the console (and the debug output) and returns.

#include <trovaplay/sdk/cfg_var.h>
#include <trovaplay/sdk/client.h>
#include <trovaplay/sdk/console.h>
#include <trovaplay/sdk/core_api.h>
#include <trovaplay/sdk/module_state.h>
#include <trovaplay/sdk/service.h>

namespace {

class trovaplay_client_impl : public trovaplay_client {
 public:
  std::uint32_t get_version() override { return trovaplay_client_version; }

  service_factory_base* get_service_list() override { return service_factory_base::get_list_head(); }

  void get_config(trovaplay_io::stream_writer& p_stream, trovaplay_io::abort_callback& p_abort) override {
    console::guarded("get_config", [&] { cfg_var_write_all(p_stream, p_abort); });
  }

  void set_config(trovaplay_io::stream_reader& p_stream, trovaplay_io::abort_callback& p_abort) override {
    console::guarded("set_config", [&] { cfg_var_read_all(p_stream, p_abort); });
  }

  // A null text is taken as empty.
  void set_library_path(const char* p_full_path, const char* p_file_name) override {
    console::guarded("set_library_path", [&] {
      trova_module::g_full_path.set(p_full_path ? p_full_path : "");
      trova_module::g_file_name.set(p_file_name ? p_file_name : "");
    });
  }

  void services_init(bool p_available) override {
    if (p_available) trova_module::g_services_initialized = true;
    trova_module::g_services_available = p_available;
  }

  bool is_debug() override { return true; }
};

trovaplay_client_impl g_client;

}  // namespace

extern "C" trovaplay_client* TROVA_ENTRY_CALL trovaplay_get_interface(host_api* p_api, HINSTANCE p_instance) {
  g_api = p_api;
  trova_module::g_instance = p_instance;
  return &g_client;
}
