// The narration of the launch sequence's calls on files, programs and the
// settings file: passed on to the platform underneath, then told.
#include "emulator/emulator_start.h"
#include "mount/tool_environment.h"
#include "narration/narrator.h"
#include "prepare/file_patches.h"

namespace tolvimer {
namespace {

const char* FileNameOf(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p) {
    if (*p == '\\' || *p == '/') name = p + 1;
  }
  return name;
}

}  // namespace

std::uint32_t Narrator::GetModuleFileName(char* buffer, std::uint32_t capacity) {
  FlushTaps();
  const std::uint32_t n = inner_.GetModuleFileName(buffer, capacity);
  if (stepNumber_ > 0 && (n == 0 || n >= capacity)) {
    line_.Add("the launcher's own path cannot be had whole: nothing beside it is used");
    if (n == 0) Failed();
    Act();
  }
  return n;
}

std::uint32_t Narrator::GetProfileString(const char* section, const char* key, char* out,
                                         std::uint32_t size, const char* path) {
  const std::uint32_t n = inner_.GetProfileString(section, key, out, size, path);
  const bool present = n != 0 && size > 0 && out[0] != '\0';
  Read(section, key, size > 0 ? out : "", present);
  return n;
}

bool Narrator::IsDbcsLeadByte(std::uint8_t byte) { return inner_.IsDbcsLeadByte(byte); }

OsHandle Narrator::OpenFileForWrite(const char* path) {
  FlushTaps();
  const OsHandle file = inner_.OpenFileForWrite(path);
  CopyCut(openFile_, sizeof openFile_, FileNameOf(path));
  if (file == 0) {
    line_.Add(openFile_).Add(
        " cannot be opened for writing: nothing is written to it (it is never "
        "created)");
    if (Running()) {
      Failed();
    } else {
      outcome_.Add("it is not in the launcher folder");
    }
    Act();
  }
  return file;
}

bool Narrator::SetFilePointer(OsHandle file, std::int32_t offset) {
  FlushTaps();
  const bool ok = inner_.SetFilePointer(file, offset);
  offset_ = offset;
  if (!ok) {
    line_.Add("position at offset ").Number(offset).Add(" of ").Add(openFile_);
    line_.Add(": nothing is written there");
    Failed();
    Act();
  }
  return ok;
}

bool Narrator::WriteFileByte(OsHandle file, std::uint8_t byte) {
  FlushTaps();
  const bool ok = inner_.WriteFileByte(file, byte);
  line_.Add("write 0x").Hex(byte, 2);
  if (byte >= 0x20 && byte < 0x7F) line_.Add(" ('").Add(static_cast<char>(byte)).Add("')");
  line_.Add(" at offset ").Number(offset_);
  if (offset_ >= 256) line_.Add(" (0x").Hex(static_cast<std::uint32_t>(offset_), 1).Add(")");
  const char* meaning = PatchMeaning(openFile_, offset_);
  line_.Add(" of ").Add(openFile_).Add(": ");
  line_.Add(meaning ? meaning : "a byte the launcher does not name");
  if (!ok) Failed();
  if (knowledge_ != nullptr && offset_ >= 0 &&
      knowledge_->OpenFileSize() <= static_cast<std::uint64_t>(offset_)) {
    outcome_.Add("the file has only ")
        .Number(static_cast<std::int64_t>(knowledge_->OpenFileSize()));
    outcome_.Add(" bytes: the write would lengthen it");
  }
  Act();
  return ok;
}

bool Narrator::CloseHandle(OsHandle handle) {
  FlushTaps();
  const bool ok = inner_.CloseHandle(handle);
  const bool emulator = handle != 0 && (handle == emulatorProcess_ || handle == emulatorThread_);
  if (emulator || !ok) {
    line_.Add(!emulator                    ? "close a handle"
              : handle == emulatorProcess_ ? "close the emulator's process handle"
                                           : "close the emulator's thread handle");
    if (!ok) Failed();
    Act();
  }
  return ok;
}

bool Narrator::CreateProcess(char* commandLine, ProcessRecord& out) {
  return CreateProcessWithEnvironment(commandLine, nullptr, out);
}

bool Narrator::CreateProcessWithEnvironment(char* commandLine, const char* environment,
                                            ProcessRecord& out) {
  FlushTaps();
  if (environment != nullptr) {
    // What a script reads from its environment, told first.
    line_.Add("in the tool's environment, beside the launcher's own:");
    const char* const names[] = {kImageVariable, kDriveVariable};
    for (const char* name : names) {
      const char* const value = EnvironmentValue(environment, name);
      line_.Add(name == kImageVariable ? " " : ", ").Add(name);
      if (value != nullptr)
        line_.Add(" = ").Shown(value);
      else
        line_.Add(" unset");
    }
    Act();
  }
  // Told before the call: CreateProcessA may write into the command line.
  if (step_ == Step::kStartEmulator) {
    line_.Add("start the emulator with the command line: ").Shown(commandLine);
    if (defaultEmulator_) line_.Add(" (the default)");
  } else {
    line_.Add(IsMountStep(step_) ? "mount the image, starting without waiting for it: "
              : step_ == Step::kUnmount     ? "unmount the image, starting without waiting for it: "
              : step_ == Step::kSwapUnmount ? "unmount the image, then wait for it to end: "
                                            : "start without waiting for it: ");
    line_.Shown(commandLine);
  }
  const bool ok = environment != nullptr
                      ? inner_.CreateProcessWithEnvironment(commandLine, environment, out)
                      : inner_.CreateProcess(commandLine, out);
  if (!ok) Failed();
  if (ok && step_ == Step::kStartEmulator) {
    emulatorProcess_ = out.process;
    emulatorThread_ = out.thread;
  }
  if (step_ == Step::kUnmount) {
    unmountStarted_ = ok;
    unmountFailed_ = !ok;
  }
  Act();
  return ok;
}

const char* Narrator::GetEnvironmentStrings() {
  FlushTaps();
  const char* const block = inner_.GetEnvironmentStrings();
  if (block == nullptr) {
    line_.Add("read the launcher's environment for the tool");
    Failed();
    Act();
  }
  return block;
}

bool Narrator::FreeEnvironmentStrings(const char* block) {
  FlushTaps();
  const bool ok = inner_.FreeEnvironmentStrings(block);
  if (!ok) {
    line_.Add("give back the launcher's environment block");
    Failed();
    Act();
  }
  return ok;
}

void Narrator::CommandLineTooLong(std::size_t length, std::size_t room) {
  FlushTaps();
  inner_.CommandLineTooLong(length, room);
  line_.Add(IsMountStep(step_)     ? "the mount command line"
            : IsUnmountStep(step_) ? "the unmount command line"
                                   : "the command line");
  line_.Add(" would be ").Number(static_cast<std::int64_t>(length)).Add(" characters, ");
  line_.Number(static_cast<std::int64_t>(length - room)).Add(" more than the ");
  line_.Number(static_cast<std::int64_t>(room)).Add(" that fit: it is not run");
  if (step_ == Step::kUnmount) unmountFailed_ = true;
  Act();
}

void Narrator::CommandLineRefused(const char* reason) {
  FlushTaps();
  inner_.CommandLineRefused(reason);
  line_.Add(IsUnmountStep(step_) ? "the unmount command line" : "the mount command line");
  line_.Add(" is not run: ").Add(reason);
  if (step_ == Step::kUnmount) unmountFailed_ = true;
  Act();
}

void Narrator::ImagePathUnquoted(const char* imagePath) {
  FlushTaps();
  inner_.ImagePathUnquoted(imagePath);
  line_.Add("the image path came in one pair of double quotes, taken off: ").Shown(imagePath);
  Act();
}

void Narrator::QuotedImagePathInForm() {
  FlushTaps();
  inner_.QuotedImagePathInForm();
  line_.Add(
      "warning: the image path came in quotes, which the mount form's own quotes double: the "
      "tool takes the path to end at its first blank; pass the path bare, or in one pair of "
      "double quotes around the whole of it");
  Act();
}

std::uint32_t Narrator::WaitForInputIdle(OsHandle process, std::uint32_t milliseconds) {
  FlushTaps();
  const std::uint32_t result = inner_.WaitForInputIdle(process, milliseconds);
  line_.Add("wait up to ").Number(milliseconds).Add(" ms for the emulator to be ready for input");
  if (result == win::kWaitTimeout) outcome_.Add("not ready within that time");
  if (result == 0xFFFFFFFFu) Failed();
  Act();
  return result;
}

bool Narrator::EnumWindows(WindowEnumCallback callback, std::intptr_t param) {
  FlushTaps();
  const bool result = inner_.EnumWindows(callback, param);
  line_.Add("look for the emulator's first top-level window");
  if (!Running()) {
    outcome_.Add("a dry run takes it as found; without one, \"Window not found\" ends the run");
  } else if (windowSearch.window == 0) {
    outcome_.Add("none found");
  }
  Act();
  return result;
}

std::uint32_t Narrator::GetWindowThreadProcessId(WindowHandle window, std::uint32_t& processId) {
  return inner_.GetWindowThreadProcessId(window, processId);
}

int Narrator::MessageBox(WindowHandle owner, const char* text, const char* caption,
                         std::uint32_t type) {
  FlushTaps();
  // Told before the call: the box waits for the user.
  line_.Add("show the message box \"").Add(text).Add("\" (caption \"").Add(caption).Add("\")");
  Act();
  const int result = inner_.MessageBox(owner, text, caption, type);
  if (result == 0) {
    line_.Add("the message box could not be shown");
    Failed();
    Act();
  }
  return result;
}

}  // namespace tolvimer
