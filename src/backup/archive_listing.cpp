#include "backup/archive_listing.h"

#include <algorithm>
#include <unordered_set>

#include "backup/archive_format.h"
#include "backup/archive_scanner.h"
#include "core/text.h"

namespace sw::backup {
namespace {

// Reads one data block of `entry`, counting its chunks and decoded bytes.
void ReadBlockOf(ArchiveScanner& scanner, ListedEntry& entry) {
  const BlockEnd end = scanner.ReadBlock([&](std::span<const std::uint8_t> data) {
    ++entry.chunks;
    entry.size += data.size();
    return true;
  });
  if (end == BlockEnd::InflateFailed) {
    throw ArchiveFault("A chunk of " + entry.name + " does not decompress");
  }
}

std::string EndWarning(const ArchiveListing& listing, ArchiveScanner& scanner) {
  const auto files =
      static_cast<std::int32_t>(std::count_if(listing.entries.begin(), listing.entries.end(),
                                              [](const ListedEntry& entry) { return entry.name != kFileListName; }));
  return EndMarkerWarning(files, listing.fileCount, !scanner.AtEnd());
}

}  // namespace

ArchiveListing ListArchive(platform::FileSystem& files, platform::System& system, std::string_view archiveName) {
  ArchiveListing listing;
  auto first = files.OpenForReading(archiveName, platform::ReadSharing::AllowWriters);
  if (!first) {
    listing.error = kCannotReadArchive;
    return listing;
  }
  ArchiveScanner scanner(std::move(*first));
  // A chain of volumes that names one already read is damaged; it is never followed.
  std::unordered_set<std::string> volumesRead{ToUpperText(archiveName)};
  try {
    const ArchiveHeader header = scanner.ReadHeader();
    listing.title = system.FromFileText(header.title);
    listing.totalBytes = header.totalBytes;
    listing.fileCount = header.fileCount;
    for (;;) {
      const ArchiveRecord record = scanner.ReadRecord();
      if (record.kind == ArchiveRecord::Kind::End) {
        listing.warning = EndWarning(listing, scanner);
        return listing;
      }
      if (record.kind == ArchiveRecord::Kind::Entry) {
        listing.entries.push_back(ListedEntry{system.FromFileText(record.name), record.date, 0, 0});
      } else {
        if (listing.entries.empty()) {
          throw ArchiveFault(kCannotReadArchive);  // a volume switch belongs after an entry's data
        }
        if (!volumesRead.insert(ToUpperText(VolumeName(archiveName, record.digits))).second) {
          throw ArchiveFault(kCannotReadArchive);
        }
        auto next = files.OpenForReading(VolumeName(archiveName, record.digits), platform::ReadSharing::AllowWriters);
        if (!next) {
          throw ArchiveFault(std::string(kCannotReadArchive) + ": volume " + VolumeName(archiveName, record.digits) +
                             " is missing");
        }
        scanner.SwitchVolume(std::move(*next));
        ++listing.volumes;
      }
      ReadBlockOf(scanner, listing.entries.back());
    }
  } catch (const ArchiveFault& fault) {
    listing.error = fault.what();
  }
  return listing;
}

}  // namespace sw::backup
