#pragma once
// The host's API object, handed to the module entry and kept in `g_api` (core_api.h). The host
// implements it; the component only calls it. Slots in declaration order, no destructor slot.

#include <trovaplay/sdk/service_base.h>

class host_api {
 public:
  // 0: the handle of the class with this GUID. A class nobody offers still gets a handle, for which
  // enum_get_count answers 0.
  virtual service_class_ref enum_find_class(const GUID& p_guid) = 0;
  // 1: puts the service at `p_index` of the class into `p_out` (one reference, now the caller's) and
  // answers true; false (and `p_out` untouched) at the first index past the last service.
  virtual bool enum_create(service_ptr_t<service_base>& p_out, service_class_ref p_class,
                           std::uint32_t p_index) = 0;
  // 2: number of services of the class.
  virtual std::uint32_t enum_get_count(service_class_ref p_class) = 0;
  // 3: the host's main window.
  virtual HWND get_main_window() = 0;
  // 4: whether the caller runs on the host's main thread.
  virtual bool is_main_thread() = 0;
  // 5: a yes/no query of the host's own (only core_api::query_yes_no forwards it).
  virtual bool query_yes_no() = 0;
  // 6: whether the host is shutting down.
  virtual bool is_shutting_down() = 0;
  // 7: the profile folder as a UTF-8 "file://" address, valid for the whole run.
  virtual const char* get_profile_path() = 0;
  // 8: whether the host is still initialising.
  virtual bool is_initializing() = 0;

 protected:
  host_api() = default;
  host_api(const host_api&) = default;
  host_api& operator=(const host_api&) = default;
  ~host_api() = default;
};
