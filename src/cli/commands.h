#pragma once
// The command groups of sweepwise-cli. Each adds its subcommands to the application; the
// subcommand that runs stores its exit status in `status`.

#include <CLI/CLI.hpp>

#include "cli/cli_app.h"

namespace sw::cli {

struct GlobalOptions {
  bool json = false;
  bool yes = false;
};

void AddArchiveCommands(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status);

}  // namespace sw::cli
