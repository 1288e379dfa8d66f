#include "online/update_check.h"

#include "core/bytes.h"
#include "core/product.h"
#include "core/text.h"
#include "online/http_get.h"
#include "online/program_files.h"
#include "online/server_address.h"
#include "online/version_compare.h"
#include "online/version_file.h"
#include "platform/error_message.h"
#include "registry/registry_object.h"

namespace sw::online {
namespace {

std::string Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n')) {
    text.remove_suffix(1);
  }
  return std::string(text);
}

// A small file of the server (the version file, the update site), in memory: at most
// kMaxVersionFileBytes, within the small-file deadline. Nullopt, with `error` set, when it
// did not come whole.
std::optional<std::string> FetchSmall(const OnlineContext& context, std::string_view path, std::string& error) {
  THTTPGet get(*context.platform.http, *context.platform.files, context.ui);
  get.URL = ServerUrl(context.server, path);
  get.ConnectTimeout = context.timeouts.connectMs;
  get.ReceiveTimeout = context.timeouts.receiveMs;
  get.Deadline = context.timeouts.smallFileDeadlineMs;
  get.MaxSize = kMaxVersionFileBytes;
  std::optional<std::string> body;
  get.OnDoneString = [&body](THTTPGet&, const std::string& text) { body = text; };
  if (!get.GetString()) {
    error = get.URL + ": " + get.ErrorText();
    return std::nullopt;
  }
  while (get.Running()) {
    if (!context.ui.ProcessPending(true)) {
      get.Abort();  // the program is ending
      break;
    }
  }
  if (!body) {
    error = get.URL + ": " + (get.ErrorText().empty() ? "the download did not end" : get.ErrorText());
  }
  return body;
}

// The offer's texts from the verified version file, and the installed version.
void ReadOffer(platform::Platform& platform, UpdateOffer& offer) {
  // The installer ships version.txt; an installed update writes its own into the data folder.
  const std::string installed = platform::ShippedFile(platform.folders, *platform.files, kInstalledVersionFile);
  offer.currentVersion = ReadTextLine(platform, installed, 0).value_or("0");
  const SignedParts parts = SplitSignedVersionFile(offer.versionFile);
  const std::vector<std::string> lines = SplitLines(platform.system->FromFileText(parts.signedBytes));
  const auto line = [&](std::size_t i, const std::string& fallback) { return i < lines.size() ? lines[i] : fallback; };
  offer.newVersion = line(0, offer.newVersion);
  offer.productName = line(1, offer.productName);
  offer.sizeKb = line(2, offer.sizeKb);
  offer.description = line(3, offer.description);
  offer.digest = Trimmed(line(4, ""));
  offer.newer = CompareVersions(offer.currentVersion, offer.newVersion) < 0;
}

// What an earlier update left that nothing waits for any more: a release whose log-on step
// has run (or never was set), and the batch that ran.
void RemoveLeftovers(platform::Platform& platform, const UpdateOffer& offer) {
  if (UpdatePending(platform)) {
    return;
  }
  (void)platform.files->RemoveFile(offer.DownloadPath());
  (void)platform.files->RemoveFile(ProgramFile(offer.dataFolder, kUpdateBatchFile));
}

// The update site: the server's, saved for the next time, else the one the last check saved
// (the release site rarely moves).
std::string UpdateSite(const OnlineContext& context, const UpdateOffer& offer) {
  platform::Platform& platform = context.platform;
  const std::string siteFile = ProgramFile(offer.dataFolder, kUpdateSiteFile);
  std::string ignored;
  if (const auto site = FetchSmall(context, kUpdateSitePath, ignored)) {
    (void)platform.files->ReplaceWholeText(siteFile, *site);
  }
  return Trimmed(ReadTextLine(platform, siteFile, 0).value_or(""));
}

}  // namespace

std::string UpdateOffer::ReleaseUrl() const {
  return updateSite + std::string(kReleaseStem) + ".exe";
}

std::string UpdateOffer::DownloadPath() const {
  return ProgramFile(dataFolder, std::string(kReleaseStem) + "1.exe");
}

std::string UpdateOffer::PartialPath() const {
  return DownloadPath() + ".part";
}

std::string ProgramFile(std::string_view programFolder, std::string_view name) {
  return std::string(programFolder) + "\\" + std::string(name);
}

bool UpdatePending(platform::Platform& platform) {
  reg::RegistryObject runOnce(*platform.registry, platform::RootKey::CurrentUser);
  return runOnce.OpenKey(kRunOnceKey, false) && runOnce.ValueExists(kUpdateRunOnceValue);
}

bool ReleaseWaiting(platform::Platform& platform, const UpdateOffer& offer) {
  return UpdatePending(platform) && platform.files->FileExists(offer.DownloadPath());
}

std::string NothingOfferedText(const UpdateCheck& check) {
  if (check.Offered()) {
    return {};
  }
  if (!check.reached) {
    return check.asked ? "The update server cannot be reached: " + check.error : check.error;
  }
  return check.error.empty() ? "You have the latest version." : check.error;
}

bool IsHttpsUrl(std::string_view url) {
  return url.size() > 8 && EqualsNoCase(url.substr(0, 8), "https://");
}

UpdateCheck CheckForUpdate(const OnlineContext& context) {
  platform::Platform& platform = context.platform;
  UpdateCheck check;
  if (!platform.folders.writable) {
    check.error = platform.folders.problem;
    return check;
  }
  UpdateOffer& offer = check.offer;
  offer.dataFolder = platform.folders.data;
  check.asked = true;
  // Without the server's version file there is nothing to compare: an old copy left from an
  // earlier check must not decide.
  const auto versionFile = FetchSmall(context, kVersionFilePath, check.error);
  if (!versionFile) {
    return check;
  }
  check.reached = true;
  check.error = VerifyVersionFile(*versionFile, TrustedUpdateKeys(platform));
  if (!check.error.empty()) {
    return check;
  }
  offer.versionFile = *versionFile;
  const std::string saved = ProgramFile(offer.dataFolder, kOfferedVersionFile);
  if (const Status written = platform.files->ReplaceWholeText(saved, offer.versionFile); !written) {
    check.error = "Cannot write " + saved + ": " + platform::ErrorMessage(written.error());
    return check;
  }
  ReadOffer(platform, offer);
  RemoveLeftovers(platform, offer);
  offer.updateSite = UpdateSite(context, offer);
  if (!offer.newer) {
    return check;
  }
  if (offer.updateSite.empty()) {
    check.error = "The server names no address to download the release from; nothing is downloaded.";
  } else if (!IsHttpsUrl(offer.updateSite)) {
    check.error = "The release address " + offer.updateSite +
                  " is not an HTTPS address, so the release could be changed on its way; nothing is downloaded.";
  }
  return check;
}

}  // namespace sw::online
