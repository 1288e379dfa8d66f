#pragma once
// One archive chunk at a time: up to 16 KiB of a file as one complete zlib stream, or raw
// when that stream does not fit in 16 KiB. Each object keeps one zlib state and resets it
// per chunk, which gives the same bytes as a fresh state at a fraction of the cost.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "backup/archive_format.h"
#include "core/bytes.h"

namespace sw::backup {

struct StoredChunk {
  std::int32_t length = 0;  // > 0: zlib stream of that many bytes; < 0: that many raw bytes
  Bytes data;               // what follows the length in the archive
  std::size_t rawSize = 0;  // bytes of the file the chunk holds
};

class ChunkCompressor {
 public:
  // zlib level 0 to 9 (or -1, the library default).
  explicit ChunkCompressor(int level);
  ~ChunkCompressor();
  ChunkCompressor(const ChunkCompressor&) = delete;
  ChunkCompressor& operator=(const ChunkCompressor&) = delete;

  // nullopt when zlib fails (to initialise or to compress).
  std::optional<StoredChunk> Compress(std::span<const std::uint8_t> raw);
  std::optional<StoredChunk> operator()(const Bytes& raw) { return Compress(raw); }

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// A chunk as the archive holds it: its length word and the bytes after it.
struct RawChunk {
  std::int32_t length = 0;
  Bytes data;
};

// A chunk's file bytes; `ok` false when its zlib stream is damaged.
struct DecodedChunk {
  bool ok = false;
  Bytes data;
};

class ChunkInflater {
 public:
  ChunkInflater();
  ~ChunkInflater();
  ChunkInflater(const ChunkInflater&) = delete;
  ChunkInflater& operator=(const ChunkInflater&) = delete;

  // Decompresses one complete zlib stream into `out` (kChunkSize bytes); the number of bytes
  // produced, or nullopt when the stream is damaged, incomplete or would produce more.
  std::optional<std::size_t> Inflate(std::span<const std::uint8_t> stream, std::span<std::uint8_t> out);

  // The file bytes of a raw or compressed chunk.
  DecodedChunk Decode(const RawChunk& chunk);
  // The same, taking over a raw chunk's bytes instead of copying them.
  DecodedChunk operator()(RawChunk&& chunk);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace sw::backup
