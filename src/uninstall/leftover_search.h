#pragma once
// The walks the snapshot and the search for leftovers share: the shortcuts of the Start
// menus and desktops with their targets, the software keys of the registry's views, and
// the string values below a key.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine_sink.h"
#include "platform/platform.h"
#include "uninstall/leftover.h"
#include "uninstall/leftover_places.h"

namespace sw::uninstall {

struct FoundShortcut {
  std::string path;
  std::string target;  // as the shortcut holds it, whether it is there or not
  std::string place;   // the name of the shortcut place it is in ("the Start menu")
  std::string placeFolder;
  std::uint64_t bytes = 0;
};

// Every shortcut (.lnk) below the shortcut places, links never entered, at most a few levels
// deep (Start menu folders are shallow). Shortcuts the shell cannot read are left out.
[[nodiscard]] std::vector<FoundShortcut> ListShortcuts(platform::Platform& platform, const LeftoverPlaces& places,
                                                       EngineSink* sink);

// "Software" of the user's key and of the machine's 64-bit and 32-bit views, each key once
// (32-bit Windows and shared keys have one view only).
[[nodiscard]] std::vector<RegistryPlace> SoftwareKeys(platform::Registry& registry);

// The place `below` below `place` ("Software" + "Vendor" = "Software\Vendor").
[[nodiscard]] RegistryPlace Below(const RegistryPlace& place, std::string_view below);

// Opens the key of a place, for reading; null when it is not there.
[[nodiscard]] std::unique_ptr<platform::RegKey> OpenPlace(platform::Registry& registry, const RegistryPlace& place);

// Calls `visit` with the text of each string value (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ)
// of the key and of every key below it, at most `limit` values; false from `visit` ends it.
void VisitTexts(platform::RegKey& key, std::size_t limit, const std::function<bool(const std::string&)>& visit);

// Whether any string value below the key names a path inside one of `folders`.
[[nodiscard]] bool KeyNamesFolders(platform::RegKey& key, const std::vector<std::string>& folders);

}  // namespace sw::uninstall
