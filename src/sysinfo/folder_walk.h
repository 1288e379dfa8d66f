#pragma once
// One pass that sizes several folder trees at once: the bytes of every file below each of
// them, hidden and system files included, on a few threads that share the folders still to
// be listed. No link (junction, symbolic link, mount point) is entered, a folder that cannot
// be listed adds nothing, and the walk keeps its own stacks, so no depth overflows it.
//
// A file with several names (hard links) counts once per pass, in the first tree (in the
// order given) that holds one of its names: the listing gives each file's number, so no file
// is opened for it. A cloud file whose data is not on the disk counts the bytes it takes
// there (its allocated size), never its full size, and is never opened.
//
// The file system is called from several threads at once; its listings must allow that (the
// Win32 one and the host stand-in do: a listing shares no state with another).

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
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

// A chart's measuring: the bytes below each subfolder, and those of the files directly in the
// charted folder, in one pass, so that a file with names in both counts once.
struct ChartBytes {
  std::vector<std::uint64_t> subfolders;
  std::uint64_t files = 0;
  bool complete = true;  // false when Stop ended the pass: the figures are what was measured
};
ChartBytes MeasureChartBytes(platform::FileSystem& files, std::string_view folder,
                             std::span<const std::string> subfolders, const MeasureOptions& options = {});

}  // namespace sw::sysinfo
