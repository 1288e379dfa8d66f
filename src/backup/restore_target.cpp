#include "backup/restore_target.h"

#include <array>

#include "core/text.h"
#include "core/win_path.h"

namespace sw::backup {
namespace {

constexpr std::array<std::string_view, 24> kDeviceNames = {
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5",   "COM6",    "COM7", "COM8",
    "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "CONIN$", "CONOUT$", "LPT8", "LPT9",
};

bool IsDeviceName(std::string_view name) {
  // "nul.txt" and "con " name the device too.
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') {
    base.remove_suffix(1);
  }
  for (const auto device : kDeviceNames) {
    if (EqualsNoCase(base, device)) {
      return true;
    }
  }
  return false;
}

// The components of `path` joined by backslashes, or nullopt when one is unsafe. Empty
// components (doubled separators) are dropped.
std::optional<std::string> SafeRelativePath(std::string_view path) {
  std::string joined;
  for (const auto name : PathComponents(path)) {
    if (!IsSafePathComponent(name)) {
      return std::nullopt;
    }
    joined += joined.empty() ? "" : "\\";
    joined += name;
  }
  if (joined.empty()) {
    return std::nullopt;
  }
  return joined;
}

}  // namespace

bool IsSafePathComponent(std::string_view name) {
  // A name ending in a dot or a blank is restored as it is: the file system layer writes it
  // exactly, so it cannot turn into its neighbour without them.
  if (name.empty() || name == "." || name == "..") {
    return false;
  }
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) {
      return false;
    }
  }
  return !IsDeviceName(name);
}

std::optional<std::string> RestoreTargetOf(std::string_view stored, std::string_view targetDir, bool fullPath) {
  // Every stored name is an absolute path "X:\...", as Backup lists them.
  if (!IsAbsoluteDrivePath(stored)) {
    return std::nullopt;
  }
  const auto relative = SafeRelativePath(stored.substr(3));
  if (!relative) {
    return std::nullopt;
  }
  if (targetDir.empty()) {
    return std::string(stored.substr(0, 2)) + "\\" + *relative;
  }
  if (fullPath) {
    return std::string(targetDir) + *relative;
  }
  return std::string(targetDir) + std::string(FileNameOf(*relative));
}

}  // namespace sw::backup
