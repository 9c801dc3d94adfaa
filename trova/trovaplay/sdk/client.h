#pragma once
// The client object that the module entry returns to the host, and the entry itself.

#include <trovaplay/sdk/abi.h>
#include <trovaplay/sdk/host_api.h>
#include <trovaplay/sdk/stream.h>

class service_factory_base;

// The interface version that get_version answers.
const std::uint32_t trovaplay_client_version = 71;

// Slots in declaration order, no destructor slot.
class trovaplay_client {
 public:
  virtual std::uint32_t get_version() = 0;                        // 0
  virtual service_factory_base* get_service_list() = 0;           // 1
  virtual void get_config(trovaplay_io::stream_writer& p_stream,  // 2
                          trovaplay_io::abort_callback& p_abort) = 0;
  virtual void set_config(trovaplay_io::stream_reader& p_stream,  // 3
                          trovaplay_io::abort_callback& p_abort) = 0;
  virtual void set_library_path(const char* p_full_path, const char* p_file_name) = 0;  // 4
  virtual void services_init(bool p_available) = 0;               // 5
  virtual bool is_debug() = 0;                                    // 6

 protected:
  trovaplay_client() = default;
  trovaplay_client(const trovaplay_client&) = default;
  trovaplay_client& operator=(const trovaplay_client&) = default;
  ~trovaplay_client() = default;
};

// The module's one export (by name, ordinal 1): stores the host's API object and the module instance
// and returns the static client object. The host finds it with GetProcAddress.
extern "C" trovaplay_client* TROVA_ENTRY_CALL trovaplay_get_interface(host_api* p_api, HINSTANCE p_instance);
typedef trovaplay_client*(TROVA_ENTRY_CALL* trovaplay_get_interface_t)(host_api* p_api, HINSTANCE p_instance);
#define TROVAPLAY_ENTRY_NAME "trovaplay_get_interface"
