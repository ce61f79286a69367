// A stand-in for the mount tools: appends its whole command line, exactly as
// it arrived, and the error mode it started with, to "mount_log.txt" beside
// it and ends.
//
// With "disc_plan.ini" beside it ([Disc] AfterMs, Letter, UnixPath), it then
// plays a tool that mounts an image as a CD drive: after AfterMs it defines
// the drive letter as Wine's mount manager does for a CD drive, on the Unix
// folder UnixPath (whose ".windows-serial" gives the volume serial number),
// and logs "disc ready". With [Disc] Announce=1 it then also announces the
// volume to every top-level window (WM_DEVICECHANGE, DBT_DEVICEARRIVAL), as
// Windows' mount manager does and Wine's does not for such a drive, and logs
// "announced". With Announce=2 it announces the drive once more before, as
// soon as the launcher's hidden AutoPlay window is there, while the drive
// holds no disc yet. With [Slow] When and Ms, a line that holds the text
// of When takes Ms before it ends, and logs "end" then. With [Fail] When and
// ExitCode, a line that holds the text of When ends with that exit code.
#include <windows.h>
#include <dbt.h>

#include <cstring>

#include "stand_in_log.h"

namespace {

// Wine's mount manager: the request that defines a drive letter on a Unix
// path (IOCTL_MOUNTMGR_DEFINE_UNIX_DRIVE, Wine 8's layout).
constexpr DWORD kDefineUnixDrive = (0x6D << 16) | (3 << 14) | (32 << 2);
struct UnixDrive {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDevice;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};

bool DefineCdDrive(char letter, const char* unixPath, DWORD& error) {
  HANDLE manager =
      CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return false;
  }
  union {
    UnixDrive drive;
    char bytes[sizeof(UnixDrive) + MAX_PATH];
  } request;
  std::memset(&request, 0, sizeof request);
  const size_t length = std::strlen(unixPath);
  if (length >= MAX_PATH) return false;
  std::memcpy(request.bytes + sizeof(UnixDrive), unixPath, length + 1);
  request.drive.size = static_cast<ULONG>(sizeof(UnixDrive) + length + 1);
  request.drive.type = DRIVE_CDROM;
  request.drive.letter = static_cast<WCHAR>(letter | 0x20);
  request.drive.mountPointOffset = sizeof(UnixDrive);
  DWORD returned = 0;
  const BOOL ok = DeviceIoControl(manager, kDefineUnixDrive, &request, request.drive.size, nullptr,
                                  0, &returned, nullptr);
  error = ok ? 0 : GetLastError();
  CloseHandle(manager);
  return ok != 0;
}

// Sent, not posted: the record travels with the message, and the call
// returns once every window has handled it (BSF_QUERY: Wine sends the record
// to another process only with a synchronous send).
long AnnounceVolume(char letter) {
  DEV_BROADCAST_VOLUME volume = {};
  volume.dbcv_size = sizeof volume;
  volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  volume.dbcv_unitmask = 1u << ((letter | 0x20) - 'a');
  DWORD recipients = BSM_APPLICATIONS;
  return BroadcastSystemMessageA(BSF_QUERY | BSF_FORCEIFHUNG | BSF_IGNORECURRENTTASK, &recipients,
                                 WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                                 reinterpret_cast<LPARAM>(&volume));
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const UINT errorMode = GetErrorMode();  // as started, before any change
  standin::Log log;
  log.Open(nullptr, "mount_log.txt");
  log.Line("cmdline %s", GetCommandLineA());
  log.Line("errormode=0x%X", errorMode);

  standin::Script plan;
  plan.Open(nullptr, "disc_plan.ini");
  char slowWhen[64] = {};
  plan.Text("Slow", "When", slowWhen, sizeof slowWhen);
  if (slowWhen[0] && std::strstr(GetCommandLineA(), slowWhen)) {
    Sleep(static_cast<DWORD>(plan.Int("Slow", "Ms", 0)));
    log.Line("end");
  }
  char failWhen[64] = {};
  plan.Text("Fail", "When", failWhen, sizeof failWhen);
  if (failWhen[0] && std::strstr(GetCommandLineA(), failWhen)) {
    const int code = plan.Int("Fail", "ExitCode", 1);
    log.Line("fails exitcode=%d", code);
    return code;
  }
  char letter[8] = {}, unixPath[MAX_PATH] = {};
  plan.Text("Disc", "Letter", letter, sizeof letter);
  plan.Text("Disc", "UnixPath", unixPath, sizeof unixPath);
  if (!letter[0] || !unixPath[0]) return 0;
  const int announce = plan.Int("Disc", "Announce", 0);
  const DWORD started = GetTickCount();
  if (announce == 2) {
    for (int tries = 0; tries < 1000 && !FindWindowA("DisableAutolaunch", nullptr); ++tries) {
      Sleep(10);
    }
    log.Line("announcing %c: before the disc", letter[0]);
    log.Line("announced %c: result=%ld", letter[0], AnnounceVolume(letter[0]));
  }
  const DWORD afterMs = static_cast<DWORD>(plan.Int("Disc", "AfterMs", 0));
  const DWORD spent = GetTickCount() - started;
  Sleep(spent < afterMs ? afterMs - spent : 0);
  DWORD error = 0;
  if (DefineCdDrive(letter[0], unixPath, error)) {
    log.Line("disc ready in %c:", letter[0]);
    if (announce) {
      log.Line("announcing %c:", letter[0]);
      const long sent = AnnounceVolume(letter[0]);
      log.Line("announced %c: result=%ld", letter[0], sent);
    }
  } else {
    log.Line("disc failed: error %lu", error);
  }
  return 0;
}
