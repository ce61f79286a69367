// The editor's file calls, one operation each, so that a test can make any
// single one fail: the real Win32 one and a fake for the unit tests.
#pragma once

#include <cstdint>
#include <string>

namespace tolvimer::editor {

class EditorFiles {
 public:
  using Handle = std::uintptr_t;
  static constexpr Handle kNoHandle = 0;

  virtual ~EditorFiles() = default;
  // The whole file. False when it cannot be read; `missing` then tells a
  // file that is not there from one that cannot be opened.
  virtual bool ReadWhole(const std::string& path, std::string& bytes, bool& missing) = 0;
  // Creates `path` anew (an existing one is emptied), for writing.
  virtual Handle CreateNew(const std::string& path) = 0;
  virtual bool Write(Handle file, const std::string& bytes) = 0;
  // The written bytes on the disk before the file is moved into place.
  virtual bool Flush(Handle file) = 0;
  virtual bool Close(Handle file) = 0;
  // Moves `from` over `to` in one step, replacing it, the move on the disk
  // before it returns.
  virtual bool MoveOver(const std::string& from, const std::string& to) = 0;
  virtual bool Remove(const std::string& path) = 0;
  // Why the last call failed, in the user's words.
  virtual std::string LastErrorText() = 0;
};

}  // namespace tolvimer::editor
