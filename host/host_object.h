#pragma once
// Reference counting for the host's own service objects, with a ledger of live objects so that the
// host can check at exit that every reference was given back.
#include <windows.h>

#include <cstdint>
#include <utility>

namespace host {

// Number of host objects alive now (made and not yet destroyed), over the whole process.
long live_host_objects();

namespace detail {
void ledger_add();
void ledger_remove();
}  // namespace detail

// T is a service interface (first base service_base); T's other pure virtual slots are implemented
// by the derived class. The object starts with one reference (the creator's) and deletes itself when
// the count reaches 0. Destruction goes through the final class's own virtual hook, never through a
// virtual destructor in the boundary interface.
template <typename T>
class host_object : public T {
public:
    int service_add_ref() override { return int(InterlockedIncrement(&m_count)); }
    int service_release() override {
        const long left = InterlockedDecrement(&m_count);
        if (left == 0) destroy();
        return int(left);
    }
    long reference_count() const { return m_count; }

protected:
    template <typename... A>
    explicit host_object(A&&... a) : T(std::forward<A>(a)...), m_count(1) {
        detail::ledger_add();
    }
    ~host_object() { detail::ledger_remove(); }
    // Deletes the final object (each final class implements it as `delete this`).
    virtual void destroy() = 0;

private:
    volatile long m_count;
};

}  // namespace host
