#pragma once
// Core services: the component's view of what the module entry and the client object stored, and a
// few host queries.

#include <trovaplay/sdk/host_api.h>

#include <zut/exception.h>

// The host's API object, stored by the module entry (null before).
extern host_api* g_api;

namespace core_api {

// Thrown by ensure_main_thread off the main thread.
class exception_wrong_thread : public zut::exception_bug_check {
 public:
  exception_wrong_thread() : zut::exception_bug_check("This method can be called only from the main thread") {}
  exception_wrong_thread(const exception_wrong_thread& p_source) = default;
  ~exception_wrong_thread() override = default;
};

HINSTANCE get_my_instance();
HWND get_main_window();  // host_api slot 3, without any availability test
const char* get_my_file_name();  // "" when never set
const char* get_my_full_path();  // "" when never set
bool are_services_available();
bool is_main_thread();
void ensure_main_thread();
bool query_yes_no();
const char* get_profile_path();  // null while services are unavailable
bool is_shutting_down();
bool is_initializing();

}  // namespace core_api
