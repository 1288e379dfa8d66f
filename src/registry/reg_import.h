#pragma once
// A .reg file imported by the program itself, through the registry API, as the registry
// editor imports it with "regedit /s": key lines make their keys (and the keys above them),
// "[-KEY]" deletes a key with everything below it, "NAME"=DATA sets a value and "NAME"=-
// deletes one. The registry editor is never started for it: from Vista on it asks for the
// highest rights its user has, so an administrator's unelevated program cannot start it at
// all, and it says nothing of what it could not write.
//
// Here every value, key and line that did not come in is named with the system's reason,
// and a value line under a key line that cannot be used (damaged, an unknown root, a key
// that could not be made) is never written anywhere: the editor would write it into the key
// it opened last, a key the file does not name there.

#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "platform/platform.h"
#include "registry/reg_file.h"

namespace sw::reg {

enum class ImportMode {
  // Every line does what it says, as the registry editor's import.
  AsTheEditor,
  // The import of an undo: a value is written where it is missing; one that holds other data
  // now, or a value the file deletes that is there again, was changed since, and stays.
  KeepLaterChanges,
};

// A value, key or line that did not come in as the file says.
struct ImportNote {
  // "HKEY_CURRENT_USER\Software\Foo\Value" ("(Default)" for the default value), a key, or
  // "line 12" (counted from 1).
  std::string target;
  std::string reason;
  bool needsRights = false;  // refused where only an administrator may write
};

struct ImportOutcome {
  bool readable = false;                     // the file begins with a header the registry editor knows
  std::size_t written = 0;                   // values set or deleted, keys made or deleted
  std::size_t unchanged = 0;                 // values that held the file's data already (or were gone already)
  std::vector<ImportNote> notWritten;        // refused by the registry, or on a damaged line
  std::vector<ImportNote> keptLaterChanges;  // KeepLaterChanges: values changed since

  [[nodiscard]] bool NeedsRights() const;
  // Everything the file says is in the registry now (values changed since aside).
  [[nodiscard]] bool Complete() const { return readable && notWritten.empty(); }
};

// Imports entries read from a file. A file without a known header imports nothing.
ImportOutcome ImportRegEntries(platform::Registry& registry, const RegFileEntries& read, ImportMode mode);

// Reads and imports the file; an error when it cannot be read (FileNotFound when it is missing).
Result<ImportOutcome> ImportRegFile(platform::Platform& platform, std::string_view path, ImportMode mode);

// "HKEY_CURRENT_USER\Software\Foo\Value", "...\(Default)" for the default value.
std::string ValueTarget(platform::RootKey root, std::string_view keyPath, std::string_view valueName);

// Whether only an administrator may write below the key: every root but the user's own, and
// the user's policy keys (Software\Policies), which Windows lets users read but not write.
[[nodiscard]] bool IsMachineWide(platform::RootKey root, std::string_view keyPath);

// What did not come in, for a person: each value and line with its reason (at most a
// screenful, then how many more), and when a value needs rights this program lacks, that
// sentence followed by `rightsAdvice`. Empty when everything came in.
std::string ImportProblemText(const ImportOutcome& outcome, std::string_view file, bool elevated,
                              std::string_view rightsAdvice);

// A screenful of names: at most this many are listed, then how many more there are.
inline constexpr std::size_t kNamesListed = 20;
void AppendNames(std::string& text, const std::vector<std::string>& names);

}  // namespace sw::reg
