// The Windows entry: the launch sequence over the real platform.
#include <windows.h>

#include "launch/launch_sequence.h"
#include "platform/win32_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  tolvimer::Win32Platform os;
  return tolvimer::RunLaunchSequence(os, reinterpret_cast<tolvimer::Instance>(instance),
                                     commandLine);
}
