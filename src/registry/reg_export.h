#pragma once
// The export writer of the restore file (default.reg): before the tweaks change a key they
// record its current values, or the fact that a value they create did not exist, so that
// importing the file with the registry editor puts everything back.
//
// Both operations keep the first record of a key: it holds the state before the program
// changed anything. New blocks go directly after the header, above older ones.

#include <string_view>

#include "core/result.h"
#include "platform/platform.h"
#include "registry/reg_file.h"

namespace sw::reg {

// Makes sure that `fileName` holds a block with the current values of the key (not its
// subkeys): a blank line, the key line and one line per value. A key that does not open
// gives the key line alone. Nothing is added when a block for the key exists whose next
// line is not a deletion. A trailing backslash of `keyPath` is dropped.
Status ExportRegistryKey(platform::Platform& platform, platform::RootKey root, std::string_view keyPath,
                         std::string_view fileName);

// ExportRegistryKey for the key and for every key below it, each block before those of its
// subkeys; a key that has its block already is passed over. What a deletion of the key with
// its subkeys needs to be undone.
Status ExportRegistryTree(platform::Platform& platform, platform::RootKey root, std::string_view keyPath,
                          std::string_view fileName);

// A new file of its own holding the blocks of ExportRegistryTree for the key and every key
// below it: what brings a deleted key back whole when the registry editor imports it. A key
// that does not open gives a file with its key line alone.
RegFileText ExportKeyTreeFile(platform::Platform& platform, platform::RootKey root, std::string_view keyPath);

// Makes sure that `fileName` holds, under the key's line, a line deleting the value.
Status ExportValueDeletion(platform::Platform& platform, platform::RootKey root, std::string_view keyPath,
                           std::string_view valueName, std::string_view fileName);

}  // namespace sw::reg
