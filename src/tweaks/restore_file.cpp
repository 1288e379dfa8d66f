#include "tweaks/restore_file.h"

#include <algorithm>
#include <functional>
#include <map>
#include <tuple>

#include "core/text.h"
#include "registry/registry_names.h"
#include "registry/registry_paths.h"
#include "registry/windows_version.h"

namespace sw::tweaks {
namespace {

using platform::NamedRegValue;
using platform::RegAccess;
using platform::RegValue;
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
ValueId ValueIdOf(const RecordedValue& value) {
  return ValueIdOf(value.root, value.keyPath, value.name);
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

bool Same(const std::optional<RegValue>& a, const std::optional<RegValue>& b) {
  if (!a || !b) {
    return !a && !b;
  }
  return a->type == b->type && a->data == b->data;
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

// The value as it is now: its data, or none when it (or its key) is not there.
Result<std::optional<RegValue>> CurrentValue(platform::Registry& registry, RootKey root, std::string_view keyPath,
                                             std::string_view name) {
  auto key = OpenForReading(registry, root, keyPath);
  if (!key) {
    return key.error();
  }
  if (!*key) {
    return std::optional<RegValue>();
  }
  auto value = (**key).Query(name);
  if (!value) {
    return IsNotFound(value.error()) ? Result<std::optional<RegValue>>(std::optional<RegValue>()) : value.error();
  }
  return std::optional<RegValue>(std::move(*value));
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

// The lines of one value's state ("name"=data, or a line deleting it).
std::optional<std::vector<std::string>> StateLines(const std::string& name, const std::optional<RegValue>& value,
                                                   reg::RegFileEncoding encoding, reg::DumpLayout layout,
                                                   platform::System& system) {
  if (value) {
    return reg::ValueLines(NamedRegValue{name, *value}, encoding, layout, system);
  }
  std::string deletion = reg::ValueDeletionLine(name);
  if (encoding == reg::RegFileEncoding::Ansi && !reg::FitsAnsi(deletion, system)) {
    return std::nullopt;
  }
  return std::vector<std::string>{std::move(deletion)};
}

// The records in one encoding; nullopt when an 8-bit file cannot hold one of them exactly.
std::optional<reg::RegFileText> Render(const TweakRecords& records, reg::RegFileEncoding encoding,
                                       platform::System& system) {
  const bool ansi = encoding == reg::RegFileEncoding::Ansi;
  std::string header = ansi && !records.file.lines.empty() && reg::IsRegFileHeader(records.file.lines[0])
                           ? std::string(TrimBlanks(records.file.lines[0]))
                           : std::string(reg::kRegedit5Header);
  reg::RegFileText text{{std::move(header)}, encoding};
  // A block per key, in the order the records first name the keys.
  std::vector<KeyId> order;
  std::map<KeyId, std::vector<std::string>> blocks;
  const auto block = [&](RootKey root, const std::string& keyPath) -> std::vector<std::string>* {
    const KeyId id = KeyIdOf(root, keyPath);
    auto [at, added] = blocks.try_emplace(id);
    if (added) {
      std::string keyLine = reg::KeyLine(root, keyPath);
      if (ansi && !reg::FitsAnsi(keyLine, system)) {
        return nullptr;
      }
      order.push_back(id);
      at->second = {"", std::move(keyLine)};
    }
    return &at->second;
  };
  for (const RecordedValue& value : records.values) {
    auto* lines = block(value.root, value.keyPath);
    auto found = StateLines(value.name, value.found, encoding, reg::DumpLayout::Wrapped, system);
    if (lines == nullptr || !found) {
      return std::nullopt;
    }
    lines->insert(lines->end(), found->begin(), found->end());
    if (value.wrote) {
      auto wrote = StateLines(value.name, *value.wrote, encoding, reg::DumpLayout::OneLine, system);
      if (!wrote) {
        return std::nullopt;
      }
      lines->push_back(std::string(kWroteMarker) + wrote->front());
    }
  }
  for (const RecordedKey& key : records.keys) {
    auto* lines = block(key.root, key.keyPath);
    if (lines == nullptr) {
      return std::nullopt;
    }
    lines->insert(lines->begin() + 2, std::string(kDeletedKeyMarker));
  }
  for (const KeyId& id : order) {
    text.lines.insert(text.lines.end(), blocks[id].begin(), blocks[id].end());
  }
  for (const std::string& line : records.unreadable) {
    if (ansi && !reg::FitsAnsi(line, system)) {
      return std::nullopt;
    }
    text.lines.push_back(line);
  }
  return text;
}

// Adds `value` as the newest record. A value that still holds what the tweaks wrote last (or
// whose record does not say) keeps the state found before the first of them.
void Remember(TweakRecords& records, RecordedValue value) {
  const ValueId id = ValueIdOf(value);
  const auto old = std::find_if(records.values.begin(), records.values.end(),
                                [&](const RecordedValue& recorded) { return ValueIdOf(recorded) == id; });
  if (old != records.values.end()) {
    if (!old->wrote || Same(value.found, *old->wrote)) {
      value.found = old->found;
    }
    records.values.erase(old);
  }
  records.values.insert(records.values.begin(), std::move(value));
}

void RememberKey(TweakRecords& records, RootKey root, const std::string& keyPath) {
  const KeyId id = KeyIdOf(root, keyPath);
  if (std::none_of(records.keys.begin(), records.keys.end(),
                   [&](const RecordedKey& key) { return KeyIdOf(key.root, key.keyPath) == id; })) {
    records.keys.insert(records.keys.begin(), RecordedKey{root, keyPath});
  }
}

}  // namespace

std::string Described(const RecordedValue& value) {
  return reg::ValueTarget(value.root, value.keyPath, value.name);
}

TweakRecords ReadTweakRecords(const reg::RegFileText& file, platform::System& system) {
  TweakRecords records;
  const reg::RegFileEntries read = reg::ReadRegFileEntries(file, system);
  records.readable = read.header;
  records.file.encoding = file.encoding;
  if (!file.lines.empty()) {
    records.file.lines.push_back(file.lines[0]);
  }
  for (const std::size_t line : read.unreadable) {
    records.unreadable.push_back(file.lines[line]);
  }
  const auto lineAfter = [&](const reg::RegFileEntry& entry) -> std::string_view {
    return entry.lastLine + 1 < file.lines.size() ? std::string_view(file.lines[entry.lastLine + 1]) : "";
  };
  std::map<ValueId, std::size_t> at;
  for (std::size_t i = 0; i < read.entries.size(); ++i) {
    const reg::RegFileEntry& entry = read.entries[i];
    if (entry.deletesKey) {
      records.unreadable.push_back(file.lines[entry.line]);  // never written by the tweaks
      continue;
    }
    if (!entry.valueName) {
      // A key a tweak deleted; in an older file also a key whose values it recorded, which
      // the editor's import makes again.
      const bool bare = i + 1 == read.entries.size() || !read.entries[i + 1].valueName;
      if (lineAfter(entry) == kDeletedKeyMarker || bare) {
        RememberKey(records, entry.root, entry.keyPath);
      }
      continue;
    }
    RecordedValue value{entry.root, entry.keyPath, *entry.valueName, entry.value, std::nullopt};
    const std::string_view next = lineAfter(entry);
    if (next.starts_with(kWroteMarker)) {
      const auto wrote = reg::ParseValueLine(next.substr(kWroteMarker.size()), file.encoding, system);
      if (wrote && EqualsNoCase(wrote->name, value.name)) {
        value.wrote = wrote->value;
      }
    }
    // Of several records of one value, the last in the file counts: the editor imports from the top.
    const auto [found, added] = at.try_emplace(ValueIdOf(value), records.values.size());
    if (added) {
      records.values.push_back(std::move(value));
    } else {
      records.values[found->second] = std::move(value);
    }
  }
  std::reverse(records.keys.begin(), records.keys.end());  // RememberKey put each in front
  return records;
}

reg::RegFileText TweakRecordsText(const TweakRecords& records, platform::System& system) {
  if (records.file.encoding == reg::RegFileEncoding::Ansi) {
    if (auto ansi = Render(records, reg::RegFileEncoding::Ansi, system)) {
      return std::move(*ansi);
    }
  }
  return *Render(records, reg::RegFileEncoding::Unicode, system);  // that form holds every text
}

Result<TweakRecords> LoadTweakRecords(platform::Platform& platform, std::string_view restoreFile) {
  auto loaded = reg::LoadRegFile(*platform.files, *platform.system, restoreFile);
  if (!loaded) {
    return loaded.error();
  }
  if (!*loaded) {
    TweakRecords records;
    records.readable = true;
    records.file.lines.emplace_back(reg::ExportHeaderFor(reg::WindowsVersionCode(platform.system->Version())));
    return records;
  }
  TweakRecords records = ReadTweakRecords(**loaded, *platform.system);
  if (!records.readable) {
    return Error(Errc::InvalidData);  // what went into it could never be restored
  }
  return records;
}

Status SaveTweakRecords(platform::Platform& platform, std::string_view restoreFile, const TweakRecords& records) {
  return reg::SaveRegFile(*platform.files, *platform.system, restoreFile, TweakRecordsText(records, *platform.system));
}

Status RecordValue(platform::Platform& platform, std::string_view restoreFile, RootKey root, std::string_view keyPath,
                   std::string_view valueName, const std::optional<RegValue>& wrote,
                   std::vector<RecordedValue>* applied) {
  keyPath = WithoutBackslashes(keyPath);
  auto records = LoadTweakRecords(platform, restoreFile);
  if (!records) {
    return records.error();
  }
  auto current = CurrentValue(*platform.registry, root, keyPath, valueName);
  if (!current) {
    return current.error();
  }
  if (!reg::IsWritableName(valueName)) {
    return {};  // no .reg file can name it: nothing could restore it
  }
  RecordedValue value{root, std::string(keyPath), std::string(valueName), std::move(*current), wrote};
  if (applied != nullptr) {
    applied->push_back(value);
  }
  Remember(*records, std::move(value));
  return SaveTweakRecords(platform, restoreFile, *records);
}

Status RecordKeyTree(platform::Platform& platform, std::string_view restoreFile, RootKey root, std::string_view keyPath,
                     std::vector<RecordedValue>* applied, std::vector<RecordedKey>* deletedKeys) {
  keyPath = WithoutBackslashes(keyPath);
  auto records = LoadTweakRecords(platform, restoreFile);
  if (!records) {
    return records.error();
  }
  std::vector<RecordedValue> values;
  const auto tree = KeyTree(*platform.registry, root, keyPath);
  for (auto path = tree.rbegin(); path != tree.rend(); ++path) {  // inserted in front: the key ends up first
    auto key = OpenForReading(*platform.registry, root, *path);
    if (!key) {
      return key.error();
    }
    if (!*key) {
      continue;  // gone meanwhile: nothing of it to record
    }
    RememberKey(*records, root, *path);
    if (deletedKeys != nullptr) {
      deletedKeys->push_back(RecordedKey{root, *path});
    }
    std::vector<RecordedValue> ofKey;
    for (std::uint32_t index = 0;; ++index) {
      auto value = (**key).ValueAt(index);
      if (!value) {
        break;
      }
      if (reg::IsWritableName(value->name)) {
        ofKey.push_back(
            RecordedValue{root, *path, std::move(value->name), std::move(value->value), std::optional<RegValue>()});
      }
    }
    values.insert(values.begin(), ofKey.begin(), ofKey.end());
  }
  for (auto value = values.rbegin(); value != values.rend(); ++value) {
    if (applied != nullptr) {
      applied->push_back(*value);
    }
    Remember(*records, *value);
  }
  return SaveTweakRecords(platform, restoreFile, *records);
}

RecordsRestored RestoreRecords(platform::Registry& registry, const TweakRecords& records,
                               const std::function<void(const std::vector<RecordedValue>&)>& beforeWriting) {
  RecordsRestored restored;
  restored.writes.readable = true;
  restored.keyBack.assign(records.keys.size(), false);
  restored.valueBack.assign(records.values.size(), false);
  // What is to be written, decided before anything is: each value as it is and as it will be.
  std::vector<std::size_t> toWrite;
  std::vector<RecordedValue> planned;
  for (std::size_t i = 0; i < records.values.size(); ++i) {
    const RecordedValue& value = records.values[i];
    auto current = CurrentValue(registry, value.root, value.keyPath, value.name);
    if (current && Same(*current, value.found)) {
      restored.valueBack[i] = true;
    } else if (current && value.wrote && !Same(*current, *value.wrote)) {
      restored.changedSince.push_back(Described(value));
    } else {
      toWrite.push_back(i);
      planned.push_back(RecordedValue{value.root, value.keyPath, value.name,
                                      current ? *current : std::optional<RegValue>(),
                                      std::optional<std::optional<RegValue>>(value.found)});
    }
  }
  if (beforeWriting) {
    beforeWriting(planned);
  }
  // One key line, and the value's line when there is one: the import names what it refuses.
  const auto write = [&](RootKey root, const std::string& keyPath, const std::optional<std::string>& name,
                         const std::optional<RegValue>& data) {
    reg::RegFileEntries entries;
    entries.header = true;
    entries.entries.push_back(reg::RegFileEntry{root, keyPath, std::nullopt, std::nullopt});
    if (name) {
      entries.entries.push_back(reg::RegFileEntry{root, keyPath, name, data});
    }
    const reg::ImportOutcome outcome = reg::ImportRegEntries(registry, entries, reg::ImportMode::AsTheEditor);
    restored.writes.written += outcome.written;
    restored.writes.notWritten.insert(restored.writes.notWritten.end(), outcome.notWritten.begin(),
                                      outcome.notWritten.end());
    return outcome.notWritten.empty();
  };
  for (std::size_t i = 0; i < records.keys.size(); ++i) {
    const RecordedKey& key = records.keys[i];
    auto open = OpenForReading(registry, key.root, key.keyPath);
    restored.keyBack[i] = open && *open;
    if (!restored.keyBack[i] && write(key.root, key.keyPath, std::nullopt, std::nullopt)) {
      restored.keyBack[i] = true;
      restored.restored.push_back(std::string(reg::RootKeyName(key.root)) + "\\" + key.keyPath);
    }
  }
  for (std::size_t n = 0; n < toWrite.size(); ++n) {
    const RecordedValue& value = records.values[toWrite[n]];
    if (write(value.root, value.keyPath, value.name, value.found)) {
      restored.valueBack[toWrite[n]] = true;
      restored.restored.push_back(Described(value));
      restored.undoing.push_back(planned[n]);
    }
  }
  return restored;
}

Status RememberValues(platform::Platform& platform, std::string_view restoreFile,
                      const std::vector<RecordedValue>& values) {
  auto records = LoadTweakRecords(platform, restoreFile);
  if (!records) {
    return records.error();
  }
  for (auto value = values.rbegin(); value != values.rend(); ++value) {
    Remember(*records, *value);
  }
  return SaveTweakRecords(platform, restoreFile, *records);
}

Status DropWhatCameBack(platform::Platform& platform, std::string_view restoreFile) {
  if (!platform.files->FileExists(restoreFile)) {
    return {};
  }
  auto records = LoadTweakRecords(platform, restoreFile);
  if (!records) {
    return records.error();
  }
  RecordsRestored back;
  for (const RecordedValue& value : records->values) {
    auto current = CurrentValue(*platform.registry, value.root, value.keyPath, value.name);
    back.valueBack.push_back(current && Same(*current, value.found));
  }
  for (const RecordedKey& key : records->keys) {
    auto open = OpenForReading(*platform.registry, key.root, key.keyPath);
    back.keyBack.push_back(open && *open);
  }
  const std::size_t before = records->values.size() + records->keys.size();
  DropRestored(*records, back);
  if (records->values.size() + records->keys.size() == before) {
    return {};
  }
  return SaveTweakRecords(platform, restoreFile, *records);
}

std::vector<std::string> RecordLines(const std::vector<RecordedValue>& values, const std::vector<RecordedKey>& keys,
                                     platform::System& system) {
  TweakRecords records;
  records.readable = true;
  records.file = reg::RegFileText{{std::string(reg::kRegedit5Header)}, reg::RegFileEncoding::Unicode};
  records.values = values;
  records.keys = keys;
  return TweakRecordsText(records, system).lines;
}

TweakRecords RecordsOfLines(const std::vector<std::string>& lines, platform::System& system) {
  return ReadTweakRecords(reg::RegFileText{lines, reg::RegFileEncoding::Unicode}, system);
}

void DropRestored(TweakRecords& records, const RecordsRestored& restored) {
  std::vector<RecordedValue> values;
  for (std::size_t i = 0; i < records.values.size(); ++i) {
    if (i >= restored.valueBack.size() || !restored.valueBack[i]) {
      values.push_back(std::move(records.values[i]));
    }
  }
  std::vector<RecordedKey> keys;
  for (std::size_t i = 0; i < records.keys.size(); ++i) {
    if (i >= restored.keyBack.size() || !restored.keyBack[i]) {
      keys.push_back(std::move(records.keys[i]));
    }
  }
  records.values = std::move(values);
  records.keys = std::move(keys);
}

}  // namespace sw::tweaks
