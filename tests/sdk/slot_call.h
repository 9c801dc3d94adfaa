#pragma once
// Calls through a virtual table by slot number, as a host built by another compiler would.

#define THISCALL __attribute__((thiscall))

// The function at slot n of the object's virtual table.
template <typename F>
F slot(void* object, int n) {
  void** table = *static_cast<void***>(object);
  return reinterpret_cast<F>(table[n]);
}
