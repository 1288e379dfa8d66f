#pragma once
// The Find of the Registry Cleaning page: walks the registry depth-first and lists every
// string value whose name or data names a file or folder on a local fixed drive that no
// longer exists. One row per value: "ROOT: key path", value name, data as stored (an
// expandable string is not expanded), the key's last-write date; checked, image 0.
//
// The walk covers HKEY_LOCAL_MACHINE from its Software key and HKEY_USERS only for an
// administrator, HKEY_CURRENT_USER always; a key's own values are examined after it is
// opened and before its subkeys, whose names are taken as one snapshot per level. Keys below
// Software\Microsoft\Windows\CurrentVersion (in any letter case) are never listed: what the
// system keeps there is not ours to judge. A key that does not open for reading and writing
// is passed over with its subtree. Stop (the sink's ShouldStop, asked at every examined
// value and subkey) ends the walk; the rows found so far stay.

#include <string>

#include "core/engine_sink.h"
#include "core/file_time.h"
#include "platform/platform.h"

namespace sw::reg {

// The key date of a row: "mm/dd/yyyy hh:mmAM" (the 12-hour clock, "AM" or "PM" right after
// the minutes) with the system's separators in place of "/" and ":". The time is shown as
// stored, in UTC.
std::string KeyDateText(FileTime lastWrite, const platform::DateTimeSeparators& separators);

// The Find branch: status "Scanning registry...", the walk, status "Registry Scanned".
void FindRegistry(platform::Platform& platform, EngineSink& sink);

// The walk over the roots, adding a row to the sink for every invalid value.
void ScanRegistry(platform::Platform& platform, EngineSink& sink);

// The same walk below one key (its subkeys; not the key's own values).
void ScanRegistrySubtree(platform::Platform& platform, EngineSink& sink, platform::RootKey root,
                         std::string_view start);

}  // namespace sw::reg
