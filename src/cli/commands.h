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

// The verbs that several subsystems share: "find files", "find registry", ...
struct SharedVerbs {
  CLI::App* find = nullptr;
  CLI::App* remove = nullptr;  // "delete"
};
SharedVerbs AddSharedVerbs(CLI::App& app);

void AddArchiveCommands(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status);
void AddFilesCommands(const SharedVerbs& verbs, CliContext& context, const GlobalOptions& options, int& status);
void AddRegistryCommands(const SharedVerbs& verbs, CliContext& context, const GlobalOptions& options, int& status);
void AddSoftwareCommands(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status);
void AddLeftoversCommand(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status);
void AddTweaksCommands(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status);
void AddRestoreCommands(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status);
void AddSysinfoCommands(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status);
void AddPathsCommand(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status);
void AddUpdateCommands(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status);
void AddHistoryCommands(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status);

// Undoes the history entry `id` as "undo ID" does; the command's exit status.
int UndoHistoryEntry(CliContext& context, const GlobalOptions& options, int id);

}  // namespace sw::cli
