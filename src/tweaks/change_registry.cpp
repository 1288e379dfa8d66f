#include "tweaks/change_registry.h"

#include <algorithm>

#include "core/text.h"
#include "registry/registry_data.h"
#include "registry/registry_names.h"
#include "registry/registry_object.h"
#include "registry/registry_paths.h"
#include "tweaks/restore_file.h"

namespace sw::tweaks {
namespace {

// The key path as the path operations take it: without its leading backslash.
std::string_view KeyOf(const RegistryChange& change) {
  std::string_view key = change.keyPath;
  if (key.starts_with('\\')) {
    key.remove_prefix(1);
  }
  return key;
}

// Key path and value name in one value path ("Control Panel\Desktop\MenuShowDelay").
std::string ValuePathOf(const RegistryChange& change) {
  std::string path(KeyOf(change));
  if (!path.ends_with('\\')) {
    path += '\\';
  }
  return path + change.valueName;
}

bool IsKeyDeletion(const RegistryChange& change) {
  return change.type == ChangeType::Delete && change.valueName.empty();
}

// Whether the target of the change is there now: the key of a key deletion, else the value.
bool TargetExists(platform::Registry& registry, const RegistryChange& change) {
  return IsKeyDeletion(change) ? reg::RegKeyExists(registry, change.root, KeyOf(change))
                               : reg::RegValueExists(registry, change.root, ValuePathOf(change));
}

std::string_view WithoutFinalZeros(std::string_view text) {
  while (text.ends_with('\0')) {
    text.remove_suffix(1);
  }
  return text;
}

bool InEffect(platform::Registry& registry, const RegistryChange& change) {
  const std::string valuePath = ValuePathOf(change);
  reg::TRegistryEx object(registry, change.root);
  const auto openValue = [&] { return object.OpenKeyReadOnly(change.keyPath) && object.ValueExists(change.valueName); };
  switch (change.type) {
    case ChangeType::None: return false;
    case ChangeType::Delete: return !TargetExists(registry, change);
    case ChangeType::String: {
      if (!openValue()) {
        return false;
      }
      const auto text = object.ReadString(change.valueName);
      return text && *text == change.value;
    }
    case ChangeType::Dword: {
      if (!openValue()) {
        return false;
      }
      const auto number = object.ReadInteger(change.valueName);
      return number && std::to_string(*number) == change.value;
    }
    case ChangeType::MultiString: {
      // The stored list ends in zeros the written text need not show.
      const auto text = reg::RegReadMultiString(registry, change.root, valuePath);
      return text && WithoutFinalZeros(*text) == WithoutFinalZeros(change.value);
    }
    case ChangeType::Binary: {
      const auto bytes = reg::RegReadBinary(registry, change.root, valuePath);
      return bytes && bytes->size() >= 4 && change.binary.size() >= 4 &&
             std::equal(change.binary.begin(), change.binary.begin() + 4, bytes->begin());
    }
  }
  return false;
}

// Writes the state before the change, and what the change writes, into the restore file.
Status Record(platform::Platform& platform, std::string_view restoreFile, const RegistryChange& change, ApplyLog& log) {
  if (IsKeyDeletion(change)) {
    return RecordKeyTree(platform, restoreFile, change.root, KeyOf(change), &log.values, &log.deletedKeys);
  }
  return RecordValue(platform, restoreFile, change.root, KeyOf(change), change.valueName, WrittenValue(change),
                     &log.values);
}

// Deletes the subkey `name` of `parent` with everything below it, deepest first; the
// registry's answer to the first deletion it refuses.
Status DeleteTree(platform::RegKey& parent, std::string_view name, bool withSubKeys) {
  if (withSubKeys) {
    auto key = parent.Open(name, platform::RegAccess::ReadWrite);
    if (!key) {
      return key.error();
    }
    for (;;) {
      auto sub = (*key)->SubKeyName(0);  // each deletion moves the next subkey to index 0
      if (!sub) {
        if (!sub.error().Is(Errc::NoMoreItems)) {
          return sub.error();
        }
        break;
      }
      if (auto deleted = DeleteTree(**key, *sub, true); !deleted) {
        return deleted;
      }
    }
  }  // the key is closed before it is deleted
  return parent.DeleteSubKey(name);
}

std::vector<std::uint8_t> DwordBytes(std::uint32_t number) {
  return {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8U),
          static_cast<std::uint8_t>(number >> 16U), static_cast<std::uint8_t>(number >> 24U)};
}

// Makes the change; the registry's answer when it refuses.
Status Write(platform::Registry& registry, const RegistryChange& change) {
  auto root = registry.OpenRoot(change.root);
  if (!root) {
    return root.error();
  }
  const std::string_view key = KeyOf(change);
  if (IsKeyDeletion(change)) {
    std::string_view path = key;
    if (path.ends_with('\\')) {
      path.remove_suffix(1);
    }
    const auto last = path.rfind('\\');
    if (last == std::string_view::npos) {
      return Error(Errc::InvalidParameter);  // a root's direct child is never deleted
    }
    auto parent = (*root)->Open(path.substr(0, last), platform::RegAccess::ReadWrite);
    if (!parent) {
      return parent.error();
    }
    return DeleteTree(**parent, path.substr(last + 1), change.withSubKeys);
  }
  if (change.type == ChangeType::Delete) {
    auto opened = (*root)->Open(key, platform::RegAccess::ReadWrite);
    if (!opened) {
      return opened.error();
    }
    return (*opened)->DeleteValue(change.valueName);
  }
  const auto data = WrittenValue(change);
  if (!data) {
    return {};
  }
  auto opened = (*root)->Create(key);
  if (!opened) {
    return opened.error();
  }
  return (*opened)->Set(change.valueName, data->type, data->data);
}

// "HKEY_LOCAL_MACHINE\SYSTEM\...\LongPathsEnabled", or the key of a key deletion.
std::string TargetName(const RegistryChange& change) {
  std::string name = std::string(reg::RootKeyName(change.root)) + "\\" + std::string(KeyOf(change));
  if (IsKeyDeletion(change)) {
    while (name.ends_with('\\')) {
      name.pop_back();
    }
    return name;
  }
  if (!name.ends_with('\\')) {
    name += '\\';
  }
  return name + (change.valueName.empty() ? std::string("(Default)") : change.valueName);
}

}  // namespace

std::string RestoreFilePath(const platform::ProgramFolders& folders) {
  return folders.DataFile("default.reg");
}

std::optional<platform::RegValue> WrittenValue(const RegistryChange& change) {
  switch (change.type) {
    case ChangeType::String:
      return platform::RegValue{platform::kRegSz, reg::EncodeRegText(change.value, /*terminate=*/true)};
    case ChangeType::Dword:
      return platform::RegValue{platform::kRegDword,
                                DwordBytes(static_cast<std::uint32_t>(ParseInt32(change.value).value_or(0)))};
    case ChangeType::MultiString:
      // A multi-string ends with an empty string: the zero after the last string's own.
      return platform::RegValue{platform::kRegMultiSz,
                                reg::EncodeRegText(change.value + std::string(1, '\0'), /*terminate=*/false)};
    case ChangeType::Binary: return platform::RegValue{platform::kRegBinary, change.binary};
    case ChangeType::None:
    case ChangeType::Delete: break;
  }
  return std::nullopt;
}

Result<bool> ChangeRegistry(platform::Platform& platform, std::string_view restoreFile, ChangeMode mode,
                            const RegistryChange& change, ApplyLog* log, const std::function<void()>& recorded) {
  platform::Registry& registry = *platform.registry;
  if (mode == ChangeMode::Check) {
    return InEffect(registry, change);
  }
  if (mode == ChangeMode::Skip) {
    return false;
  }
  if (change.type == ChangeType::None) {
    return true;
  }
  const bool exists = TargetExists(registry, change);
  if (change.type == ChangeType::Delete && !exists) {
    return true;  // already gone: nothing to record, and no key to create only to delete it
  }
  ApplyLog own;
  ApplyLog& kept = log != nullptr ? *log : own;
  if (auto written = Record(platform, restoreFile, change, kept); !written) {
    return written.error();
  }
  if (recorded) {
    recorded();
  }
  if (auto written = Write(registry, change); !written) {
    kept.failures.push_back(WriteFailure{TargetName(change), written.error()});
  }
  return true;
}

}  // namespace sw::tweaks
