#include "settings_editor/win32/win32_editor_files.h"

#include <windows.h>

namespace tolvimer::editor {

bool Win32EditorFiles::ReadWhole(const std::string& path, std::string& bytes, bool& missing) {
  missing = false;
  bytes.clear();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    lastError_ = GetLastError();
    missing = lastError_ == ERROR_FILE_NOT_FOUND;
    return false;
  }
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0) {
    bytes.append(buffer, got);
  }
  if (!ok) lastError_ = GetLastError();
  CloseHandle(file);
  return ok;
}

EditorFiles::Handle Win32EditorFiles::CreateNew(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    lastError_ = GetLastError();
    return kNoHandle;
  }
  return reinterpret_cast<Handle>(file);
}

bool Win32EditorFiles::Write(Handle file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD wrote = 0;
    const DWORD chunk =
        static_cast<DWORD>(bytes.size() - done < 1u << 20 ? bytes.size() - done : 1u << 20);
    if (!WriteFile(reinterpret_cast<HANDLE>(file), bytes.data() + done, chunk, &wrote, nullptr) ||
        wrote == 0) {
      lastError_ = GetLastError();
      return false;
    }
    done += wrote;
  }
  return true;
}

bool Win32EditorFiles::Flush(Handle file) {
  if (FlushFileBuffers(reinterpret_cast<HANDLE>(file))) return true;
  lastError_ = GetLastError();
  return false;
}

bool Win32EditorFiles::Close(Handle file) {
  if (CloseHandle(reinterpret_cast<HANDLE>(file))) return true;
  lastError_ = GetLastError();
  return false;
}

bool Win32EditorFiles::MoveOver(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  lastError_ = GetLastError();
  return false;
}

bool Win32EditorFiles::Remove(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

std::string Win32EditorFiles::LastErrorText() {
  char text[512] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, lastError_, 0, text, sizeof text, nullptr);
  std::string message(text, n);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
  if (message.empty()) message = "error " + std::to_string(lastError_);
  return message;
}

}  // namespace tolvimer::editor
