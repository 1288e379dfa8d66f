#include "online/update_install.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "core/bytes.h"
#include "core/text.h"
#include "history/history_log.h"
#include "online/update_batch.h"
#include "platform/error_message.h"
#include "registry/registry_object.h"

namespace sw::online {
namespace {

std::string WaitingMessage(const UpdateOffer& offer) {
  return "An update already waits for the next log-on (" + offer.DownloadPath() +
         "); it is left as it is. Please restart your computer so that it is installed, then update again.";
}

// The release, opened for reading so that nobody may write, rename or delete it while the
// handle is open, and checked on that handle against the signed digest: what was checked is
// what is started, or what waits for the next logon when the handle is let go. The reader
// when it may be installed; why not otherwise.
Result<std::unique_ptr<platform::FileReader>> OpenVerifiedRelease(platform::Platform& platform,
                                                                  const UpdateOffer& offer, std::string& why) {
  auto reader = platform.files->OpenForReading(offer.DownloadPath(), platform::ReadSharing::DenyWriters);
  if (!reader) {
    why = "The downloaded update cannot be read: " + platform::ErrorMessage(reader.error());
    return reader.error();
  }
  const auto expected = ParseSha256(offer.digest);
  if (!expected) {
    why = "The update cannot be verified: its published digest is not a SHA-256 digest.";
    return Error(Errc::InvalidData);
  }
  const auto actual = platform::Sha256Of(**reader);
  if (!actual) {
    why = "The downloaded update cannot be read: " + platform::ErrorMessage(actual.error());
    return actual.error();
  }
  if (*actual != *expected) {
    why = "The downloaded update does not match its published SHA-256 digest.";
    return Error(Errc::InvalidData);
  }
  return reader;
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
  // Quoted: the folder's name may hold blanks, and the first words of an unquoted path would
  // be tried as a program of their own.
  if (!runOnce.Write("\"" + batchPath + "\"")) {
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

// The history's entry of an update: not undoable, as no earlier version is kept to go back to.
history::Entry UpdateEntry(const UpdateOffer& offer, bool withConsent, std::string_view origin) {
  history::Entry entry;
  entry.action = history::Action::UpdateInstalled;
  entry.origin = std::string(origin);
  entry.summary = withConsent ? "Started the installer of " + offer.productName + " " + offer.newVersion +
                                    " for everyone (" + offer.DownloadPath() + ")"
                              : "Set " + offer.productName + " " + offer.newVersion +
                                    " to be installed at the next logon (" +
                                    ProgramFile(offer.dataFolder, kUpdateBatchFile) + ")";
  entry.count = 1;
  entry.names = {offer.productName + " " + offer.newVersion};
  entry.notUndoable = "An installed update cannot be undone: the earlier version is not kept.";
  return entry;
}

}  // namespace

std::optional<platform::Sha256Digest> ParseSha256(std::string_view hex) {
  platform::Sha256Digest digest{};
  if (hex.size() != 2 * digest.size()) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < digest.size(); ++i) {
    const int high = HexDigitValue(hex[2 * i]);
    const int low = HexDigitValue(hex[2 * i + 1]);
    if (high < 0 || low < 0) {
      return std::nullopt;
    }
    digest[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return digest;
}

bool InstallsWithConsent(const platform::ProgramFolders& folders) {
  return folders.mode == platform::InstallMode::Everyone || !EqualsNoCase(folders.program, folders.data);
}

std::optional<std::string> RefuseDownload(platform::Platform& platform, const UpdateOffer& offer) {
  if (ReleaseWaiting(platform, offer)) {
    return WaitingMessage(offer);
  }
  if (!IsHttpsUrl(offer.ReleaseUrl())) {
    return "The release address " + offer.ReleaseUrl() + " is not an HTTPS address; nothing is downloaded.";
  }
  if (!ReleaseSizeLimit(offer)) {
    return "The version file gives no size for the release (its third line reads \"" + offer.sizeKb +
           "\"), so its download could not be bounded; nothing is downloaded.";
  }
  return std::nullopt;
}

std::optional<std::uint64_t> ReleaseSizeLimit(const UpdateOffer& offer) {
  const std::string_view text = TrimBlanks(offer.sizeKb);
  std::uint64_t kb = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), kb);
  // Up to a terabyte: a larger number is a broken line, not a release.
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || kb > (1ULL << 30)) {
    return std::nullopt;
  }
  // The line is a whole number of KB, cut down: the release may be up to one KB more.
  return (kb + 1) * 1024 + kReleaseSizeMargin;
}

std::uint32_t ReleaseDeadlineMs(std::uint64_t maxBytes, const HttpTimeouts& timeouts) {
  const std::uint64_t transfer = maxBytes * 1000 / kSlowestLineBytesPerSecond;
  const std::uint64_t total = timeouts.smallFileDeadlineMs + transfer;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(total, UINT32_MAX));
}

UpdateInstall InstallDownloadedUpdate(platform::Platform& platform, const UpdateOffer& offer,
                                      std::string_view origin) {
  platform::FileSystem& files = *platform.files;
  UpdateInstall result;
  const auto fail = [&](const std::string& why, const std::string& file) {
    (void)files.RemoveFile(file);
    result.error = why + " The download has been deleted; nothing was installed.";
    return result;
  };
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
  // Checked under its final name, on the handle that is held until the next step is done.
  std::string rejected;
  auto verified = OpenVerifiedRelease(platform, offer, rejected);
  if (!verified) {
    return fail(rejected, offer.DownloadPath());
  }
  result.elevated = InstallsWithConsent(platform.folders);
  history::HistoryLog log(platform);
  history::Recording recording(log, UpdateEntry(offer, result.elevated, origin));
  const auto failed =
      result.elevated ? StartInstallerForEveryone(platform, offer) : InstallForNextLogOn(platform, offer);
  verified->reset();  // let go only now: the installer has started, or the logon step is in place
  if (failed) {
    result.elevated = false;
    recording.entry().problem = *failed;
    (void)recording.Complete(history::EntryState::Failed);
    return fail(*failed, offer.DownloadPath());
  }
  (void)recording.Complete(history::EntryState::Done);
  result.installed = true;
  return result;
}

}  // namespace sw::online
