// Shared by the stand-in programs: a line log and a settings file, both kept
// beside the program (or DLL) itself, so that each scenario folder carries its
// own script and collects its own records; and the marker that shows whether
// the launcher passes inheritable handles on to the emulator.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace standin {

// The directory of the given module, with its trailing backslash.
inline void ModuleDirectory(HMODULE module, char (&out)[MAX_PATH]) {
  GetModuleFileNameA(module, out, MAX_PATH);
  char* slash = std::strrchr(out, '\\');
  if (slash) slash[1] = '\0';
}

inline void BesideModule(HMODULE module, const char* name, char (&out)[MAX_PATH]) {
  ModuleDirectory(module, out);
  std::strncat(out, name, MAX_PATH - std::strlen(out) - 1);
}

// Appends one line to a log file. Each line is written with a single
// WriteFile on a handle opened for appending, so lines of several processes
// sharing a file never interleave within a line.
class Log {
 public:
  Log() = default;
  // A log at an absolute path.
  explicit Log(const char* path) { std::snprintf(path_, sizeof path_, "%s", path); }
  void Open(HMODULE module, const char* name) { BesideModule(module, name, path_); }

  void Line(const char* format, ...) {
    char text[4096];  // room for a custom mount line of 2,047 characters
    int length = std::snprintf(text, sizeof text, "t=%lu ", GetTickCount());
    va_list args;
    va_start(args, format);
    const int rest = std::vsnprintf(text + length, sizeof text - length - 1, format, args);
    va_end(args);
    length += rest < 0 ? 0 : rest;
    if (length > static_cast<int>(sizeof text) - 2) length = sizeof text - 2;
    text[length++] = '\n';
    HANDLE file = CreateFileA(path_, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
  }

 private:
  char path_[MAX_PATH] = {};
};

// Integer and text keys of an ini file beside the module.
class Script {
 public:
  void Open(HMODULE module, const char* name) { BesideModule(module, name, path_); }

  int Int(const char* section, const char* key, int fallback) const {
    return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, path_));
  }

  void Text(const char* section, const char* key, char* out, DWORD size) const {
    GetPrivateProfileStringA(section, key, "", out, size, path_);
  }

 private:
  char path_[MAX_PATH] = {};
};

// e2e_tool's "run" gives the launcher an inheritable handle to an unnamed
// memory block holding kInheritedText, and names the handle's value in this
// environment variable. The launcher passes its environment on unchanged, so
// the emulator stand-in finds the value; it can read the text through it only
// if the launcher let the emulator inherit the handle.
constexpr char kInheritedHandleVariable[] = "E2E_INHERITED_HANDLE";
constexpr char kInheritedText[] = "tolvimer e2e inherited block";

// Holds a virtual key down for holdMs, as a player's press would be: long
// enough that a poll every 500 ms of GetAsyncKeyState surely sees it.
inline void PressKey(BYTE virtualKey, DWORD holdMs) {
  const BYTE scan = static_cast<BYTE>(MapVirtualKeyA(virtualKey, 0));
  keybd_event(virtualKey, scan, 0, 0);
  Sleep(holdMs);
  keybd_event(virtualKey, scan, KEYEVENTF_KEYUP, 0);
}

}  // namespace standin
