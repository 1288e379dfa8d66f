#pragma once
// One pass that sizes several folder trees at once: the bytes of every file below each of
// them, hidden and system files included, on a few threads that share the folders still to
// be listed. No link (junction, symbolic link, mount point) is entered, a folder that cannot
// be listed adds nothing, and the walk keeps its own stacks, so no depth overflows it.
//
// The file system is called from several threads at once; its listings must allow that (the
// Win32 one and the host stand-in do: a listing shares no state with another).

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/engine_sink.h"
#include "platform/file_system.h"

namespace sw::sysinfo {

struct MeasureOptions {
  // Threads that list folders; 0 lets the machine decide (one per processor, at most 4).
  unsigned workers = 0;
  // When set, the calling thread lists nothing and runs this about every 30 ms while the
  // workers measure, so a window can keep handling its messages.
  std::function<void()> whileWaiting;
  // Ends the pass early when requested; the sizes are then partial.
  const StopFlag* stop = nullptr;
};

// The bytes below each of `folders` (Windows paths), in the same order.
std::vector<std::uint64_t> MeasureFolderBytes(platform::FileSystem& files, std::span<const std::string> folders,
                                              const MeasureOptions& options = {});

}  // namespace sw::sysinfo
