// [General] Recover "true": the run keeps tolvimer_launch.undo beside the
// launcher while it has something changed that outlives the emulator, and a
// later start puts right what a run cut short (killed, or ended early) left.
// With Recover off the keeper makes no call at all.
#pragma once

#include "launch/run_log.h"
#include "launch/undo_record.h"
#include "platform/platform.h"
#include "settings/settings.h"

namespace tolvimer {

// The command line that asks only for the putting right, with no game.
constexpr char kRecoverOnlyArgument[] = "--recover";

// How long a still-running emulator of the cut-short run is given to close.
constexpr std::uint32_t kOldEmulatorCloseWait = 10000;
// How long the old run's unmount may take before this run goes on.
constexpr std::uint32_t kOldUnmountWait = 30000;

// What a start found of a cut-short run and what it put back.
struct RecoveryOutcome {
  bool writerRunning = false;   // the record's launcher still runs: untouched
  bool recordUnusable = false;  // a file that is no whole record: not acted on
  bool closeSent = false;       // WM_CLOSE posted to the old emulator's window
  bool emulatorLeftRunning = false;
  bool unmountStarted = false;
  bool unmountFailed = false;
  // Still running when the wait ran out: it may yet take the disc of a new
  // mount, so no game is started, and the record is kept.
  bool unmountUnfinished = false;
  bool displayRestored = false;
  bool displayRestoreRefused = false;

  // Nothing was left as the cut-short run left it.
  bool AllPutRight() const {
    return !writerRunning && !recordUnusable && !emulatorLeftRunning && !unmountFailed &&
           !unmountUnfinished && !displayRestoreRefused;
  }
};

class UndoKeeper {
 public:
  // `settings` is the located settings file, read here on the platform
  // underneath any narration; `log` is the run log, or null.
  UndoKeeper(Platform& os, Settings& settings, RunLog* log)
      : os_(os), settings_(settings), log_(log) {}

  // Reads [General] Recover. With "true", puts right what a cut-short run's
  // record lists and gets ready to keep this run's own record. True when the
  // run ends here: `imagePath` is "--recover" (the putting right was all that
  // was asked), or the cut-short run's unmount still runs.
  bool Begin(const char* imagePath);
  // The exit code of a run that ended in Begin: 1 when there was nothing to
  // put right, or all of it was put right; 0 when something could not be
  // (another launcher holds the record, the old unmount still runs, ...).
  int RecoverOnlyResult() const { return outcome_.AllPutRight() ? 1 : 0; }
  // The run log's closing lines for such a run.
  RunSummary RecoverOnlySummary() const;

  // Each is written down before it is done (or, for the emulator, as soon as
  // it runs); nothing happens unless Begin turned the keeper on. The settings
  // are read through the step's own `settings`, so that the run log and the
  // plan tell those reads in the step that makes them.
  void BeforeDisplaySwitch(Settings& settings);
  void BeforeMount(Settings& settings, const char* imagePath);
  void EmulatorStarted(const ProcessRecord& process);
  // The normal end has put everything back: the record goes.
  void RunEnded();

 private:
  void Save();
  void Note(const char* line);

  Platform& os_;
  Settings& settings_;
  RunLog* const log_;
  bool on_ = false;
  bool recoverOnly_ = false;
  char path_[kPathBufferSize] = {};
  UndoRecord record_;
  RecoveryOutcome outcome_;
  OsHandle hold_ = 0;  // the record file, held open for the whole run
};

// Puts right what the record at `path` lists, in the order of the normal
// end: the old emulator closed, the image unmounted, the desktop mode
// restored; then removes the file (kept while the unmount still runs). Tells
// each finding to `log` (may be null).
// A missing, foreign or damaged file is left alone; one whose launcher still
// runs is not touched.
RecoveryOutcome PutRightCutShortRun(Platform& os, const char* path, RunLog* log);

}  // namespace tolvimer
