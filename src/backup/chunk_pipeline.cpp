#include "backup/chunk_pipeline.h"

#include <algorithm>

namespace sw::backup {

ChunkPipeline::ChunkPipeline(int level, unsigned threads) : level_(level) {
  if (threads == 0) {
    threads = std::max(1U, std::thread::hardware_concurrency());
  }
  window_ = 2 * static_cast<std::size_t>(threads) + 2;
  if (threads == 1) {
    inline_ = std::make_unique<ChunkCompressor>(level);
    window_ = 1;
    return;
  }
  for (unsigned i = 0; i < threads; ++i) {
    workers_.emplace_back([this] { Work(); });
  }
}

ChunkPipeline::~ChunkPipeline() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    // Chunks nobody has started need no work; those being compressed finish first.
    std::erase_if(slots_, [](const auto& slot) { return !slot->started; });
  }
  workReady_.notify_all();
  for (auto& worker : workers_) {
    worker.join();
  }
}

bool ChunkPipeline::Full() const {
  std::lock_guard lock(mutex_);
  return slots_.size() >= window_;
}

bool ChunkPipeline::Empty() const {
  std::lock_guard lock(mutex_);
  return slots_.empty();
}

void ChunkPipeline::Submit(Bytes raw) {
  {
    std::lock_guard lock(mutex_);
    auto slot = std::make_unique<Slot>();
    slot->raw = std::move(raw);
    slots_.push_back(std::move(slot));
  }
  workReady_.notify_one();
}

std::optional<StoredChunk> ChunkPipeline::Take() {
  std::unique_lock lock(mutex_);
  if (slots_.empty()) {
    return std::nullopt;
  }
  if (inline_) {
    std::unique_ptr<Slot> slot = std::move(slots_.front());
    slots_.pop_front();
    lock.unlock();
    return inline_->Compress(slot->raw);
  }
  resultReady_.wait(lock, [this] { return slots_.front()->done; });
  std::unique_ptr<Slot> slot = std::move(slots_.front());
  slots_.pop_front();
  return std::move(slot->result);
}

void ChunkPipeline::Clear() {
  std::unique_lock lock(mutex_);
  resultReady_.wait(lock, [this] {
    return std::none_of(slots_.begin(), slots_.end(), [](const auto& slot) { return slot->started && !slot->done; });
  });
  slots_.clear();
}

void ChunkPipeline::Work() {
  ChunkCompressor compressor(level_);
  std::unique_lock lock(mutex_);
  for (;;) {
    Slot* slot = nullptr;
    workReady_.wait(lock, [&] {
      for (auto& candidate : slots_) {
        if (!candidate->started) {
          slot = candidate.get();
          return true;
        }
      }
      return stopping_;
    });
    if (slot == nullptr) {
      return;  // stopping, nothing left to do
    }
    slot->started = true;
    lock.unlock();
    std::optional<StoredChunk> result = compressor.Compress(slot->raw);
    lock.lock();
    slot->result = std::move(result);
    slot->done = true;
    resultReady_.notify_all();
  }
}

}  // namespace sw::backup
