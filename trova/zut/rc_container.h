// Reference-counted holder: a container (count changed only by interlocked operations) holding one
// item, and references to it that add and drop counts.
#pragma once

#include <windows.h>
#include <utility>

namespace zut {

class rc_container_base {
 public:
  rc_container_base() : m_count(0) {}
  virtual ~rc_container_base() {}

  long add_ref() { return InterlockedIncrement(&m_count); }
  long release_ref() { return InterlockedDecrement(&m_count); }
  long get_count() const { return m_count; }

  rc_container_base(const rc_container_base&) = delete;
  rc_container_base& operator=(const rc_container_base&) = delete;

 private:
  volatile LONG m_count;
};

template <typename T>
class rc_container_t : public rc_container_base {
 public:
  template <typename... Args>
  explicit rc_container_t(Args&&... p_args) : m_object(std::forward<Args>(p_args)...) {}

  T m_object;
};

// A counted reference: the container (null when empty) and the item inside it. Moved as raw bytes
// in lists (it holds no pointer into itself).
template <typename T>
class rc_container_ref {
 public:
  typedef void zut_raw_movable;

  rc_container_ref() : m_container(nullptr), m_item(nullptr) {}
  rc_container_ref(const rc_container_ref& p_source)
      : m_container(p_source.m_container), m_item(p_source.m_item) {
    if (m_container != nullptr) m_container->add_ref();
  }
  rc_container_ref& operator=(const rc_container_ref& p_source) {
    // The new reference is added before the old one is dropped, so self-assignment is harmless.
    rc_container_base* container = p_source.m_container;
    T* item = p_source.m_item;
    if (container != nullptr) container->add_ref();
    release();
    m_container = container;
    m_item = item;
    return *this;
  }
  ~rc_container_ref() { release(); }

  // Clears both fields, then drops one reference of the old container; the last one deletes it.
  void release() {
    rc_container_base* container = m_container;
    m_container = nullptr;
    m_item = nullptr;
    if (container != nullptr && container->release_ref() == 0) delete container;
  }

  // Makes a new container holding T(p_args...) and refers to it.
  template <typename... Args>
  void create(Args&&... p_args) {
    rc_container_t<T>* container = new rc_container_t<T>(std::forward<Args>(p_args)...);
    container->add_ref();
    release();
    m_container = container;
    m_item = &container->m_object;
  }
  template <typename... Args>
  static rc_container_ref make(Args&&... p_args) {
    rc_container_ref ref;
    ref.create(std::forward<Args>(p_args)...);
    return ref;
  }

  bool is_empty() const { return m_container == nullptr; }
  bool is_valid() const { return m_container != nullptr; }
  T* get_ptr() const { return m_item; }
  T* operator->() const { return m_item; }
  T& operator*() const { return *m_item; }
  rc_container_base* get_container() const { return m_container; }

 private:
  rc_container_base* m_container;
  T* m_item;
};

}  // namespace zut
