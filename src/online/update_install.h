#pragma once
// The last step of an update, once the release has been downloaded under its temporary name
// (UpdateOffer::PartialPath): it is checked against the signed digest of the version file
// and only then takes the name the next step expects. Then either
//   - the program folder is the data folder (the user may write where the program is):
//     update.bat is written and registered under RunOnce for the next log-on, and the
//     offered version becomes the installed one (version.txt); or
//   - the program is installed where the user may not write (for everyone, below
//     %ProgramFiles%): the release, which is the installer, is started for everyone with the
//     user's consent, and it replaces the program itself.
//
// Either all of this happens or none of it: a failure takes back what was done before it,
// deletes the download, and leaves version.txt and the RunOnce value as they were. A
// release that waits for the next log-on already is never overwritten.

#include <optional>
#include <string>

#include "online/update_check.h"
#include "platform/sha256.h"

namespace sw::online {

// The installer's switch for an install for everyone.
inline constexpr std::string_view kInstallForEveryone = "/ALLUSERS";

struct UpdateInstall {
  bool installed = false;
  bool elevated = false;  // the installer was started for everyone instead of the log-on batch
  std::string error;      // for the user, when not installed
};

UpdateInstall InstallDownloadedUpdate(platform::Platform& platform, const UpdateOffer& offer);

// Whether the release is to be installed by the installer with consent rather than by the
// log-on batch: the program folder is not where the program writes.
bool InstallsWithConsent(const platform::ProgramFolders& folders);

// Why a download must not start now (a release waits for the next log-on, or the address is
// not HTTPS); nothing when it may.
std::optional<std::string> RefuseDownload(platform::Platform& platform, const UpdateOffer& offer);

// 64 hexadecimal digits, in either case; nullopt for anything else.
std::optional<platform::Sha256Digest> ParseSha256(std::string_view hex);

}  // namespace sw::online
