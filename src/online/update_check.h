#pragma once
// CheckForUpdate: asks the server which version it offers and compares it with the installed
// one. The window shows the result (the update window, when an update is offered); the
// console prints it.
//
// The server's version file "versiyon.txt" is saved as "versiyonyeni.txt" in the program
// folder: line 1 the offered version, 2 the product name, 3 the release's size in KB, 4 a
// description, and an optional line 5 with the release's SHA-256 digest in hexadecimal.
// "updatesite.txt" names the base address of the release download.

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
  std::string digest;      // line 5 of the version file; empty: none
  std::string updateSite;  // the base address of the release
  bool newer = false;      // newVersion is newer than currentVersion

  // The version file as it came: it becomes version.txt once the update is installed.
  std::string versionFile;

  [[nodiscard]] std::string ReleaseUrl() const;
  // Where the release is downloaded to: "<program folder>\sweepwisepro21.exe".
  [[nodiscard]] std::string DownloadPath() const;
};

struct UpdateCheck {
  bool reached = false;  // the server's version file came
  std::string error;     // why the check did not come to an offer
  UpdateOffer offer;

  // An update the window can offer: newer, with an address to download it from.
  [[nodiscard]] bool Offered() const { return reached && offer.newer && !offer.updateSite.empty(); }
};

// Downloads the version file and the update site from `context.server`, compares the
// offered version with the installed one and deletes the leftover of an earlier, unfinished
// download (but never a release that an installed update is waiting to put in place at the
// next log-on). Waits for its downloads, handling the thread's pending work meanwhile.
UpdateCheck CheckForUpdate(const OnlineContext& context);

// The file `name` in the program folder.
std::string ProgramFile(std::string_view programFolder, std::string_view name);

// Whether an installed update still waits for the next log-on (its RunOnce value is set).
bool UpdatePending(platform::Platform& platform);

}  // namespace sw::online
