// What a dry run starts from: the image, the settings file and the folder
// the launcher would run in, and a way to look at the files there.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tolvimer::plan {

struct FileFacts {
  bool exists = false;  // a regular file
  std::uint64_t size = 0;
};

struct PlanInput {
  std::string imagePath;     // the launcher's whole command line
  std::string settingsPath;  // the settings file, as shown to the user
  bool settingsFound = false;
  std::string settingsText;    // its bytes
  // Values from settingsText by the project's profile reader on Windows too:
  // the settings editor's text is not yet on the disk.
  bool valuesFromText = false;
  std::string launcherFolder;  // where the launcher would be, ending in '/' or '\'
  // tolvimer_launch.undo in that folder, as its bytes, when it is there.
  bool undoFound = false;
  std::string undoRecord;
  // Checks absolute native paths like "C:\..." too (only on Windows).
  bool windowsPaths = false;
  std::function<FileFacts(const std::string& path)> lookAt;
  // Reads a whole file (a playlist); false when it cannot. None: no file
  // can be read.
  std::function<bool(const std::string& path, std::string& bytes)> readFile;
};

}  // namespace tolvimer::plan
