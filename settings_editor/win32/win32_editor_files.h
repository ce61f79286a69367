// The editor's file calls on Windows.
#pragma once

#include "settings_editor/editor_files.h"

namespace tolvimer::editor {

class Win32EditorFiles final : public EditorFiles {
 public:
  bool ReadWhole(const std::string& path, std::string& bytes, bool& missing) override;
  Handle CreateNew(const std::string& path) override;
  bool Write(Handle file, const std::string& bytes) override;
  bool Flush(Handle file) override;
  bool Close(Handle file) override;
  bool MoveOver(const std::string& from, const std::string& to) override;
  bool Remove(const std::string& path) override;
  std::string LastErrorText() override;

 private:
  unsigned long lastError_ = 0;
};

}  // namespace tolvimer::editor
