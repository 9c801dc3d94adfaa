#include "fault_proxy.h"

#include <atomic>
#include <stdexcept>

// Forwarder i, 16 bytes apart: ECX = the stand-in; load the real object from the stand-in's second
// word, its virtual table, and jump to slot i with the caller's stack untouched.
asm(R"(
    .text
    .p2align 4
    .globl _zin_fault_forwarders
_zin_fault_forwarders:
    .set slot, 0
    .rept 96
    .p2align 4
    movl 4(%ecx), %ecx
    movl (%ecx), %eax
    jmp *(slot * 4)(%eax)
    .set slot, slot + 1
    .endr
)");

extern "C" char zin_fault_forwarders[];

namespace {

std::atomic<unsigned> g_thrown{0};

}  // namespace

// Entered in place of a method, by the caller's call: the return address on the stack is the
// caller's, so the exception unwinds straight into it.
extern "C" __attribute__((noinline)) void zin_fault_throw() {
    ++g_thrown;
    throw std::runtime_error("fault injected by the host");
}

namespace host {

fault_proxy::fault_proxy(void* target, unsigned slot) : m_self{m_table, target} {
    for (unsigned i = 0; i < kFaultProxySlots; ++i)
        m_table[i] = i == slot ? reinterpret_cast<const void*>(&zin_fault_throw) : zin_fault_forwarders + 16 * i;
}

unsigned faults_thrown() { return g_thrown; }

}  // namespace host
