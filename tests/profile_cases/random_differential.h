// The randomized differential, run under Wine: random settings files (see
// random_profile.h), each read through the launcher's settings code, that is
// through GetPrivateProfileStringA, and through the project's reader, which
// is given the file as Wine decodes it where Wine and Windows are known to
// differ (the UTF-8 and UTF-16BE byte-order marks). A disagreement prints
// the smallest file and read that still show it.
#pragma once

#include <cstdint>

#include "launch/settings.h"

namespace tolvimer::profile_cases {

// Reads files 0 to count - 1 of `seed`; gives 0 when every read agrees, 1
// otherwise (after at most three disagreements, each shrunk and printed).
int RunRandomDifferential(Settings& settings, std::uint64_t seed, std::uint64_t count);

}  // namespace tolvimer::profile_cases
