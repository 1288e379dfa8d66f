#include "app/help_pages.h"

#include <array>

#include "core/win_path.h"

namespace sw::app {
namespace {

// The folders of the languages, by language number.
constexpr std::array<std::string_view, 10> kLanguageFolders = {"tr", "en", "fr", "de", "es",
                                                               "nl", "ro", "pl", "ca", "sk"};

}  // namespace

std::string HelpIndexPath(platform::FileSystem& files, std::string_view programDir, int languageIndex) {
  const std::string help = JoinPath(programDir, "help");
  if (languageIndex >= 0 && languageIndex < static_cast<int>(kLanguageFolders.size())) {
    const std::string translated =
        JoinPath(JoinPath(help, kLanguageFolders.at(static_cast<std::size_t>(languageIndex))), "index.html");
    if (files.FileExists(translated)) {
      return translated;
    }
  }
  return JoinPath(help, "index.html");
}

}  // namespace sw::app
