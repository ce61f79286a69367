// Counts heap allocations made by this test binary while a counter is live.
#pragma once

#include <cstddef>

namespace tolvimer::testing {

class AllocationCounter {
 public:
  AllocationCounter();
  ~AllocationCounter();
  std::size_t count() const;
};

}  // namespace tolvimer::testing
