#pragma once
// Buffered writing of archive records to one volume (a file we own, or the caller's stream).

#include <cstdint>
#include <span>
#include <string_view>

#include "core/bytes.h"
#include "core/result.h"
#include "platform/file_system.h"

namespace sw::backup {

class ArchiveOutput {
 public:
  explicit ArchiveOutput(platform::FileWriter& target) : target_(&target) {}
  ArchiveOutput(const ArchiveOutput&) = delete;
  ArchiveOutput& operator=(const ArchiveOutput&) = delete;

  Status WriteInt32(std::int32_t value);
  Status WriteBytes(std::span<const std::uint8_t> bytes);
  // A length-prefixed text: its byte count, then its bytes.
  Status WriteText(std::string_view bytes);
  // Writes what is buffered to the target.
  Status Flush();

  // Bytes written to this volume so far, buffered ones included.
  [[nodiscard]] std::int64_t Position() const { return position_; }

  // Flushes and continues on another volume, counting from zero again.
  Status SwitchTo(platform::FileWriter& target);

 private:
  platform::FileWriter* target_;
  Bytes buffer_;
  std::int64_t position_ = 0;
};

}  // namespace sw::backup
