#include "online/update_install.h"

#include "core/bytes.h"
#include "core/text.h"
#include "online/update_batch.h"
#include "platform/error_message.h"
#include "registry/registry_object.h"

namespace sw::online {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

std::string WaitingMessage(const UpdateOffer& offer) {
  return "An update already waits for the next log-on (" + offer.DownloadPath() +
         "); it is left as it is. Please restart your computer so that it is installed, then update again.";
}

// Why the downloaded release must not be installed; nothing when it may.
std::optional<std::string> RejectRelease(platform::Platform& platform, const UpdateOffer& offer) {
  auto reader = platform.files->OpenForReading(offer.PartialPath());
  if (!reader) {
    return "The downloaded update cannot be read: " + platform::ErrorMessage(reader.error());
  }
  const auto expected = ParseSha256(offer.digest);
  if (!expected) {
    return std::string("The update cannot be verified: its published digest is not a SHA-256 digest.");
  }
  const auto actual = platform::Sha256Of(**reader);
  if (!actual) {
    return "The downloaded update cannot be read: " + platform::ErrorMessage(actual.error());
  }
  if (*actual != *expected) {
    return std::string("The downloaded update does not match its published SHA-256 digest.");
  }
  return std::nullopt;
}

// The RunOnce value as it was, so that a failure can put it back.
class RunOnceValue {
 public:
  explicit RunOnceValue(platform::Platform& platform) : platform_(platform) {
    reg::RegistryObject runOnce(*platform.registry, platform::RootKey::CurrentUser);
    if (runOnce.OpenKey(kRunOnceKey, false) && runOnce.ValueExists(kUpdateRunOnceValue)) {
      if (auto value = runOnce.ReadString(kUpdateRunOnceValue)) {
        before_ = std::move(*value);
      }
    }
  }
  bool Write(const std::string& batch) {
    reg::RegistryObject runOnce(*platform_.registry, platform::RootKey::CurrentUser);
    return runOnce.OpenKey(kRunOnceKey, true) && runOnce.WriteString(kUpdateRunOnceValue, batch);
  }
  void Restore() {
    reg::RegistryObject runOnce(*platform_.registry, platform::RootKey::CurrentUser);
    if (!runOnce.OpenKey(kRunOnceKey, before_.has_value())) {
      return;
    }
    if (before_) {
      (void)runOnce.WriteString(kUpdateRunOnceValue, *before_);
    } else {
      (void)runOnce.DeleteValue(kUpdateRunOnceValue);
    }
  }

 private:
  platform::Platform& platform_;
  std::optional<std::string> before_;
};

// The log-on step: update.bat, its RunOnce value and the new version.txt, all or nothing.
std::optional<std::string> InstallForNextLogOn(platform::Platform& platform, const UpdateOffer& offer) {
  platform::FileSystem& files = *platform.files;
  const auto batch = UpdateBatchText(offer.dataFolder, *platform.system, files);
  if (!batch) {
    return "The name of the folder " + offer.dataFolder + " cannot be written in a batch file.";
  }
  const std::string batchPath = ProgramFile(offer.dataFolder, kUpdateBatchFile);
  if (const Status saved = files.ReplaceWholeText(batchPath, *batch); !saved) {
    return "Cannot write " + batchPath + ": " + platform::ErrorMessage(saved.error());
  }
  RunOnceValue runOnce(platform);
  if (!runOnce.Write(batchPath)) {
    (void)files.RemoveFile(batchPath);
    return "Cannot register " + batchPath + " for the next log-on.";
  }
  const std::string installed = ProgramFile(offer.dataFolder, kInstalledVersionFile);
  if (const Status replaced = files.ReplaceWholeText(installed, offer.versionFile); !replaced) {
    runOnce.Restore();
    (void)files.RemoveFile(batchPath);
    return "Cannot write " + installed + ": " + platform::ErrorMessage(replaced.error());
  }
  (void)files.RemoveFile(ProgramFile(offer.dataFolder, kOfferedVersionFile));
  return std::nullopt;
}

// The installer, for everyone, after the user's consent; it puts version.txt in place itself.
std::optional<std::string> StartInstallerForEveryone(platform::Platform& platform, const UpdateOffer& offer) {
  const Status started = platform.processes->StartElevated(offer.DownloadPath(), kInstallForEveryone);
  if (started) {
    return std::nullopt;
  }
  if (started.error() == Error(Errc::Cancelled)) {
    return std::string("The installer needs administrator rights to update the program for everyone, and they were "
                       "not given.");
  }
  return "The installer " + offer.DownloadPath() + " cannot be started: " + platform::ErrorMessage(started.error());
}

}  // namespace

std::optional<platform::Sha256Digest> ParseSha256(std::string_view hex) {
  platform::Sha256Digest digest{};
  if (hex.size() != 2 * digest.size()) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < digest.size(); ++i) {
    const int high = HexDigit(hex[2 * i]);
    const int low = HexDigit(hex[2 * i + 1]);
    if (high < 0 || low < 0) {
      return std::nullopt;
    }
    digest[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return digest;
}

bool InstallsWithConsent(const platform::ProgramFolders& folders) {
  return !EqualsNoCase(folders.program, folders.data);
}

std::optional<std::string> RefuseDownload(platform::Platform& platform, const UpdateOffer& offer) {
  if (ReleaseWaiting(platform, offer)) {
    return WaitingMessage(offer);
  }
  if (!IsHttpsUrl(offer.ReleaseUrl())) {
    return "The release address " + offer.ReleaseUrl() + " is not an HTTPS address; nothing is downloaded.";
  }
  return std::nullopt;
}

UpdateInstall InstallDownloadedUpdate(platform::Platform& platform, const UpdateOffer& offer) {
  platform::FileSystem& files = *platform.files;
  UpdateInstall result;
  const auto fail = [&](const std::string& why, const std::string& file) {
    (void)files.RemoveFile(file);
    result.error = why + " The download has been deleted; nothing was installed.";
    return result;
  };
  if (const auto rejected = RejectRelease(platform, offer)) {
    return fail(*rejected, offer.PartialPath());
  }
  if (ReleaseWaiting(platform, offer)) {
    return fail(WaitingMessage(offer), offer.PartialPath());
  }
  // A leftover that nothing waits for (the check could not delete it) is not kept either.
  (void)files.RemoveFile(offer.DownloadPath());
  if (const Status renamed = files.RenameFile(offer.PartialPath(), offer.DownloadPath()); !renamed) {
    return fail("Cannot name the downloaded update " + offer.DownloadPath() + ": " +
                    platform::ErrorMessage(renamed.error()),
                offer.PartialPath());
  }
  result.elevated = InstallsWithConsent(platform.folders);
  const auto failed =
      result.elevated ? StartInstallerForEveryone(platform, offer) : InstallForNextLogOn(platform, offer);
  if (failed) {
    result.elevated = false;
    return fail(*failed, offer.DownloadPath());
  }
  result.installed = true;
  return result;
}

}  // namespace sw::online
