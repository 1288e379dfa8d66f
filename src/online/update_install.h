#pragma once
// The last step of an update, once the release has been downloaded: it is checked against
// the digest of the version file, then update.bat is written, registered under RunOnce for
// the next log-on, and the offered version becomes the installed one (version.txt).
//
// Either all of this happens or none of it: a failure takes back what was done before it.
// A release that does not match its digest, or that came empty, is deleted.

#include <optional>
#include <string>

#include "online/update_check.h"
#include "platform/sha256.h"

namespace sw::online {

struct UpdateInstall {
  bool installed = false;
  std::string error;  // for the user, when not installed
};

UpdateInstall InstallDownloadedUpdate(platform::Platform& platform, const UpdateOffer& offer);

// 64 hexadecimal digits, in either case; nullopt for anything else.
std::optional<platform::Sha256Digest> ParseSha256(std::string_view hex);

}  // namespace sw::online
