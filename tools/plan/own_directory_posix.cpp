#include <limits.h>
#include <unistd.h>

#include "tools/plan/own_directory.h"

namespace tolvimer::plan {

std::string OwnDirectory() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "./";
  return DirectoryOf(std::string(path, static_cast<std::size_t>(n)));
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

}  // namespace tolvimer::plan
