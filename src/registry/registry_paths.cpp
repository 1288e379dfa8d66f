#include "registry/registry_paths.h"

#include <memory>

#include "registry/registry_data.h"

namespace sw::reg {
namespace {

using platform::RegAccess;
using platform::RegKey;

std::string_view WithoutLeadingBackslash(std::string_view path) {
  if (path.starts_with('\\')) {
    path.remove_prefix(1);
  }
  return path;
}

std::unique_ptr<RegKey> OpenKey(Registry& registry, RootKey root, std::string_view keyPath, RegAccess access) {
  auto rootKey = registry.OpenRoot(root);
  if (!rootKey) {
    return nullptr;
  }
  auto key = (*rootKey)->Open(WithoutLeadingBackslash(keyPath), access);
  return key ? std::move(*key) : nullptr;
}

std::unique_ptr<RegKey> CreateKey(Registry& registry, RootKey root, std::string_view keyPath) {
  auto rootKey = registry.OpenRoot(root);
  if (!rootKey) {
    return nullptr;
  }
  auto key = (*rootKey)->Create(WithoutLeadingBackslash(keyPath));
  return key ? std::move(*key) : nullptr;
}

bool WriteValue(Registry& registry, RootKey root, std::string_view valuePath, std::uint32_t type,
                std::span<const std::uint8_t> data) {
  const auto path = SplitValuePath(valuePath);
  if (!path) {
    return false;
  }
  const auto key = CreateKey(registry, root, path->key);
  return key && key->Set(path->name, type, data).has_value();
}

// The value's bytes when it exists with the expected type.
std::optional<Bytes> ReadValue(Registry& registry, RootKey root, std::string_view valuePath, std::uint32_t type) {
  const auto path = SplitValuePath(valuePath);
  if (!path) {
    return std::nullopt;
  }
  const auto key = OpenKey(registry, root, path->key, RegAccess::Read);
  if (!key) {
    return std::nullopt;
  }
  auto value = key->Query(path->name);
  if (!value || value->type != type) {
    return std::nullopt;
  }
  return std::move(value->data);
}

std::optional<std::string> JoinNames(Registry& registry, RootKey root, std::string_view keyPath, NameKind kind) {
  const auto key = OpenKey(registry, root, keyPath, RegAccess::Read);
  if (!key) {
    return std::nullopt;
  }
  const std::vector<std::string> names = EnumerateNames(*key, kind);
  std::string joined;
  for (std::size_t i = 0; i < names.size(); ++i) {
    joined += i == 0 ? "" : "\r\n";
    joined += names[i];
  }
  return joined;
}

}  // namespace

std::optional<ValuePath> SplitValuePath(std::string_view valuePath) {
  const auto pos = valuePath.rfind('\\');
  if (pos == std::string_view::npos) {
    return std::nullopt;
  }
  return ValuePath{WithoutLeadingBackslash(valuePath.substr(0, pos)), valuePath.substr(pos + 1)};
}

bool RegWriteString(Registry& registry, RootKey root, std::string_view valuePath, std::string_view text) {
  return WriteValue(registry, root, valuePath, platform::kRegSz, EncodeRegText(text, /*terminate=*/true));
}

bool RegWriteMultiString(Registry& registry, RootKey root, std::string_view valuePath, std::string_view data) {
  return WriteValue(registry, root, valuePath, platform::kRegMultiSz, EncodeRegText(data, /*terminate=*/false));
}

bool RegWriteDword(Registry& registry, RootKey root, std::string_view valuePath, std::uint32_t number) {
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8U),
                                 static_cast<std::uint8_t>(number >> 16U), static_cast<std::uint8_t>(number >> 24U)};
  return WriteValue(registry, root, valuePath, platform::kRegDword, bytes);
}

bool RegWriteBinary(Registry& registry, RootKey root, std::string_view valuePath, std::span<const std::uint8_t> bytes) {
  return WriteValue(registry, root, valuePath, platform::kRegBinary, bytes);
}

std::optional<std::string> RegReadString(Registry& registry, RootKey root, std::string_view valuePath) {
  const auto data = ReadValue(registry, root, valuePath, platform::kRegSz);
  return data ? std::optional(DecodeRegString(*data)) : std::nullopt;
}

std::optional<std::string> RegReadMultiString(Registry& registry, RootKey root, std::string_view valuePath) {
  const auto data = ReadValue(registry, root, valuePath, platform::kRegMultiSz);
  return data ? std::optional(DecodeRegString(*data)) : std::nullopt;
}

std::optional<Bytes> RegReadBinary(Registry& registry, RootKey root, std::string_view valuePath) {
  return ReadValue(registry, root, valuePath, platform::kRegBinary);
}

bool RegValueExists(Registry& registry, RootKey root, std::string_view valuePath) {
  const auto path = SplitValuePath(valuePath);
  if (!path) {
    return false;
  }
  const auto key = OpenKey(registry, root, path->key, RegAccess::Read);
  return key && key->Query(path->name).has_value();
}

bool RegKeyExists(Registry& registry, RootKey root, std::string_view keyPath) {
  return OpenKey(registry, root, keyPath, RegAccess::Read) != nullptr;
}

bool RegDeleteValueAt(Registry& registry, RootKey root, std::string_view valuePath) {
  const auto path = SplitValuePath(valuePath);
  if (!path) {
    return false;
  }
  const auto key = OpenKey(registry, root, path->key, RegAccess::ReadWrite);
  return key && key->DeleteValue(path->name).has_value();
}

bool DeleteKeyTree(RegKey& parent, std::string_view name) {
  {
    auto key = parent.Open(name, RegAccess::ReadWrite);
    if (!key) {
      return false;
    }
    // Always index 0: each deletion moves the next subkey there.
    for (;;) {
      auto sub = (*key)->SubKeyName(0);
      if (!sub) {
        if (!sub.error().Is(Errc::NoMoreItems)) {
          return false;
        }
        break;
      }
      if (!DeleteKeyTree(**key, *sub)) {
        return false;
      }
    }
  }  // the key is closed before it is deleted
  return parent.DeleteSubKey(name).has_value();
}

Status RemoveKeyTree(RegKey& parent, std::string_view name) {
  {
    auto key = parent.Open(name, RegAccess::ReadWrite);
    if (!key) {
      return key.error();
    }
    // Always index 0: each deletion moves the next subkey there.
    for (;;) {
      auto sub = (*key)->SubKeyName(0);
      if (!sub) {
        if (!sub.error().Is(Errc::NoMoreItems)) {
          return sub.error();
        }
        break;
      }
      if (auto removed = RemoveKeyTree(**key, *sub); !removed) {
        return removed;
      }
    }
  }  // the key is closed before it is deleted
  return parent.DeleteSubKey(name);
}

bool RegDeleteKeyAt(Registry& registry, RootKey root, std::string_view keyPath, bool recursive) {
  // A leading or trailing backslash must not turn a root's direct child ("\Software",
  // "Software\") into a path that passes the test below.
  keyPath = WithoutLeadingBackslash(keyPath);
  if (keyPath.ends_with('\\')) {
    keyPath.remove_suffix(1);
  }
  const auto last = keyPath.rfind('\\');
  if (last == std::string_view::npos) {
    return false;
  }
  const auto parent = OpenKey(registry, root, keyPath.substr(0, last), RegAccess::ReadWrite);
  if (!parent) {
    return false;
  }
  const std::string_view name = keyPath.substr(last + 1);
  return recursive ? DeleteKeyTree(*parent, name) : parent->DeleteSubKey(name).has_value();
}

std::optional<std::string> RegListValueNames(Registry& registry, RootKey root, std::string_view keyPath) {
  return JoinNames(registry, root, keyPath, NameKind::Values);
}

std::optional<std::string> RegListKeyNames(Registry& registry, RootKey root, std::string_view keyPath) {
  return JoinNames(registry, root, keyPath, NameKind::SubKeys);
}

std::vector<std::string> EnumerateNames(RegKey& key, NameKind kind) {
  std::vector<std::string> names;
  for (std::uint32_t index = 0;; ++index) {
    auto name = kind == NameKind::SubKeys ? key.SubKeyName(index) : key.ValueName(index);
    if (!name) {
      return names;  // no more items, or the key went away: what was listed stands
    }
    names.push_back(std::move(*name));
  }
}

}  // namespace sw::reg
