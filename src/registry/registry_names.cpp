#include "registry/registry_names.h"

#include <array>
#include <utility>

namespace sw::reg {
namespace {

constexpr std::array<std::string_view, platform::kRootKeyCount> kRootNames = {
    "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};

constexpr std::array<std::pair<RecordType, std::string_view>, 6> kRecordTypeNames = {{
    {RecordType::String, "REG_SZ"},
    {RecordType::MultiString, "REG_MULTI_SZ"},
    {RecordType::Dword, "REG_DWORD"},
    {RecordType::Binary, "REG_BINARY"},
    {RecordType::None, "REG_NONE"},
    {RecordType::Delete, "REG_DELETE"},
}};

}  // namespace

std::string_view RootKeyName(RootKey root) {
  return kRootNames.at(static_cast<std::size_t>(root));
}

std::optional<RootKey> RootKeyFromName(std::string_view name) {
  for (std::size_t i = 0; i < kRootNames.size(); ++i) {
    if (kRootNames[i] == name) {
      return static_cast<RootKey>(i);
    }
  }
  return std::nullopt;
}

std::string_view RecordTypeName(RecordType type) {
  for (const auto& [t, name] : kRecordTypeNames) {
    if (t == type) {
      return name;
    }
  }
  return {};
}

std::optional<RecordType> RecordTypeFromName(std::string_view name) {
  for (const auto& [type, n] : kRecordTypeNames) {
    if (n == name) {
      return type;
    }
  }
  return std::nullopt;
}

}  // namespace sw::reg
