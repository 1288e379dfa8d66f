#pragma once
// The cleanup lists programs register for the system's Disk Cleanup, below
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\VolumeCaches, read at
// every Find and turned into rows of the junk location table.
//
// Only the data-driven ones are read: a handler whose default value is the system's
// data-driven cleaner (a class of the system's own that reads the values below); any other
// handler is a program of its own, which is never run. Of those values:
//   - Folder: one or more folders (REG_SZ separated by "|", REG_MULTI_SZ, REG_EXPAND_SZ),
//     environment variables allowed, "?:" for every fixed drive, wildcards in a part; a
//     CSIDL number in front names one special folder they are below. No Folder: no row.
//   - FileList: the file name patterns, separated by "|" or ":" (or REG_MULTI_SZ).
//   - LastAccess: only files not accessed for that many days.
//   - Flags: 0x1 subfolders too; 0x4, 0x8, 0x10 also read-only, system and hidden files
//     (else they are kept); 0x40 folders whose names match FileList go whole; 0x80 only when
//     the disk is full, which this program does not judge: such a handler is left out.
// CleanupString, the command a handler wants run afterwards, is never run, nor is the handler
// ever changed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/junk_locations.h"
#include "platform/disk_cleanup.h"
#include "platform/registry.h"

namespace sw::files {

inline constexpr std::string_view kVolumeCachesKey = platform::kVolumeCachesKey;
inline constexpr std::string_view kDataDrivenCleaner = platform::kDataDrivenCleanerClass;

// The special folders a handler's CSIDL may name, by the environment variable that holds
// the same folder; nullopt for any other number (such a handler is left out).
[[nodiscard]] std::optional<std::string> CsidlFolder(std::uint32_t csidl);

// The rows of every data-driven handler, in the registry's order.
[[nodiscard]] std::vector<JunkLocation> ReadCleanupHandlers(platform::Registry& registry);

}  // namespace sw::files
