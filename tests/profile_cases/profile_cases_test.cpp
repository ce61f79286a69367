// The project's own profile reader against the differential table: every
// read gives what GetPrivateProfileStringA gives on Windows for the same file
// (the table's Windows answer; wine_check.sh holds Wine to Wine's).
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/profile_reader.h"
#include "tests/profile_cases/case_table.h"

namespace tolvimer {
namespace {

const std::string kCasesDir = TOLVIMER_PROFILE_CASES_DIR;

TEST(ProfileCasesTest, TheReaderGivesTheTableAnswers) {
  const std::vector<profile_cases::Case> cases = profile_cases::LoadCases(kCasesDir + "/cases.txt");
  ASSERT_GT(cases.size(), 50u) << "the table did not load";
  std::map<std::string, std::string> files;
  for (const profile_cases::Case& c : cases) {
    ASSERT_FALSE(c.file.empty()) << "cases.txt line " << c.line << " is not four fields";
    if (!files.count(c.file)) {
      files[c.file] = profile_cases::ReadWholeFile(kCasesDir + "/files/" + c.file);
      ASSERT_FALSE(files[c.file].empty()) << c.file;
    }
    const std::string& text = files[c.file];
    char out[300];
    const std::uint32_t n =
        ReadProfileString(text.data(), text.size(), c.section.c_str(), c.key.c_str(), out, 255);
    EXPECT_EQ(profile_cases::Escape(out), profile_cases::Escape(c.expected))
        << c.file << " [" << profile_cases::Escape(c.section) << "] "
        << profile_cases::Escape(c.key) << " (cases.txt line " << c.line << ")";
    EXPECT_EQ(n, std::string(out).size()) << "count of cases.txt line " << c.line;
  }
}

}  // namespace
}  // namespace tolvimer
