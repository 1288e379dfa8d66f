// btnRestoreClick: the Restore button undoes what the current page changed. On the Advanced
// page it puts back what the restore file of the applied tweaks records; on the Registry
// Cleaning page it imports a picked registry backup, once the user agrees, as the registry
// editor asked before (the program imports it itself); on the Files Cleaning page it unpacks a
// picked backup archive. On every other page it does nothing. It is a plain toolbar button,
// outside the page buttons' group, so the page stays the one pressed.

#include <algorithm>

#include "app/command_ids.h"
#include "app/win32/advanced_page.h"
#include "app/win32/file_picker.h"
#include "app/win32/main_window.h"
#include "backup/backup_file.h"
#include "core/product.h"

namespace sw::app::win32 {

void AdvancedPage::btnRestoreClick() {
  const Busy busy(*this);
  const std::unique_ptr<EngineSink> sink = host_.MakeSink();
  // The backups are where the program wrote them: the data folder.
  const std::string& dataFolder = host_.platform().folders.data;
  if (host_.IsToolbarButtonPressed(kCmdAdvanced)) {
    sink->SetOrigin("Advanced page");
    const tweaks::TweakRestore restored = tweaks::RestoreTweaks(host_.platform(), *sink).result;
    if (history_.shown()) {
      history_.Refresh();  // the restore is its newest entry
    } else if (restored == tweaks::TweakRestore::Restored || restored == tweaks::TweakRestore::Incomplete) {
      // Tweaks whose former state came back are offered again.
      host_.BringToFront(Area::kTweaks);
      SelectTab(0);
    }
  } else if (host_.IsToolbarButtonPressed(kCmdSistemKayit)) {
    if (const auto file = PickFile(host_.hwnd(), tweaks::kRegistryBackupPicker, dataFolder)) {
      if (Confirm(*sink, "Are you sure you want to add the information in " + *file + " to the registry?",
                  std::string(kProductName))) {
        (void)tweaks::ImportRegistryBackup(host_.platform(), *file, *sink);  // its message says what came in
      }
    }
  } else if (host_.IsToolbarButtonPressed(kCmdDosyalar)) {
    if (const auto archive = PickFile(host_.hwnd(), tweaks::kArchivePicker, dataFolder)) {
      RestoreArchive(*archive, *sink);
    }
  }
}

// The archive component as the window configures it: every file under its stored path
// below the folder, replacing what is there; its progress on Progressbar1, which comes
// forward with the result list. What came of it is the engine's message.
void AdvancedPage::RestoreArchive(const std::string& archive, EngineSink& sink) {
  host_.BringToFront(Area::kResults);
  platform::Platform& platform = host_.platform();
  backup::TBackupFile backupFile(*platform.files, *platform.system, &sink);
  backupFile.RestoreFullPath = true;
  backupFile.RestoreMode = backup::rmAll;
  backupFile.OnProgress = [&sink](backup::TBackupFile&, const std::string&, int percent, bool&) {
    sink.SetProgress(static_cast<std::uint64_t>(std::clamp(percent, 0, 100)));
  };
  (void)tweaks::RestoreFiles(*platform.files, backupFile, archive, restoredFilesFolder, sink);
}

}  // namespace sw::app::win32
