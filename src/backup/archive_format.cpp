#include "backup/archive_format.h"

#include <algorithm>

#include "core/win_path.h"

namespace sw::backup {

std::string VolumeName(std::string_view archiveName, std::string_view digits) {
  const std::string_view fileName = FileNameOf(archiveName);
  const auto dot = fileName.rfind('.');
  const std::size_t stemEnd =
      dot == std::string_view::npos ? archiveName.size() : archiveName.size() - fileName.size() + dot;
  return std::string(archiveName.substr(0, stemEnd)) + "." + std::string(digits);
}

bool IsVolumeOf(std::string_view path, std::string_view archiveName) {
  const std::string stemOfVolumes = VolumeName(archiveName, "");  // "c:\\dir\\zq3."
  if (path.size() != stemOfVolumes.size() + 3 || !PathsEqual(path.substr(0, stemOfVolumes.size()), stemOfVolumes)) {
    return false;
  }
  const std::string_view digits = path.substr(stemOfVolumes.size());
  return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string EndMarkerWarning(std::int32_t filesRead, std::int32_t fileCount, bool dataAfterEnd) {
  if (filesRead < fileCount) {
    return "the archive ends after " + std::to_string(filesRead) + " of the " + std::to_string(fileCount) +
           " files its header counts";
  }
  return dataAfterEnd ? "the archive holds data after its end marker" : std::string();
}

std::string VolumeDigits(std::uint16_t number) {
  const std::string padded = "00" + std::to_string(number);
  return padded.substr(padded.size() - 3);
}

}  // namespace sw::backup
