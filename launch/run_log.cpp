#include "launch/run_log.h"

#include "version.h"

namespace tolvimer {
namespace {

// What a line may hold after its time stamp (up to ten digits and " ms  "),
// with room for the mark of a cut.
constexpr std::size_t kBodyRoom = Text::kCapacity - 1 - 15 - sizeof kCutMark;

int Digits(int number) {
  int digits = 1;
  while (number >= 10) {
    number /= 10;
    ++digits;
  }
  return digits;
}

}  // namespace

bool RunLog::Open(const Settings& settings, const char* gameSection) {
  // The launcher folder is the settings path without its file name: the
  // log asks Windows for nothing the run has not asked already.
  char directory[kPathBufferSize];
  char path[kPathBufferSize];
  const char* settingsPath = settings.path();
  std::size_t length = 0;
  while (settingsPath[length]) ++length;
  constexpr std::size_t kNameLength = sizeof kSettingsFileName - 1;
  if (length <= kNameLength) return false;
  for (std::size_t i = 0; i < length - kNameLength; ++i) directory[i] = settingsPath[i];
  directory[length - kNameLength] = '\0';
  if (!JoinPath(directory, kLogFileName, path, sizeof path)) return false;
  file_ = os_.CreateLogFile(path);
  if (file_ == 0) return false;
  start_ = os_.GetTickCount();
  Text line;
  // The tick the times count from, to set them beside other programs' ticks.
  Write(line.Add("tolvimer_launch ")
            .Add(TOLVIMER_VERSION)
            .Add(": run log, times in ms from tick ")
            .Number(start_)
            .c_str());
  line.Clear();
  // The command line may be far longer than a line: it goes on in as many
  // lines as it needs.
  const char* rest = line.Add("command line: ").ShownWithin(os_.GetCommandLine(), kBodyRoom);
  Write(line.c_str());
  while (*rest != '\0') {
    line.Clear();
    rest = line.Add("command line, continued: ").ShownWithin(rest, kBodyRoom);
    Write(line.c_str());
  }
  line.Clear();
  Write(line.Add("launcher folder: ").Add(directory).c_str());
  line.Clear();
  line.Add("settings file: ").Add(settings.path());
  line.Add(os_.FileExists(settings.path()) ? " (found)" : " (not found: every key is absent)");
  Write(line.c_str());
  line.Clear();
  Write(line.Add("game section: [").Add(gameSection).Add("]").c_str());
  return file_ != 0;
}

void RunLog::Close(const RunSummary& summary, int result) {
  EndStep();
  Text line;
  line.Add("how play ended: ");
  line.Add(summary.playEnd[0] ? summary.playEnd : "play never began: the run ended early");
  Write(line.c_str());
  line.Clear();
  line.Add("put back: ");
  const std::size_t bare = line.size();
  const auto put = [&line, bare](bool happened, const char* what) {
    if (!happened) return;
    if (line.size() > bare) line.Add("; ");
    line.Add(what);
  };
  put(summary.close == CloseOutcome::kHandled, "the emulator handled WM_CLOSE");
  put(summary.close == CloseOutcome::kWindowGone,
      "no window to send WM_CLOSE to (the emulator had closed itself)");
  put(summary.close == CloseOutcome::kPosted, "the cut-short run's emulator was sent WM_CLOSE");
  put(summary.unmountStarted, "the unmount command was started");
  put(summary.unmountFailed, "the unmount command could not be started");
  put(summary.displayRestored, "the desktop mode was restored");
  put(summary.displayRestoreRefused, "the desktop mode could not be restored");
  put(result == 0, "nothing: what was done before stays as it is");
  if (line.size() == bare) line.Add("nothing");
  Write(line.c_str());
  line.Clear();
  Write(line.Add("exit code: ").Number(result).c_str());
  if (file_ != 0) {
    // Once, at the end: each line written is Windows' to keep from then on,
    // also when the launcher is killed; only a failing machine loses what
    // has not reached the disk.
    os_.FlushFileBuffers(file_);
    os_.CloseHandle(file_);
    file_ = 0;
  }
}

void RunLog::StepBegun(int number) {
  EndStep();
  step_ = number;
  stepHeadWritten_ = false;
  stepHasAction_ = false;
}

void RunLog::EndStep() {
  if (step_ == 0 || stepHasAction_) return;
  WriteHeadOfActionOnlyStep();
  Text body;
  AddIndent(body);
  Write(body.Add("  -> nothing").c_str());
}

void RunLog::AddHead(Text& text) const { text.Add("  ").Number(step_).Add(". "); }

// A step that read no setting opens with "always" before its first action.
void RunLog::WriteHeadOfActionOnlyStep() {
  if (stepHeadWritten_) return;
  Text head;
  AddHead(head);
  Write(head.Add("always").c_str());
  stepHeadWritten_ = true;
}

void RunLog::AddIndent(Text& text) const {
  for (int i = 0; i < Digits(step_) + 4; ++i) text.Add(' ');
}

void RunLog::Read(const char* line) {
  Text body;
  if (stepHeadWritten_) {
    AddIndent(body);
  } else {
    AddHead(body);
    stepHeadWritten_ = true;
  }
  Write(body.Add(line).c_str());
}

void RunLog::Action(const char* text, const char* outcome) {
  stepHasAction_ = true;
  WriteHeadOfActionOnlyStep();
  Text body;
  AddIndent(body);
  body.Add("  -> ").Add(text);
  if (outcome[0] != '\0') body.Add(" -- ").Add(outcome);
  Write(body.c_str());
}

void RunLog::Write(const char* body) {
  if (file_ == 0) return;
  Text line;
  const std::uint32_t elapsed = os_.GetTickCount() - start_;
  // The milliseconds right-aligned in seven places.
  for (int pad = Digits(static_cast<int>(elapsed % 1000000000u)); pad < 7; ++pad) line.Add(' ');
  line.Number(elapsed).Add(" ms  ");
  std::size_t length = 0;
  while (body[length]) ++length;
  // A body too long for the line is cut, and the cut marked.
  if (length > kBodyRoom) {
    line.Add(body, kBodyRoom).Add(kCutMark);
  } else {
    line.Add(body, length);
  }
  char bytes[Text::kCapacity + 2];
  std::uint32_t n = 0;
  for (; n < line.size(); ++n) bytes[n] = line.c_str()[n];
  bytes[n++] = '\r';
  bytes[n++] = '\n';
  // A log that cannot be written is given up; the run goes on.
  if (!os_.WriteFileBytes(file_, bytes, n)) {
    os_.CloseHandle(file_);
    file_ = 0;
  }
}

}  // namespace tolvimer
