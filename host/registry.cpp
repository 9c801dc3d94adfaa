#include "registry.h"

#include "text.h"

namespace host {

service_registry::service_registry() : m_main_thread(GetCurrentThreadId()) {}

service_registry::~service_registry() { release_all(); }

service_registry::service_class* service_registry::find(const GUID& guid, bool create) {
    for (service_class& c : m_classes)
        if (zut::guid_equal(c.guid, guid)) return &c;
    if (!create) return nullptr;
    m_classes.push_back(service_class{guid, {}});
    return &m_classes.back();
}

void service_registry::add(const GUID& guid, service_base* service, bool from_component) {
    if (service == nullptr) return;
    service->service_add_ref();
    zut::scoped_lock lock(m_lock);
    find(guid, true)->services.push_back(kept{service, from_component, nullptr});
}

void service_registry::add_maker(const GUID& guid, service_base* (*make)(service_registry& registry)) {
    if (make == nullptr) return;
    zut::scoped_lock lock(m_lock);
    find(guid, true)->services.push_back(kept{nullptr, false, make});
}

service_base* service_registry::hand_out(const kept& k) {
    if (k.make) return k.make(*this);
    k.service->service_add_ref();
    return k.service;
}

void service_registry::release_component_services() {
    std::vector<service_base*> dropped;
    {
        zut::scoped_lock lock(m_lock);
        for (service_class& c : m_classes) {
            std::vector<kept> left;
            for (const kept& k : c.services) {
                if (k.from_component && k.service) dropped.push_back(k.service);
                else left.push_back(k);
            }
            c.services.swap(left);
        }
    }
    for (service_base* s : dropped) s->service_release();  // outside the lock: a release may call back
}

void service_registry::release_all() {
    std::vector<service_base*> dropped;
    {
        zut::scoped_lock lock(m_lock);
        for (service_class& c : m_classes) {
            for (const kept& k : c.services)
                if (k.service) dropped.push_back(k.service);
            c.services.clear();
        }
    }
    for (service_base* s : dropped) s->service_release();
}

std::uint32_t service_registry::count_of(const GUID& guid) {
    zut::scoped_lock lock(m_lock);
    service_class* c = find(guid, false);
    return c ? std::uint32_t(c->services.size()) : 0;
}

service_base* service_registry::get(const GUID& guid, std::uint32_t index) {
    kept k{};
    {
        zut::scoped_lock lock(m_lock);
        service_class* c = find(guid, false);
        if (c == nullptr || index >= c->services.size()) return nullptr;
        k = c->services[index];
        if (k.service) return hand_out(k);
    }
    return hand_out(k);  // a maker runs outside the lock, as in enum_create
}

std::vector<service_ptr_t<service_base>> service_registry::all_of(const GUID& guid) {
    std::vector<service_ptr_t<service_base>> out;
    for (std::uint32_t i = 0;; ++i) {
        service_ptr_t<service_base> s;
        s.attach(get(guid, i));
        if (s.is_empty()) return out;
        out.push_back(s);
    }
}

void service_registry::set_fault(const GUID& guid, int slot) {
    m_fault_set = true;
    m_fault_guid = guid;
    m_fault_slot = slot;
}

void service_registry::set_profile_folder(const std::wstring& folder) {
    m_profile_path = "file://" + to_utf8(folder);
}

// ---- host_api

service_class_ref service_registry::enum_find_class(const GUID& p_guid) {
    zut::scoped_lock lock(m_lock);
    find(p_guid, true);
    for (size_t i = 0; i < m_classes.size(); ++i)
        if (zut::guid_equal(m_classes[i].guid, p_guid)) return service_class_ref(i + 1);
    return 0;
}

bool service_registry::enum_create(service_ptr_t<service_base>& p_out, service_class_ref p_class,
                                   std::uint32_t p_index) {
    kept k{};
    bool fault = false;
    service_base* s = nullptr;
    {
        zut::scoped_lock lock(m_lock);
        if (p_class == 0 || p_class > m_classes.size()) return false;
        const service_class& c = m_classes[p_class - 1];
        if (p_index >= c.services.size()) return false;
        fault = is_fault_class(c);
        if (fault && m_fault_slot < 0) return false;
        k = c.services[p_index];
        if (k.service) s = hand_out(k);  // the caller's reference
    }
    // A maker runs outside the lock (it may ask the registry for services); its fresh object comes
    // with the caller's reference.
    if (s == nullptr) s = hand_out(k);
    if (s == nullptr) return false;
    if (fault) {
        // The stand-in forwards the reference counting to the real object, which keeps the
        // caller's reference.
        zut::scoped_lock lock(m_lock);
        m_proxies.emplace_back(new fault_proxy(s, unsigned(m_fault_slot)));
        s = static_cast<service_base*>(m_proxies.back()->object());
    }
    p_out.attach(s);
    return true;
}

std::uint32_t service_registry::enum_get_count(service_class_ref p_class) {
    zut::scoped_lock lock(m_lock);
    if (p_class == 0 || p_class > m_classes.size()) return 0;
    const service_class& c = m_classes[p_class - 1];
    if (is_fault_class(c) && m_fault_slot < 0) return 0;
    return std::uint32_t(c.services.size());
}

HWND service_registry::get_main_window() { return m_main_window; }

bool service_registry::is_main_thread() { return GetCurrentThreadId() == m_main_thread; }

// The reference host has no question to ask: it always answers yes.
bool service_registry::query_yes_no() { return true; }

bool service_registry::is_shutting_down() { return m_shutting_down; }

const char* service_registry::get_profile_path() { return m_profile_path.c_str(); }

bool service_registry::is_initializing() { return m_initializing; }

}  // namespace host
