#pragma once
// The block a memory reclaim grows, fills and frees. The reclaim asks for it through a
// factory, so that tests hand it a stand-in and never take a share of the machine's memory.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace sw::sysinfo {

class RegainStream {
 public:
  RegainStream() = default;
  RegainStream(const RegainStream&) = delete;
  RegainStream& operator=(const RegainStream&) = delete;
  // Gives all of its memory back to the system.
  virtual ~RegainStream() = default;

  // Makes the stream `size` bytes long; false when the memory cannot be had (the stream is
  // then empty).
  virtual bool SetSize(std::uint64_t size) = 0;
  virtual void Rewind() = 0;
  // Writes at the position and moves past the bytes; false when they do not fit the size.
  virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
};

using RegainStreamFactory = std::function<std::unique_ptr<RegainStream>()>;

// A stream on the heap, which the writes touch page by page.
std::unique_ptr<RegainStream> MakeHeapRegainStream();

}  // namespace sw::sysinfo
