#pragma once
// update.bat: run once at the next log-on, it starts "deleteubat.exe", puts the downloaded
// release in the place of the old one and starts it.
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

// The eleven lines, each ended by CR LF, in the code page; nullopt when `programFolder` has
// no exact form there.
std::optional<std::string> UpdateBatchText(std::string_view programFolder, platform::System& system,
                                           platform::FileSystem& files);

}  // namespace sw::online
