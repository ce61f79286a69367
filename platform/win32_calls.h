// What every file of the Win32 platform shares: <windows.h> and DirectInput
// with the A-suffix macros taken off, and the casts between the portable
// integer handles and Windows' own types.
#pragma once

#define DIRECTINPUT_VERSION 0x0500
#include <windows.h>
#include <dinput.h>

// The methods carry the Win32 names without the A suffix; the header's macros
// of the same names would rename them.
#undef GetModuleFileName
#undef CreateProcess
#undef MessageBox
#undef PostMessage
#undef SendMessage
#undef SetWindowLong
#undef MapVirtualKey
#undef ChangeDisplaySettings
#undef DirectInputCreate
#undef GetCommandLine
#undef FormatMessage
#undef DeleteFile
#undef FreeEnvironmentStrings

#include <cstdint>

#include "platform/win32_platform.h"

namespace tolvimer {
namespace win32 {

template <typename T>
T* As(std::uintptr_t value) {
  return reinterpret_cast<T*>(value);
}

inline HANDLE AsHandle(OsHandle handle) { return reinterpret_cast<HANDLE>(handle); }
inline HWND AsWindow(WindowHandle window) { return reinterpret_cast<HWND>(window); }
inline std::uintptr_t FromPointer(const void* pointer) { return reinterpret_cast<std::uintptr_t>(pointer); }

}  // namespace win32
}  // namespace tolvimer
