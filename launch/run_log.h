// The run log, tolvimer_launch.log beside the launcher ([General] Log "true"):
// the narration of the run as it happens, each line with the milliseconds
// since the log was opened, handed to Windows at once and flushed to the disk
// at the end, the file shared for reading meanwhile. A log that cannot be written is given
// up silently; the run goes on as it would without it.
#pragma once

#include <cstdint>

#include "narration/narrator.h"
#include "settings/settings.h"

namespace tolvimer {

constexpr char kLogFileName[] = "tolvimer_launch.log";
// Ends a log line that was too long to be told whole.
constexpr char kCutMark[] = " ... (cut)";

class RunLog final : public NarrationSink {
 public:
  explicit RunLog(Platform& os) : os_(os) {}

  // Creates the log beside the launcher (replacing the last run's) and
  // writes its head: the version, the command line, the launcher folder,
  // whether the settings file was found and the game section. False when
  // the file cannot be created.
  bool Open(const Settings& settings, const char* gameSection);
  // Writes how the run went and closes the file.
  void Close(const RunSummary& summary, int result);
  // A line of its own, outside the steps (what the undo record told).
  void Note(const char* line) { Write(line); }

  void StepBegun(int number) override;
  void Read(const char* line) override;
  void Action(const char* text, const char* outcome) override;

 private:
  void Write(const char* body);
  // A step that did nothing says so, as the plan does.
  void EndStep();
  // The head of the step's first line, "  12. ", and the indent under it.
  void AddHead(Text& text) const;
  void WriteHeadOfActionOnlyStep();
  void AddIndent(Text& text) const;

  Platform& os_;
  OsHandle file_ = 0;
  std::uint32_t start_ = 0;
  int step_ = 0;
  bool stepHeadWritten_ = true;
  bool stepHasAction_ = true;
};

}  // namespace tolvimer
