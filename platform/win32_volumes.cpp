// The Win32 platform: the wait after the mount, the AutoPlay handler and the
// look at the disc in a drive.
#include "platform/win32_calls.h"

#include "platform/autoplay_handler_win32.h"
#include "platform/autoplay_window_win32.h"

namespace tolvimer {

std::uint32_t Win32Platform::WaitWithAutoPlaySuppressed(Instance instance,
                                                        std::uint32_t milliseconds) {
  return tolvimer::WaitWithAutoPlaySuppressed(instance, milliseconds);
}

AutoPlayWaitResult Win32Platform::WaitWithAutoPlayHelpers(Instance instance,
                                                          std::uint32_t milliseconds,
                                                          const AutoPlayWaitHelpers& helpers) {
  return tolvimer::WaitWithAutoPlayHelpers(*this, instance, milliseconds, helpers);
}

HResult Win32Platform::RegisterAutoPlayHandler(const char* watchedRoot, std::uint32_t& cookie) {
  return tolvimer::RegisterAutoPlayHandler(watchedRoot, cookie);
}

HResult Win32Platform::RevokeAutoPlayHandler(std::uint32_t cookie) {
  return tolvimer::RevokeAutoPlayHandler(cookie);
}

AutoPlayAnswers Win32Platform::TakeAutoPlayAnswers() { return tolvimer::TakeAutoPlayAnswers(); }

std::uint32_t Win32Platform::SetErrorMode(std::uint32_t mode) { return ::SetErrorMode(mode); }

std::uint32_t Win32Platform::GetDriveType(const char* root) { return ::GetDriveTypeA(root); }

bool Win32Platform::GetVolumeSerial(const char* root, std::uint32_t& serial) {
  DWORD number = 0;
  if (!::GetVolumeInformationA(root, nullptr, 0, &number, nullptr, nullptr, nullptr, 0)) {
    return false;
  }
  serial = number;
  return true;
}

}  // namespace tolvimer
