// btnRestoreClick: the Restore button undoes what the current page changed. On the Advanced
// page it imports the restore file of the applied tweaks; on the Registry Cleaning page it
// hands a picked registry backup to the system; on the Files Cleaning page it unpacks a
// picked backup archive. On every other page it does nothing. It is a plain toolbar button,
// outside the page buttons' group, so the page stays the one pressed.

#include <algorithm>

#include "app/command_ids.h"
#include "app/win32/advanced_page.h"
#include "app/win32/file_picker.h"
#include "app/win32/main_window.h"
#include "backup/backup_file.h"

namespace sw::app::win32 {

void AdvancedPage::btnRestoreClick() {
  const Busy busy(*this);
  const std::unique_ptr<EngineSink> sink = host_.MakeSink();
  // The backups are where the program wrote them: the data folder.
  const std::string& dataFolder = host_.platform().folders.data;
  if (host_.IsToolbarButtonPressed(kCmdAdvanced)) {
    const tweaks::TweakRestore restored = tweaks::RestoreTweaks(host_.platform(), *sink).result;
    if (restored == tweaks::TweakRestore::Restored || restored == tweaks::TweakRestore::Incomplete) {
      // Tweaks whose former state came back are offered again.
      host_.BringToFront(Area::kTweaks);
      SelectTab(0);
    }
  } else if (host_.IsToolbarButtonPressed(kCmdSistemKayit)) {
    if (const auto file = PickFile(host_.hwnd(), tweaks::kRegistryBackupPicker, dataFolder)) {
      (void)tweaks::OpenRegistryBackup(host_.platform(), *file, *sink);
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
