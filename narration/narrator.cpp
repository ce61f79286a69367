#include "narration/narrator.h"

#include "narration/words.h"
#include "settings/settings.h"

namespace tolvimer {

Narrator::Narrator(Platform& inner, NarrationSink& sink, NarrationMode mode,
                   DryRunKnowledge* knowledge)
    : inner_(inner), sink_(sink), mode_(mode), knowledge_(knowledge) {}

void Narrator::BeginStep(Step step) {
  EndStep();
  step_ = step;
  sink_.StepBegun(++stepNumber_);
  inner_.BeginStep(step);
}

void Narrator::EndStep() { FlushTaps(); }

void Narrator::Finish(int result) {
  EndStep();
  sink_.StepBegun(++stepNumber_);
  line_.Add(result == 1 ? "the launcher returns 1: a complete run"
                        : "the launcher returns 0 and does nothing more");
  Act();
}

RunSummary Narrator::Summary() const {
  return RunSummary{playEnd_.c_str(), closeOutcome_,    unmountStarted_,
                    unmountFailed_,   displayRestored_, displayRestoreRefused_};
}

void Narrator::Read(const char* section, const char* key, const char* value, bool present) {
  // Reads before the first step (the run log's own setting) belong to no step.
  if (stepNumber_ == 0) return;
  FlushTaps();
  line_.Add("[").Add(section).Add("] ").Add(key);
  if (present) {
    line_.Add(" = \"").Shown(value).Add("\"");
    AddValueNote(line_, section, key, value);
  } else {
    line_.Add(": absent");
  }
  if (fallbackFrom_[0] != '\0') line_.Add(" (read because [").Add(fallbackFrom_).Add("] has none)");
  fallbackFrom_[0] = '\0';
  // A run reads the fixed sections and its one game section, so the kind of
  // section and the key name a read exactly.
  const SectionKind kind = SectionKindOf(section);
  bool again = false;
  for (int i = 0; i < readCount_ && !again; ++i) {
    again = reads_[i].section == kind && IsWord(reads_[i].key, key);
  }
  if (again) line_.Add(" (read again)");
  if (!again && readCount_ < static_cast<int>(sizeof reads_ / sizeof reads_[0])) {
    reads_[readCount_].section = kind;
    CopyCut(reads_[readCount_].key, sizeof reads_[readCount_].key, key);
    ++readCount_;
  }
  sink_.Read(line_.c_str());
  line_.Clear();
  NoteAutoPlayRead(section, key, value, present);
}

void Narrator::FallingBackFrom(const char* section) {
  CopyCut(fallbackFrom_, sizeof fallbackFrom_, section);
  inner_.FallingBackFrom(section);
}

void Narrator::DefaultEmulatorUsed() {
  defaultEmulator_ = true;
  inner_.DefaultEmulatorUsed();
}

void Narrator::Act() {
  sink_.Action(line_.c_str(), outcome_.c_str());
  line_.Clear();
  outcome_.Clear();
}

void Narrator::FlushTaps() {
  if (tapCount_ == 0) return;
  const std::uint32_t count = tapCount_;
  tapCount_ = 0;
  line_.Add("tap ");
  AddVirtualKeyName(line_, tapKey_);
  line_.Add(" (virtual key ").Number(tapKey_).Add(", scan code 0x").Hex(tapScan_, 2).Add(") ");
  if (count == 1) {
    line_.Add("once");
  } else {
    line_.Number(count).Add(" times");
  }
  Act();
}

void Narrator::Failed() {
  if (!Running()) return;
  const std::uint32_t code = inner_.GetLastError();
  outcome_.Add("failed: error ").Number(code);
  AddErrorText(code);
}

void Narrator::FailedWith(HResult result) {
  if (!Running()) return;
  outcome_.Add("failed: 0x").Hex(static_cast<std::uint32_t>(result), 8);
  AddErrorText(static_cast<std::uint32_t>(result));
}

void Narrator::FailedWithoutCode() {
  if (Running()) outcome_.Add("failed");
}

void Narrator::AddErrorText(std::uint32_t code) {
  char message[256];
  std::uint32_t n = inner_.FormatMessage(code, message, sizeof message);
  if (n >= sizeof message) n = sizeof message - 1;
  message[n] = '\0';
  Text text;
  AddSystemText(text, message);
  if (!text.empty()) outcome_.Add(" (").Add(text.c_str()).Add(")");
}

}  // namespace tolvimer
