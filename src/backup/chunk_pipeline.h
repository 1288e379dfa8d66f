#pragma once
// Compresses chunks ahead of the archive writer on several threads and hands them back in
// the order they were submitted. Chunks are independent zlib streams, so the result is the
// same bytes whatever the number of threads; with one thread the caller's thread does the
// work in Take. At most Window() chunks are in flight, so memory stays bounded.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "backup/chunk_codec.h"

namespace sw::backup {

class ChunkPipeline {
 public:
  // `threads` 0 means one per processor.
  ChunkPipeline(int level, unsigned threads);
  ~ChunkPipeline();
  ChunkPipeline(const ChunkPipeline&) = delete;
  ChunkPipeline& operator=(const ChunkPipeline&) = delete;

  [[nodiscard]] bool Full() const;
  [[nodiscard]] bool Empty() const;
  void Submit(Bytes raw);
  // The oldest submitted chunk, compressed; nullopt when zlib failed on it.
  std::optional<StoredChunk> Take();
  // Forgets every chunk in flight (after a cancel), waiting for those being compressed.
  void Clear();

 private:
  struct Slot {
    Bytes raw;
    std::optional<StoredChunk> result;
    bool started = false;
    bool done = false;
  };

  void Work();

  int level_;
  std::size_t window_;
  std::deque<std::unique_ptr<Slot>> slots_;
  std::unique_ptr<ChunkCompressor> inline_;  // the caller's thread compresses (one thread)
  mutable std::mutex mutex_;
  std::condition_variable workReady_;
  std::condition_variable resultReady_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace sw::backup
