#pragma once
// The Software page's Find: the programs registered for removal. Their uninstall is
// uninstall_flow.h.

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine_sink.h"
#include "platform/platform.h"
#include "uninstall/software_entry.h"
#include "uninstall/software_sources.h"

namespace sw::uninstall {

// The headings and widths of the result list on this page. They are fixed English, not
// language texts. The uninstall command and the empty fourth column stay in the rows but are
// never seen: width 0, not resized with the list.
enum class ColumnWidth { kAutomatic, kHidden };
struct ColumnLayout {
  std::string_view heading;
  ColumnWidth width;
};
inline constexpr std::array<ColumnLayout, 8> kSoftwareColumns{{{"Software Title", ColumnWidth::kAutomatic},
                                                               {"Type", ColumnWidth::kAutomatic},
                                                               {"", ColumnWidth::kHidden},
                                                               {"", ColumnWidth::kHidden},
                                                               {"Publisher", ColumnWidth::kAutomatic},
                                                               {"Version", ColumnWidth::kAutomatic},
                                                               {"Size", ColumnWidth::kAutomatic},
                                                               {"Installed", ColumnWidth::kAutomatic}}};

struct ListOptions {
  // Also the entries the system's own list leaves out (HiddenReason), which the page never
  // shows; from Vista on only, where the list follows the system's.
  bool includeHidden = false;
};

// The listing, source after source (SoftwareSources), each in its enumeration order: every
// entry with a display name, with why it is hidden when it is. An entry whose key does not
// open, or whose "DisplayName" or "UninstallString" is no string, is left out. The progress
// maximum is the number of subkeys. Stop, asked before each entry, ends the listing with
// what was found so far.
void ListSoftware(platform::Platform& platform, EngineSink& sink, const ListOptions& options,
                  const std::function<void(const SoftwareEntry& entry, const std::string& hiddenReason)>& found);

// The Find branch: one row per listed entry (SoftwareRow), added as it is found. The caller
// empties the list and sets the headings of kSoftwareColumns first.
void FindSoftware(platform::Platform& platform, EngineSink& sink);

}  // namespace sw::uninstall
