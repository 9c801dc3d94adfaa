#pragma once
// --fault: a stand-in for an object of the host that the component calls through its virtual
// table. Every slot forwards the call, untouched, to the same slot of the real object, except one
// slot, which throws a std::runtime_error ("fault injected by the host") into the caller. The
// hostile-input tests use it to prove that the component survives a host whose services throw.
//
// The forwarding works for any method of the i686 thiscall convention: `this` arrives in ECX, and
// each forwarder swaps in the real object and jumps to the real slot, leaving the stack as it is.
#include <cstdint>

namespace host {

// The number of slots a stand-in has; calls through slots beyond the real table must not happen.
constexpr unsigned kFaultProxySlots = 96;

class fault_proxy {
public:
    // `target` is any object with a virtual table at its start; `slot` is the throwing slot.
    fault_proxy(void* target, unsigned slot);
    fault_proxy(const fault_proxy&) = delete;
    fault_proxy& operator=(const fault_proxy&) = delete;

    // The stand-in, to be handed out as if it were the target.
    void* object() { return &m_self; }

private:
    struct self {
        const void* const* table;  // the forwarding table
        void* target;              // read by the forwarders at offset 4
    };
    self m_self;
    const void* m_table[kFaultProxySlots];
};

// How often a stand-in's throwing slot was called.
unsigned faults_thrown();

}  // namespace host
