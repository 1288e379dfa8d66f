#pragma once
// The path test of the invalid-entry scan: does a registry text that looks like a path on
// a local fixed drive name a file or folder that still exists?
//
// Only texts of the form "X:\..." on a fixed drive (X from C to Z) without ";", "," or a
// blank are examined; every other text counts as valid. The test never changes the
// process's current folder, and asks the file system at most once per distinct path (and
// not at all below a folder it already found missing), so a scan over many values stays
// close to the speed of the registry walk itself.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/file_system.h"

namespace sw::reg {

class PathChecker {
 public:
  explicit PathChecker(platform::FileSystem& files) : files_(files) {}

  [[nodiscard]] bool IsValidPath(std::string_view text);

 private:
  [[nodiscard]] bool IsExamined(std::string_view text);
  [[nodiscard]] bool FolderExists(std::string_view folder);
  [[nodiscard]] bool Exists(std::string_view path);
  [[nodiscard]] bool UnderMissingFolder(std::string_view path) const;

  platform::FileSystem& files_;
  std::array<std::optional<bool>, 26> fixedDrives_{};
  // By upper-cased path: the attributes found, or nullopt when nothing is there.
  std::unordered_map<std::string, std::optional<std::uint32_t>> attributes_;
};

}  // namespace sw::reg
