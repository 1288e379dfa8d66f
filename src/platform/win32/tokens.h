#pragma once
// Security tokens: whether one is elevated, and a program started with the token of the
// desktop's own shell, as the shell starts the programs its user opens.

#include <windows.h>

#include <optional>
#include <string>

#include "core/result.h"

namespace sw::platform::win32 {

// Whether `token` is an elevated one (User Account Control's TokenElevation); nullopt when
// it cannot be read.
std::optional<bool> TokenIsElevated(HANDLE token);

// Creates the program file `application` with the command line `commandLine`, suspended,
// with a primary token made from the token of the desktop's shell (the process of the shell
// window) and that user's environment. Refused with InvalidWindowHandle when no shell
// window is there (or its process is gone), and with AccessDenied when the shell itself
// runs elevated or the started program's token turns out elevated (a system that ignores
// the token given; the program is then ended before it ran an instruction). Otherwise the
// system's error (ElevationRequired for a program that asks for administrator rights).
Status CreateSuspendedAsDesktopUser(const std::wstring& application, std::wstring& commandLine,
                                    STARTUPINFOW& startup, PROCESS_INFORMATION& process);

}  // namespace sw::platform::win32
