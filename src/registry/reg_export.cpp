#include "registry/reg_export.h"

#include <functional>

#include "registry/reg_file.h"
#include "registry/registry_paths.h"
#include "registry/windows_version.h"

namespace sw::reg {
namespace {

using platform::NamedRegValue;
using platform::RegAccess;

// The restore file being changed: its lines and where the next inserted line goes.
struct ExportFile {
  RegFileText text;
  std::size_t lastInserted = 0;  // the header line at first

  void Insert(std::string line) {
    text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(++lastInserted), std::move(line));
  }

  // Whether some line holding `keyLine` is followed by a line that `matches`; a key line
  // that ends the file counts as `atEnd` says.
  [[nodiscard]] bool KeyFollowedBy(std::string_view keyLine, const std::function<bool(std::string_view)>& matches,
                                   bool atEnd) const {
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
      if (text.lines[i].find(keyLine) == std::string::npos) {
        continue;
      }
      if (i + 1 == text.lines.size() ? atEnd : matches(text.lines[i + 1])) {
        return true;
      }
    }
    return false;
  }

  // The first record of a key holds its state before the program changed anything. A key
  // line alone at the end records a key that did not open: that state too.
  [[nodiscard]] bool HoldsKeyBlock(std::string_view keyLine) const {
    return KeyFollowedBy(
        keyLine, [](std::string_view next) { return next.find("=-") == std::string_view::npos; }, /*atEnd=*/true);
  }
};

Result<ExportFile> OpenExportFile(platform::Platform& platform, std::string_view fileName) {
  auto loaded = LoadRegFile(*platform.files, *platform.system, fileName);
  if (!loaded) {
    return loaded.error();
  }
  ExportFile file;
  if (*loaded) {
    file.text = std::move(**loaded);
  } else {
    file.text.lines.emplace_back(ExportHeaderFor(WindowsVersionCode(platform.system->Version())));
  }
  return file;
}

std::string_view WithoutTrailingBackslash(std::string_view keyPath) {
  if (keyPath.ends_with('\\')) {
    keyPath.remove_suffix(1);
  }
  return keyPath;
}

std::vector<NamedRegValue> ValuesOfKey(platform::Registry& registry, platform::RootKey root, std::string_view keyPath) {
  std::vector<NamedRegValue> values;
  auto rootKey = registry.OpenRoot(root);
  if (!rootKey) {
    return values;
  }
  auto key = (*rootKey)->Open(keyPath, RegAccess::Read);
  if (!key) {
    return values;
  }
  for (std::uint32_t index = 0;; ++index) {
    auto value = (*key)->ValueAt(index);
    if (!value) {
      break;
    }
    values.push_back(std::move(*value));
  }
  return values;
}

// The value lines of a key's block in the file's encoding; nullopt when an 8-bit file
// cannot hold one of them.
std::optional<std::vector<std::string>> BlockValueLines(const std::vector<NamedRegValue>& values,
                                                        RegFileEncoding encoding, platform::System& system) {
  std::vector<std::string> lines;
  for (const auto& value : values) {
    if (!IsWritableName(value.name)) {
      continue;  // no .reg file can name it, so none can restore it either
    }
    auto valueLines = ValueLines(value, encoding, DumpLayout::Wrapped, system);
    if (!valueLines) {
      return std::nullopt;
    }
    lines.insert(lines.end(), valueLines->begin(), valueLines->end());
  }
  return lines;
}

// Adds the block of one key with its current values, directly after the last inserted line.
void AddKeyBlock(ExportFile& file, platform::Platform& platform, platform::RootKey root, std::string_view keyPath) {
  platform::System& system = *platform.system;
  const std::string keyLine = KeyLine(root, keyPath);
  const auto values = ValuesOfKey(*platform.registry, root, keyPath);
  auto lines = BlockValueLines(values, file.text.encoding, system);
  if (!lines || (file.text.encoding == RegFileEncoding::Ansi && !FitsAnsi(keyLine, system))) {
    ConvertToUnicode(file.text, system);
    lines = BlockValueLines(values, RegFileEncoding::Unicode, system);
  }
  file.Insert("");
  file.Insert(keyLine);
  for (auto& line : *lines) {
    file.Insert(std::move(line));
  }
}

// The key and every key below it, each before its subkeys. Iterative: no depth of keys can
// exhaust the stack.
std::vector<std::string> KeyTree(platform::Registry& registry, platform::RootKey root, std::string_view keyPath) {
  std::vector<std::string> tree;
  auto rootKey = registry.OpenRoot(root);
  if (!rootKey) {
    return tree;
  }
  std::vector<std::string> pending{std::string(keyPath)};
  while (!pending.empty()) {
    std::string path = std::move(pending.back());
    pending.pop_back();
    auto key = (*rootKey)->Open(path, RegAccess::Read);
    if (!key) {
      continue;
    }
    const auto names = EnumerateNames(**key, NameKind::SubKeys);
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
      pending.push_back(path + "\\" + *name);
    }
    tree.push_back(std::move(path));
  }
  return tree;
}

}  // namespace

Status ExportRegistryKey(platform::Platform& platform, platform::RootKey root, std::string_view keyPath,
                         std::string_view fileName) {
  keyPath = WithoutTrailingBackslash(keyPath);
  auto file = OpenExportFile(platform, fileName);
  if (!file) {
    return file.error();
  }
  if (file->HoldsKeyBlock(KeyLine(root, keyPath))) {
    return {};
  }
  AddKeyBlock(*file, platform, root, keyPath);
  return SaveRegFile(*platform.files, *platform.system, fileName, file->text);
}

Status ExportRegistryTree(platform::Platform& platform, platform::RootKey root, std::string_view keyPath,
                          std::string_view fileName) {
  keyPath = WithoutTrailingBackslash(keyPath);
  auto file = OpenExportFile(platform, fileName);
  if (!file) {
    return file.error();
  }
  bool added = false;
  for (const auto& path : KeyTree(*platform.registry, root, keyPath)) {
    if (!file->HoldsKeyBlock(KeyLine(root, path))) {
      AddKeyBlock(*file, platform, root, path);
      added = true;
    }
  }
  return added ? SaveRegFile(*platform.files, *platform.system, fileName, file->text) : Status{};
}

RegFileText ExportKeyTreeFile(platform::Platform& platform, platform::RootKey root, std::string_view keyPath) {
  keyPath = WithoutTrailingBackslash(keyPath);
  ExportFile file;
  file.text.lines.emplace_back(ExportHeaderFor(WindowsVersionCode(platform.system->Version())));
  auto tree = KeyTree(*platform.registry, root, keyPath);
  if (tree.empty()) {
    tree.emplace_back(keyPath);
  }
  for (const auto& path : tree) {
    AddKeyBlock(file, platform, root, path);
  }
  return std::move(file.text);
}

Status ExportValueDeletion(platform::Platform& platform, platform::RootKey root, std::string_view keyPath,
                           std::string_view valueName, std::string_view fileName) {
  keyPath = WithoutTrailingBackslash(keyPath);
  auto file = OpenExportFile(platform, fileName);
  if (!file) {
    return file.error();
  }
  const std::string keyLine = KeyLine(root, keyPath);
  std::string deletion = ValueDeletionLine(valueName);
  // The value's own line, a deletion or its old data: a name that merely appears inside
  // another value's line ("xa"="a" for the value a) records nothing about this one.
  const std::string namePart = deletion.substr(0, deletion.size() - 1);  // "name"= or @=
  if (file->KeyFollowedBy(
          keyLine, [&](std::string_view next) { return next.starts_with(namePart); }, /*atEnd=*/false)) {
    return {};
  }
  platform::System& system = *platform.system;
  if (file->text.encoding == RegFileEncoding::Ansi && !(FitsAnsi(keyLine, system) && FitsAnsi(deletion, system))) {
    ConvertToUnicode(file->text, system);
  }
  file->Insert(keyLine);
  file->Insert(std::move(deletion));
  return SaveRegFile(*platform.files, system, fileName, file->text);
}

}  // namespace sw::reg
