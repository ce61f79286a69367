// A stand-in for powershell.exe, copied into a scenario folder under that
// name: appends to "mount_log.txt" beside it its whole command line ("cmdline
// ..."), TOLVIMER_IMAGE and TOLVIMER_DRIVE as its environment holds them,
// each argument as the C runtime splits the line ("argv <n> ..."), and the
// script it reads: the words after -Command, split by the C runtime's
// rules and joined with one blank, as PowerShell reads them.
//
// It then plays the script's Mount-DiskImage or Dismount-DiskImage
// -ImagePath <value>, the value a $env: variable, a '...' text ('' one
// quote) or a bare word, and logs "mounted <path>" or "unmounted <path>" when
// a file is at that path, "no file <path>" when none is. Whatever else the
// script holds after the command (another statement, as a file name that
// ended the quotes would bring) is logged as "also runs <text>".
#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <initializer_list>
#include <cstring>
#include <string>

#include "stand_in_log.h"

namespace {

bool SameWord(const char* a, const char* b) { return lstrcmpiA(a, b) == 0; }

// The script: the arguments after -Command, joined with one blank.
std::string ScriptOf(int argc, char** argv) {
  std::string script;
  int i = 1;
  while (i < argc && !SameWord(argv[i], "-Command") && !SameWord(argv[i], "-c")) ++i;
  for (++i; i < argc; ++i) {
    if (!script.empty()) script += ' ';
    script += argv[i];
  }
  return script;
}

// Reads the value after -ImagePath at `at`; `at` moves past it.
std::string ReadValue(const std::string& script, std::size_t& at) {
  std::string value;
  if (script.compare(at, 5, "$env:") == 0) {
    std::size_t end = at + 5;
    while (end < script.size() && (std::isalnum(static_cast<unsigned char>(script[end])) ||
                                   script[end] == '_'))
      ++end;
    const std::string name = script.substr(at + 5, end - at - 5);
    at = end;
    char buffer[4096];
    const DWORD n = GetEnvironmentVariableA(name.c_str(), buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
  }
  if (at < script.size() && script[at] == '\'') {
    for (++at; at < script.size(); ++at) {
      if (script[at] == '\'') {
        if (at + 1 < script.size() && script[at + 1] == '\'') {
          value += '\'';
          ++at;
          continue;
        }
        ++at;
        break;
      }
      value += script[at];
    }
    return value;
  }
  while (at < script.size() && script[at] != ' ' && script[at] != ';') value += script[at++];
  return value;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  standin::Log log;
  log.Open(nullptr, "mount_log.txt");
  log.Line("cmdline %s", GetCommandLineA());
  for (const char* name : {"TOLVIMER_IMAGE", "TOLVIMER_DRIVE"}) {
    char value[4096];
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    log.Line("env %s=%s", name, n > 0 && n < sizeof value ? value : "(unset)");
  }
  // Its arguments as the C runtime split them, for a scenario that plays an
  // ordinary program with it.
  for (int i = 1; i < __argc; ++i) log.Line("argv %d %s", i, __argv[i]);
  const std::string script = ScriptOf(__argc, __argv);
  log.Line("script %s", script.c_str());
  for (const char* command : {"Mount-DiskImage", "Dismount-DiskImage"}) {
    const std::string head = std::string(command) + " -ImagePath ";
    if (script.compare(0, head.size(), head) != 0) continue;
    std::size_t at = head.size();
    const std::string path = ReadValue(script, at);
    const bool file = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    const bool mount = command[0] == 'M';
    log.Line("%s %s", file ? (mount ? "mounted" : "unmounted") : "no file", path.c_str());
    if (at < script.size()) log.Line("also runs %s", script.c_str() + at);
  }
  return 0;
}
