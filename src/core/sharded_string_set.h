#pragma once
// A set of strings for a walk's million paths, kept in 64 shards chosen by the string's hash.
//
// A shard is an open-addressed table of 16-byte slots (the hash and where the string is), its
// strings packed one after another in blocks. A lookup of a path the set does not hold (most of
// a walk's) reads one slot, mostly one line of the processor's cache; a std::unordered_set read
// a bucket, then a node and a string elsewhere on the heap, and at a million paths (100 MB of
// nodes) each of those missed the caches: the set cost a Find 18 times as much at a million
// files as at 200,000. Its strings are compared only when the hashes agree, so the set is exact.
//
// Sharded, a table that outgrows itself moves a 64th of the slots, not all of them: one
// std::unordered_set moving 700,000 paths took a tenth of a second under Wine, on the thread of
// a window that must answer. And the set can be let go of a shard at a time, with other work
// between.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace sw {

class ShardedStringSet {
 public:
  static constexpr std::size_t kShards = 64;

  [[nodiscard]] bool contains(std::string_view key) const;
  // False when the set held `key` already.
  bool insert(std::string_view key);
  void erase(std::string_view key);
  [[nodiscard]] std::size_t size() const { return size_; }
  [[nodiscard]] bool empty() const { return size_ == 0; }

  // Lets go of the strings of the next shard that holds any; false once the set is empty.
  bool ReleaseShard();

 private:
  struct Slot {
    std::uint64_t hash = 0;  // kEmpty, kErased or the string's hash (never one of those two)
    const char* text = nullptr;  // the string's length (4 bytes), then its characters
  };
  class Shard {
   public:
    [[nodiscard]] bool Contains(std::uint64_t hash, std::string_view key) const;
    bool Insert(std::uint64_t hash, std::string_view key);
    bool Erase(std::uint64_t hash, std::string_view key);
    [[nodiscard]] std::size_t Size() const { return used_; }

   private:
    // The slot that holds `key`, or slots_.size() when none does.
    [[nodiscard]] std::size_t Find(std::uint64_t hash, std::string_view key) const;
    void Grow();
    const char* Store(std::string_view key);

    std::vector<Slot> slots_;  // a power of two in size, at most half of them taken
    std::size_t used_ = 0;
    std::size_t erased_ = 0;  // slots whose string was erased: they still lengthen a search
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* free_ = nullptr;  // the rest of the last block
    std::size_t freeSize_ = 0;
    std::size_t blockSize_ = 0;  // of the last block not made for one long string
  };

  [[nodiscard]] static std::uint64_t HashOf(std::string_view key);
  // The hash's top bits choose the shard; the slot goes by its low bits, so the two choices do
  // not follow each other.
  [[nodiscard]] static std::size_t ShardIndex(std::uint64_t hash) { return hash >> (64 - 6); }

  std::array<Shard, kShards> shards_;
  std::size_t size_ = 0;
};

}  // namespace sw
