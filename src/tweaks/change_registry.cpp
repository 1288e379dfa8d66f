#include "tweaks/change_registry.h"

#include <algorithm>

#include "core/text.h"
#include "registry/reg_export.h"
#include "registry/registry_object.h"
#include "registry/registry_paths.h"

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
  const auto openValue = [&] {
    return object.OpenKey(change.keyPath, /*canCreate=*/false) && object.ValueExists(change.valueName);
  };
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

// Writes the state before the change into the restore file.
Status Record(platform::Platform& platform, std::string_view restoreFile, const RegistryChange& change, bool exists) {
  if (IsKeyDeletion(change)) {
    return reg::ExportRegistryTree(platform, change.root, KeyOf(change), restoreFile);
  }
  return exists ? reg::ExportRegistryKey(platform, change.root, KeyOf(change), restoreFile)
                : reg::ExportValueDeletion(platform, change.root, KeyOf(change), change.valueName, restoreFile);
}

// Makes the change; what the registry answers shows in the following check.
void Write(platform::Registry& registry, const RegistryChange& change) {
  const std::string valuePath = ValuePathOf(change);
  switch (change.type) {
    case ChangeType::None: return;
    case ChangeType::Delete:
      (void)(IsKeyDeletion(change) ? reg::RegDeleteKeyAt(registry, change.root, KeyOf(change), change.withSubKeys)
                                   : reg::RegDeleteValueAt(registry, change.root, valuePath));
      return;
    case ChangeType::String: (void)reg::RegWriteString(registry, change.root, valuePath, change.value); return;
    case ChangeType::Dword:
      (void)reg::RegWriteDword(registry, change.root, valuePath,
                               static_cast<std::uint32_t>(ParseInt32(change.value).value_or(0)));
      return;
    case ChangeType::MultiString:
      // A multi-string ends with an empty string: the zero after the last string's own.
      (void)reg::RegWriteMultiString(registry, change.root, valuePath, change.value + std::string(1, '\0'));
      return;
    case ChangeType::Binary: (void)reg::RegWriteBinary(registry, change.root, valuePath, change.binary); return;
  }
}

}  // namespace

std::string RestoreFilePath(const platform::ProgramFolders& folders) {
  return folders.DataFile("default.reg");
}

Result<bool> ChangeRegistry(platform::Platform& platform, std::string_view restoreFile, ChangeMode mode,
                            const RegistryChange& change) {
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
  if (auto recorded = Record(platform, restoreFile, change, exists); !recorded) {
    return recorded.error();
  }
  Write(registry, change);
  return true;
}

}  // namespace sw::tweaks
