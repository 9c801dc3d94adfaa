#pragma once
// Process-wide state written by the module entry and the client object (internal to the SDK layer;
// tests may read and reset it).

#include <windows.h>
#include <zut/string.h>

namespace trova_module {
extern HINSTANCE g_instance;
extern zut::plain_string g_full_path;
extern zut::plain_string g_file_name;
extern bool g_services_available;
extern bool g_services_initialized;  // set by the first services_init(true), never cleared
}  // namespace trova_module
