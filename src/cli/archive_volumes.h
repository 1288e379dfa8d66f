#pragma once
// How the console finds the further volumes of an archive: beside the first one, under the
// volume names the archive component gives them; a missing volume ends the restore.

#include <string>

#include "backup/backup_file.h"
#include "platform/file_system.h"

namespace sw::cli {

void FindVolumesBesideArchive(backup::TBackupFile& backup, platform::FileSystem& files, const std::string& archive);

}  // namespace sw::cli
