// The machine the platform contract runs on: the platform under test and the
// few things a row needs around it (files in a folder of its own, programs
// that can or cannot be started, top-level windows). Natively it is the
// recording fake set up to stand for such a machine; under Wine it is the
// real Win32 platform with real files, processes and windows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tolvimer::contract {

class ContractMachine {
 public:
  virtual ~ContractMachine() = default;

  virtual Platform& os() = 0;

  // The full path of a file in the machine's own folder.
  virtual std::string FilePath(const std::string& name) = 0;
  virtual void PutFile(const std::string& name, const std::vector<std::uint8_t>& bytes) = 0;
  virtual bool FileExists(const std::string& name) = 0;
  virtual std::vector<std::uint8_t> FileBytes(const std::string& name) = 0;

  // Command lines of programs on this machine: one that keeps running until
  // EndProgram, one that also shows a top-level window of its own, one that
  // ends at once with `exitCode`, and one that does not exist.
  virtual std::string RunningProgram() = 0;
  virtual std::string WindowProgram() = 0;
  virtual std::string EndingProgram(std::uint32_t exitCode) = 0;
  virtual std::string MissingProgram() = 0;
  // Ends a program started from RunningProgram and closes its handles.
  virtual void EndProgram(const ProcessRecord& process) = 0;
  // Waits until a started program has ended.
  virtual void AwaitEnd(const ProcessRecord& process) = 0;
  // A handle of a running process whose exit code cannot be queried.
  virtual OsHandle UnqueryableProcess() = 0;

  // Makes sure at least `count` top-level windows exist.
  virtual void AddTopLevelWindows(int count) = 0;

  // The instance handle of this program, for a wait's hidden window.
  virtual Instance ModuleInstance() = 0;
  // Plays the shell: finds the launcher's AutoPlay handler in the running
  // object table and asks it about the drive `letter`; gives its answer
  // (S_OK 0, S_FALSE 1) or the HRESULT of the call that failed.
  virtual HResult AskAutoPlayHandler(char letter) = 0;
};

// The machine of this build: the fake natively, Win32 on Windows.
std::unique_ptr<ContractMachine> MakeContractMachine();

// The folder of tests/profile_cases, as the runner was told it.
extern std::string profileCasesDir;
// True, with the exit code in `code`, when the arguments ask this program to
// be one of the machine's child programs.
bool RunAsChildProgram(int argc, char** argv, int& code);

}  // namespace tolvimer::contract
