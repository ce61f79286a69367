#include "tests/profile_cases/random_differential.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/profile_reader.h"
#include "tests/profile_cases/case_table.h"
#include "tests/profile_cases/random_profile.h"

namespace tolvimer::profile_cases {
namespace {

// Writes the settings file and drops the system's copy of it: Wine keeps a
// profile file it has read in memory until the file's write time changes,
// which rewrites within one tick of the file system's clock do not do. A
// write of nothing to the file (all NULL) is the documented way to flush it.
bool WriteSettings(const char* path, const std::string& bytes) {
  HANDLE file =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                              &written, nullptr) &&
                                    written == bytes.size());
  CloseHandle(file);
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path);
  return ok;
}

// The file as Wine reads it, for the project's reader: Wine decodes a file
// with a UTF-8 or UTF-16BE byte-order mark, which Windows reads as bytes, so
// the reader is given the same text as UTF-16LE, decoded by Wine's own
// MultiByteToWideChar for UTF-8.
std::string AsWineReadsIt(const std::string& bytes) {
  switch (FindIgnoredMark(bytes.data(), bytes.size())) {
    case IgnoredMark::kUtf8: {
      const int length = static_cast<int>(bytes.size() - 3);
      const int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data() + 3, length, nullptr, 0);
      std::vector<wchar_t> wide(units > 0 ? units : 1);
      MultiByteToWideChar(CP_UTF8, 0, bytes.data() + 3, length, wide.data(), units);
      std::string out = "\xFF\xFE";
      for (int i = 0; i < units; ++i) {
        out += static_cast<char>(wide[i] & 0xFF);
        out += static_cast<char>(wide[i] >> 8);
      }
      return out;
    }
    case IgnoredMark::kUtf16Be: {
      std::string out = "\xFF\xFE";
      for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        out += bytes[i + 1];
        out += bytes[i];
      }
      return out;
    }
    default:
      return bytes;
  }
}

struct Answers {
  std::string system;
  std::string reader;
  bool Differ() const { return system != reader; }
};

class Differential {
 public:
  explicit Differential(Settings& settings) : settings_(settings) {}

  bool Ask(const std::string& bytes, const RandomRead& read, Answers& answers) {
    if (!WriteSettings(settings_.path(), bytes)) return false;
    settings_.Read(read.section.c_str(), read.key.c_str());
    answers.system = settings_.value();
    const std::string wine = AsWineReadsIt(bytes);
    char out[kSettingReadSize + 1];
    ReadProfileString(wine.data(), wine.size(), read.section.c_str(), read.key.c_str(), out,
                      kSettingReadSize);
    answers.reader = out;
    return true;
  }

  // Drops pieces of the file, largest first, while the two still disagree
  // (the byte-order mark and whole UTF-16 code units are kept).
  std::string Shrink(std::string bytes, const RandomRead& read) {
    std::size_t mark = 0;
    const IgnoredMark ignored = FindIgnoredMark(bytes.data(), bytes.size());
    if (ignored == IgnoredMark::kUtf8) {
      mark = 3;
    } else if (ignored == IgnoredMark::kUtf16Be ||
               DetectProfileEncoding(bytes.data(), bytes.size()) == ProfileEncoding::kUtf16Le) {
      mark = 2;
    }
    const std::size_t unit = mark == 2 ? 2 : 1;
    int attempts = 0;
    for (std::size_t chunk = (bytes.size() - mark) / 2 / unit * unit;
         chunk >= unit && attempts < 20000;) {
      bool dropped = false;
      for (std::size_t at = mark; at + chunk <= bytes.size() && attempts < 20000;) {
        std::string smaller = bytes.substr(0, at) + bytes.substr(at + chunk);
        Answers answers;
        ++attempts;
        if (Ask(smaller, read, answers) && answers.Differ()) {
          bytes = smaller;
          dropped = true;
        } else {
          at += chunk;
        }
      }
      if (!dropped) chunk = chunk / 2 / unit * unit;
    }
    return bytes;
  }

 private:
  Settings& settings_;
};

}  // namespace

int RunRandomDifferential(Settings& settings, std::uint64_t seed, std::uint64_t count) {
  Differential differential(settings);
  std::uint64_t reads = 0;
  std::uint64_t files = 0;
  int failures = 0;
  for (std::uint64_t index = 0; index < count && failures < 3; ++index, ++files) {
    const RandomProfile profile = MakeRandomProfile(seed, index);
    for (const RandomRead& read : profile.reads) {
      Answers answers;
      if (!differential.Ask(profile.bytes, read, answers)) {
        std::printf("random differential: cannot write %s\n", settings.path());
        return 1;
      }
      ++reads;
      if (!answers.Differ()) continue;
      ++failures;
      const std::string smallest = differential.Shrink(profile.bytes, read);
      differential.Ask(smallest, read, answers);
      std::printf(
          "random differential: file %llu of seed %llu, the smallest file that shows it:\n"
          "  bytes:  \"%s\"\n  read:   [%s] %s\n  system: \"%s\"\n  reader: \"%s\"\n",
          static_cast<unsigned long long>(index), static_cast<unsigned long long>(seed),
          Escape(smallest).c_str(), Escape(read.section).c_str(), Escape(read.key).c_str(),
          Escape(answers.system).c_str(), Escape(answers.reader).c_str());
      break;  // one failure per file
    }
  }
  std::printf("random differential: %llu reads of %llu files with seed %llu: %s\n",
              static_cast<unsigned long long>(reads), static_cast<unsigned long long>(files),
              static_cast<unsigned long long>(seed),
              failures == 0 ? "the reader agrees with the system" : "DISAGREEMENTS (above)");
  return failures == 0 ? 0 : 1;
}

}  // namespace tolvimer::profile_cases
