#include "cli/archive_volumes.h"

#include <ostream>

#include "backup/archive_format.h"

namespace sw::cli {

void FindVolumesBesideArchive(backup::TBackupFile& backup, platform::FileSystem& files, const std::string& archive,
                              std::ostream& err) {
  backup.OnNeedDisk = [&files, &err, archive](backup::TBackupFile&, std::uint16_t disk, bool& cont) {
    const std::string volume = backup::VolumeName(archive, backup::VolumeDigits(disk));
    cont = files.FileExists(volume);
    if (!cont) {
      err << "sweepwise-cli: volume " << volume << " is missing\n";
    }
  };
}

}  // namespace sw::cli
