#pragma once
// A set of strings kept in 64 shards chosen by the string's hash. A std::unordered_set moves
// all its elements into a new bucket array in the one insert that outgrows the old: with
// 700,000 paths that insert took a tenth of a second under Wine, on the thread of a window
// that must answer. A shard holds a 64th of the elements and moves only those; and the set can
// be let go of a shard at a time, with other work between.

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <unordered_set>

namespace sw {

class ShardedStringSet {
 public:
  static constexpr std::size_t kShards = 64;

  [[nodiscard]] bool contains(const std::string& key) const { return ShardOf(key).contains(key); }
  // False when the set held `key` already.
  bool insert(std::string key) {
    const bool added = ShardOf(key).insert(std::move(key)).second;
    size_ += added ? 1 : 0;
    return added;
  }
  void erase(const std::string& key) { size_ -= ShardOf(key).erase(key); }
  [[nodiscard]] std::size_t size() const { return size_; }
  [[nodiscard]] bool empty() const { return size_ == 0; }

  // Lets go of the elements of the next shard that holds any; false once the set is empty.
  bool ReleaseShard() {
    for (std::unordered_set<std::string>& shard : shards_) {
      if (!shard.empty()) {
        size_ -= shard.size();
        std::unordered_set<std::string>().swap(shard);
        return true;
      }
    }
    return false;
  }

 private:
  // The hash's top bits choose the shard; the shard's buckets go by the whole hash, taken
  // modulo their count, so the two choices do not follow each other.
  [[nodiscard]] static std::size_t IndexOf(const std::string& key) {
    return std::hash<std::string>{}(key) >> (sizeof(std::size_t) * 8 - 6);
  }
  [[nodiscard]] std::unordered_set<std::string>& ShardOf(const std::string& key) { return shards_[IndexOf(key)]; }
  [[nodiscard]] const std::unordered_set<std::string>& ShardOf(const std::string& key) const {
    return shards_[IndexOf(key)];
  }

  std::array<std::unordered_set<std::string>, kShards> shards_;
  std::size_t size_ = 0;
};

}  // namespace sw
