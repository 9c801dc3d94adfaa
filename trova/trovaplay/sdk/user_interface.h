#pragma once
// Host service class of a user interface. The host chooses one user interface, calls its init with
// the host's hook procedure and gets back the interface's main window; before it unloads the
// interface it calls shutdown.

#include <trovaplay/sdk/abi.h>
#include <trovaplay/sdk/service.h>

#include <cstdint>

// The host's hook procedure: offered every message of the interface's windows first; non-zero when
// it handled the message, having written the answer to *result.
typedef BOOL(TROVA_HOOK_CALL* host_hook_proc)(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam,
                                              LRESULT* result);

// Slots 3 to 12 after the three of service_base.
class user_interface : public service_base {
  TROVA_SERVICE_INTERFACE({0x1ADD4DC4, 0xB278, 0x4A0C, {0xA1, 0x05, 0x26, 0x29, 0xF4, 0xB3, 0x12, 0xF4}})
 public:
  virtual const char* get_name() = 0;           // 3: UTF-8 name of the interface
  virtual HWND init(host_hook_proc p_hook) = 0;  // 4: the main window, null on failure
  virtual void shutdown() = 0;                   // 5
  virtual void activate() = 0;                   // 6: show the interface
  virtual bool hide() = 0;                       // 7
  virtual bool is_visible() = 0;                 // 8
  virtual GUID* get_guid(GUID* p_out) = 0;       // 9: fills p_out and returns it
  // 10 to 12: operations the host may call; interfaces that need nothing there leave them empty.
  virtual void placeholder_10(std::uint32_t) {}
  virtual void placeholder_11() {}
  virtual void placeholder_12() {}

 protected:
  user_interface() = default;
  ~user_interface() = default;
};

// The factory of a user interface T (a singleton held by the factory).
template <typename T>
class user_interface_factory : public service_factory_single_t<T> {};
