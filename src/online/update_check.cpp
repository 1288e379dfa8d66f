#include "online/update_check.h"

#include "core/product.h"
#include "core/text.h"
#include "online/http_get.h"
#include "online/program_files.h"
#include "online/server_address.h"
#include "online/version_compare.h"
#include "platform/error_message.h"
#include "registry/registry_object.h"

namespace sw::online {
namespace {

std::string Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return std::string(text);
}

// Downloads `path` of the server into `target`; true when it came whole.
bool Fetch(const OnlineContext& context, std::string_view path, const std::string& target, std::string& error) {
  THTTPGet get(*context.platform.http, *context.platform.files, context.ui);
  get.WaitThread = true;
  get.URL = ServerUrl(context.server, path);
  get.FileName = target;
  if (!get.GetFile() || !get.Succeeded()) {
    error = get.URL + ": " + get.ErrorText();
    return false;
  }
  return true;
}

void ReadOffer(platform::Platform& platform, UpdateOffer& offer) {
  // The installer ships version.txt; an installed update writes its own into the data folder.
  const std::string installed = platform::ShippedFile(platform.folders, *platform.files, kInstalledVersionFile);
  offer.currentVersion = ReadTextLine(platform, installed, 0).value_or("0");
  const std::string offered = ProgramFile(offer.dataFolder, kOfferedVersionFile);
  if (const auto bytes = platform.files->ReadWhole(offered)) {
    offer.versionFile.assign(bytes->begin(), bytes->end());
  }
  if (const auto lines = ReadTextLines(platform, offered)) {
    const auto line = [&](std::size_t i, const std::string& fallback) {
      return i < lines->size() ? (*lines)[i] : fallback;
    };
    offer.newVersion = line(0, offer.newVersion);
    offer.productName = line(1, offer.productName);
    offer.sizeKb = line(2, offer.sizeKb);
    offer.description = line(3, offer.description);
    offer.digest = Trimmed(line(4, ""));
  }
  offer.newer = CompareVersions(offer.currentVersion, offer.newVersion) < 0;
}

}  // namespace

std::string UpdateOffer::ReleaseUrl() const {
  return updateSite + std::string(kReleaseStem) + ".exe";
}

std::string UpdateOffer::DownloadPath() const {
  return ProgramFile(dataFolder, std::string(kReleaseStem) + "1.exe");
}

std::string ProgramFile(std::string_view programFolder, std::string_view name) {
  return std::string(programFolder) + "\\" + std::string(name);
}

bool UpdatePending(platform::Platform& platform) {
  reg::RegistryObject runOnce(*platform.registry, platform::RootKey::CurrentUser);
  return runOnce.OpenKey(kRunOnceKey, false) && runOnce.ValueExists(kUpdateRunOnceValue);
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
  // Without the server's version file there is nothing to compare: an old or half-written
  // copy left from an earlier check must not decide.
  if (!Fetch(context, kVersionFilePath, ProgramFile(offer.dataFolder, kOfferedVersionFile), check.error)) {
    return check;
  }
  check.reached = true;
  ReadOffer(platform, offer);
  if (platform.files->FileExists(offer.DownloadPath()) && !UpdatePending(platform)) {
    (void)platform.files->RemoveFile(offer.DownloadPath());
  }
  // A failed download keeps the address of the last check, as the release site rarely moves.
  std::string ignored;
  const std::string siteFile = ProgramFile(offer.dataFolder, kUpdateSiteFile);
  (void)Fetch(context, kUpdateSitePath, siteFile, ignored);
  offer.updateSite = Trimmed(ReadTextLine(platform, siteFile, 0).value_or(""));
  if (offer.updateSite.empty()) {
    check.error = "the server names no address to download the release from";
  }
  return check;
}

}  // namespace sw::online
