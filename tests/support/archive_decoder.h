#pragma once
// An independent reader of our archive format for the tests: it parses the bytes by hand and
// decompresses each chunk with zlib's one-shot uncompress(), sharing no code with the
// component it checks. Throws std::runtime_error on anything malformed.

#include <cstdint>
#include <string>
#include <vector>

#include "core/bytes.h"

namespace sw::test {

struct DecodedEntry {
  std::string name;  // stored bytes
  std::int32_t date = 0;
  std::vector<std::vector<std::int32_t>> blocks;  // chunk lengths of each data block
  Bytes data;                                     // the file, all chunks decoded
};

struct DecodedArchive {
  std::string title;
  std::int32_t totalBytes = 0;
  std::int32_t fileCount = 0;
  std::vector<DecodedEntry> entries;
  std::vector<std::string> switches;  // "NEXT:DISK002", ... in order
};

// `volumes`: the bytes of volume 1, 2, ... in order.
DecodedArchive DecodeArchive(const std::vector<Bytes>& volumes);

}  // namespace sw::test
