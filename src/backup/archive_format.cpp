#include "backup/archive_format.h"

#include "core/win_path.h"

namespace sw::backup {

std::string VolumeName(std::string_view archiveName, std::string_view digits) {
  const std::string_view fileName = FileNameOf(archiveName);
  const auto dot = fileName.rfind('.');
  const std::size_t stemEnd =
      dot == std::string_view::npos ? archiveName.size() : archiveName.size() - fileName.size() + dot;
  return std::string(archiveName.substr(0, stemEnd)) + "." + std::string(digits);
}

std::string VolumeDigits(std::uint16_t number) {
  const std::string padded = "00" + std::to_string(number);
  return padded.substr(padded.size() - 3);
}

}  // namespace sw::backup
