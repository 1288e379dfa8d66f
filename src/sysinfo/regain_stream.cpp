#include "sysinfo/regain_stream.h"

#include <cstring>
#include <limits>
#include <new>

namespace sw::sysinfo {
namespace {

class HeapRegainStream final : public RegainStream {
 public:
  bool SetSize(std::uint64_t size) override {
    block_.reset();
    size_ = 0;
    position_ = 0;
    if (size > std::numeric_limits<std::size_t>::max()) {
      return false;
    }
    // Left uninitialised: the writes are what touch the pages.
    block_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size)]);
    if (!block_) {
      return false;
    }
    size_ = static_cast<std::size_t>(size);
    return true;
  }

  void Rewind() override { position_ = 0; }

  bool Write(std::span<const std::uint8_t> bytes) override {
    if (bytes.size() > size_ - position_) {
      return false;
    }
    std::memcpy(block_.get() + position_, bytes.data(), bytes.size());
    position_ += bytes.size();
    return true;
  }

 private:
  std::unique_ptr<std::uint8_t[]> block_;
  std::size_t size_ = 0;
  std::size_t position_ = 0;
};

}  // namespace

std::unique_ptr<RegainStream> MakeHeapRegainStream() {
  return std::make_unique<HeapRegainStream>();
}

}  // namespace sw::sysinfo
