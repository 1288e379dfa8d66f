#include "backup/archive_output.h"

namespace sw::backup {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

}  // namespace

Status ArchiveOutput::WriteInt32(std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8U),
                                 static_cast<std::uint8_t>(v >> 16U), static_cast<std::uint8_t>(v >> 24U)};
  return WriteBytes(bytes);
}

Status ArchiveOutput::WriteBytes(std::span<const std::uint8_t> bytes) {
  position_ += static_cast<std::int64_t>(bytes.size());
  if (buffer_.size() + bytes.size() > kBufferSize) {
    if (auto status = Flush(); !status) {
      return status;
    }
    if (bytes.size() >= kBufferSize) {
      return target_->Write(bytes);
    }
  }
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  return {};
}

Status ArchiveOutput::WriteText(std::string_view bytes) {
  if (auto status = WriteInt32(static_cast<std::int32_t>(bytes.size())); !status) {
    return status;
  }
  return WriteBytes(AsBytes(bytes));
}

Status ArchiveOutput::Flush() {
  if (buffer_.empty()) {
    return {};
  }
  Status status = target_->Write(buffer_);
  buffer_.clear();
  return status;
}

Status ArchiveOutput::SwitchTo(platform::FileWriter& target) {
  Status status = Flush();
  target_ = &target;
  position_ = 0;
  return status;
}

}  // namespace sw::backup
