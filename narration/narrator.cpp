#include "narration/narrator.h"

#include "narration/words.h"
#include "settings/settings.h"

namespace tolvimer {
namespace {

char Folded(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// An id of "section/key" with the letters A to Z folded (FNV-1a).
std::uint32_t ReadId(const char* section, const char* key) {
  std::uint32_t id = 2166136261u;
  for (const char* p = section; *p; ++p)
    id = (id ^ static_cast<std::uint8_t>(Folded(*p))) * 16777619u;
  id = (id ^ '/') * 16777619u;
  for (const char* p = key; *p; ++p) id = (id ^ static_cast<std::uint8_t>(Folded(*p))) * 16777619u;
  return id;
}

}  // namespace

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
  const std::uint32_t id = ReadId(section, key);
  bool again = false;
  for (int i = 0; i < readCount_; ++i) again = again || readIds_[i] == id;
  if (again) line_.Add(" (read again)");
  if (!again && readCount_ < static_cast<int>(sizeof readIds_ / sizeof readIds_[0])) {
    readIds_[readCount_++] = id;
  }
  sink_.Read(line_.c_str());
  line_.Clear();
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
