#include <windows.h>

#include "settings/settings.h"
#include "tools/plan/own_directory.h"

namespace tolvimer::plan {
namespace {

// The folder part of a Windows path by the launcher's own rule, with the
// active code page's double-byte characters kept whole.
std::string FolderOf(const std::string& path) {
  const std::size_t keep = DirectoryLength(
      path.data(), path.size(), [](std::uint8_t byte) { return ::IsDBCSLeadByte(byte) != 0; });
  return keep == 0 ? ".\\" : path.substr(0, keep);
}

}  // namespace

std::string OwnDirectory() {
  char path[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return ".\\";
  return FolderOf(std::string(path, n));
}

std::string DirectoryOf(const std::string& path) {
  // A path typed with forward slashes: Windows takes them for backslashes.
  // No trail byte of a double-byte character is 0x2F, so each '/' is one.
  std::string windowsPath = path;
  for (char& c : windowsPath) c = c == '/' ? '\\' : c;
  return FolderOf(windowsPath);
}

}  // namespace tolvimer::plan
