#include "cli/cli_app.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <ostream>

#include "cli/commands.h"
#include "cli/console_sink.h"
#include "cli/output.h"
#include "sweepwise_version.h"

namespace sw::cli {
namespace {

constexpr const char* kProgramName = "sweepwise-cli";

std::string MessageOf(const CLI::App& app, const CLI::ParseError& error, const std::vector<std::string>& args) {
  if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
    for (const auto& arg : args) {
      if (!arg.starts_with('-')) {
        const auto commands = app.get_subcommands([&](const CLI::App* command) { return command->check_name(arg); });
        if (commands.empty()) {
          return "unknown command '" + arg + "'";
        }
        break;
      }
    }
  }
  std::string message = error.what();
  while (!message.empty() && (message.back() == '\n' || message.back() == '.')) {
    message.pop_back();
  }
  return message;
}

// Every command takes --json and --yes before or after its own arguments, and names itself as
// the maker of the changes it makes ("sweepwise-cli delete registry") once it is parsed.
void PrepareCommands(CLI::App& app, const std::string& path) {
  for (CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
    const std::string name = path + " " + command->get_name();
    command->fallthrough();
    command->preparse_callback([name](std::size_t) { CurrentConsoleCommand().origin = name; });
    PrepareCommands(*command, name);
  }
}

}  // namespace

SharedVerbs AddSharedVerbs(CLI::App& app) {
  SharedVerbs verbs;
  verbs.find = app.add_subcommand("find", "List what a cleaning page would delete");
  verbs.remove = app.add_subcommand("delete", "Delete what a cleaning page finds");
  for (CLI::App* verb : {verbs.find, verbs.remove}) {
    verb->require_subcommand(1);
    verb->fallthrough();
  }
  return verbs;
}

int RunCli(const std::vector<std::string>& args, CliContext& context) {
  CLI::App app{"Sweepwise: finds and removes junk files and invalid registry entries.", kProgramName};
  app.set_version_flag("--version", std::string(kProgramName) + " " + kSweepwiseVersion);
  GlobalOptions options;
  app.add_flag("--json", options.json, "Print the result as one JSON object");
  app.add_flag("--yes", options.yes, "Answer yes to every question (needed without a console)");
  app.footer("Exit status: 0 success, 1 the operation failed, 2 usage error.");
  int status = kExitSuccess;
  const SharedVerbs verbs = AddSharedVerbs(app);
  AddFilesCommands(verbs, context, options, status);
  AddRegistryCommands(verbs, context, options, status);
  AddArchiveCommands(app, context, options, status);
  AddSoftwareCommands(app, context, options, status);
  AddLeftoversCommand(app, context, options, status);
  AddTweaksCommands(app, context, options, status);
  AddRestoreCommands(app, context, options, status);
  AddSysinfoCommands(app, context, options, status);
  AddUpdateCommands(app, context, options, status);
  AddPathsCommand(app, context, options, status);
  AddHistoryCommands(app, context, options, status);
  PrepareCommands(app, kProgramName);
  CurrentConsoleCommand() = ConsoleCommand{kProgramName, {}};

  // CLI11 takes the arguments in reverse order.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  // A command that prints no result of its own still says what its engines told it.
  struct Flush {
    ~Flush() { FlushNotices({}); }
  } flush;
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    context.out << app.help();
    return kExitSuccess;
  } catch (const CLI::CallForVersion&) {
    context.out << app.version() << "\n";
    return kExitSuccess;
  } catch (const CLI::ParseError& error) {
    // The parse stopped early, so the flag may not have been taken yet.
    const bool json = options.json || std::find(args.begin(), args.end(), "--json") != args.end();
    return PrintUsageError(context, json, MessageOf(app, error, args));
  }
  if (app.get_subcommands().empty()) {
    return PrintUsageError(context, options.json, "no command given");
  }
  return status;
}

}  // namespace sw::cli
