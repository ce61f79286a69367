// The contract runner: GoogleTest over the machine of this build.
//
//   platform_contract [--profile-cases=DIR] [GoogleTest flags]
//
// DIR is tests/profile_cases (as this machine names it). Started with a
// child argument the program is instead one of the machine's own programs
// (see RunAsChildProgram).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/contract/contract_machine.h"

int main(int argc, char** argv) {
  int code = 0;
  if (tolvimer::contract::RunAsChildProgram(argc, argv, code)) return code;
#ifdef TOLVIMER_PROFILE_CASES_DIR
  tolvimer::contract::profileCasesDir = TOLVIMER_PROFILE_CASES_DIR;
#endif
  ::testing::InitGoogleTest(&argc, argv);
  static const char kFlag[] = "--profile-cases=";
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], kFlag, sizeof kFlag - 1) == 0) {
      tolvimer::contract::profileCasesDir = argv[i] + sizeof kFlag - 1;
    }
  }
  return RUN_ALL_TESTS();
}
