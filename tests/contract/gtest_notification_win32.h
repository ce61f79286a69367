// GoogleTest's Notification over a Win32 event, for mingw-w64's win32 thread
// model, which has no std::mutex or std::condition_variable for GoogleTest's
// own. Force-included ahead of GoogleTest with GTEST_HAS_NOTIFICATION_=1.
#pragma once

#include <windows.h>

namespace testing::internal {

class Notification {
 public:
  Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace testing::internal
