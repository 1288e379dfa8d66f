#include "cli/archive_volumes.h"

#include "backup/archive_format.h"

namespace sw::cli {

void FindVolumesBesideArchive(backup::TBackupFile& backup, platform::FileSystem& files, const std::string& archive) {
  // A volume that is not there ends the restore, which names it in its outcome.
  backup.OnNeedDisk = [&files, archive](backup::TBackupFile&, std::uint16_t disk, bool& cont) {
    cont = files.FileExists(backup::VolumeName(archive, backup::VolumeDigits(disk)));
  };
}

}  // namespace sw::cli
