#pragma once
// The help: HTML pages in the "help" folder beside the program, opened with the shell's
// "open" verb (the old help viewer is gone from current Windows). Each language may have a
// folder of its own; English is the one always there.

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace sw::app {

// The page the help opens at (the introduction, help context 1): index.html in the folder
// "help\<code>" beside the program for the language `languageIndex` when that page exists
// ("tr" for Turkish, ...), else the English "help\index.html".
[[nodiscard]] std::string HelpIndexPath(platform::FileSystem& files, std::string_view programDir, int languageIndex);

}  // namespace sw::app
