#pragma once
// One fuzz case for the archive reader: the bytes as an archive, listed and restored into a
// temporary folder. Aborts when anything lands outside the restore target; a crash, a
// sanitizer report or an oversized allocation is the fuzzer's finding.

#include <cstdint>
#include <filesystem>
#include <span>

namespace sw::fuzz {

// `root` is an empty folder of the caller's; it is left empty again.
void RunArchiveCase(std::span<const std::uint8_t> bytes, const std::filesystem::path& root);

}  // namespace sw::fuzz
