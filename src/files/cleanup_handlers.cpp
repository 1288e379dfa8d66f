#include "files/cleanup_handlers.h"

#include <array>
#include <optional>

#include "core/text.h"
#include "core/win_path.h"
#include "platform/file_system.h"
#include "registry/registry_data.h"
#include "registry/registry_paths.h"

namespace sw::files {
namespace {

using platform::RegValue;

constexpr std::uint32_t kDoSubdirs = 0x1;
constexpr std::uint32_t kRemoveReadOnly = 0x4;
constexpr std::uint32_t kRemoveSystem = 0x8;
constexpr std::uint32_t kRemoveHidden = 0x10;
constexpr std::uint32_t kRemoveDirs = 0x40;
constexpr std::uint32_t kRunIfOutOfDiskSpace = 0x80;

struct CsidlRow {
  std::uint32_t csidl;
  std::string_view folder;
};
// The special folders whose environment variables name them on Vista and later.
constexpr std::array<CsidlRow, 8> kCsidlFolders{{
    {0x1a, "%APPDATA%"},            // CSIDL_APPDATA
    {0x1c, "%LOCALAPPDATA%"},       // CSIDL_LOCAL_APPDATA
    {0x23, "%PROGRAMDATA%"},        // CSIDL_COMMON_APPDATA
    {0x24, "%WINDIR%"},             // CSIDL_WINDOWS
    {0x25, R"(%WINDIR%\System32)"},  // CSIDL_SYSTEM
    {0x26, "%ProgramFiles%"},       // CSIDL_PROGRAM_FILES
    {0x28, "%USERPROFILE%"},        // CSIDL_PROFILE
    {0x2b, "%CommonProgramFiles%"},  // CSIDL_PROGRAM_FILES_COMMON
}};

std::optional<RegValue> Query(platform::RegKey& key, std::string_view name) {
  auto value = key.Query(name);
  return value ? std::optional<RegValue>(std::move(*value)) : std::nullopt;
}

// A text value's parts: REG_MULTI_SZ by its zeros, a string by any of `separators`.
std::vector<std::string> Parts(const RegValue& value, std::string_view separators) {
  std::string text;
  if (value.type == platform::kRegMultiSz) {
    text = reg::DecodeRegText(value.data);
    separators = std::string_view("\0", 1);
  } else if (value.type == platform::kRegSz || value.type == platform::kRegExpandSz) {
    text = reg::DecodeRegString(value.data);
  } else {
    return {};
  }
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || separators.find(text[i]) != std::string_view::npos) {
      if (i > start) {
        parts.push_back(text.substr(start, i - start));
      }
      start = i + 1;
    }
  }
  return parts;
}

// A REG_DWORD, or the first four bytes of REG_BINARY data, little-endian.
std::optional<std::uint32_t> Number(const std::optional<RegValue>& value) {
  if (!value || (value->type != platform::kRegDword && value->type != platform::kRegBinary) ||
      value->data.size() < 4) {
    return std::nullopt;
  }
  const auto& d = value->data;
  return static_cast<std::uint32_t>(d[0]) | (static_cast<std::uint32_t>(d[1]) << 8U) |
         (static_cast<std::uint32_t>(d[2]) << 16U) | (static_cast<std::uint32_t>(d[3]) << 24U);
}

bool IsDataDrivenCleaner(const std::optional<RegValue>& value) {
  if (!value || value->type != platform::kRegSz) {
    return false;
  }
  std::string_view clsid = kDataDrivenCleaner.substr(1, kDataDrivenCleaner.size() - 2);
  std::string text = reg::DecodeRegString(value->data);
  std::string_view given = text;
  if (given.starts_with('{') && given.ends_with('}')) {
    given = given.substr(1, given.size() - 2);
  }
  return EqualsNoCase(given, clsid);
}

// The folder templates of a handler: "?:" for every fixed drive, the CSIDL's folder in front.
std::vector<std::string> FolderTemplates(const RegValue& folder, const std::optional<RegValue>& csidlValue) {
  std::vector<std::string> folders = Parts(folder, "|");
  if (const auto csidl = Number(csidlValue)) {
    const auto special = CsidlFolder(*csidl);
    if (!special || folders.empty()) {
      return {};
    }
    std::string below = folders.front();  // with a CSIDL, only one folder is allowed
    while (!below.empty() && (below.front() == '\\' || below.front() == '/')) {
      below.erase(0, 1);
    }
    return {below.empty() ? *special : *special + "\\" + below};
  }
  for (std::string& path : folders) {
    if (path.starts_with("?:")) {
      path = "{drive}" + path.substr(path.size() > 2 && IsPathSeparator(path[2]) ? 3 : 2);
    }
  }
  return folders;
}

// The rows of one handler key; none when it is no data-driven cleaner or names no folder.
std::vector<JunkLocation> HandlerRows(platform::RegKey& handler) {
  if (!IsDataDrivenCleaner(Query(handler, ""))) {
    return {};
  }
  const auto folder = Query(handler, "Folder");
  const auto fileList = Query(handler, "FileList");
  if (!folder || !fileList) {
    return {};
  }
  const std::uint32_t flags = Number(Query(handler, "Flags")).value_or(0);
  if ((flags & kRunIfOutOfDiskSpace) != 0) {
    return {};
  }
  const std::vector<std::string> patterns = Parts(*fileList, "|:");
  if (patterns.empty()) {
    return {};
  }
  std::vector<JunkLocation> rows;
  for (std::string& path : FolderTemplates(*folder, Query(handler, "CSIDL"))) {
    JunkLocation row;
    row.category = JunkCategory::kCleanupHandlers;
    row.folder = std::move(path);
    row.names = patterns;
    row.subfolders = (flags & kDoSubdirs) != 0;
    if ((flags & kRemoveDirs) != 0) {
      row.wholeFolders = patterns;
    }
    row.minAccessDays = static_cast<int>(std::min<std::uint32_t>(Number(Query(handler, "LastAccess")).value_or(0),
                                                                 100000));
    row.keptAttributes = ((flags & kRemoveReadOnly) != 0 ? 0 : platform::kAttrReadOnly) |
                         ((flags & kRemoveSystem) != 0 ? 0 : platform::kAttrSystem) |
                         ((flags & kRemoveHidden) != 0 ? 0 : platform::kAttrHidden);
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace

std::optional<std::string> CsidlFolder(std::uint32_t csidl) {
  constexpr std::uint32_t kFlagMask = 0xFF00;  // CSIDL_FLAG_CREATE and the like
  for (const CsidlRow& row : kCsidlFolders) {
    if (row.csidl == (csidl & ~kFlagMask)) {
      return std::string(row.folder);
    }
  }
  return std::nullopt;
}

std::vector<JunkLocation> ReadCleanupHandlers(platform::Registry& registry) {
  auto root = registry.OpenRoot(platform::RootKey::LocalMachine);
  if (!root) {
    return {};
  }
  auto caches = (*root)->Open(kVolumeCachesKey, platform::RegAccess::Read);
  if (!caches) {
    return {};
  }
  std::vector<JunkLocation> rows;
  for (const std::string& name : reg::EnumerateNames(**caches, reg::NameKind::SubKeys)) {
    auto handler = (*caches)->Open(name, platform::RegAccess::Read);
    if (!handler) {
      continue;
    }
    for (JunkLocation& row : HandlerRows(**handler)) {
      row.source = name;
      rows.push_back(std::move(row));
    }
  }
  return rows;
}

}  // namespace sw::files
