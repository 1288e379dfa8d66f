#pragma once
// The rows of a list that grows one row at a time on the window's thread, which must answer
// the user between rows. A std::vector moves all its elements at once when it outgrows its
// block: with half a million result rows that one append took about a third of a second, and
// the window froze for it. This vector starts its next block when the current one is seven
// eighths full and moves eight elements along with every append, so the move is done by the
// time the block is full and no append moves more than eight.
//
// Everything but appending, reading by index and clearing works on `Settled()`, the elements
// in one std::vector; asking for it in the middle of a growth finishes the move first.

#include <cstddef>
#include <utility>
#include <vector>

namespace sw::app {

template <typename T>
class SteadyVector {
 public:
  // Below this capacity a whole move is brief, and growth is left to std::vector.
  static constexpr std::size_t kSteadyFrom = std::size_t{1} << 15;
  // Moved along with each append while the next block fills; the growth starts when the room
  // left is a `kMovesPerAppend`th of the block, so the move ends as the block fills.
  static constexpr std::size_t kMovesPerAppend = 8;

  [[nodiscard]] std::size_t size() const { return current_.size(); }
  [[nodiscard]] bool empty() const { return current_.empty(); }

  [[nodiscard]] const T& operator[](std::size_t index) const { return index < moved_ ? next_[index] : current_[index]; }

  void push_back(const T& value) {
    // A vector assigned from outside more than seven eighths full fills its block before the
    // pace above has moved everything: the rest moves now, so a full block never reallocates.
    if (Growing() && current_.size() == current_.capacity()) {
      Finish();
    }
    // (A block already full, as one assigned from outside may be, grows at once.)
    if (!Growing() && current_.capacity() >= kSteadyFrom && current_.size() < current_.capacity() &&
        current_.capacity() - current_.size() <= current_.capacity() / kMovesPerAppend) {
      next_.reserve(current_.capacity() * 2);
    }
    current_.push_back(value);
    if (Growing()) {
      MoveAlong(kMovesPerAppend);
    }
  }

  void clear() {
    current_.clear();
    std::vector<T>().swap(next_);
    moved_ = 0;
  }

  // Everything held, block by block, leaving the vector empty and without a growth: for a
  // caller that lets go of many elements a share at a time. In the middle of a growth that is
  // the block taking over, holding the first elements, then the current block, whose first
  // elements are what was moved from.
  [[nodiscard]] std::vector<std::vector<T>> TakeBlocks() {
    std::vector<std::vector<T>> blocks;
    blocks.push_back(std::exchange(next_, {}));
    blocks.push_back(std::exchange(current_, {}));
    moved_ = 0;
    return blocks;
  }

  // Moves up to `count` more elements of a growth under way, finishing it when they are the
  // last; true once no growth is under way. For a caller that settles the vector a share at a
  // time with other work between the shares, before it asks for `Settled()`. The block the
  // growth leaves behind (its elements moved from, a million destructors at a million rows)
  // goes to `spent` rather than being let go here, for the caller to let go in steps too.
  bool SettleSome(std::size_t count, std::vector<T>& spent) {
    if (Growing() && count > 0) {
      MoveAlong(count, &spent);
    }
    return !Growing();
  }

  [[nodiscard]] std::vector<T>& Settled() {
    if (Growing()) {
      Finish();
    }
    return current_;
  }

 private:
  // A growth is under way exactly while the next block is held.
  [[nodiscard]] bool Growing() const { return next_.capacity() != 0; }

  void MoveAlong(std::size_t count, std::vector<T>* spent = nullptr) {
    for (; count > 0 && moved_ < current_.size(); --count) {
      next_.push_back(std::move(current_[moved_++]));
    }
    if (moved_ == current_.size()) {
      Finish(spent);
    }
  }

  // The rest moved; the new block becomes the vector, and the old one, holding only what
  // was moved from, is let go (or handed to `spent`).
  void Finish(std::vector<T>* spent = nullptr) {
    while (moved_ < current_.size()) {
      next_.push_back(std::move(current_[moved_++]));
    }
    current_.swap(next_);
    if (spent != nullptr) {
      *spent = std::move(next_);
    }
    std::vector<T>().swap(next_);
    moved_ = 0;
  }

  std::vector<T> current_;
  // While growing: the block that takes over, holding the first `moved_` elements.
  std::vector<T> next_;
  std::size_t moved_ = 0;
};

}  // namespace sw::app
