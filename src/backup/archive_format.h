#pragma once
// The backup archive format. All integers are signed 32-bit little-endian; names are 8-bit
// text preceded by their length.
//
//   header      title length, title, total bytes, file count
//   entry       name length (> 0), name, DOS file date, data block
//               [volume switch record, data block]...  when the entry spans volumes
//   data block  "EC2\0", chunks, end word 0
//   chunk       length S != 0; S > 0: one complete zlib stream of the next 1..16,384 bytes
//               of the file; S < 0: the next -S bytes as they are
//   switch      12, "NEXT:DISK" and the next volume's number as three digits
//   end         0 (a name length of zero), in the last volume

#include <cstdint>
#include <string>
#include <string_view>

namespace sw::backup {

inline constexpr std::size_t kChunkSize = 16384;
inline constexpr std::uint8_t kBlockMarker[4] = {'E', 'C', '2', 0};
// A volume counts as full when this little is left of its size limit.
inline constexpr std::int64_t kVolumeReserve = 16384 + 100;
// The smallest volume size limit that still takes a chunk after the smallest header (12
// bytes) and a block marker: below it every volume would be full before its first chunk,
// and the volumes would never end.
inline constexpr std::int64_t kMinimumVolumeSize = 12 + 4 + kVolumeReserve;
// Volume numbers have three digits; the first volume is the archive itself.
inline constexpr int kMaximumVolumes = 999;
inline constexpr std::string_view kVolumeSwitchPrefix = "NEXT:DISK";
inline constexpr std::string_view kFileListName = "FILE:LIST";

// The name of volume `number` (2 or more) of an archive: its extension replaced by a point
// and `digits` ("zq3.bck" and "002" give "zq3.002").
std::string VolumeName(std::string_view archiveName, std::string_view digits);

// Whether `path` is a further volume of the archive `archiveName`: the same folder and stem,
// and an extension of three digits (compared without regard to case).
[[nodiscard]] bool IsVolumeOf(std::string_view path, std::string_view archiveName);

// What is amiss with an archive that reached its end marker after `filesRead` entries (the
// identification list not counted) while its header counts `fileCount`, or that holds more
// after the marker; empty when nothing is.
std::string EndMarkerWarning(std::int32_t filesRead, std::int32_t fileCount, bool dataAfterEnd);

// The three digits of a volume number: the last three characters of "00" and the number.
std::string VolumeDigits(std::uint16_t number);

}  // namespace sw::backup
