#pragma once
// One fuzz case for registry export files: the bytes as a .reg file, read, turned into the
// Unicode form and written again, and used as the restore file that the export writer adds
// to. Aborts when the Unicode form does not read back as the same lines; a crash or a
// sanitizer report is the fuzzer's finding.

#include <cstdint>
#include <filesystem>
#include <span>

namespace sw::fuzz {

// `root` is an empty folder of the caller's; it is left empty again.
void RunRegFileCase(std::span<const std::uint8_t> bytes, const std::filesystem::path& root);

}  // namespace sw::fuzz
