#pragma once
// sweepwise-cli: a console front end to the engines, scriptable, with --json output.
// Exit status 0 on success, 1 when the operation failed, 2 on a usage error.

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sw::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct CliContext {
  platform::Platform& platform;
  std::ostream& out;
  std::ostream& err;
  // Whether a person at a console can answer questions (stdin and stderr are terminals);
  // without one, destructive commands need --yes.
  bool console = false;
};

// Runs one command line; `args` excludes the program name.
int RunCli(const std::vector<std::string>& args, CliContext& context);

}  // namespace sw::cli
