#pragma once
// What an archive holds, read through all its volumes without writing anything: the check
// behind "sweepwise-cli archive list".

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/system.h"

namespace sw::backup {

struct ListedEntry {
  std::string name;        // as stored (UTF-8)
  std::int32_t date = 0;   // DOS date and time
  std::uint64_t size = 0;  // bytes of the file, all chunks decoded
  std::uint32_t chunks = 0;
};

struct ArchiveListing {
  std::string title;
  std::int32_t totalBytes = 0;
  std::int32_t fileCount = 0;
  int volumes = 1;
  std::vector<ListedEntry> entries;
  std::string error;    // empty when the whole archive reads, end marker included
  std::string warning;  // it reads, but holds fewer files than its header counts, or more after its end
};

ArchiveListing ListArchive(platform::FileSystem& files, platform::System& system, std::string_view archiveName);

}  // namespace sw::backup
