#pragma once
// The restore file default.reg: before a tweak first changes a value, the value's data (or
// its absence, as a line deleting it) goes in; before a tweak deletes a key, every value of
// the key and of the keys below it. Only what the tweaks touch is recorded, never the rest of
// a key, so importing the file puts back what the tweaks changed and leaves a later, unrelated
// change in the same key (a wallpaper, a host name) as it is.
//
// The first record of a value holds its state before the program changed anything, so a value
// is recorded once. New blocks go directly after the header, above older ones: the registry
// editor imports from the top, so for a value recorded twice by an earlier version of the
// file the older record, lower down, has the last word.
//
// A file an earlier version wrote holds a snapshot of each whole key; it is read the same way
// (each of its value lines records that value) and still restores.

#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "platform/platform.h"

namespace sw::tweaks {

// Records the value `valueName` of the key (its data, or a deletion line when the value or
// the key is missing) unless the file holds a record of it already. An error when the file
// cannot be read or written, or the value cannot be read for a reason other than its absence.
Status RecordValue(platform::Platform& platform, std::string_view restoreFile, platform::RootKey root,
                   std::string_view keyPath, std::string_view valueName);

// Records the key and every key below it, each before its subkeys: a key line for each key
// without one in the file, and each of its values that has no record yet.
Status RecordKeyTree(platform::Platform& platform, std::string_view restoreFile, platform::RootKey root,
                     std::string_view keyPath);

// What a restore file says the registry holds once it is imported.
struct RestoreExpectation {
  bool readable = false;  // it begins with a header the registry editor knows
  // "HKEY_CURRENT_USER\Control Panel\Desktop" for a key, with "\MenuShowDelay" for a value
  // (or "\(Default)"), and what came back instead; empty when all is as recorded.
  std::vector<std::string> notBack;
  bool notBackNeedsRights = false;  // one of those is where only an administrator may write
  std::size_t unreadableLines = 0;  // lines no registry editor reads, so nothing can come of them
};

// Reads the restore file and compares the registry with what its import should have made of
// it, opening keys for reading only. Every key named must exist; every value recorded must
// hold the recorded type and data, or be absent where the file deletes it (the last record in
// the file decides, as the import goes from the top).
Result<RestoreExpectation> CheckRestored(platform::Platform& platform, std::string_view restoreFile);

// Reads the restore file before the import: readable, and how many lines are not.
Result<RestoreExpectation> ReadRestoreFile(platform::Platform& platform, std::string_view restoreFile);

}  // namespace sw::tweaks
