#include "registry/reg_export.h"

#include <functional>

#include "registry/reg_file.h"
#include "registry/windows_version.h"

namespace sw::reg {
namespace {

using platform::NamedRegValue;
using platform::RegAccess;

// The restore file being changed: its lines and where the next inserted line goes.
struct ExportFile {
  RegFileText text;
  std::size_t lastInserted = 0;  // the header line at first
  std::string keyLine;

  void Insert(std::string line) {
    text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(++lastInserted), std::move(line));
  }

  // Whether some line holding the key line is followed by a line that `matches`; a key
  // line that ends the file counts as `atEnd` says.
  [[nodiscard]] bool KeyFollowedBy(const std::function<bool(std::string_view)>& matches, bool atEnd) const {
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
};

Result<ExportFile> OpenExportFile(platform::Platform& platform, platform::RootKey root, std::string_view keyPath,
                                  std::string_view fileName) {
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
  file.keyLine = KeyLine(root, keyPath);
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

}  // namespace

Status ExportRegistryKey(platform::Platform& platform, platform::RootKey root, std::string_view keyPath,
                         std::string_view fileName) {
  keyPath = WithoutTrailingBackslash(keyPath);
  auto file = OpenExportFile(platform, root, keyPath, fileName);
  if (!file) {
    return file.error();
  }
  // The first record of a key holds its state before the program changed anything. A key
  // line alone at the end records a key that did not open: that state too.
  if (file->KeyFollowedBy([](std::string_view next) { return next.find("=-") == std::string_view::npos; },
                          /*atEnd=*/true)) {
    return {};
  }
  platform::System& system = *platform.system;
  const auto values = ValuesOfKey(*platform.registry, root, keyPath);
  auto lines = BlockValueLines(values, file->text.encoding, system);
  if (!lines || (file->text.encoding == RegFileEncoding::Ansi && !FitsAnsi(file->keyLine, system))) {
    ConvertToUnicode(file->text, system);
    lines = BlockValueLines(values, RegFileEncoding::Unicode, system);
  }
  file->Insert("");
  file->Insert(file->keyLine);
  for (auto& line : *lines) {
    file->Insert(std::move(line));
  }
  return SaveRegFile(*platform.files, system, fileName, file->text);
}

Status ExportValueDeletion(platform::Platform& platform, platform::RootKey root, std::string_view keyPath,
                           std::string_view valueName, std::string_view fileName) {
  keyPath = WithoutTrailingBackslash(keyPath);
  auto file = OpenExportFile(platform, root, keyPath, fileName);
  if (!file) {
    return file.error();
  }
  std::string deletion = ValueDeletionLine(valueName);
  const std::string namePart = deletion.substr(0, deletion.size() - 2);
  if (file->KeyFollowedBy([&](std::string_view next) { return next.find(namePart) != std::string_view::npos; },
                          /*atEnd=*/false)) {
    return {};
  }
  platform::System& system = *platform.system;
  if (file->text.encoding == RegFileEncoding::Ansi &&
      !(FitsAnsi(file->keyLine, system) && FitsAnsi(deletion, system))) {
    ConvertToUnicode(file->text, system);
  }
  file->Insert(file->keyLine);
  file->Insert(std::move(deletion));
  return SaveRegFile(*platform.files, system, fileName, file->text);
}

}  // namespace sw::reg
