#pragma once
// Counts every heap allocation of the test program: malloc and friends are
// interposed (operator new ends in malloc too), so allocations made by the C
// library, such as a FILE opened for a record, are counted as well. Include
// it in exactly one file of a test program; under the address sanitizer,
// which owns malloc, nothing is counted and allocations_counted() is false.
#include <atomic>
#include <cstddef>

namespace orn::test {
inline std::atomic<long> g_allocations{0};
inline long allocations() { return g_allocations.load(); }
#ifdef __SANITIZE_ADDRESS__
inline constexpr bool kAllocationsCounted = false;
#else
inline constexpr bool kAllocationsCounted = true;
#endif
}  // namespace orn::test

#ifndef __SANITIZE_ADDRESS__
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* malloc(size_t n) {
  ++orn::test::g_allocations;
  return __libc_malloc(n);
}
void* calloc(size_t n, size_t size) {
  ++orn::test::g_allocations;
  return __libc_calloc(n, size);
}
void* realloc(void* p, size_t n) {
  ++orn::test::g_allocations;
  return __libc_realloc(p, n);
}
}
#endif
