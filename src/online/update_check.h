#pragma once
// CheckForUpdate: asks the server which version it offers and compares it with the installed
// one. The window shows the result (the update window, when an update is offered); the
// console prints it.
//
// The server's version file "versiyon.txt" (version_file.h) is taken in whole, at most
// 64 KB within the small-file deadline, and only once its signature verifies is it saved as
// "versiyonyeni.txt" in the data folder. "updatesite.txt" names the base address of the
// release download, which must be HTTPS.

#include <string>

#include "online/online_context.h"

namespace sw::online {

inline constexpr std::string_view kInstalledVersionFile = "version.txt";
inline constexpr std::string_view kOfferedVersionFile = "versiyonyeni.txt";
inline constexpr std::string_view kUpdateSiteFile = "updatesite.txt";
inline constexpr std::string_view kUpdateBatchFile = "update.bat";
// The RunOnce value that starts update.bat at the next log-on, below HKEY_CURRENT_USER.
inline constexpr std::string_view kRunOnceKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr std::string_view kUpdateRunOnceValue = "sweepwisepro2Update";

struct UpdateOffer {
  std::string dataFolder;  // where the update's files go (the data folder)
  std::string currentVersion = "0";  // line 1 of version.txt, "0" when there is none
  std::string newVersion = "0";
  std::string productName;
  std::string sizeKb = "0";
  std::string description = "Not Available";
  std::string digest;      // line 5 of the version file: the release's SHA-256
  std::string updateSite;  // the base address of the release
  bool newer = false;      // newVersion is newer than currentVersion

  // The version file as it came: it becomes version.txt once the update is installed.
  std::string versionFile;

  [[nodiscard]] std::string ReleaseUrl() const;
  // Where the release waits for the update batch: "<data folder>\sweepwisepro21.exe".
  [[nodiscard]] std::string DownloadPath() const;
  // Where it is downloaded to first, until it has been checked against the digest.
  [[nodiscard]] std::string PartialPath() const;
};

struct UpdateCheck {
  bool asked = false;    // the server was asked (the data folder can be written)
  bool reached = false;  // the server's version file came
  // Why the check did not come to an offer: the server was not reached, its version file is
  // not signed by a trusted key, or a newer version has no HTTPS address to come from.
  std::string error;
  UpdateOffer offer;  // its texts are the server's only when the version file verified

  // An update the window can offer: newer, verified, with an HTTPS address to download it from.
  [[nodiscard]] bool Offered() const { return reached && error.empty() && offer.newer; }
};

// Downloads the version file and the update site from `context.server`, verifies the
// version file, compares the offered version with the installed one and deletes the
// leftovers of an earlier update (but never a release that waits to be put in place at the
// next log-on). Waits for its downloads, handling the thread's pending work meanwhile.
UpdateCheck CheckForUpdate(const OnlineContext& context);

// What the user is told when a check the user asked for offers nothing: why it failed, or
// "You have the latest version."; empty when an update is offered.
std::string NothingOfferedText(const UpdateCheck& check);

// The file `name` in the program folder.
std::string ProgramFile(std::string_view programFolder, std::string_view name);

// Whether an installed update still waits for the next log-on (its RunOnce value is set).
bool UpdatePending(platform::Platform& platform);

// Whether a release waits for the next log-on: the RunOnce value is set and the release is
// in `offer`'s data folder. Such a release is never overwritten.
bool ReleaseWaiting(platform::Platform& platform, const UpdateOffer& offer);

// Whether `url` is an HTTPS address.
bool IsHttpsUrl(std::string_view url);

}  // namespace sw::online
