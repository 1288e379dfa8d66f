#include "registry/path_check.h"

#include "core/text.h"

namespace sw::reg {
namespace {

// The extension: from the last "." after the last "\" or ":" to the end; empty without one.
std::string_view ExtensionOf(std::string_view text) {
  const auto lastSeparator = text.find_last_of("\\:");
  const auto dot = text.rfind('.');
  if (dot == std::string_view::npos || (lastSeparator != std::string_view::npos && dot < lastSeparator)) {
    return {};
  }
  return text.substr(dot);
}

// For a text without extension: the folder it is tested by. When a folder name holds a dot,
// the text up to the first backslash from the second character after the last dot (up to
// and including the dot when none follows); always with a trailing backslash.
std::string FolderToTest(std::string_view text) {
  std::string_view folder = text;
  if (const auto dot = text.rfind('.'); dot != std::string_view::npos) {
    const auto backslash = text.find('\\', dot + 2);
    folder = backslash == std::string_view::npos ? text.substr(0, dot + 1) : text.substr(0, backslash);
  }
  std::string tested(folder);
  if (!tested.ends_with('\\')) {
    tested += '\\';
  }
  return tested;
}

}  // namespace

bool PathChecker::IsExamined(std::string_view text) {
  if (text.size() < 3) {
    return false;
  }
  const char letter = static_cast<char>(ToUpperChar(static_cast<unsigned char>(text[0])));
  if (letter < 'C' || letter > 'Z') {
    return false;
  }
  if (text.find_first_of(";, ") != std::string_view::npos || text[1] != ':' || text[2] != '\\') {
    return false;
  }
  auto& fixed = fixedDrives_[static_cast<std::size_t>(letter - 'A')];
  if (!fixed) {
    fixed = files_.DriveTypeOf(std::string{letter, ':', '\\'}) == platform::DriveType::Fixed;
  }
  return *fixed;
}

bool PathChecker::UnderMissingFolder(std::string_view path) const {
  for (auto slash = path.find('\\', 3); slash != std::string_view::npos; slash = path.find('\\', slash + 1)) {
    const auto known = attributes_.find(ToUpperText(path.substr(0, slash)));
    if (known != attributes_.end() && !known->second) {
      return true;
    }
  }
  return false;
}

bool PathChecker::Exists(std::string_view path) {
  std::string key = ToUpperText(path);
  if (const auto known = attributes_.find(key); known != attributes_.end()) {
    return known->second.has_value();
  }
  std::optional<std::uint32_t> found;
  if (!UnderMissingFolder(path)) {
    if (auto attributes = files_.AttributesOf(path)) {
      found = *attributes;
    }
  }
  attributes_.emplace(std::move(key), found);
  return found.has_value();
}

bool PathChecker::FolderExists(std::string_view folder) {
  if (folder.ends_with('\\') && folder.size() > 3) {
    folder.remove_suffix(1);  // remembered under the name without the separator
  }
  if (!Exists(folder)) {
    return false;
  }
  return (*attributes_.find(ToUpperText(folder))->second & platform::kAttrDirectory) != 0;
}

bool PathChecker::IsValidPath(std::string_view text) {
  if (!IsExamined(text)) {
    return true;
  }
  const std::string_view extension = ExtensionOf(text);
  if (!extension.empty()) {
    // The folder must exist (the original test made it the current folder to find out).
    const std::string_view folder = text.substr(0, text.find_last_of("\\:") + 1);
    if (!FolderExists(folder)) {
      return false;
    }
    return Exists(text) || extension.find_first_of("[|") != std::string_view::npos;
  }
  // A file or a folder of that name.
  const std::string folder = FolderToTest(text);
  return Exists(folder.size() > 3 ? std::string_view(folder).substr(0, folder.size() - 1) : std::string_view(folder));
}

}  // namespace sw::reg
