#pragma once
// The About page's Update button: the separate program "update.exe" of the program folder.

#include "core/engine_sink.h"
#include "platform/platform.h"

namespace sw::online {

inline constexpr std::string_view kUpdateProgram = "update.exe";

// Starts update.exe hidden and returns at once; when it is missing or does not start, the
// user is told through `sink` and the answer is false.
bool StartUpdateProgram(platform::Platform& platform, EngineSink& sink);

}  // namespace sw::online
