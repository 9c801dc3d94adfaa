#pragma once
// Service model: factories and their process-wide list, and the three ways of obtaining a host
// service (the single service of a class, the first one, enumeration of all of them).

#include <trovaplay/sdk/host_api.h>

#include <exception>
#include <utility>

// ---- Calls on the host's API object (each checks that services are available and g_api is set).
service_class_ref service_class_find(const GUID& p_guid);
bool service_class_create(service_ptr_t<service_base>& p_out, service_class_ref p_ref, std::uint32_t p_index);
std::uint32_t service_class_get_count(service_class_ref p_ref);

// ---- Exceptions of the service model.
class exception_service_not_found : public std::exception {
 public:
  exception_service_not_found() = default;
  exception_service_not_found(const exception_service_not_found&) = default;
  ~exception_service_not_found() override = default;
  const char* what() const noexcept override { return "Service not found"; }
};

class exception_service_duplicated : public std::exception {
 public:
  exception_service_duplicated() = default;
  exception_service_duplicated(const exception_service_duplicated&) = default;
  ~exception_service_duplicated() override = default;
  const char* what() const noexcept override { return "Service duplicated"; }
};

// ---- Factories. Layout: table pointer, next factory, class GUID pointer. Slot 0 instance_create.
class service_factory_base {
 public:
  // 0: hands out the (only) instance of the service. Never throws.
  virtual void instance_create(service_ptr_t<service_base>& p_out) = 0;

  const GUID& get_class_guid() const { return *m_guid; }
  service_factory_base* get_next() const { return m_next; }

  // Head of the process-wide factory list (the factory registered last), null when empty.
  static service_factory_base* get_list_head();

 protected:
  // Registration: links this factory in front of the list. Only static objects built while the
  // module loads may do this (checked: services not yet available).
  explicit service_factory_base(const GUID& p_guid);
  ~service_factory_base();
  service_factory_base(const service_factory_base&) = delete;
  service_factory_base& operator=(const service_factory_base&) = delete;

 private:
  service_factory_base* m_next;
  const GUID* m_guid;
};

// A factory fixed to the class GUID of the interface T (T::class_guid, inherited from the interface).
template <typename T>
class service_factory_base_t : public service_factory_base {
 protected:
  service_factory_base_t() : service_factory_base(T::class_guid) {}
};

// T made into a static singleton: reference counting does nothing and answers 1.
template <typename T>
class service_impl_single_t : public T {
 public:
  template <typename... A>
  explicit service_impl_single_t(A&&... a) : T(std::forward<A>(a)...) {}
  int service_release() override { return 1; }
  int service_add_ref() override { return 1; }
};

// Factory holding one singleton T as a member.
template <typename T>
class service_factory_single_t : public service_factory_base_t<T> {
 public:
  template <typename... A>
  explicit service_factory_single_t(A&&... a) : m_instance(std::forward<A>(a)...) {}
  void instance_create(service_ptr_t<service_base>& p_out) override {
    service_base* p = &m_instance;
    p_out = p;
  }
  T& get_static_instance() { return m_instance; }

 private:
  service_impl_single_t<T> m_instance;
};

// Factory that is itself the service.
template <typename T>
class service_factory_single_transparent_t : public service_factory_base_t<T>, public service_impl_single_t<T> {
 public:
  template <typename... A>
  explicit service_factory_single_transparent_t(A&&... a) : service_impl_single_t<T>(std::forward<A>(a)...) {}
  void instance_create(service_ptr_t<service_base>& p_out) override {
    service_base* p = static_cast<service_impl_single_t<T>*>(this);
    p_out = p;
  }
  T& get_static_instance() { return *this; }
};

// ---- Obtaining host services.

// Fills `p_out` with the single service of the class; throws exception_service_not_found (no
// service), exception_service_duplicated (more than one) or zut::exception_bug_check (creation
// failed). `p_out` stays empty on failure.
void service_single_lookup(service_ptr_t<service_base>& p_out, const GUID& p_guid);

// A service_ptr_t that its constructor fills with the one service of T's class.
template <typename T>
class single_service_ptr_t : public service_ptr_t<T> {
 public:
  single_service_ptr_t() {
    service_ptr_t<service_base> tmp;
    service_single_lookup(tmp, T::class_guid);
    this->attach(static_cast<T*>(tmp.detach()));
  }
};

// Instance `p_index` (0 by default) of T's class without a count check; false (and `p_out` empty)
// when the host creates nothing there. Never throws.
template <typename T>
bool service_create_first(service_ptr_t<T>& p_out, std::uint32_t p_index = 0) {
  service_ptr_t<service_base> tmp;
  if (service_class_create(tmp, service_class_find(T::class_guid), p_index)) {
    p_out = static_cast<T*>(tmp.get_ptr());
    tmp.release();
    return true;
  }
  p_out.release();
  return false;
}

// Walks the services of T's class in the host's index order. Fields: the class handle, the next index.
template <typename T>
class service_enumerator_t {
 public:
  service_enumerator_t() : m_class(service_class_find(T::class_guid)), m_index(0) {}

  // The service at the next index: `p_out` takes it (dropping what it held) and the answer is true;
  // false leaves `p_out` as it was. The index advances also when the creation fails.
  bool next(service_ptr_t<T>& p_out) {
    std::uint32_t index = m_index++;
    service_ptr_t<service_base> tmp;
    if (!service_class_create(tmp, m_class, index)) return false;
    p_out.attach(static_cast<T*>(tmp.detach()));
    return true;
  }
  // Empties `p_out` and starts again at index 0.
  bool first(service_ptr_t<T>& p_out) {
    p_out.release();
    m_index = 0;
    return next(p_out);
  }
  // As next, but asks the created service for the interface T; `p_out` changes only when it answers.
  bool query_next(service_ptr_t<T>& p_out) {
    std::uint32_t index = m_index++;
    service_ptr_t<service_base> tmp;
    if (!service_class_create(tmp, m_class, index)) return false;
    service_ptr_t<service_base> tmp2;
    if (!tmp->service_query(tmp2, T::class_guid)) return false;
    p_out.attach(static_cast<T*>(tmp2.detach()));
    return true;
  }

 private:
  service_class_ref m_class;
  std::uint32_t m_index;
};
