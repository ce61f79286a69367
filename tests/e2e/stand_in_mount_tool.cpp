// A stand-in for the mount tools: appends its whole command line, exactly as
// it arrived, to "mount_log.txt" beside it and ends.
#include <windows.h>

#include "stand_in_log.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  standin::Log log;
  log.Open(nullptr, "mount_log.txt");
  log.Line("cmdline %s", GetCommandLineA());
  return 0;
}
