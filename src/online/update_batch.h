#pragma once
// update.bat: run once at the next log-on, it puts the downloaded release in the place of
// the old one and starts it (the release is the installer, which replaces the program where
// it is installed). No separate cleaner is started: the next update check removes the
// batch and the release once the log-on has run them.
//
// Its lines are literal: a "%" in the program folder's name is doubled (cmd expands "%" even
// inside quotes), and a folder name the batch's code page cannot hold exactly is written by
// its short name, or the batch is not written at all (a substitute "?" would be a wildcard
// to del and move).

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/system.h"

namespace sw::online {

// The ten lines, each ended by CR LF, in the code page; nullopt when `programFolder` has
// no exact form there.
std::optional<std::string> UpdateBatchText(std::string_view programFolder, platform::System& system,
                                           platform::FileSystem& files);

}  // namespace sw::online
