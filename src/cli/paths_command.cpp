// sweepwise-cli paths: where the program was installed and how (the installer's recorded mode),
// where it writes its files, and why.

#include "cli/commands.h"
#include "cli/output.h"

namespace sw::cli {
namespace {

int Paths(CliContext& context, const GlobalOptions& options) {
  const platform::ProgramFolders& folders = context.platform.folders;
  CommandResult result;
  result.status = folders.why;
  const std::string mode(platform::InstallModeName(folders.mode));
  result.extra = {{"program_folder", folders.program},
                  {"data_folder", folders.data},
                  {"mode", mode},
                  {"elevated", platform::Describe(context.platform).elevated},
                  {"why", folders.why}};
  if (!options.json) {
    context.out << "Program folder: " << folders.program << " (" << mode << ")\nData folder: " << folders.data
                << "\n" << folders.why << "\n";
  }
  if (!folders.writable) {
    return PrintFailure(context, options.json, folders.problem, result);
  }
  if (options.json) {
    PrintResult(context, true, result);
  }
  return kExitSuccess;
}

}  // namespace

void AddPathsCommand(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status) {
  CLI::App* paths = app.add_subcommand("paths", "Show the program folder, the data folder and why it is there");
  paths->fallthrough();  // --json may follow the command
  paths->callback([&] { status = Paths(context, options); });
}

}  // namespace sw::cli
