#pragma once
// In-memory streams for the archive's ":STREAM" mode.

#include <algorithm>
#include <cstring>

#include "core/bytes.h"
#include "platform/file_system.h"

namespace sw::test {

class MemoryWriter final : public platform::FileWriter {
 public:
  Status Write(std::span<const std::uint8_t> data) override {
    bytes.insert(bytes.end(), data.begin(), data.end());
    return {};
  }
  Status Commit() override { return {}; }

  Bytes bytes;
};

class MemoryReader final : public platform::FileReader {
 public:
  explicit MemoryReader(Bytes data) : bytes_(std::move(data)) {}

  Result<std::size_t> Read(std::span<std::uint8_t> buffer) override {
    const std::size_t take = std::min(buffer.size(), bytes_.size() - offset_);
    std::memcpy(buffer.data(), bytes_.data() + offset_, take);
    offset_ += take;
    return take;
  }
  Result<std::uint64_t> Size() override { return bytes_.size(); }

 private:
  Bytes bytes_;
  std::size_t offset_ = 0;
};

}  // namespace sw::test
