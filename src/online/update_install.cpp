#include "online/update_install.h"

#include "core/bytes.h"
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

// Why the release must not be installed; nothing when it may.
std::optional<std::string> RejectRelease(platform::Platform& platform, const UpdateOffer& offer) {
  platform::FileSystem& files = *platform.files;
  auto reader = files.OpenForReading(offer.DownloadPath());
  if (!reader) {
    return "The downloaded update cannot be read: " + platform::ErrorMessage(reader.error());
  }
  const auto size = (*reader)->Size();
  if (size && *size == 0) {
    return std::string("The server sent an empty update.");
  }
  if (offer.digest.empty()) {
    return std::nullopt;
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

bool WriteRunOnce(platform::Platform& platform, const std::string& batch) {
  reg::RegistryObject runOnce(*platform.registry, platform::RootKey::CurrentUser);
  return runOnce.OpenKey(kRunOnceKey, true) && runOnce.WriteString(kUpdateRunOnceValue, batch);
}

void RemoveRunOnce(platform::Platform& platform) {
  reg::RegistryObject runOnce(*platform.registry, platform::RootKey::CurrentUser);
  if (runOnce.OpenKey(kRunOnceKey, false)) {
    (void)runOnce.DeleteValue(kUpdateRunOnceValue);
  }
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

UpdateInstall InstallDownloadedUpdate(platform::Platform& platform, const UpdateOffer& offer) {
  platform::FileSystem& files = *platform.files;
  UpdateInstall result;
  if (const auto rejected = RejectRelease(platform, offer)) {
    (void)files.RemoveFile(offer.DownloadPath());
    result.error = *rejected + " It has been deleted; nothing was installed.";
    return result;
  }
  const auto batch = UpdateBatchText(offer.dataFolder, *platform.system, files);
  if (!batch) {
    result.error = "The name of the program folder " + offer.dataFolder +
                   " cannot be written in a batch file; nothing was installed.";
    return result;
  }
  const std::string batchPath = ProgramFile(offer.dataFolder, kUpdateBatchFile);
  if (const Status saved = files.ReplaceWholeText(batchPath, *batch); !saved) {
    result.error = "Cannot write " + batchPath + ": " + platform::ErrorMessage(saved.error());
    return result;
  }
  if (!WriteRunOnce(platform, batchPath)) {
    (void)files.RemoveFile(batchPath);
    result.error = "Cannot register " + batchPath + " for the next log-on; nothing was installed.";
    return result;
  }
  const std::string installed = ProgramFile(offer.dataFolder, kInstalledVersionFile);
  if (const Status replaced = files.ReplaceWholeText(installed, offer.versionFile); !replaced) {
    RemoveRunOnce(platform);
    (void)files.RemoveFile(batchPath);
    result.error = "Cannot write " + installed + ": " + platform::ErrorMessage(replaced.error());
    return result;
  }
  (void)files.RemoveFile(ProgramFile(offer.dataFolder, kOfferedVersionFile));
  result.installed = true;
  return result;
}

}  // namespace sw::online
