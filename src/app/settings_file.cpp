#include "app/settings_file.h"

#include <charconv>
#include <optional>
#include <vector>

#include "core/win_path.h"

namespace sw::app {
namespace {

// Lines as a text list reads them: CR LF, LF or a lone CR end a line; a last line without an
// ending still counts.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find_first_of("\r\n");
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) {
      break;
    }
    const std::size_t next = text.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
    text.remove_prefix(next);
  }
  return lines;
}

// A whole line as a signed 32-bit decimal number; blanks around it are allowed.
std::optional<int> DecimalOf(std::string_view line) {
  while (!line.empty() && line.front() == ' ') {
    line.remove_prefix(1);
  }
  while (!line.empty() && line.back() == ' ') {
    line.remove_suffix(1);
  }
  if (!line.empty() && line.front() == '+') {
    line.remove_prefix(1);
  }
  int value = 0;
  const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), value);
  if (line.empty() || error != std::errc{} || end != line.data() + line.size()) {
    return std::nullopt;
  }
  return value;
}

std::string SettingsPath(std::string_view programDir) {
  return AddTrailingBackslash(programDir) + std::string(kSettingsFileName);
}

}  // namespace

Settings ParseSettings(std::string_view text) {
  const std::vector<std::string_view> lines = SplitLines(text);
  Settings settings;
  if (lines.size() < 3) {
    return settings;
  }
  const std::optional<int> language = DecimalOf(lines[0]);
  const std::optional<int> counter = DecimalOf(lines[1]);
  if (!language || !counter) {
    return settings;
  }
  settings.languageText = lines[0];
  settings.languageIndex = *language;
  settings.backupCounter = *counter;
  settings.alerts = lines[2] == "Y";
  return settings;
}

std::string SettingsFileText(const Settings& settings) {
  return settings.languageText + "\r\n" + std::to_string(settings.backupCounter) + "\r\n" +
         (settings.alerts ? "Y" : "N") + "\r\n";
}

Settings LoadSettings(platform::FileSystem& files, std::string_view programDir) {
  const Result<Bytes> contents = files.ReadWhole(SettingsPath(programDir));
  if (!contents) {
    return {};
  }
  return ParseSettings(std::string_view(reinterpret_cast<const char*>(contents->data()), contents->size()));
}

Status SaveSettings(platform::FileSystem& files, std::string_view programDir, const Settings& settings) {
  return files.ReplaceWholeText(SettingsPath(programDir), SettingsFileText(settings));
}

}  // namespace sw::app
