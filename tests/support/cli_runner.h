#pragma once
// Runs a sweepwise-cli command line in the test's process, on the platform the test made,
// and keeps what it printed on stdout and stderr.

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

namespace sw::test {

class CliRunner {
 protected:
  int RunOn(platform::Platform& platform, const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    cli::CliContext context{platform, out, err};
    const int status = cli::RunCli(args, context);
    out_ = out.str();
    err_ = err.str();
    return status;
  }

  std::string out_;
  std::string err_;
};

}  // namespace sw::test
