#include "archive_harness.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "backup/archive_format.h"
#include "backup/archive_listing.h"
#include "backup/backup_file.h"
#include "platform/host/host_file_system.h"
#include "platform/host/host_system.h"

namespace sw::fuzz {
namespace {

namespace fs = std::filesystem;

// Everything the restore wrote must be below C:\target; the archive itself stays.
void CheckNothingEscaped(const fs::path& driveC) {
  for (const auto& entry : fs::recursive_directory_iterator(driveC)) {
    const fs::path relative = fs::relative(entry.path(), driveC);
    const std::string first = relative.begin()->string();
    if (first != "archive.bck" && first != "target") {
      std::fprintf(stderr, "restore wrote outside its target: %s\n", relative.c_str());
      std::abort();
    }
  }
}

}  // namespace

void RunArchiveCase(std::span<const std::uint8_t> bytes, const fs::path& root) {
  const fs::path driveC = root / "c";
  fs::create_directories(driveC);
  std::ofstream(driveC / "archive.bck", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

  platform::host::HostFileSystem files({{'C', driveC}, {'T', root}}, "T:\\");
  platform::host::HostSystem system;
  (void)backup::ListArchive(files, system, "C:\\archive.bck");

  backup::TBackupFile backup(files, system);
  backup.Threads = 1;  // one thread: the fuzzer wants findings it can reproduce
  backup.OnNeedDisk = [&](backup::TBackupFile&, std::uint16_t disk, bool& cont) {
    cont = files.FileExists(backup::VolumeName("C:\\archive.bck", backup::VolumeDigits(disk)));
  };
  for (const bool fullPath : {true, false}) {
    backup.RestoreFullPath = fullPath;
    (void)backup.Restore("C:\\archive.bck", "C:\\target");
    CheckNothingEscaped(driveC);
  }
  fs::remove_all(driveC);
}

}  // namespace sw::fuzz
