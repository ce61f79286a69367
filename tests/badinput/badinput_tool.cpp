// A helper for the bad-input runs under Wine (run_badinput.sh):
//   lock <path> <ms> <ready file>  holds the file open with no sharing for
//                                  that long; creates the ready file once it holds
//   crash                          dies of an access violation at once (the
//                                  default with no arguments), as an emulator
//                                  that crashes at start would
#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "lock") == 0) {
    HANDLE file = CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    HANDLE ready = CreateFileA(argv[4], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
    Sleep(static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)));
    CloseHandle(file);
    return 0;
  }
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 3;
}
