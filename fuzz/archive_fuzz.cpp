// libFuzzer entry: arbitrary bytes as an archive, listed and restored.
//   build/fuzz/fuzz/sweepwise-archive-fuzz -malloc_limit_mb=64 fuzz/corpus/archive

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "archive_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Below the folder the fuzzer runs in (the build folder), never in the system's /tmp.
  static const std::filesystem::path root =
      std::filesystem::current_path() / ("fuzz-work-" + std::to_string(::getpid()));
  sw::fuzz::RunArchiveCase({data, size}, root);
  return 0;
}
