// The reference host's service registry (host_api slots 0-8) and its reference counting.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include <registry.h>
#include <host_object.h>
#include <console.h>

#include <trovaplay/sdk/console_receiver.h>

namespace {

const GUID kClassA = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};
const GUID kClassB = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 9}};

// A host object whose destruction is observable.
class counted final : public host::host_object<console_receiver> {
public:
    explicit counted(int* destroyed) : m_destroyed(destroyed) {}
    void print(const char*, std::uint32_t) override {}

private:
    void destroy() override {
        ++*m_destroyed;
        delete this;
    }
    int* m_destroyed;
};

TEST(service_registry, ClassNobodyOffersHasCountZero) {
    host::service_registry r;
    const service_class_ref ref = r.enum_find_class(kClassA);
    EXPECT_NE(ref, 0u);
    EXPECT_EQ(r.enum_find_class(kClassA), ref);  // stable
    EXPECT_EQ(r.enum_get_count(ref), 0u);
    service_ptr_t<service_base> out;
    EXPECT_FALSE(r.enum_create(out, ref, 0));
    EXPECT_TRUE(out.is_empty());
    EXPECT_EQ(r.enum_get_count(0), 0u);
    EXPECT_EQ(r.enum_get_count(12345), 0u);
    EXPECT_FALSE(r.enum_create(out, 12345, 0));
}

TEST(service_registry, CreationFailsAtTheFirstIndexPastTheEnd) {
    int destroyed = 0;
    {
        host::service_registry r;
        counted* one = new counted(&destroyed);
        counted* two = new counted(&destroyed);
        r.add(kClassA, one, false);
        r.add(kClassA, two, false);
        one->service_release();
        two->service_release();
        const service_class_ref ref = r.enum_find_class(kClassA);
        EXPECT_EQ(r.enum_get_count(ref), 2u);
        EXPECT_EQ(r.enum_get_count(r.enum_find_class(kClassB)), 0u);
        service_ptr_t<service_base> out;
        ASSERT_TRUE(r.enum_create(out, ref, 0));
        EXPECT_EQ(out.get_ptr(), static_cast<service_base*>(one));
        EXPECT_EQ(one->reference_count(), 2);  // the registry's and ours
        ASSERT_TRUE(r.enum_create(out, ref, 1));
        EXPECT_EQ(out.get_ptr(), static_cast<service_base*>(two));
        EXPECT_EQ(one->reference_count(), 1);  // the old one was released
        service_ptr_t<service_base> untouched = out;
        EXPECT_FALSE(r.enum_create(out, ref, 2));
        EXPECT_EQ(out.get_ptr(), static_cast<service_base*>(two));  // left as it was
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 2);  // the last references went with the pointers and the registry
    EXPECT_EQ(host::live_host_objects(), 0);
}

TEST(service_registry, ReferenceCountsBalanceAndObjectsDie) {
    int destroyed = 0;
    host::service_registry r;
    counted* c = new counted(&destroyed);
    r.add(kClassA, c, false);
    EXPECT_EQ(c->service_release(), 1);
    {
        service_ptr_t<service_base> p;
        ASSERT_TRUE(r.enum_create(p, r.enum_find_class(kClassA), 0));
        EXPECT_EQ(p->service_add_ref(), 3);
        EXPECT_EQ(p->service_release(), 2);
    }
    EXPECT_EQ(c->reference_count(), 1);
    r.release_all();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(host::live_host_objects(), 0);
}

TEST(service_registry, ComponentServicesAreLetGoFirst) {
    int destroyed = 0;
    host::service_registry r;
    counted* mine = new counted(&destroyed);
    counted* theirs = new counted(&destroyed);
    r.add(kClassA, mine, false);
    r.add(kClassA, theirs, true);
    mine->service_release();
    theirs->service_release();
    r.release_component_services();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(r.count_of(kClassA), 1u);
    service_base* first = r.get(kClassA, 0);
    EXPECT_EQ(first, static_cast<service_base*>(mine));
    first->service_release();
    EXPECT_EQ(r.get(kClassA, 1), nullptr);
    r.release_all();
    EXPECT_EQ(destroyed, 2);
}

DWORD WINAPI ask_main_thread(void* arg) {
    auto* pair = static_cast<std::pair<host::service_registry*, bool*>*>(arg);
    *pair->second = pair->first->is_main_thread();
    return 0;
}

TEST(service_registry, HostQueries) {
    host::service_registry r;
    r.set_profile_folder(L"C:\\profile\\\u00E9t\u00E9");
    const char* p = r.get_profile_path();
    EXPECT_STREQ(p, "file://C:\\profile\\\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(r.get_profile_path(), p);  // the same pointer for the whole run
    EXPECT_TRUE(r.is_main_thread());
    EXPECT_TRUE(r.is_initializing());
    EXPECT_FALSE(r.is_shutting_down());
    r.set_initializing(false);
    r.set_shutting_down(true);
    EXPECT_FALSE(r.is_initializing());
    EXPECT_TRUE(r.is_shutting_down());
    EXPECT_EQ(r.get_main_window(), nullptr);
    r.set_main_window(HWND(0x1234));
    EXPECT_EQ(r.get_main_window(), HWND(0x1234));

    bool other_thread_is_main = true;
    std::pair<host::service_registry*, bool*> args(&r, &other_thread_is_main);
    HANDLE t = CreateThread(nullptr, 0, &ask_main_thread, &args, 0, nullptr);
    ASSERT_NE(t, nullptr);
    WaitForSingleObject(t, INFINITE);
    CloseHandle(t);
    EXPECT_FALSE(other_thread_is_main);
}

TEST(service_registry, SlotsSitWhereTheComponentCallsThem) {
    host::service_registry r;
    r.set_profile_folder(L"C:\\p");
    host_api* api = &r;
    // Call through the table by slot number, as the component does.
    void** table = *reinterpret_cast<void***>(api);
    typedef const char*(__thiscall * profile_fn)(host_api*);
    typedef bool(__thiscall * bool_fn)(host_api*);
    EXPECT_STREQ(reinterpret_cast<profile_fn>(table[7])(api), "file://C:\\p");
    EXPECT_TRUE(reinterpret_cast<bool_fn>(table[8])(api));   // initializing
    EXPECT_FALSE(reinterpret_cast<bool_fn>(table[6])(api));  // shutting down
    EXPECT_TRUE(reinterpret_cast<bool_fn>(table[4])(api));   // main thread
}

TEST(console_receiver_service, IsAHostObjectWithRealCounting) {
    const long before = host::live_host_objects();
    console_receiver* c = host::make_console_receiver();
    EXPECT_EQ(host::live_host_objects(), before + 1);
    service_ptr_t<service_base> q;
    EXPECT_TRUE(c->service_query(q, console_receiver::class_guid));
    EXPECT_EQ(q.get_ptr(), static_cast<service_base*>(c));
    q.release();
    EXPECT_EQ(c->service_release(), 0);
    EXPECT_EQ(host::live_host_objects(), before);
}

}  // namespace
