#pragma once
// The Delete of the Registry Cleaning page: removes the values of the checked rows that the
// scan listed, after writing them to a new regbackupNNN.reg in the program folder when a
// backup is asked for, so that importing that file with the registry editor brings every
// removed value back with its type and data.
//
// Nothing is deleted before the backup file is complete on disk; when it cannot be written,
// nothing is deleted at all. A row whose key no longer opens is passed over and reported,
// and the other rows are still handled.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine_sink.h"
#include "core/result.h"
#include "platform/platform.h"
#include "registry/reg_file.h"
#include "registry/registry_object.h"

namespace sw::reg {

// The key of a row, from its caption "ROOT: key path".
struct EntryKey {
  RootKey root = RootKey::LocalMachine;  // also for a root name the program does not know
  std::string rootName;
  std::string keyPath;  // always with a leading backslash
};
EntryKey SplitEntryCaption(std::string_view caption);

// The removal backup being assembled: one key line and one value line per removed value.
class RegBackup {
 public:
  void Add(std::string keyLine, std::optional<platform::NamedRegValue> value);
  // "REGEDIT4" in the code page when every line fits it, else the Unicode form.
  [[nodiscard]] RegFileText Render(platform::System& system) const;

 private:
  // The file in one encoding; nullopt when an 8-bit file cannot hold a line exactly.
  [[nodiscard]] std::optional<RegFileText> RenderAs(RegFileEncoding encoding, platform::System& system) const;

  struct Entry {
    std::string keyLine;
    std::optional<platform::NamedRegValue> value;
  };
  std::vector<Entry> entries_;
};

// Adds the value `valueName` of the object's open key under the key line
// "[rootName keyPath]"; a value that cannot be read leaves the key line alone.
void BackupRegistryValue(RegBackup& backup, RegistryObject& object, std::string_view rootName, std::string_view keyPath,
                         std::string_view valueName);

// Saves `file` as folder\<base>NNN.reg (the data folder) with the first counter (three or
// more upper-case hexadecimal digits) whose file does not exist yet; returns the path written.
Result<std::string> SaveNumberedRegFile(platform::FileSystem& files, platform::System& system, std::string_view folder,
                                        const RegFileText& file, std::string_view base);

struct RegistryCleanOutcome {
  bool asked = false;     // the confirmation was shown
  bool declined = false;  // and answered No
  int removed = 0;        // values deleted
  std::vector<std::string> keysNotOpened;
  std::vector<std::string> notBackedUp;  // rows kept: a .reg file cannot name their value
  // Values that stay because deleting them failed ("<key> <value>: <the system's reason>"),
  // for instance machine-wide ones of a standard user.
  std::vector<std::string> notRemoved;
  std::string backupFile;                // the file written, when a backup was asked for
  std::string backupError;               // why the backup failed; then nothing was deleted
};

// Removes the checked rows' values, keeping a backup when asked.
RegistryCleanOutcome CleanRegistry(const std::vector<ResultRow>& rows, bool backup, platform::Platform& platform,
                                   RegistryObject& object, EngineSink& sink);

// The Delete branch: when a row is checked, asks "Selected registries are to be deleted.
// Are you sure ?" and on Yes cleans. The list is emptied whatever the answer, except when
// the backup failed and the rows are still there to act on.
RegistryCleanOutcome DeleteRegistry(std::vector<ResultRow>& list, bool backup, platform::Platform& platform,
                                    RegistryObject& object, EngineSink& sink);

}  // namespace sw::reg
