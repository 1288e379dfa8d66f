// sweepwise-cli update check | install: the update check, and what the update window's Next
// does, from the console.

#include <memory>
#include <ostream>

#include "cli/commands.h"
#include "cli/console_sink.h"
#include "cli/output.h"
#include "core/text.h"
#include "online/queue_dispatcher.h"
#include "online/server_address.h"
#include "online/http_timeouts.h"
#include "online/update_check.h"
#include "online/update_install.h"
#include "online/update_window_model.h"

namespace sw::cli {
namespace {

using online::UpdateOffer;

nlohmann::json OfferFields(const UpdateOffer& offer) {
  nlohmann::json sizeKb = nullptr;
  if (const auto size = ParseInt32(offer.sizeKb); size && *size >= 0) {
    sizeKb = *size;
  }
  return {{"current", offer.currentVersion},
          {"offered", offer.newVersion},
          {"product", offer.productName},
          {"size_kb", sizeKb},
          {"description", offer.description},
          {"newer", offer.newer},
          {"sha256", offer.digest}};
}

std::string OfferStatus(const UpdateOffer& offer) {
  if (offer.newer) {
    return "Update has been found for " + offer.productName + ": version " + offer.newVersion + ", " + offer.sizeKb +
           "KB (installed: " + offer.currentVersion + ")";
  }
  return "No newer version: the server offers " + offer.newVersion + ", installed is " + offer.currentVersion;
}

// The console is the update window: progress goes to the terminal, the window's messages
// are kept for the final line instead of being printed twice.
class ConsoleUpdateWindow final : public online::UpdateWindowView, public EngineSink {
 public:
  explicit ConsoleUpdateWindow(ConsoleSink& console) : console_(console) { SetOrigin("sweepwise-cli update install"); }

  void Refresh(const online::UpdateWindowTexts& texts) override {
    if (texts.progressMax > 0 && texts.progressMax >= texts.progressMin) {
      console_.SetProgressMax(texts.progressMax);
      console_.SetProgress(texts.progressPosition);
    }
  }
  void ShowWindow() override {}
  void CloseWindow(bool) override {}

  void ShowStatus(std::string_view text) override { console_.ShowStatus(text); }
  void SetProgressMax(std::uint64_t maximum) override { console_.SetProgressMax(maximum); }
  void SetProgress(std::uint64_t position) override { console_.SetProgress(position); }
  void AddRow(const ResultRow& row) override { console_.AddRow(row); }
  Answer Ask(const Message& message) override {
    return message.buttons == MessageButtons::Ok ? Answer::Ok : console_.Ask(message);
  }
  bool ShouldStop() override { return false; }

 private:
  ConsoleSink& console_;
};

// The console's thread waits for the downloads and runs their events from this queue.
struct Checked {
  Checked(platform::Platform& platform, const std::string& server)
      : context{platform, ui, online::ServerAddress(server), online::TimeoutsFromEnvironment()} {}

  online::QueueDispatcher ui;
  online::OnlineContext context;
  online::UpdateCheck check;
};

std::unique_ptr<Checked> RunCheck(CliContext& context, const std::string& server) {
  auto checked = std::make_unique<Checked>(context.platform, server);
  checked->check = online::CheckForUpdate(checked->context);
  return checked;
}

int Check(CliContext& context, const GlobalOptions& options, const std::string& server) {
  const auto checked = RunCheck(context, server);
  const online::UpdateCheck& check = checked->check;
  if (!check.asked) {
    return PrintFailure(context, options.json, check.error);
  }
  if (!check.reached) {
    return PrintFailure(context, options.json, "cannot reach the update server: " + check.error);
  }
  if (!check.error.empty()) {
    return PrintFailure(context, options.json, check.error);
  }
  CommandResult result;
  result.extra = OfferFields(check.offer);
  result.status = OfferStatus(check.offer);
  if (!options.json && check.offer.newer) {
    context.out << "New features: " << check.offer.description << "\n";
  }
  PrintResult(context, options.json, result);
  return kExitSuccess;
}

int Install(CliContext& context, const GlobalOptions& options, const std::string& server) {
  const auto checked = RunCheck(context, server);
  const online::UpdateCheck& check = checked->check;
  if (!check.asked) {
    return PrintFailure(context, options.json, check.error);
  }
  if (!check.reached) {
    return PrintFailure(context, options.json, "cannot reach the update server: " + check.error);
  }
  if (!check.error.empty()) {
    return PrintFailure(context, options.json, check.error);
  }
  CommandResult result;
  result.extra = OfferFields(check.offer);
  result.extra["installed"] = false;
  if (!check.offer.newer) {
    result.status = OfferStatus(check.offer) + "; nothing to install";
    PrintResult(context, options.json, result);
    return kExitSuccess;
  }
  const bool withConsent = online::InstallsWithConsent(context.platform.folders);
  ConsoleSink console(context.err, options.yes, context.console);
  if (!Confirm(console,
               "Install " + check.offer.productName + " " + check.offer.newVersion +
                   (withConsent ? "? Its installer starts now and asks for administrator rights, as the program is "
                                  "installed for everyone."
                                : "? It takes the place of this version at the next log-on."),
               "Update")) {
    return PrintFailure(context, options.json, "nothing installed", result);
  }
  ConsoleUpdateWindow window(console);
  online::UpdateWindowModel model(checked->context, window, window);
  model.Offer(check.offer);
  model.BitBtn1Click();
  console.EndProgress();
  if (model.state() != online::UpdateWindowState::Completed) {
    return PrintFailure(context, options.json, model.lastError(), result);
  }
  result.extra["installed"] = true;
  if (withConsent) {
    result.extra["installer"] = check.offer.DownloadPath();
  } else {
    result.extra["batch"] = online::ProgramFile(check.offer.dataFolder, online::kUpdateBatchFile);
  }
  result.status = model.texts().lblPanel + " " + model.texts().lblStatus;
  PrintResult(context, options.json, result);
  return kExitSuccess;
}

}  // namespace

void AddUpdateCommands(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status) {
  CLI::App* update = app.add_subcommand("update", "Look for a newer version on the vendor's server, or install it");
  update->require_subcommand(1);
  update->fallthrough();

  auto server = std::make_shared<std::string>();
  const std::string serverHelp = "The update server (default: $SWEEPWISE_SERVER, else the vendor's)";
  CLI::App* check = update->add_subcommand("check", "Show the version the server offers and whether it is newer");
  check->add_option("--server", *server, serverHelp);
  check->callback([&context, &options, &status, server] { status = Check(context, options, *server); });

  CLI::App* install = update->add_subcommand(
      "install", "Download the newer version, check it and set it to install at the next log-on");
  install->add_option("--server", *server, serverHelp);
  install->callback([&context, &options, &status, server] { status = Install(context, options, *server); });

  for (CLI::App* command : {check, install}) {
    command->fallthrough();
  }
}

}  // namespace sw::cli
