// Service model: the factory list, the host-API calls and the single-service lookup.
//
// 1. Factories link themselves in front of one process-wide list while the module loads.
// 2. Host services are found by class GUID through host_api slots 0 to 2.
// 3. The single-service lookup insists on exactly one service and one created instance.

#include <trovaplay/sdk/core_api.h>
#include <trovaplay/sdk/service.h>
#include <zut/exception.h>
#include <zut/primitives.h>

void service_assert_failed(const wchar_t* expression, const wchar_t* file, unsigned line) {
  zut::assert_failed(expression, file, line);
}

bool service_query_rule(service_base* p_self, service_ptr_t<service_base>& p_out, const GUID& p_guid,
                        const GUID& p_class_guid) {
  if (!zut::guid_equal(p_guid, p_class_guid)) return false;
  p_out = p_self;
  return true;
}

// ---- 1. The factory list. A plain pointer, zero before any dynamic initialiser runs.
static service_factory_base* g_service_factory_list = nullptr;

service_factory_base* service_factory_base::get_list_head() { return g_service_factory_list; }

service_factory_base::service_factory_base(const GUID& p_guid) : m_next(nullptr), m_guid(&p_guid) {
  TROVA_SERVICE_ASSERT(!core_api::are_services_available(), L"trovaplay/sdk/service", 224);
  m_next = g_service_factory_list;
  g_service_factory_list = this;
}

service_factory_base::~service_factory_base() {
  TROVA_SERVICE_ASSERT(!core_api::are_services_available(), L"trovaplay/sdk/service", 225);
}

// ---- 2. Host-API calls.
service_class_ref service_class_find(const GUID& p_guid) {
  TROVA_SERVICE_ASSERT(core_api::are_services_available() && g_api, L"service", 8);
  if (!g_api) return 0;
  return g_api->enum_find_class(p_guid);
}

bool service_class_create(service_ptr_t<service_base>& p_out, service_class_ref p_ref, std::uint32_t p_index) {
  TROVA_SERVICE_ASSERT(core_api::are_services_available() && g_api, L"service", 14);
  if (!g_api) return false;
  return g_api->enum_create(p_out, p_ref, p_index);
}

std::uint32_t service_class_get_count(service_class_ref p_ref) {
  TROVA_SERVICE_ASSERT(core_api::are_services_available() && g_api, L"service", 20);
  if (!g_api) return 0;
  return g_api->enum_get_count(p_ref);
}

// ---- 3. The single service of a class.
void service_single_lookup(service_ptr_t<service_base>& p_out, const GUID& p_guid) {
  p_out.release();
  // 3.1 The class and its count.
  service_class_ref ref = service_class_find(p_guid);
  std::uint32_t count = service_class_get_count(ref);
  if (count == 0) throw exception_service_not_found();
  if (count != 1) throw exception_service_duplicated();
  // 3.2 Instance 0; the pointer takes the one reference the creation made.
  service_ptr_t<service_base> tmp;
  if (!service_class_create(tmp, ref, 0)) throw zut::exception_bug_check();
  p_out.attach(tmp.detach());
}
