#pragma once
// The host's service registry and its API object (host_api, slots 0-8).
//
// Services are kept per class GUID, in the order they were added; a class handle is the class's
// position in the table plus 1 (0 is never handed out). A class nobody offers gets a handle too, and
// its count is 0. Creation at an index hands out one new reference and fails at the first index past
// the last service. The registry itself holds one reference on every service it keeps.
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include <trovaplay/sdk/host_api.h>
#include <zut/sync.h>

#include "fault_proxy.h"

namespace host {

class service_registry final : public host_api {
public:
    service_registry();
    ~service_registry();
    service_registry(const service_registry&) = delete;
    service_registry& operator=(const service_registry&) = delete;

    // ---- The host's side.
    // Adds a service of class `guid` (takes a reference). `from_component`: the service object lives
    // in the component's module and must be let go before the module is unloaded.
    void add(const GUID& guid, service_base* service, bool from_component);
    // Adds a service of class `guid` made afresh for every creation: `make` returns a new object
    // with one reference, which the creator receives.
    void add_maker(const GUID& guid, service_base* (*make)(service_registry& registry));
    // Releases the registry's references on the component's services (before FreeLibrary).
    void release_component_services();
    // Releases every reference the registry holds (at the very end).
    void release_all();
    // Number of services of `guid` kept now.
    std::uint32_t count_of(const GUID& guid);
    // The service at `index` of class `guid`, with a new reference, or null.
    service_base* get(const GUID& guid, std::uint32_t index);
    // Every service of class `guid` as it is now, each with a reference of its own: callers walk the
    // copy, as a service they call may change the registry.
    std::vector<service_ptr_t<service_base>> all_of(const GUID& guid);
    // The first service of class T with a reference of its own; empty when there is none.
    template <class T>
    service_ptr_t<T> first_of() {
        service_ptr_t<T> out;
        out.attach(static_cast<T*>(get(T::class_guid, 0)));
        return out;
    }

    void set_main_window(HWND window) { m_main_window = window; }
    // The profile folder (wide, absolute); slot 7 answers "file://" + its UTF-8 form.
    void set_profile_folder(const std::wstring& folder);
    void set_initializing(bool value) { m_initializing = value; }
    // --fault: the component finds no service of class `guid` (slot < 0), or gets a stand-in whose
    // `slot` throws (see fault_proxy.h).
    void set_fault(const GUID& guid, int slot);
    void set_shutting_down(bool value) { m_shutting_down = value; }

    // ---- host_api.
    service_class_ref enum_find_class(const GUID& p_guid) override;                      // 0
    bool enum_create(service_ptr_t<service_base>& p_out, service_class_ref p_class,
                     std::uint32_t p_index) override;                                     // 1
    std::uint32_t enum_get_count(service_class_ref p_class) override;                    // 2
    HWND get_main_window() override;                                                     // 3
    bool is_main_thread() override;                                                      // 4
    bool query_yes_no() override;                                                        // 5
    bool is_shutting_down() override;                                                    // 6
    const char* get_profile_path() override;                                             // 7
    bool is_initializing() override;                                                     // 8

private:
    struct kept {
        service_base* service;  // one reference held; null for a maker
        bool from_component;
        service_base* (*make)(service_registry& registry);  // null for a kept service
    };
    // The service of an entry with a new reference (a maker's fresh object), or null.
    service_base* hand_out(const kept& k);
    struct service_class {
        GUID guid;
        std::vector<kept> services;
    };

    service_class* find(const GUID& guid, bool create);
    bool is_fault_class(const service_class& c) const { return m_fault_set && zut::guid_equal(c.guid, m_fault_guid); }

    bool m_fault_set = false;
    GUID m_fault_guid = {};
    int m_fault_slot = -1;
    std::vector<std::unique_ptr<fault_proxy>> m_proxies;  // handed out; kept until the end

    zut::critical_section m_lock;
    std::vector<service_class> m_classes;
    DWORD m_main_thread;
    // Read from any thread of the component (its bring-to-front thread, say).
    std::atomic<HWND> m_main_window{nullptr};
    std::string m_profile_path;  // never changed once the component runs: the pointer stays valid
    std::atomic<bool> m_initializing{true};
    std::atomic<bool> m_shutting_down{false};
};


}  // namespace host
