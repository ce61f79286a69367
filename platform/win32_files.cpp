// The Win32 platform: files, the settings file, the run log and the undo
// record.
#include "platform/win32_calls.h"

namespace tolvimer {
using win32::AsHandle;
using win32::FromPointer;

std::uint32_t Win32Platform::GetModuleFileName(char* buffer, std::uint32_t capacity) {
  return ::GetModuleFileNameA(nullptr, buffer, capacity);
}

std::uint32_t Win32Platform::GetProfileString(const char* section, const char* key, char* out,
                                              std::uint32_t size, const char* path) {
  return ::GetPrivateProfileStringA(section, key, "", out, size, path);
}

bool Win32Platform::IsDbcsLeadByte(std::uint8_t byte) { return ::IsDBCSLeadByte(byte) != 0; }

OsHandle Win32Platform::OpenFileForWrite(const char* path) {
  HANDLE file = ::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? 0 : FromPointer(file);
}

bool Win32Platform::SetFilePointer(OsHandle file, std::int32_t offset) {
  return ::SetFilePointer(AsHandle(file), offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

bool Win32Platform::WriteFileByte(OsHandle file, std::uint8_t byte) {
  DWORD written = 0;
  return ::WriteFile(AsHandle(file), &byte, 1, &written, nullptr) != 0;
}

bool Win32Platform::CloseHandle(OsHandle handle) { return ::CloseHandle(AsHandle(handle)) != 0; }

const char* Win32Platform::GetCommandLine() { return ::GetCommandLineA(); }

std::uint32_t Win32Platform::GetTickCount() { return ::GetTickCount(); }

std::uint32_t Win32Platform::GetLastError() { return ::GetLastError(); }

std::uint32_t Win32Platform::FormatMessage(std::uint32_t code, char* out, std::uint32_t size) {
  // One line whatever the text's own breaks; inserts such as %1 left as they
  // stand, since the call has no arguments to fill them with.
  constexpr DWORD kFlags =
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
  return ::FormatMessageA(kFlags, nullptr, code, 0, out, size, nullptr);
}

bool Win32Platform::FileExists(const char* path) {
  const DWORD attributes = ::GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

OsHandle Win32Platform::CreateLogFile(const char* path) {
  HANDLE file = ::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? 0 : FromPointer(file);
}

bool Win32Platform::WriteFileBytes(OsHandle file, const char* data, std::uint32_t size) {
  DWORD written = 0;
  return ::WriteFile(AsHandle(file), data, size, &written, nullptr) != 0 && written == size;
}

bool Win32Platform::FlushFileBuffers(OsHandle file) {
  return ::FlushFileBuffers(AsHandle(file)) != 0;
}

OsHandle Win32Platform::OpenFileForRead(const char* path) {
  HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? 0 : FromPointer(file);
}

bool Win32Platform::ReadFileBytes(OsHandle file, char* data, std::uint32_t size,
                                  std::uint32_t& read) {
  DWORD got = 0;
  const bool ok = ::ReadFile(AsHandle(file), data, size, &got, nullptr) != 0;
  read = got;
  return ok;
}

bool Win32Platform::DeleteFile(const char* path) { return ::DeleteFileA(path) != 0; }

}  // namespace tolvimer
