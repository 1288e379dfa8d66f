#pragma once
// The search for what an uninstalled program left behind, from its snapshot (what its entry
// said and what lay in its folders before the uninstaller started):
//
//   folders    the entry's own folders (its install location, its icon's and uninstaller's
//              folders), and folders named after the program (or after its publisher and the
//              program) in %ProgramFiles%, %ProgramFiles(x86)%, %ProgramData%, %APPDATA%,
//              %LOCALAPPDATA% and %LOCALAPPDATA%\Programs
//   shortcuts  in the Start menus and on the desktops, whose target lies in one of those
//              folders, or is gone and the shortcut is named after the program
//   keys       Software\<program> and Software\<publisher>\<program> of the user and of the
//              machine (both views)
//   starts     Run and RunOnce values and scheduled tasks whose program lies in one of those
//              folders, or is gone and they are named after the program
//   file types of HKEY_CURRENT_USER\Software\Classes whose open command does
//
// What the entry proves is "sure"; what was found by its name only is "likely". Nothing is
// offered that another installed program's entry points into, a publisher's folder or key
// that holds another product, a folder of the system or the user, or anything reached
// through a link: each such find is named in `passedOver` instead.

#include <string>
#include <vector>

#include "core/engine_sink.h"
#include "platform/platform.h"
#include "uninstall/leftover.h"
#include "uninstall/leftover_clues.h"

namespace sw::uninstall {

struct LeftoverScanOutcome {
  std::vector<Leftover> leftovers;  // folders, shortcuts, keys, Run values, tasks, file types, the entry
  // "<place>: <why it is not offered>", for finds that looked like the program's.
  std::vector<std::string> passedOver;
  // Why the scheduled tasks could not be looked at; empty when they were.
  std::string tasksProblem;
  bool stopped = false;  // the user stopped the search: what was found so far is listed
};

LeftoverScanOutcome ScanLeftovers(platform::Platform& platform, const LeftoverSnapshot& snapshot, EngineSink& sink);

}  // namespace sw::uninstall
