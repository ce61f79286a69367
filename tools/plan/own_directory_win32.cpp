#include <windows.h>

#include "tools/plan/own_directory.h"

namespace tolvimer::plan {

std::string OwnDirectory() {
  char path[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return ".\\";
  return DirectoryOf(std::string(path, n));
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return ".\\";
  std::string folder = path.substr(0, slash + 1);
  for (char& c : folder) c = c == '/' ? '\\' : c;
  return folder;
}

}  // namespace tolvimer::plan
