#pragma once
// The records of what the tweaks changed, kept in the restore file default.reg (and, per
// Apply, in its history entry): for each value a tweak wrote, the state it found (its data,
// or a line that deletes it again) and, in a comment after it, what the tweak wrote there;
// for each key a tweak deleted, every value of the key and of the keys below it, and the key
// line with a comment that says so. Only what the tweaks touch is recorded, never the rest of
// a key, so a restore puts back what the tweaks changed and leaves a later, unrelated change
// in the same key (a wallpaper, a host name) as it is.
//
//   [HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\Advanced]
//   "Start_TrackProgs"=dword:00003039
//   ; Sweepwise wrote "Start_TrackProgs"=dword:00000000
//
// A restore puts a value back only while it still holds what the tweak wrote: a value changed
// since by someone else stays as it is and is named. A value that is back as it was found is
// dropped from the file, so a second restore has nothing stale to apply; and a value recorded
// again holds the state that apply found, unless the value still held what the tweaks wrote
// last, when the state from before the first of them stays.
//
// The comments are what a registry editor and an older version of the program pass over: for
// them the file reads as before. A file without the comments (an older version's, which may
// hold a snapshot of each whole key, and several records of one value, of which the last in
// the file counts, as the import goes from the top) restores as it always did.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "platform/platform.h"
#include "registry/reg_file.h"
#include "registry/reg_import.h"

namespace sw::tweaks {

inline constexpr std::string_view kWroteMarker = "; Sweepwise wrote ";
inline constexpr std::string_view kDeletedKeyMarker = "; Sweepwise deleted this key";

// One value as a tweak found it and what it wrote there.
struct RecordedValue {
  platform::RootKey root = platform::RootKey::CurrentUser;
  std::string keyPath;                      // without backslashes around it
  std::string name;                         // "" for the default value
  std::optional<platform::RegValue> found;  // none: it was not there
  // What the tweak wrote (none: it deleted the value); not known from an older file.
  std::optional<std::optional<platform::RegValue>> wrote;
};

// A key a tweak deleted: a restore makes it again (with its recorded values) when it is missing.
struct RecordedKey {
  platform::RootKey root = platform::RootKey::CurrentUser;
  std::string keyPath;
};

struct TweakRecords {
  bool readable = false;              // a header the registry editor knows
  std::vector<RecordedValue> values;  // one per value, newest first
  std::vector<RecordedKey> keys;
  std::vector<std::string> unreadable;  // lines nothing can be restored from, kept as they are
  reg::RegFileText file;                // the file as read: its header and encoding
};

// The records of a restore file's lines (default.reg, or an Apply's history items).
TweakRecords ReadTweakRecords(const reg::RegFileText& file, platform::System& system);
// The lines of the records: the file's header, then a block per key (newest first), in the
// file's 8-bit form when every line fits the code page, else in the Unicode form.
reg::RegFileText TweakRecordsText(const TweakRecords& records, platform::System& system);

// The records of default.reg; an empty set (with the header of this system's registry
// editor) when it does not exist. InvalidData when it is no registry file.
Result<TweakRecords> LoadTweakRecords(platform::Platform& platform, std::string_view restoreFile);
Status SaveTweakRecords(platform::Platform& platform, std::string_view restoreFile, const TweakRecords& records);

// Records, before a tweak writes it, the value `valueName` of the key: its state now and
// `wrote`, what the tweak is about to write (none: it deletes the value). Adds to `applied`
// (when given) the value as this apply found it. An error when the file cannot be read or
// written, or the value cannot be read for a reason other than its absence.
Status RecordValue(platform::Platform& platform, std::string_view restoreFile, platform::RootKey root,
                   std::string_view keyPath, std::string_view valueName, const std::optional<platform::RegValue>& wrote,
                   std::vector<RecordedValue>* applied = nullptr);

// Records, before a tweak deletes it, the key and every key below it with all their values.
Status RecordKeyTree(platform::Platform& platform, std::string_view restoreFile, platform::RootKey root,
                     std::string_view keyPath, std::vector<RecordedValue>* applied = nullptr,
                     std::vector<RecordedKey>* deletedKeys = nullptr);

// Adds values to the records as RecordValue does, before they are written (an undo of a
// Restore writes back what the tweaks had written, which a later restore must undo again).
Status RememberValues(platform::Platform& platform, std::string_view restoreFile,
                      const std::vector<RecordedValue>& values);

// Drops the records of the values that are as they were found and of the keys that are there
// (an undo of an Apply put them back). Nothing changes when default.reg does not exist.
Status DropWhatCameBack(platform::Platform& platform, std::string_view restoreFile);

// What putting records back did.
struct RecordsRestored {
  std::vector<bool> valueBack;            // per value: as it was found now (put back, or back already)
  std::vector<bool> keyBack;              // per key: there now
  std::vector<std::string> restored;      // values and keys put back
  std::vector<std::string> changedSince;  // values left as they are: not what the tweak wrote
  reg::ImportOutcome writes;              // the writes, with what the registry refused
  // The values written, as they were before and as they are now: what undoes the restore.
  std::vector<RecordedValue> undoing;
};

// Puts each value back to the state it was found in, while it holds what the tweak wrote (or
// always, where that is not known); makes each recorded key that is missing. Writes only below
// the keys the records name. `beforeWriting` learns what is about to be written (each value as
// it is and as it will be) before the first write: what undoes the restore, also when it is
// interrupted.
RecordsRestored RestoreRecords(platform::Registry& registry, const TweakRecords& records,
                               const std::function<void(const std::vector<RecordedValue>&)>& beforeWriting = {});

// Drops from `records` what came back.
void DropRestored(TweakRecords& records, const RecordsRestored& restored);

// The records as the lines of the Unicode form (what a history entry keeps of an Apply or a
// Restore), and back.
std::vector<std::string> RecordLines(const std::vector<RecordedValue>& values, const std::vector<RecordedKey>& keys,
                                     platform::System& system);
TweakRecords RecordsOfLines(const std::vector<std::string>& lines, platform::System& system);

// "HKEY_CURRENT_USER\Control Panel\Desktop\MenuShowDelay" ("(Default)" for the default value).
std::string Described(const RecordedValue& value);

}  // namespace sw::tweaks
