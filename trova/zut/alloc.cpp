// Raw allocation helpers over the runtime heap.
#include "alloc.h"

#include <malloc.h>
#include <cstdlib>

namespace zut {

void* raw_alloc(t_size p_bytes) {
  if (p_bytes == 0) return nullptr;
  return check_alloc_result(std::malloc(p_bytes));
}

void* raw_realloc_or_alloc(void* p_ptr, t_size p_bytes) {
  if (p_ptr == nullptr) return raw_alloc(p_bytes);
  if (p_bytes == 0) {
    std::free(p_ptr);
    return nullptr;
  }
  // On failure realloc leaves the old block valid; the caller keeps it.
  return check_alloc_result(std::realloc(p_ptr, p_bytes));
}

void raw_free(void* p_ptr) { std::free(p_ptr); }

bool raw_try_expand(void* p_ptr, t_size p_bytes) {
  if (p_ptr == nullptr) return p_bytes == 0;
  if (p_bytes == 0) return false;
  return _expand(p_ptr, p_bytes) != nullptr;
}

}  // namespace zut
