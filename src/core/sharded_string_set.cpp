#include "core/sharded_string_set.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace sw {
namespace {

constexpr std::uint64_t kEmpty = 0;
constexpr std::uint64_t kErased = 1;
constexpr std::size_t kFirstSlots = 64;
constexpr std::size_t kLengthBytes = sizeof(std::uint32_t);
// Blocks of strings: a small set takes little; a large one a few hundred blocks per shard.
constexpr std::size_t kFirstBlock = 4 * 1024;
constexpr std::size_t kLargestBlock = 256 * 1024;

std::string_view TextAt(const char* text) {
  std::uint32_t length = 0;
  std::memcpy(&length, text, kLengthBytes);
  return {text + kLengthBytes, length};
}

}  // namespace

std::uint64_t ShardedStringSet::HashOf(std::string_view key) {
  static_assert(sizeof(std::size_t) == sizeof(std::uint64_t), "the shard and the slot take apart 64 bits of hash");
  const std::uint64_t hash = std::hash<std::string_view>{}(key);
  return hash <= kErased ? hash + 2 : hash;  // the two marks are not hashes
}

bool ShardedStringSet::contains(std::string_view key) const {
  const std::uint64_t hash = HashOf(key);
  return shards_[ShardIndex(hash)].Contains(hash, key);
}

bool ShardedStringSet::insert(std::string_view key) {
  const std::uint64_t hash = HashOf(key);
  const bool added = shards_[ShardIndex(hash)].Insert(hash, key);
  size_ += added ? 1 : 0;
  return added;
}

void ShardedStringSet::erase(std::string_view key) {
  const std::uint64_t hash = HashOf(key);
  size_ -= shards_[ShardIndex(hash)].Erase(hash, key) ? 1 : 0;
}

bool ShardedStringSet::ReleaseShard() {
  for (Shard& shard : shards_) {
    if (shard.Size() != 0) {
      size_ -= shard.Size();
      shard = Shard();
      return true;
    }
  }
  return false;
}

std::size_t ShardedStringSet::Shard::Find(std::uint64_t hash, std::string_view key) const {
  if (slots_.empty()) {
    return 0;
  }
  const std::size_t mask = slots_.size() - 1;
  // Half the slots at most are taken, so the search meets an empty one.
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.hash == kEmpty) {
      return slots_.size();
    }
    if (slot.hash == hash && TextAt(slot.text) == key) {
      return i;
    }
  }
}

bool ShardedStringSet::Shard::Contains(std::uint64_t hash, std::string_view key) const {
  return Find(hash, key) != slots_.size();
}

bool ShardedStringSet::Shard::Erase(std::uint64_t hash, std::string_view key) {
  const std::size_t at = Find(hash, key);
  if (at == slots_.size()) {
    return false;
  }
  // Marked, not emptied: a string placed after it in the same run is still found. Its
  // characters stay in their block until the shard goes; erases are few.
  slots_[at] = Slot{kErased, nullptr};
  --used_;
  ++erased_;
  return true;
}

bool ShardedStringSet::Shard::Insert(std::uint64_t hash, std::string_view key) {
  if (Find(hash, key) != slots_.size()) {
    return false;
  }
  if (2 * (used_ + erased_ + 1) > slots_.size()) {
    Grow();
  }
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = hash & mask;
  while (slots_[i].hash != kEmpty && slots_[i].hash != kErased) {
    i = (i + 1) & mask;
  }
  erased_ -= slots_[i].hash == kErased ? 1 : 0;
  slots_[i] = Slot{hash, Store(key)};
  ++used_;
  return true;
}

void ShardedStringSet::Shard::Grow() {
  // Twice the size when the strings held fill a quarter of the table; the same size, without
  // the erased marks, when it was they that filled it.
  const std::size_t size = std::max(kFirstSlots, 4 * (used_ + 1) > slots_.size() ? 2 * slots_.size() : slots_.size());
  std::vector<Slot> old(size);
  old.swap(slots_);
  const std::size_t mask = size - 1;
  for (const Slot& slot : old) {
    if (slot.hash > kErased) {
      std::size_t i = slot.hash & mask;
      while (slots_[i].hash != kEmpty) {
        i = (i + 1) & mask;
      }
      slots_[i] = slot;
    }
  }
  erased_ = 0;
}

const char* ShardedStringSet::Shard::Store(std::string_view key) {
  const std::size_t need = kLengthBytes + key.size();
  if (need > freeSize_) {
    blockSize_ = blocks_.empty() ? kFirstBlock : std::min(kLargestBlock, 2 * blockSize_);
    const std::size_t size = std::max(need, blockSize_);
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    free_ = blocks_.back().get();
    freeSize_ = size;
  }
  const auto length = static_cast<std::uint32_t>(key.size());
  std::memcpy(free_, &length, kLengthBytes);
  std::memcpy(free_ + kLengthBytes, key.data(), key.size());
  const char* text = free_;
  free_ += need;
  freeSize_ -= need;
  return text;
}

}  // namespace sw
