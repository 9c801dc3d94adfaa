#pragma once
// The root of every object that crosses the boundary between the host and the component, and the
// counted pointer that holds such objects.
//
// Binary rules: slots are counted in declaration order from 0; no boundary interface has a virtual
// destructor (this compiler would give it two slots); destructors are protected and non-virtual.
// A slot never returns a record by value nor takes a class (service_ptr_t) by value: the host's
// compiler passes both differently from ours. A record result is declared `T* name(T* p_out, ...)`
// (fills p_out, returns it); a counted pointer argument is the raw pointer, whose reference the
// callee takes over and releases. A non-virtual wrapper of the same name keeps the by-value form.

#include <windows.h>

#include <zut/guid.h>

#include <cstdint>

class service_base;

// Debug check of the service layer: reports through the foundation library's assertion routine and
// returns. `file` is the source name the report carries.
void service_assert_failed(const wchar_t* expression, const wchar_t* file, unsigned line);

#define TROVA_SERVICE_ASSERT(expr, file, line)                                  \
  do {                                                                          \
    if (!(expr)) service_assert_failed(L## #expr, file, line);                  \
  } while (0)

// Counted reference to a service. One field, `m_ptr`, null when empty. The foundation's containers
// move it as raw memory (the count stays as it is), and drop its reference through release() before
// they destroy it, so that a release that throws is caught there instead of ending the process.
template <typename T>
class service_ptr_t {
 public:
  typedef void zut_raw_movable;
  typedef void zut_release_before_destruction;

  service_ptr_t() : m_ptr(nullptr) {}
  service_ptr_t(T* p) : m_ptr(nullptr) { *this = p; }
  service_ptr_t(const service_ptr_t& p) : m_ptr(nullptr) { *this = p.m_ptr; }
  template <typename U>
  service_ptr_t(const service_ptr_t<U>& p) : m_ptr(nullptr) {
    *this = p.get_ptr();
  }
  ~service_ptr_t() { release(); }

  // Takes a reference on the new service before it drops the old one, so that assigning the held
  // service to itself never lets its count reach zero in between.
  service_ptr_t& operator=(T* p) {
    if (p) p->service_add_ref();
    T* old = m_ptr;
    m_ptr = p;
    if (old) old->service_release();
    return *this;
  }
  service_ptr_t& operator=(const service_ptr_t& p) { return *this = p.m_ptr; }
  template <typename U>
  service_ptr_t& operator=(const service_ptr_t<U>& p) {
    return *this = p.get_ptr();
  }

  // Stores `p` without taking a reference: the caller hands its reference over.
  void attach(T* p) {
    T* old = m_ptr;
    m_ptr = p;
    if (old) old->service_release();
  }
  // Returns the held pointer and leaves this one empty: the reference passes to the caller.
  T* detach() {
    T* p = m_ptr;
    m_ptr = nullptr;
    return p;
  }
  // Drops the held reference. The pointer is left empty, so a later release or the destructor
  // never drops it a second time.
  void release() {
    T* old = m_ptr;
    m_ptr = nullptr;
    if (old) old->service_release();
  }
  void reset() { release(); }

  T* operator->() const {
    TROVA_SERVICE_ASSERT(m_ptr != NULL, L"trovaplay/sdk/service", 81);
    return m_ptr;
  }
  T* get_ptr() const { return m_ptr; }
  bool is_valid() const { return m_ptr != nullptr; }
  bool is_empty() const { return m_ptr == nullptr; }
  bool operator==(const service_ptr_t& p) const { return m_ptr == p.m_ptr; }
  bool operator!=(const service_ptr_t& p) const { return m_ptr != p.m_ptr; }
  bool operator==(const T* p) const { return m_ptr == p; }
  bool operator!=(const T* p) const { return m_ptr != p; }

 private:
  T* m_ptr;
};

// The root interface: slots 0 release, 1 add-reference, 2 query by class GUID.
class service_base {
 public:
  virtual int service_release() = 0;                                                  // slot 0
  virtual int service_add_ref() = 0;                                                  // slot 1
  virtual bool service_query(service_ptr_t<service_base>& p_out, const GUID& p_guid); // slot 2

 protected:
  service_base() = default;
  service_base(const service_base&) = default;
  service_base& operator=(const service_base&) = default;
  ~service_base() = default;
};

inline bool service_base::service_query(service_ptr_t<service_base>&, const GUID&) { return false; }

// The query rule of every interface class: when `p_guid` is `p_class_guid`, `p_out` takes `p_self`
// (with a reference) and the answer is true; otherwise false and `p_out` is untouched.
bool service_query_rule(service_base* p_self, service_ptr_t<service_base>& p_out, const GUID& p_guid,
                        const GUID& p_class_guid);

// Declares the class GUID of an interface class and its query rule. Use inside the class body of an
// interface that derives (first) from service_base.
// The GUID is given as a braced initializer: TROVA_SERVICE_INTERFACE({0x..., 0x..., 0x..., {...}}).
#define TROVA_SERVICE_INTERFACE(...)                                                      \
 public:                                                                                  \
  static constexpr GUID class_guid = __VA_ARGS__;                                         \
  bool service_query(service_ptr_t<service_base>& p_out, const GUID& p_guid) override {   \
    return service_query_rule(this, p_out, p_guid, class_guid);                          \
  }

// Opaque 32-bit handle that the host returns for a class GUID.
typedef std::uint32_t service_class_ref;
static_assert(sizeof(service_class_ref) == 4, "service_class_ref is 32 bits");
