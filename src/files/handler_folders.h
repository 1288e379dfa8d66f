#pragma once
// Where the programs' cleanup handlers may not reach. A handler is a few registry values that
// any installer writes, and a Find run as administrator acts on them: so a handler's folder
// is refused, and the handler named, when
//   - it is reached through a link: the folder itself, or any folder on its way;
//   - it is one of a profile's own folders (Documents, Desktop, Pictures, Music, Videos,
//     Downloads, OneDrive, Favorites, in every profile and wherever the user's shell keeps
//     them) or lies inside one;
//   - it would walk the subfolders of a drive root, the Windows folder, Program Files, the
//     profiles folder, a profile, or any folder above one of those own folders, or take in
//     files there by their kind alone ("*.txt"). Files a pattern names directly in such a
//     folder stay allowed: the system's own "Old ChkDsk Files" handler takes FILE*.CHK at each
//     drive's root, its "Setup Log Files" setup*.log in the Windows folder.

#include <string>
#include <vector>

#include "files/junk_locations.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace sw::files {

struct HandlerBounds {
  std::string profiles;                     // the profiles folder ("C:\Users")
  std::vector<std::string> ownFolders;      // the current user's own folders, wherever they are
  std::vector<std::string> shallowFolders;  // never taken whole nor walked below
};

// The bounds on this system: the user's shell folders, the profiles folder of the profile
// list, the Windows and program folders of the environment, every fixed drive's root.
[[nodiscard]] HandlerBounds DescribeHandlerBounds(platform::FileSystem& files, platform::System& system,
                                                  platform::Registry& registry);

// Why the handler row `row` may not take `folder` (with its trailing backslash), in a few
// words for the status; empty when it may.
[[nodiscard]] std::string HandlerRefusal(const JunkLocation& row, const std::string& folder,
                                         const HandlerBounds& bounds, platform::FileSystem& files);

}  // namespace sw::files
