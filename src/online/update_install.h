#pragma once
// The last step of an update, once the release has been downloaded under its temporary name
// (UpdateOffer::PartialPath): it takes the name the next step expects, is opened so that
// nobody may write, rename or delete it, and is checked on that handle against the signed
// digest of the version file; the handle is held until the next step is done, so the file
// that was checked is the file that is started. Then either
//   - the program is installed for the current user, or is a portable copy that keeps its
//     files beside itself: update.bat is written and registered under the user's own RunOnce
//     (so it runs as that user, at that user's next log-on), and only then does the offered
//     version become the installed one (version.txt); or
//   - the program is installed for everyone (or where its user may not write): the release,
//     which is the installer, is started for everyone with the user's consent, and it
//     replaces the program itself, version.txt included.
//
// Either all of this happens or none of it: a failure takes back what was done before it,
// deletes the download, and leaves version.txt and the RunOnce value as they were. A
// release that waits for the next log-on already is never overwritten. The history gets an
// entry (not undoable), begun before the step and completed after it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "online/http_timeouts.h"
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

// `origin` names the window or command in the history.
UpdateInstall InstallDownloadedUpdate(platform::Platform& platform, const UpdateOffer& offer,
                                      std::string_view origin);

// Whether the release is to be installed by the installer with consent rather than by the
// log-on batch: the program is installed for everyone, or its folder is not where it writes.
bool InstallsWithConsent(const platform::ProgramFolders& folders);

// Why a download must not start now (a release waits for the next log-on, the address is not
// HTTPS, the version file gives no size to bound it by); nothing when it may.
std::optional<std::string> RefuseDownload(platform::Platform& platform, const UpdateOffer& offer);

// What the release download may bring beyond the size the signed version file gives (its
// third line, in whole KB, cut down): the rounding, and this much more.
inline constexpr std::uint64_t kReleaseSizeMargin = 16 * 1024;
// The slowest line whose download still ends within the release's deadline: 50 KB/s.
inline constexpr std::uint64_t kSlowestLineBytesPerSecond = 50 * 1024;

// The most bytes the release may have; nullopt when line 3 is no number of KB.
std::optional<std::uint64_t> ReleaseSizeLimit(const UpdateOffer& offer);

// The deadline of a release download of at most `maxBytes`: the time a small file may take,
// and the time the bytes take at kSlowestLineBytesPerSecond.
std::uint32_t ReleaseDeadlineMs(std::uint64_t maxBytes, const HttpTimeouts& timeouts);

// 64 hexadecimal digits, in either case; nullopt for anything else.
std::optional<platform::Sha256Digest> ParseSha256(std::string_view hex);

}  // namespace sw::online
