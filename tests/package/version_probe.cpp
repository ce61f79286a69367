// version_probe EXE: prints what Windows reads from the program's resources,
// one "Name=value" line per version string present (GetFileVersionInfoA and
// VerQueryValueA, as Explorer's Properties do), the fixed file and product
// versions, and then the application manifest (resource 1 of type
// RT_MANIFEST) after a line "manifest:". Exit status 1 when the program has
// no version information or cannot be loaded.
#include <windows.h>

#include <cstdio>

namespace {

const char* const kStringNames[] = {
    "CompanyName",    "FileDescription",  "FileVersion",  "InternalName",
    "LegalCopyright", "OriginalFilename", "ProductName",  "ProductVersion",
    "Comments",       "LegalTrademarks",  "PrivateBuild", "SpecialBuild",
};

void PrintVersion(const char* label, DWORD high, DWORD low) {
  std::printf("%s=%lu.%lu.%lu.%lu\n", label, static_cast<unsigned long>(HIWORD(high)),
              static_cast<unsigned long>(LOWORD(high)), static_cast<unsigned long>(HIWORD(low)),
              static_cast<unsigned long>(LOWORD(low)));
}

bool PrintVersionInfo(const char* path) {
  static char data[65536];
  DWORD unused = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &unused);
  if (size == 0 || size > sizeof data || !GetFileVersionInfoA(path, 0, size, data)) return false;

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data, "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) {
    return false;
  }
  PrintVersion("FixedFileVersion", fixed->dwFileVersionMS, fixed->dwFileVersionLS);
  PrintVersion("FixedProductVersion", fixed->dwProductVersionMS, fixed->dwProductVersionLS);

  WORD* translation = nullptr;
  if (!VerQueryValueA(data, "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                      &length) ||
      length < 2 * sizeof(WORD)) {
    return false;
  }
  std::printf("Translation=%04x%04x\n", translation[0], translation[1]);
  for (const char* name : kStringNames) {
    char query[128];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", translation[0],
                  translation[1], name);
    char* value = nullptr;
    if (VerQueryValueA(data, query, reinterpret_cast<void**>(&value), &length) && value) {
      std::printf("%s=%s\n", name, value);
    }
  }
  return true;
}

void PrintManifest(const char* path) {
  HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return;
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* text = loaded ? LockResource(loaded) : nullptr;
  if (text) {
    std::printf("manifest:\n");
    std::fwrite(text, 1, SizeofResource(module, found), stdout);
    std::printf("\n");
  }
  FreeLibrary(module);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: version_probe EXE\n");
    return 2;
  }
  const bool haveVersion = PrintVersionInfo(argv[1]);
  PrintManifest(argv[1]);
  return haveVersion ? 0 : 1;
}
