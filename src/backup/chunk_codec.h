#pragma once
// One archive chunk at a time: up to 16 KiB of a file as one complete zlib stream, or raw
// when that stream does not fit in 16 KiB. Each object keeps one zlib state and resets it
// per chunk, which gives the same bytes as a fresh state at a fraction of the cost.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "backup/archive_format.h"
#include "core/bytes.h"

namespace sw::backup {

// Leaves new bytes as they are: a chunk's buffer is filled by a read or by zlib at once, and
// clearing 16 KiB first for every chunk costs as much as filling it.
template <class T>
struct UninitializedAllocator : std::allocator<T> {
  using std::allocator<T>::allocator;
  template <class U, class... Args>
  void construct(U* at, Args&&... args) {
    if constexpr (sizeof...(Args) == 0) {
      ::new (static_cast<void*>(at)) U;
    } else {
      ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
  }
};
using ChunkBytes = std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>>;

// Chunk buffers handed round instead of made anew: an archive goes through hundreds of
// thousands of chunks, and memory given back to the system and taken again costs a page
// fault per page. Shared by the thread that reads and those that compress or decompress.
class ChunkBuffers {
 public:
  // An empty buffer with room for a chunk.
  ChunkBytes Take();
  // Keeps `buffer` for a later Take (up to a few hundred of them).
  void Give(ChunkBytes&& buffer);

 private:
  std::mutex mutex_;
  std::vector<ChunkBytes> free_;
};

struct StoredChunk {
  std::int32_t length = 0;  // > 0: zlib stream of that many bytes; < 0: that many raw bytes
  ChunkBytes data;          // what follows the length in the archive
  std::size_t rawSize = 0;  // bytes of the file the chunk holds
};

class ChunkCompressor {
 public:
  // zlib level 0 to 9 (or -1, the library default); the chunks' buffers come from `buffers`
  // (may be null) and go back there.
  explicit ChunkCompressor(int level, ChunkBuffers* buffers = nullptr);
  ~ChunkCompressor();
  ChunkCompressor(const ChunkCompressor&) = delete;
  ChunkCompressor& operator=(const ChunkCompressor&) = delete;

  // The chunk of up to 16 KiB of `raw`: its zlib stream, or `raw` itself when the stream does
  // not fit. Nullopt when zlib fails (to initialise or to compress).
  std::optional<StoredChunk> operator()(ChunkBytes&& raw);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// A chunk as the archive holds it: its length word and the bytes after it.
struct RawChunk {
  std::int32_t length = 0;
  ChunkBytes data;
};

// A chunk's file bytes; `ok` false when its zlib stream is damaged.
struct DecodedChunk {
  bool ok = false;
  ChunkBytes data;
};

class ChunkInflater {
 public:
  // The decoded chunks' buffers come from `buffers` (may be null), and the compressed ones go
  // back there.
  explicit ChunkInflater(ChunkBuffers* buffers = nullptr);
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
