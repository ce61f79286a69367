// The leading-integer rule against the C library's 64-bit reading of the
// same text, clamped to the 32-bit range.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "fuzz_fields.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = tolvimer::fuzz::Fields(data, size, 1)[0];
  const auto value = tolvimer::fuzz::ExactCopy(text);

  // strtoll skips the same white space, takes the same optional sign and
  // saturates at the 64-bit limits; no digit gives 0.
  long long wide = std::strtoll(value.get(), nullptr, 10);
  if (wide > INT32_MAX) wide = INT32_MAX;
  if (wide < INT32_MIN) wide = INT32_MIN;

  const std::int32_t got = tolvimer::LeadingInteger(value.get());
  if (got != wide) {
    std::fprintf(stderr, "LeadingInteger(\"%s\") = %" PRId32 ", reference %lld\n", value.get(), got,
                 wide);
    std::abort();
  }
  return 0;
}
