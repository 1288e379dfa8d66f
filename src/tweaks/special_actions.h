#pragma once
// The tweaks whose change depends on what the system holds, or that run a program.

#include "core/result.h"
#include "tweaks/tweak_pass.h"

namespace sw::tweaks {

// The command line that makes the system run its pending idle tasks now: the system's own
// rundll32.exe by its full path, so that no program of the same name in the current folder or
// the program's folder runs in its place (with the rights of an elevated Sweepwise).
std::string IdleTasksCommand(platform::System& system);

// Every paging file of the system keeps its place and gets 382 MB as initial and maximum size.
Result<bool> OptimizePagingFile(TweakPass& pass);
// Runs the system's pending idle tasks (applied only; never found in effect).
Result<bool> TerminateIdleTasks(TweakPass& pass);
// The smaller packet sizes for the dial-up adapter's TCP/IP driver of Windows 95, 98 and ME.
Result<bool> OptimizeDialUpAdapter(TweakPass& pass);
// A transmission unit of 576 bytes for every TCP/IP adapter of Windows NT, 2000 and XP.
Result<bool> OptimizeAdapterMtu(TweakPass& pass);

// The value tweak 6 writes for a paging-file list ("C:\pagefile.sys 1536 3072"): each
// file's path followed by " 382 382", each ended by a zero character; empty when the list
// names no file.
std::string OptimizedPagingFiles(std::string_view pagingFiles);

}  // namespace sw::tweaks
