// tolvimer_plan [--settings FILE] IMAGE_PATH
// tolvimer_plan --version
//
// Shows what tolvimer_launch would do for the image, step by step, without
// doing any of it, and then warns about settings that would have no effect.
// Without --settings it reads "tolvimer_launch.ini" from its own folder, as
// the launcher does. Exit status: 0 without warnings, 1 with warnings, 2 on
// bad usage.
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "settings/settings.h"
#include "tools/plan/own_directory.h"
#include "tools/plan/plan.h"
#include "version.h"

namespace {

tolvimer::plan::FileFacts LookAt(const std::string& path) {
  struct stat info;
  tolvimer::plan::FileFacts facts;
  if (stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == S_IFREG) {
    facts.exists = true;
    facts.size = static_cast<std::uint64_t>(info.st_size);
  }
  return facts;
}

bool ReadWhole(const std::string& path, std::string& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream text;
  text << file.rdbuf();
  bytes = text.str();
  return true;
}

int Usage() {
  std::fprintf(stderr,
               "usage: tolvimer_plan [--settings FILE] IMAGE_PATH\n"
               "       tolvimer_plan --version\n"
               "Shows what tolvimer_launch would do for IMAGE_PATH, without doing it.\n"
               "Without --settings, reads tolvimer_launch.ini from the program's own folder.\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  tolvimer::plan::PlanInput input;
  bool haveImage = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--settings" && i + 1 < argc && input.settingsPath.empty()) {
      input.settingsPath = argv[++i];
    } else if (arg == "--version") {
      std::printf("tolvimer_plan %s\n", TOLVIMER_VERSION);
      return 0;
    } else if (arg == "--help" || arg == "-h" || haveImage) {
      return Usage();
    } else if (arg == "--settings") {
      return Usage();
    } else {
      input.imagePath = arg;
      haveImage = true;
    }
  }
  if (!haveImage) return Usage();
  if (input.settingsPath.empty()) {
    input.launcherFolder = tolvimer::plan::OwnDirectory();
    input.settingsPath = input.launcherFolder + tolvimer::kSettingsFileName;
  } else {
    input.launcherFolder = tolvimer::plan::DirectoryOf(input.settingsPath);
  }
#ifdef _WIN32
  input.windowsPaths = true;
#endif
  if (ReadWhole(input.settingsPath, input.settingsText)) {
    input.settingsFound = LookAt(input.settingsPath).exists;
  }
  input.lookAt = LookAt;
  input.readFile = ReadWhole;
  tolvimer::plan::ReadPendingRecord(input);
  std::string plan;
  const int status = tolvimer::plan::RunPlan(input, plan);
  std::fwrite(plan.data(), 1, plan.size(), stdout);
  return status;
}
