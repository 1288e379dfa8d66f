#pragma once
// One registry change of a tweak: checked (is it in effect?) or made, with the target's state
// before the change recorded in the restore file first, so that importing that file with the
// registry editor puts it back.

#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "platform/platform.h"
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

// Check: whether the target holds the change (a deletion: the value or key is gone; a
// Dword compares as decimal text; a Binary by its first four bytes; a value of another type
// counts as not in effect), with keys opened for reading only. Apply: records the target's
// state in `restoreFile` (the value's data, or a line that deletes it again; before a key
// deletion every value of the key and its subkeys), then writes, creating the key when
// needed; a deletion of what is not there records and changes nothing. Apply answers true
// whatever the registry did, as the following check shows; a write the registry refused is
// added to `failures` when given. Its only error is a restore file that could not be
// written, and then nothing is changed.
Result<bool> ChangeRegistry(platform::Platform& platform, std::string_view restoreFile, ChangeMode mode,
                            const RegistryChange& change, std::vector<WriteFailure>* failures = nullptr);

}  // namespace sw::tweaks
