// The environment a [CustomMount] tool starts with: the launcher's own, with
// TOLVIMER_IMAGE (the image path as mounted) and TOLVIMER_DRIVE ([General]
// Drive's letter and a colon) set. A script reads the path from there, never
// from its own text, so the name is never read as code.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace tolvimer {

constexpr char kImageVariable[] = "TOLVIMER_IMAGE";
constexpr char kDriveVariable[] = "TOLVIMER_DRIVE";

// The most an environment block for a tool holds, its last NUL included:
// the limit Windows long kept for a block of its own.
constexpr std::size_t kToolEnvironmentSize = 32768;

struct ToolEnvironment {
  enum State { kBuilt, kUnreadable, kTooLarge } state = kBuilt;
  std::size_t length = 0;  // the whole block's bytes, also when it did not fit
  char block[kToolEnvironmentSize];
};

// Builds `environment` from the launcher's own block: every variable but any
// of those two names, and the two in name order among them (Windows keeps a
// block sorted). `drive` is the letter, or 0 for no TOLVIMER_DRIVE.
void BuildToolEnvironment(Platform& os, const char* imagePath, char drive,
                          ToolEnvironment& environment);

// The value of `name` in an environment block; null when it has none.
const char* EnvironmentValue(const char* block, const char* name);

// Why a tool's environment could not be built, for CommandLineRefused; empty
// when it does not fit `out`.
void DescribeEnvironmentFailure(const ToolEnvironment& environment, char* out, std::size_t size);

}  // namespace tolvimer
