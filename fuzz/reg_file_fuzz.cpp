// libFuzzer entry: arbitrary bytes as a registry export file.
//   build/fuzz/fuzz/sweepwise-regfile-fuzz -malloc_limit_mb=64 fuzz/corpus/regfile

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "reg_file_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Below the folder the fuzzer runs in (the build folder), never in the system's /tmp.
  static const std::filesystem::path root =
      std::filesystem::current_path() / ("fuzz-work-" + std::to_string(::getpid()));
  sw::fuzz::RunRegFileCase({data, size}, root);
  return 0;
}
