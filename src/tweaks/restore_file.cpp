#include "tweaks/restore_file.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "core/text.h"
#include "registry/reg_file.h"
#include "registry/registry_names.h"
#include "registry/registry_paths.h"
#include "registry/windows_version.h"
#include "tweaks/tweak_actions.h"

namespace sw::tweaks {
namespace {

using platform::NamedRegValue;
using platform::RegAccess;
using platform::RootKey;

// A key, or a value of a key, as the registry compares names: without regard to case.
using KeyId = std::pair<RootKey, std::string>;
using ValueId = std::tuple<RootKey, std::string, std::string>;

KeyId KeyIdOf(RootKey root, std::string_view keyPath) {
  return {root, ToUpperText(keyPath)};
}
ValueId ValueIdOf(RootKey root, std::string_view keyPath, std::string_view name) {
  return {root, ToUpperText(keyPath), ToUpperText(name)};
}

std::string_view WithoutBackslashes(std::string_view keyPath) {
  while (keyPath.starts_with('\\')) {
    keyPath.remove_prefix(1);
  }
  while (keyPath.ends_with('\\')) {
    keyPath.remove_suffix(1);
  }
  return keyPath;
}

// The restore file being added to: its lines, what it records already, and where the next
// block goes (directly after the header, then after the block inserted last).
struct RestoreFile {
  reg::RegFileText text;
  std::set<KeyId> keys;
  std::set<ValueId> values;
  std::size_t insertAt = 1;
  bool changed = false;

  void Insert(std::vector<std::string> block) {
    text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(insertAt), block.begin(), block.end());
    insertAt += block.size();
    changed = true;
  }
};

// The file as it is, or a new one with the header of this system's registry editor. A file
// that is no registry file takes no records: what went into it could never be restored.
Result<RestoreFile> OpenRestoreFile(platform::Platform& platform, std::string_view path) {
  auto loaded = reg::LoadRegFile(*platform.files, *platform.system, path);
  if (!loaded) {
    return loaded.error();
  }
  RestoreFile file;
  if (!*loaded) {
    file.text.lines.emplace_back(reg::ExportHeaderFor(reg::WindowsVersionCode(platform.system->Version())));
    return file;
  }
  file.text = std::move(**loaded);
  const reg::RegFileEntries read = reg::ReadRegFileEntries(file.text, *platform.system);
  if (!read.header) {
    return Error(Errc::InvalidData);
  }
  for (const auto& entry : read.entries) {
    file.keys.insert(KeyIdOf(entry.root, entry.keyPath));
    if (entry.valueName) {
      file.values.insert(ValueIdOf(entry.root, entry.keyPath, *entry.valueName));
    }
  }
  return file;
}

Status Save(platform::Platform& platform, std::string_view path, const RestoreFile& file) {
  return file.changed ? reg::SaveRegFile(*platform.files, *platform.system, path, file.text) : Status{};
}

// The key opened for reading; null when it does not exist.
Result<std::unique_ptr<platform::RegKey>> OpenForReading(platform::Registry& registry, RootKey root,
                                                         std::string_view keyPath) {
  auto rootKey = registry.OpenRoot(root);
  if (!rootKey) {
    return rootKey.error();
  }
  auto key = (*rootKey)->Open(keyPath, RegAccess::Read);
  if (!key) {
    return IsNotFound(key.error()) ? Result<std::unique_ptr<platform::RegKey>>(nullptr) : key.error();
  }
  return std::move(*key);
}

// A value as it is recorded: its data, or none when it is not there.
struct ValueRecord {
  std::string name;
  std::optional<platform::RegValue> value;
};

// The lines of one record in the file's encoding; nullopt when the encoding cannot hold them.
std::optional<std::vector<std::string>> LinesIn(reg::RegFileEncoding encoding, const ValueRecord& record,
                                                platform::System& system) {
  if (record.value) {
    return reg::ValueLines(NamedRegValue{record.name, *record.value}, encoding, reg::DumpLayout::Wrapped, system);
  }
  std::string deletion = reg::ValueDeletionLine(record.name);
  if (!reg::IsWritableName(record.name) ||
      (encoding == reg::RegFileEncoding::Ansi && !reg::FitsAnsi(deletion, system))) {
    return std::nullopt;
  }
  return std::vector<std::string>{std::move(deletion)};
}

// The block of a key: an empty line, the key line and the records' lines. A file whose code
// page cannot hold them is turned to Unicode first. A name that no .reg file can hold is
// left out: nothing could restore it.
std::vector<std::string> Block(RestoreFile& file, std::string_view keyLine, const std::vector<ValueRecord>& records,
                               platform::System& system) {
  const auto fits = [&](reg::RegFileEncoding encoding) {
    if (encoding == reg::RegFileEncoding::Ansi && !reg::FitsAnsi(keyLine, system)) {
      return false;
    }
    return std::all_of(records.begin(), records.end(), [&](const ValueRecord& record) {
      return !reg::IsWritableName(record.name) || LinesIn(encoding, record, system).has_value();
    });
  };
  if (file.text.encoding == reg::RegFileEncoding::Ansi && !fits(reg::RegFileEncoding::Ansi)) {
    reg::ConvertToUnicode(file.text, system);
  }
  std::vector<std::string> block{"", std::string(keyLine)};
  for (const auto& record : records) {
    if (const auto lines = LinesIn(file.text.encoding, record, system)) {
      block.insert(block.end(), lines->begin(), lines->end());
    }
  }
  return block;
}

std::vector<NamedRegValue> ValuesOf(platform::RegKey& key) {
  std::vector<NamedRegValue> values;
  for (std::uint32_t index = 0;; ++index) {
    auto value = key.ValueAt(index);
    if (!value) {
      return values;
    }
    values.push_back(std::move(*value));
  }
}

// The key and every key below it, each before its subkeys. Iterative: no depth of keys can
// exhaust the stack.
std::vector<std::string> KeyTree(platform::Registry& registry, RootKey root, std::string_view keyPath) {
  std::vector<std::string> tree;
  std::vector<std::string> pending{std::string(keyPath)};
  while (!pending.empty()) {
    std::string path = std::move(pending.back());
    pending.pop_back();
    auto key = OpenForReading(registry, root, path);
    if (!key || !*key) {
      continue;
    }
    const auto names = reg::EnumerateNames(**key, reg::NameKind::SubKeys);
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
      pending.push_back(path + "\\" + *name);
    }
    tree.push_back(std::move(path));
  }
  return tree;
}

// "HKEY_CURRENT_USER\Control Panel\Desktop", with "\MenuShowDelay" (or "\(Default)") for a value.
std::string Described(const reg::RegFileEntry& entry) {
  std::string text(reg::RootKeyName(entry.root));
  if (!entry.keyPath.empty()) {
    text += "\\" + entry.keyPath;
  }
  if (entry.valueName) {
    text += "\\" + (entry.valueName->empty() ? std::string("(Default)") : *entry.valueName);
  }
  return text;
}

bool NeedsRights(RootKey root, std::string_view keyPath) {
  return NeedsAdministrator(RegistryChange{root, std::string(keyPath), "", ChangeType::Dword, "", {}, true});
}

struct ParsedRestoreFile {
  RestoreExpectation expectation;
  reg::RegFileEntries entries;
};

Result<ParsedRestoreFile> Parse(platform::Platform& platform, std::string_view restoreFile) {
  auto loaded = reg::LoadRegFile(*platform.files, *platform.system, restoreFile);
  if (!loaded) {
    return loaded.error();
  }
  ParsedRestoreFile parsed;
  if (*loaded) {
    parsed.entries = reg::ReadRegFileEntries(**loaded, *platform.system);
  }
  parsed.expectation.readable = parsed.entries.header;
  parsed.expectation.unreadableLines = parsed.entries.unreadable.size();
  return parsed;
}

}  // namespace

Status RecordValue(platform::Platform& platform, std::string_view restoreFile, RootKey root, std::string_view keyPath,
                   std::string_view valueName) {
  keyPath = WithoutBackslashes(keyPath);
  auto file = OpenRestoreFile(platform, restoreFile);
  if (!file) {
    return file.error();
  }
  if (file->values.contains(ValueIdOf(root, keyPath, valueName))) {
    return {};
  }
  auto key = OpenForReading(*platform.registry, root, keyPath);
  if (!key) {
    return key.error();
  }
  std::optional<platform::RegValue> value;
  if (*key) {
    auto current = (**key).Query(valueName);
    if (current) {
      value = std::move(*current);
    } else if (!IsNotFound(current.error())) {
      return current.error();
    }
  }
  if (!reg::IsWritableName(valueName)) {
    return {};  // no .reg file can name it: nothing could restore it
  }
  file->Insert(Block(*file, reg::KeyLine(root, keyPath), {ValueRecord{std::string(valueName), std::move(value)}},
                     *platform.system));
  return Save(platform, restoreFile, *file);
}

Status RecordKeyTree(platform::Platform& platform, std::string_view restoreFile, RootKey root,
                     std::string_view keyPath) {
  keyPath = WithoutBackslashes(keyPath);
  auto file = OpenRestoreFile(platform, restoreFile);
  if (!file) {
    return file.error();
  }
  for (const auto& path : KeyTree(*platform.registry, root, keyPath)) {
    auto key = OpenForReading(*platform.registry, root, path);
    if (!key) {
      return key.error();
    }
    if (!*key) {
      continue;  // gone meanwhile: nothing of it to record
    }
    std::vector<ValueRecord> records;
    for (auto& value : ValuesOf(**key)) {
      if (reg::IsWritableName(value.name) && file->values.insert(ValueIdOf(root, path, value.name)).second) {
        records.push_back(ValueRecord{std::move(value.name), std::move(value.value)});
      }
    }
    if (file->keys.insert(KeyIdOf(root, path)).second || !records.empty()) {
      file->Insert(Block(*file, reg::KeyLine(root, path), records, *platform.system));
    }
  }
  return Save(platform, restoreFile, *file);
}

Result<RestoreExpectation> ReadRestoreFile(platform::Platform& platform, std::string_view restoreFile) {
  auto parsed = Parse(platform, restoreFile);
  if (!parsed) {
    return parsed.error();
  }
  return std::move(parsed->expectation);
}

Result<RestoreExpectation> CheckRestored(platform::Platform& platform, std::string_view restoreFile) {
  auto parsed = Parse(platform, restoreFile);
  if (!parsed) {
    return parsed.error();
  }
  RestoreExpectation& expectation = parsed->expectation;
  if (!expectation.readable) {
    return std::move(expectation);
  }
  // What the import leaves: each key named, each value as its last record says, in the order
  // the file first names them.
  std::vector<const reg::RegFileEntry*> keys;
  std::vector<const reg::RegFileEntry*> values;
  std::set<KeyId> keySeen;
  std::map<ValueId, std::size_t> valueAt;
  for (const auto& entry : parsed->entries.entries) {
    if (!entry.valueName) {
      if (keySeen.insert(KeyIdOf(entry.root, entry.keyPath)).second) {
        keys.push_back(&entry);
      }
      continue;
    }
    const auto [at, added] = valueAt.emplace(ValueIdOf(entry.root, entry.keyPath, *entry.valueName), values.size());
    if (added) {
      values.push_back(&entry);
    } else {
      values[at->second] = &entry;
    }
  }
  platform::Registry& registry = *platform.registry;
  const auto notBack = [&](const reg::RegFileEntry& entry, std::string_view what) {
    expectation.notBack.push_back(Described(entry) + " (" + std::string(what) + ")");
    expectation.notBackNeedsRights = expectation.notBackNeedsRights || NeedsRights(entry.root, entry.keyPath);
  };
  for (const reg::RegFileEntry* entry : keys) {
    auto key = OpenForReading(registry, entry->root, entry->keyPath);
    if (!key || !*key) {
      notBack(*entry, "key missing");
    }
  }
  for (const reg::RegFileEntry* entry : values) {
    auto key = OpenForReading(registry, entry->root, entry->keyPath);
    std::optional<platform::RegValue> actual;
    if (key && *key) {
      if (auto value = (**key).Query(*entry->valueName)) {
        actual = std::move(*value);
      }
    }
    if (!entry->value) {
      if (actual) {
        notBack(*entry, "still there");
      }
    } else if (!actual) {
      notBack(*entry, "missing");
    } else if (actual->type != entry->value->type || actual->data != entry->value->data) {
      notBack(*entry, "other data");
    }
  }
  return std::move(expectation);
}

}  // namespace sw::tweaks
