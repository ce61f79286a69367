// Putting right what a cut-short run's undo record lists.
#include "emulator/emulator_start.h"
#include "launch/recovery.h"
#include "mount/mount_commands.h"

namespace tolvimer {
namespace {

constexpr char kAccessDenied[] =
    ") is now another user's process (access denied): its id was reused, so it is not that "
    "run's and is left alone";

class Teller {
 public:
  explicit Teller(RunLog* log) : log_(log) {}
  Text& line() {
    text_.Clear();
    return text_.Add("undo record: ");
  }
  void Tell() {
    if (log_ != nullptr) log_->Note(text_.c_str());
  }

 private:
  RunLog* const log_;
  Text text_;
};

// Opens the process with that id when it is still the same process (same
// creation time) and still running; 0 otherwise. A reused id is another
// process and is never touched. `denied`: Windows would not open it, which
// for the same user's processes it always does (elevated ones included): it
// is another user's, so the id was reused.
OsHandle OpenIfRunning(Platform& os, const ProcessIdentity& identity, bool& denied) {
  denied = false;
  if (identity.processId == 0) return 0;
  const OsHandle process = os.OpenProcess(identity.processId);
  if (process == 0) {
    denied = os.GetLastError() == win::kErrorAccessDenied;
    return 0;
  }
  std::uint64_t created = 0;
  std::uint32_t exitCode = 0;
  if (os.GetProcessCreationTime(process, created) && created == identity.creationTime &&
      os.GetExitCodeProcess(process, exitCode) && exitCode == win::kStillActive) {
    return process;
  }
  os.CloseHandle(process);
  return 0;
}

// Closes the old emulator as the normal end does, by WM_CLOSE to its window
// (posted, so that a hung emulator cannot hold this start), and waits a while
// for it to end. It is never ended by force.
void CloseOldEmulator(Platform& os, const ProcessIdentity& emulator, Teller& tell,
                      RecoveryOutcome& outcome) {
  bool denied = false;
  const OsHandle process = OpenIfRunning(os, emulator, denied);
  if (denied) {
    // Not that run's emulator: the rest is put right as for one that ended.
    tell.line()
        .Add("the emulator of that run (process id ")
        .Number(emulator.processId)
        .Add(kAccessDenied);
    tell.Tell();
    return;
  }
  if (process == 0) {
    tell.line()
        .Add("the emulator of that run (process id ")
        .Number(emulator.processId)
        .Add(") is no longer running");
    tell.Tell();
    return;
  }
  const WindowHandle window = FindEmulatorWindow(os, emulator.processId);
  if (window != 0) outcome.closeSent = os.PostMessage(window, win::kWmClose, 0, 0);
  if (outcome.closeSent) os.WaitForSingleObject(process, kOldEmulatorCloseWait);
  std::uint32_t exitCode = win::kStillActive;
  os.GetExitCodeProcess(process, exitCode);
  os.CloseHandle(process);
  outcome.emulatorLeftRunning = exitCode == win::kStillActive;
  Text& line = tell.line().Add("the emulator of that run (process id ").Number(emulator.processId);
  if (!outcome.emulatorLeftRunning) {
    line.Add(") was still running: sent WM_CLOSE, it has ended");
  } else if (outcome.closeSent) {
    line.Add(") was sent WM_CLOSE and still runs after ")
        .Number(kOldEmulatorCloseWait / 1000)
        .Add(" s: it is left running");
  } else {
    line.Add(") still runs, with no window to send WM_CLOSE to: it is left running");
  }
  tell.Tell();
}

}  // namespace

RecoveryOutcome PutRightCutShortRun(Platform& os, const char* path, RunLog* log) {
  RecoveryOutcome outcome;
  Teller tell(log);
  unsigned char bytes[kUndoRecordSize + 1];
  std::uint32_t size = 0;
  const OsHandle file = os.OpenFileForRead(path);
  if (file == 0) {
    const std::uint32_t error = os.GetLastError();
    if (error == win::kErrorSharingViolation) {
      // Its writer holds it open for its whole run.
      outcome.writerRunning = true;
      tell.line().Add(
          "tolvimer_launch.undo is held open by a launcher that is running: nothing is touched, "
          "and this run keeps no record");
    } else if (error == win::kErrorFileNotFound) {
      tell.line().Add("none found: nothing to put right");
    } else {
      outcome.recordUnusable = true;
      tell.line()
          .Add("tolvimer_launch.undo could not be read: error ")
          .Number(error)
          .Add(": nothing in it is acted on");
    }
    tell.Tell();
    return outcome;
  }
  // One byte more than a record, so that a longer file is seen as such.
  const bool read = os.ReadFileBytes(file, reinterpret_cast<char*>(bytes), sizeof bytes, size);
  os.CloseHandle(file);
  UndoRecord record;
  if (read && size == 0) {
    // A run cut short before it wrote anything down.
    tell.line().Add("empty: nothing to put right");
    tell.Tell();
    return outcome;
  }
  const UndoFileState state = read ? DecodeUndoRecord(bytes, size, record) : UndoFileState::kShort;
  if (state != UndoFileState::kValid) {
    outcome.recordUnusable = true;
    tell.line()
        .Add("tolvimer_launch.undo is ")
        .Add(UndoFileStateText(state))
        .Add(": nothing in it is acted on");
    tell.Tell();
    return outcome;
  }

  // A live launcher holds its record open, so a record read here has no
  // live writer; its launcher is asked for all the same, for the moment
  // between a run's end closing the record and removing it.
  bool denied = false;
  const OsHandle writer = OpenIfRunning(os, record.launcher, denied);
  if (writer != 0) {
    os.CloseHandle(writer);
    outcome.writerRunning = true;
    tell.line()
        .Add("the launcher that wrote it (process id ")
        .Number(record.launcher.processId)
        .Add(") is still running: nothing is touched, and this run keeps no record");
    tell.Tell();
    return outcome;
  }
  if (denied) {
    tell.line()
        .Add("the launcher that wrote it (process id ")
        .Number(record.launcher.processId)
        .Add(kAccessDenied);
    tell.Tell();
  }

  tell.line()
      .Add("a run cut short (launcher process id ")
      .Number(record.launcher.processId)
      .Add(") left changes behind; putting them right");
  tell.Tell();
  if (record.emulatorStarted) CloseOldEmulator(os, record.emulator, tell, outcome);
  if (record.unmountLine[0] != '\0') {
    // Waited for, so that it cannot land after this run's own mount.
    char drive = '\0';
    const char* const image = UnmountEnvironment(record, drive);
    std::uint32_t exitCode = win::kStillActive;
    const CommandWait wait =
        RunCommandLineAndWait(os, record.unmountLine, kOldUnmountWait, &exitCode, image, drive);
    outcome.unmountStarted = wait != CommandWait::kNotStarted;
    outcome.unmountFailed = wait == CommandWait::kNotStarted || wait == CommandWait::kFailed;
    outcome.unmountUnfinished = wait == CommandWait::kTimedOut;
    Text& line = tell.line();
    if (wait == CommandWait::kEnded) line.Add("unmount ended: ");
    if (wait == CommandWait::kFailed) {
      line.Add("unmount ended with exit code ").Number(exitCode).Add(", a failure: ");
    }
    if (wait == CommandWait::kNotStarted) line.Add("unmount could not be started: ");
    if (wait == CommandWait::kTimedOut) {
      // It may still land, and take the disc this run would mount.
      line.Add("unmount still runs after ")
          .Number(kOldUnmountWait / 1000)
          .Add(
              " s: it could yet take the disc this run mounts, so no game is started; the "
              "record is kept for the next start: ");
    }
    line.Shown(record.unmountLine);
    tell.Tell();
  }
  if (record.displaySwitched) {
    outcome.displayRestored = os.ChangeDisplaySettings(nullptr, 0) == 0;
    outcome.displayRestoreRefused = !outcome.displayRestored;
    tell.line().Add(outcome.displayRestored
                        ? "the desktop returned to the mode stored in the registry"
                        : "the desktop mode stored in the registry was refused");
    tell.Tell();
  }
  if (outcome.unmountUnfinished) return outcome;
  if (!os.DeleteFile(path)) {
    tell.line().Add("tolvimer_launch.undo could not be removed");
    tell.Tell();
  }
  return outcome;
}

}  // namespace tolvimer
