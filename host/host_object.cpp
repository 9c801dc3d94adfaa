#include "host_object.h"

namespace host {

namespace {
volatile long g_live = 0;
}

long live_host_objects() { return InterlockedCompareExchange(&g_live, 0, 0); }

void detail::ledger_add() { InterlockedIncrement(&g_live); }
void detail::ledger_remove() { InterlockedDecrement(&g_live); }

}  // namespace host
