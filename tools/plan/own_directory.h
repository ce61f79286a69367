// The folder of the running program, ending in its path separator.
#pragma once

#include <string>

namespace tolvimer::plan {

std::string OwnDirectory();
// The folder of a file path, ending in its separator ("" for a bare name).
std::string DirectoryOf(const std::string& path);

}  // namespace tolvimer::plan
