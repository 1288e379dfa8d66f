#include "platform/disk_cleanup.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "core/text.h"
#include "core/unicode.h"

namespace sw::platform {
namespace {

// A REG_SZ or REG_EXPAND_SZ value as text, without its terminating zeros; nullopt otherwise.
std::optional<std::string> StringValue(RegKey& key, std::string_view name) {
  const auto value = key.Query(name);
  if (!value || (value->type != kRegSz && value->type != kRegExpandSz)) {
    return std::nullopt;
  }
  std::u16string text;
  for (std::size_t i = 0; i + 1 < value->data.size(); i += 2) {
    text.push_back(static_cast<char16_t>(value->data[i] | (value->data[i + 1] << 8U)));
  }
  while (!text.empty() && text.back() == u'\0') {
    text.pop_back();
  }
  return Utf16ToUtf8(text);
}

// A REG_DWORD, or the first four bytes of REG_BINARY data, as the signed number Priority is.
std::int64_t PriorityOf(RegKey& key) {
  const auto value = key.Query("Priority");
  if (!value || (value->type != kRegDword && value->type != kRegBinary) || value->data.size() < 4) {
    return 0;
  }
  const auto& d = value->data;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(d[0]) | (static_cast<std::uint32_t>(d[1]) << 8U) |
                                   (static_cast<std::uint32_t>(d[2]) << 16U) |
                                   (static_cast<std::uint32_t>(d[3]) << 24U));
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", the only form COM takes a class ID in.
bool IsClassId(std::string_view text) {
  constexpr std::string_view kShape = "{........-....-....-....-............}";
  if (text.size() != kShape.size()) {
    return false;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = std::isxdigit(static_cast<unsigned char>(text[i])) != 0;
    if (kShape[i] == '.' ? !digit : text[i] != kShape[i]) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::vector<RegisteredHandler> RegisteredCleanupHandlers(Registry& registry) {
  auto root = registry.OpenRoot(RootKey::LocalMachine);
  if (!root) {
    return {};
  }
  auto caches = (*root)->Open(kVolumeCachesKey, RegAccess::Read);
  if (!caches) {
    return {};
  }
  std::vector<RegisteredHandler> handlers;
  for (std::uint32_t index = 0;; ++index) {
    const auto name = (*caches)->SubKeyName(index);
    if (!name) {
      break;
    }
    auto key = (*caches)->Open(*name, RegAccess::Read);
    if (!key) {
      continue;
    }
    const auto classId = StringValue(**key, "");
    if (!classId || !IsClassId(TrimBlanks(*classId)) || EqualsNoCase(TrimBlanks(*classId), kDataDrivenCleanerClass)) {
      continue;
    }
    handlers.push_back(RegisteredHandler{*name, std::string(TrimBlanks(*classId)),
                                         StringValue(**key, "Display").value_or(""),
                                         StringValue(**key, "Description").value_or(""), PriorityOf(**key)});
  }
  std::stable_sort(handlers.begin(), handlers.end(),
                   [](const RegisteredHandler& a, const RegisteredHandler& b) { return a.priority > b.priority; });
  return handlers;
}

bool IsAccessDeniedCode(std::uint32_t code) {
  constexpr std::uint32_t kAccessDenied = 0x80070005;        // E_ACCESSDENIED
  constexpr std::uint32_t kPrivilegeNotHeld = 0x80070522;    // ERROR_PRIVILEGE_NOT_HELD
  constexpr std::uint32_t kElevationRequired = 0x800702E4;   // ERROR_ELEVATION_REQUIRED
  return code == kAccessDenied || code == kPrivilegeNotHeld || code == kElevationRequired;
}

}  // namespace sw::platform
