// The contract's machine natively: the recording fake, set up the way the unit
// tests set it up to stand for a Windows machine.
#include <string>

#include "launch/run_log.h"
#include "settings/settings.h"
#include "tests/contract/contract_machine.h"
#include "tests/fake/fake_platform.h"

namespace tolvimer::contract {
namespace {

constexpr char kFolder[] = "C:\\Contract\\";
constexpr char kMissingProgram[] = "C:\\Contract\\no_such_program.exe";

class FakeMachine final : public ContractMachine {
 public:
  FakeMachine() {
    fake_.modulePath = std::string(kFolder) + "platform_contract.exe";
    fake_.settingsExist = false;
    fake_.unstartable.push_back(kMissingProgram);
    fake_.NameProcess("window.exe", "windowed");
    fake_.commandLine = std::string("\"") + kFolder + "platform_contract.exe\"";
    fake_.logPath = FilePath(kLogFileName);
  }

  Platform& os() override { return fake_; }

  std::string FilePath(const std::string& name) override { return kFolder + name; }

  // The fake reads settings from its one settings text and writes bytes of
  // the files it holds.
  void PutFile(const std::string& name, const std::vector<std::uint8_t>& bytes) override {
    if (name == kSettingsFileName) {
      fake_.settingsPath = FilePath(name);
      fake_.settingsText.assign(bytes.begin(), bytes.end());
      fake_.settingsExist = true;
    }
    fake_.files[FilePath(name)] = bytes;
  }

  // The run log is kept apart from the other files.
  bool FileExists(const std::string& name) override {
    if (name == kLogFileName) return fake_.logExists;
    return fake_.files.count(FilePath(name)) != 0;
  }

  std::vector<std::uint8_t> FileBytes(const std::string& name) override {
    if (name == kLogFileName) return {fake_.logText.begin(), fake_.logText.end()};
    return fake_.files[FilePath(name)];
  }

  // The fake answers exit codes from one script, so each program started
  // sets it; a row starts one program at a time.
  std::string RunningProgram() override {
    fake_.exitCodes = {win::kStillActive};
    return "running.exe";
  }

  std::string WindowProgram() override {
    fake_.exitCodes = {win::kStillActive};
    fake_.AddWindow("windowed.main", "windowed");
    return "window.exe";
  }

  std::string EndingProgram(std::uint32_t exitCode) override {
    fake_.exitCodes = {exitCode};
    return "ending.exe";
  }

  std::string MissingProgram() override { return kMissingProgram; }

  void EndProgram(const ProcessRecord& process) override {
    fake_.CloseHandle(process.process);
    fake_.CloseHandle(process.thread);
    // Its windows are gone with it.
    fake_.Fail("IsWindow");
  }

  void AwaitEnd(const ProcessRecord&) override {}

  OsHandle UnqueryableProcess() override {
    char commandLine[] = "running.exe";
    ProcessRecord process;
    fake_.CreateProcess(commandLine, process);
    fake_.Fail("GetExitCodeProcess");
    return process.process;
  }

  void AddTopLevelWindows(int count) override {
    for (int i = 0; i < count; ++i) fake_.AddWindow("window" + std::to_string(i), "other");
  }

  Instance ModuleInstance() override { return 0x400000; }

  HResult AskAutoPlayHandler(char letter) override { return fake_.AskAutoPlayHandler(letter); }

 private:
  testing::FakePlatform fake_;
};

}  // namespace

std::unique_ptr<ContractMachine> MakeContractMachine() { return std::make_unique<FakeMachine>(); }

bool RunAsChildProgram(int, char**, int&) { return false; }

}  // namespace tolvimer::contract
