#include "core/win_path.h"

#include "core/text.h"

namespace sw {

std::optional<char> DriveLetterOf(std::string_view path) {
  if (path.size() < 2 || path[1] != ':') {
    return std::nullopt;
  }
  const char c = path[0];
  if (c >= 'a' && c <= 'z') {
    return static_cast<char>(c - 'a' + 'A');
  }
  if (c >= 'A' && c <= 'Z') {
    return c;
  }
  return std::nullopt;
}

bool IsAbsoluteDrivePath(std::string_view path) {
  return DriveLetterOf(path).has_value() && path.size() >= 3 && IsPathSeparator(path[2]);
}

std::vector<std::string_view> PathComponents(std::string_view path) {
  if (DriveLetterOf(path)) {
    path.remove_prefix(2);
  }
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || IsPathSeparator(path[i])) {
      if (i > start) {
        parts.push_back(path.substr(start, i - start));
      }
      start = i + 1;
    }
  }
  return parts;
}

std::vector<std::string_view> ResolvedComponents(std::string_view path) {
  std::vector<std::string_view> names;
  for (const auto name : PathComponents(path)) {
    if (name == "..") {
      if (!names.empty()) {
        names.pop_back();
      }
    } else if (name != ".") {
      names.push_back(name);
    }
  }
  return names;
}

std::string ResolvedDrivePath(std::string_view path) {
  std::string full = std::string(1, DriveLetterOf(path).value_or('C')) + ":\\";
  const std::vector<std::string_view> names = ResolvedComponents(path);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) {
      full += '\\';
    }
    full += names[i];
  }
  return full;
}

bool HasTrimmableEnd(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && (name.back() == '.' || name.back() == ' ');
}

bool HasTrimmableName(std::string_view path) {
  for (const auto name : PathComponents(path)) {
    if (HasTrimmableEnd(name)) {
      return true;
    }
  }
  return false;
}

std::string AddTrailingBackslash(std::string_view path) {
  std::string out(path);
  if (out.empty() || !IsPathSeparator(out.back())) {
    out += '\\';
  }
  return out;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  while (!name.empty() && IsPathSeparator(name.front())) {
    name.remove_prefix(1);
  }
  if (folder.empty()) {
    return std::string(name);
  }
  std::string out = AddTrailingBackslash(folder);
  out += name;
  return out;
}

std::string_view FileNameOf(std::string_view path) {
  if (DriveLetterOf(path)) {
    path.remove_prefix(2);
  }
  const auto pos = path.find_last_of("\\/");
  return pos == std::string_view::npos ? path : path.substr(pos + 1);
}

std::string_view ParentPathOf(std::string_view path) {
  const auto pos = path.find_last_of("\\/");
  if (pos == std::string_view::npos) {
    return {};
  }
  if (pos == 2 && DriveLetterOf(path)) {
    return path.substr(0, 3);  // keep the root's backslash: "C:\"
  }
  return path.substr(0, pos);
}

bool PathsEqual(std::string_view a, std::string_view b) {
  std::string na(a);
  std::string nb(b);
  for (auto* s : {&na, &nb}) {
    for (char& c : *s) {
      if (c == '/') {
        c = '\\';
      }
    }
  }
  return EqualsNoCase(na, nb);
}

}  // namespace sw
