#include "uninstall/leftover_entry.h"

#include "platform/error_message.h"
#include "registry/reg_export.h"
#include "registry/registry_clean.h"
#include "registry/registry_paths.h"

namespace sw::uninstall {
namespace {

using platform::RegAccess;

// The uninstall key of the entry's source, opened for deleting below it.
Result<std::unique_ptr<platform::RegKey>> OpenUninstallKeyForWriting(platform::Registry& registry,
                                                                       const EntrySource& entry) {
  auto root = registry.OpenRootView(entry.source.root, entry.source.view);
  if (!root) {
    return root.error();
  }
  return (*root)->Open(kUninstallKey, RegAccess::ReadWrite);
}

}  // namespace

LeftoverRemoval RemoveLeftoverEntry(platform::Platform& platform, const EntrySource& entry,
                                    const std::function<void(const std::string& backupFile)>& beforeDelete) {
  LeftoverRemoval removal;
  // The path by which the registry editor, a program of this system's own view, reaches the
  // key: in a 32-bit view's entry that is its separate key's.
  auto path = platform.registry->OwnViewPath(entry.source.root, entry.source.view, EntryKeyPath(entry));
  if (!path) {
    removal.removed = IsNotFound(path.error());  // gone by itself meanwhile
    removal.error = path.error();
    if (!removal.removed) {
      removal.problem = platform::ErrorMessage(path.error());
    }
    return removal;
  }
  // No backup of a key this user may not delete anyway.
  auto parent = OpenUninstallKeyForWriting(*platform.registry, entry);
  if (!parent) {
    removal.error = parent.error();
    removal.problem = platform::ErrorMessage(parent.error());
    return removal;
  }
  if (!platform.folders.writable) {
    removal.problem = platform.folders.problem;
    return removal;
  }
  auto saved = reg::SaveNumberedRegFile(*platform.files, *platform.system, platform.folders.data,
                                        reg::ExportKeyTreeFile(platform, entry.source.root, *path), "regbackup");
  if (!saved) {
    removal.problem = "its backup could not be written to " + platform.folders.data + " (" +
                      platform::ErrorMessage(saved.error()) + ").";
    return removal;
  }
  removal.backupFile = std::move(*saved);
  if (beforeDelete) {
    beforeDelete(removal.backupFile);
  }
  // Only now, with the backup complete on disk.
  const Status deleted = reg::RemoveKeyTree(**parent, entry.subkey);
  removal.removed = deleted.has_value() || IsNotFound(deleted.error());
  if (!removal.removed) {
    removal.error = deleted.error();
    removal.problem = platform::ErrorMessage(deleted.error());
  }
  return removal;
}

}  // namespace sw::uninstall
