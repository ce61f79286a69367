#include "launch/recovery.h"

#include "mount/mount_commands.h"

namespace tolvimer {
namespace {

// `name` in the launcher folder: the settings path with its file name
// replaced. False when the folder is unknown or the path would not fit.
bool BesideSettings(const Settings& settings, const char* name, char (&out)[kPathBufferSize]) {
  out[0] = '\0';
  const char* settingsPath = settings.path();
  std::size_t length = 0;
  while (settingsPath[length]) ++length;
  constexpr std::size_t kNameLength = sizeof kSettingsFileName - 1;
  if (length <= kNameLength) return false;
  char directory[kPathBufferSize];
  for (std::size_t i = 0; i < length - kNameLength; ++i) directory[i] = settingsPath[i];
  directory[length - kNameLength] = '\0';
  return JoinPath(directory, name, out, sizeof out);
}

bool IsExactly(const char* text, const char* word) {
  std::size_t i = 0;
  for (; text[i] && text[i] == word[i]; ++i) {
  }
  return text[i] == '\0' && word[i] == '\0';
}

}  // namespace

bool UndoKeeper::Begin(const char* imagePath) {
  if (!settings_.ReadIs("General", "Recover", "true")) return false;
  recoverOnly_ = IsExactly(imagePath, kRecoverOnlyArgument);
  if (!BesideSettings(settings_, kUndoFileName, path_)) {
    Note("undo record: the launcher folder is not known: no record is kept");
    return recoverOnly_;
  }
  outcome_ = PutRightCutShortRun(os_, path_, log_);
  if (recoverOnly_) {
    // Asked by hand, the desktop is put back even when no record says so: a
    // desktop left at a game's resolution is what the user most often sees.
    if (!outcome_.writerRunning && !outcome_.displayRestored && !outcome_.displayRestoreRefused) {
      const bool ok = os_.ChangeDisplaySettings(nullptr, 0) == 0;
      outcome_.displayRestored = ok;
      outcome_.displayRestoreRefused = !ok;
      Note(ok ? "undo record: the desktop returned to the mode stored in the registry"
              : "undo record: the desktop mode stored in the registry was refused");
    }
    return true;
  }
  // An unmount that may still land must not meet this run's mount.
  if (outcome_.unmountUnfinished) return true;
  // Another launcher's record is never overwritten: this run keeps none.
  if (outcome_.writerRunning) return false;
  record_.launcher.processId = os_.GetCurrentProcessId();
  os_.GetProcessCreationTime(os_.GetCurrentProcess(), record_.launcher.creationTime);
  // Held open, without write sharing, until the run ends: a second start in
  // this folder cannot open it, and so knows a live run keeps it.
  hold_ = os_.CreateLogFile(path_);
  if (hold_ == 0) {
    const std::uint32_t error = os_.GetLastError();
    if (error == win::kErrorSharingViolation) {
      Note(
          "undo record: tolvimer_launch.undo is held open by another launcher that is running: "
          "nothing is touched, and this run keeps no record");
      return false;
    }
    // The run reads what it would write down all the same, and writes nothing.
    Text line;
    Note(line.Add("undo record: tolvimer_launch.undo could not be written: error ")
             .Number(error)
             .Add("; the run goes on without it")
             .c_str());
  }
  on_ = true;
  return false;
}

RunSummary UndoKeeper::RecoverOnlySummary() const {
  return RunSummary{recoverOnly_
                        ? "no game was started: the launcher was asked only to put things right"
                        : "no game was started: the unmount of a cut-short run still runs",
                    outcome_.closeSent ? CloseOutcome::kPosted : CloseOutcome::kNotSent,
                    outcome_.unmountStarted,
                    outcome_.unmountFailed,
                    outcome_.displayRestored,
                    outcome_.displayRestoreRefused};
}

void UndoKeeper::BeforeDisplaySwitch(Settings& settings) {
  if (!on_ || !settings.ReadIs("General", "ForceFull", "true")) return;
  // Written whether or not [General] Screen names a mode: the normal end
  // restores the registry mode on ForceFull alone, and so does the recovery.
  record_.displaySwitched = true;
  Save();
}

void UndoKeeper::BeforeMount(Settings& settings, const char* imagePath) {
  if (!on_) return;
  // The line the normal end would run, from the same builder; a line too
  // long to run is not kept either.
  const BuiltLine built = BuildUnmountCommandLine(settings, imagePath, record_.unmountLine);
  // A [CustomMount] tool gets its environment at the recovery too; a line
  // that cannot keep it beside itself is not kept.
  const bool custom = built.kind == BuiltLine::kBuilt && built.custom;
  KeepUnmountEnvironment(record_, custom ? imagePath : nullptr, built.drive);
  if (built.kind == BuiltLine::kBuilt) Save();
}

void UndoKeeper::EmulatorStarted(const ProcessRecord& process) {
  if (!on_) return;
  record_.emulatorStarted = true;
  record_.emulator.processId = process.processId;
  os_.GetProcessCreationTime(process.process, record_.emulator.creationTime);
  Save();
}

void UndoKeeper::RunEnded() {
  // Nothing to remove when no record could be kept.
  if (!on_ || hold_ == 0) return;
  os_.CloseHandle(hold_);
  if (!os_.DeleteFile(path_) && log_ != nullptr) {
    Text line;
    Note(line.Add("undo record: tolvimer_launch.undo could not be removed: error ")
             .Number(os_.GetLastError())
             .Add("; the next start puts back again what it lists")
             .c_str());
  }
}

void UndoKeeper::Save() {
  if (hold_ == 0) return;
  unsigned char bytes[kUndoRecordSize];
  EncodeUndoRecord(record_, bytes);
  // Written whole over the record before it, in the file this run holds; a
  // write cut off leaves a record whose checksum fails, which is never acted
  // on. The error of a failed call is read at once, before any other call.
  const bool ok =
      os_.SetFilePointer(hold_, 0) &&
      os_.WriteFileBytes(hold_, reinterpret_cast<const char*>(bytes), kUndoRecordSize) &&
      os_.FlushFileBuffers(hold_);
  if (!ok && log_ != nullptr) {
    Text line;
    Note(line.Add("undo record: tolvimer_launch.undo could not be written: error ")
             .Number(os_.GetLastError())
             .Add("; the run goes on without it")
             .c_str());
  }
}

void UndoKeeper::Note(const char* line) {
  if (log_ != nullptr) log_->Note(line);
}

}  // namespace tolvimer
