#pragma once
// language.txt in the program folder: language, next backup archive number, memory alerts.

#include <string>
#include <string_view>

#include "core/result.h"
#include "platform/file_system.h"

namespace sw::app {

struct Settings {
  std::string languageText = "1";  // line 1, kept as read and written back as such
  int languageIndex = 1;
  int backupCounter = 0;  // line 2
  bool alerts = false;    // line 3: "Y" exactly
};

inline constexpr std::string_view kSettingsFileName = "language.txt";

// Reads the file's text. A missing line or a number that does not convert gives English and
// counter 0; the alerts flag is only taken from a file whose first two lines are sound.
[[nodiscard]] Settings ParseSettings(std::string_view text);

// The three lines, each ending in CR LF.
[[nodiscard]] std::string SettingsFileText(const Settings& settings);

// `programDir` + "\language.txt"; a file that cannot be read gives the defaults.
[[nodiscard]] Settings LoadSettings(platform::FileSystem& files, std::string_view programDir);
// Rewrites the file whole and atomically.
[[nodiscard]] Status SaveSettings(platform::FileSystem& files, std::string_view programDir, const Settings& settings);

}  // namespace sw::app
