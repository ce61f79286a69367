#include "tests/unit/alloc_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<bool> counting{false};
std::atomic<std::size_t> allocations{0};

void* Allocate(std::size_t size) {
  if (counting.load()) allocations.fetch_add(1);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace tolvimer::testing {

AllocationCounter::AllocationCounter() {
  allocations = 0;
  counting = true;
}
AllocationCounter::~AllocationCounter() { counting = false; }
std::size_t AllocationCounter::count() const { return allocations.load(); }

}  // namespace tolvimer::testing
