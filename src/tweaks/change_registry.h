#pragma once
// One registry change of a tweak: checked (is it in effect?) or made, with the target's state
// before the change recorded in the restore file first, so that importing that file with the
// registry editor puts it back.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "platform/platform.h"
#include "tweaks/restore_file.h"
#include "tweaks/tweak_actions.h"

namespace sw::tweaks {

// Check: answer whether the change is in effect. Apply: make it (the tweak is checked).
// Skip: the apply pass passes over an unchecked tweak; nothing happens.
enum class ChangeMode { Check, Apply, Skip };

// default.reg in the data folder.
[[nodiscard]] std::string RestoreFilePath(const platform::ProgramFolders& folders);

// A write the registry refused: what was not written ("HKEY_LOCAL_MACHINE\...\Value") and why.
struct WriteFailure {
  std::string target;
  Error error;
};

// What the changes of an apply recorded and what the registry refused of them.
struct ApplyLog {
  std::vector<WriteFailure> failures;
  // Each value as the apply found it and what it wrote there; each key it deleted: what
  // undoes exactly this apply.
  std::vector<RecordedValue> values;
  std::vector<RecordedKey> deletedKeys;
};

// Check: whether the target holds the change (a deletion: the value or key is gone; a
// Dword compares as decimal text; a Binary by its first four bytes; a value of another type
// counts as not in effect), with keys opened for reading only. Apply: records in
// `restoreFile` the target's state and what is about to be written there (before a key
// deletion every value of the key and its subkeys), adds the same to `log` and calls
// `recorded` (which may keep it elsewhere first), then writes, creating the key when needed;
// a deletion of what is not there records and changes nothing. Apply answers true whatever
// the registry did, as the following check shows; a write the registry refused is added to
// the log. Its only error is a restore file that could not be written, and then nothing is
// changed.
Result<bool> ChangeRegistry(platform::Platform& platform, std::string_view restoreFile, ChangeMode mode,
                            const RegistryChange& change, ApplyLog* log = nullptr,
                            const std::function<void()>& recorded = {});

// The data an apply writes for a change that sets a value; none for a deletion.
std::optional<platform::RegValue> WrittenValue(const RegistryChange& change);

}  // namespace sw::tweaks
