#pragma once
// What the other installed programs claim, so that nothing they still use is ever offered:
// the files and folders their entries name, and the names they go by.

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "uninstall/leftover_places.h"
#include "uninstall/software_sources.h"

namespace sw::uninstall {

class InstalledOthers {
 public:
  // Every entry of every uninstall key but `self` (hidden ones too: a system component is
  // installed all the same).
  InstalledOthers(platform::Platform& platform, const EntrySource& self, const LeftoverPlaces& places);

  // Why `folder` is another program's, in a sentence naming it: its entry names a file or
  // folder inside it, or the folder lies inside a folder the other entry proves its own.
  // Empty when it is no other program's.
  [[nodiscard]] std::string WhyTheirs(std::string_view folder) const;

  // The name another program goes by too (a form of its display name), or empty.
  [[nodiscard]] std::string WhoIsNamed(std::string_view form) const;

 private:
  struct Other {
    std::string name;
    std::vector<std::string> paths;    // what its entry names: install location, icon, uninstaller
    std::vector<std::string> folders;  // the folders its entry proves its own
    std::vector<std::string> forms;
  };
  std::vector<Other> others_;
};

}  // namespace sw::uninstall
