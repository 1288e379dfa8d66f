#include "backup/archive_scanner.h"

#include <algorithm>
#include <cstring>

#include "backup/archive_format.h"

namespace sw::backup {
namespace {

constexpr std::size_t kScanBlockSize = 64 * 1024;
// Windows paths hold at most 32,767 UTF-16 units: in UTF-8 no more than three bytes each.
constexpr std::size_t kMaxNameBytes = 3 * 32767;
constexpr std::size_t kMaxTitleBytes = 64 * 1024;

[[noreturn]] void CannotRead() {
  throw ArchiveFault(kCannotReadArchive);
}

}  // namespace

ArchiveScanner::ArchiveScanner(platform::FileReader& source) : source_(&source), buffer_(kScanBlockSize) {}

ArchiveScanner::ArchiveScanner(std::unique_ptr<platform::FileReader> volume)
    : owned_(std::move(volume)), source_(owned_.get()), buffer_(kScanBlockSize) {}

ArchiveScanner::~ArchiveScanner() = default;

std::size_t ArchiveScanner::Fill() {
  if (begin_ == end_) {
    bufferOffset_ += end_;
    begin_ = end_ = 0;
    const auto read = source_->Read(buffer_);
    if (!read) {
      CannotRead();
    }
    end_ = *read;
  }
  return end_ - begin_;
}

void ArchiveScanner::ReadExactly(std::span<std::uint8_t> out) {
  while (!out.empty()) {
    const std::size_t available = Fill();
    if (available == 0) {
      CannotRead();  // the archive ends here
    }
    const std::size_t take = std::min(available, out.size());
    std::memcpy(out.data(), buffer_.data() + begin_, take);
    begin_ += take;
    out = out.subspan(take);
  }
}

void ArchiveScanner::ReadAppending(ChunkBytes& out, std::size_t count) {
  while (count > 0) {
    const std::size_t available = Fill();
    if (available == 0) {
      CannotRead();
    }
    const std::size_t take = std::min(available, count);
    const std::size_t at = out.size();
    out.resize(at + take);  // not cleared: copied over at once
    std::memcpy(out.data() + at, buffer_.data() + begin_, take);
    begin_ += take;
    count -= take;
  }
}

void ArchiveScanner::Skip(std::size_t count) {
  while (count > 0) {
    const std::size_t available = Fill();
    if (available == 0) {
      CannotRead();
    }
    const std::size_t take = std::min(available, count);
    begin_ += take;
    count -= take;
  }
}

std::int32_t ArchiveScanner::ReadInt32() {
  std::uint8_t bytes[4];
  ReadExactly(bytes);
  return static_cast<std::int32_t>(bytes[0] | bytes[1] << 8U | bytes[2] << 16U |
                                   static_cast<std::uint32_t>(bytes[3]) << 24U);
}

std::string ArchiveScanner::ReadText(std::int32_t length, std::size_t maximum) {
  if (length < 0 || static_cast<std::size_t>(length) > maximum) {
    CannotRead();
  }
  std::string text(static_cast<std::size_t>(length), '\0');
  ReadExactly({reinterpret_cast<std::uint8_t*>(text.data()), text.size()});
  return text;
}

ArchiveHeader ArchiveScanner::ReadHeader() {
  ArchiveHeader header;
  header.title = ReadText(ReadInt32(), kMaxTitleBytes);
  header.totalBytes = ReadInt32();
  header.fileCount = ReadInt32();
  return header;
}

ArchiveRecord ArchiveScanner::ReadRecord() {
  ArchiveRecord record;
  const std::int32_t length = ReadInt32();
  if (length == 0) {
    return record;
  }
  std::string name = ReadText(length, kMaxNameBytes);
  if (name.starts_with(kVolumeSwitchPrefix)) {
    record.kind = ArchiveRecord::Kind::VolumeSwitch;
    record.digits = name.substr(kVolumeSwitchPrefix.size(), 3);
    const bool threeDigits = record.digits.size() == 3 && std::all_of(record.digits.begin(), record.digits.end(),
                                                                      [](char c) { return c >= '0' && c <= '9'; });
    if (!threeDigits) {
      CannotRead();
    }
    return record;
  }
  record.kind = ArchiveRecord::Kind::Entry;
  record.name = std::move(name);
  record.date = ReadInt32();
  return record;
}

void ArchiveScanner::ReadBlockMarker() {
  std::uint8_t marker[4];
  ReadExactly(marker);
  if (std::memcmp(marker, kBlockMarker, sizeof marker) != 0) {
    throw ArchiveFault(kInvalidArchiveType);
  }
}

std::int32_t ArchiveScanner::ReadChunkLength() {
  const std::int32_t length = ReadInt32();
  // No writer stores more than one chunk's room; INT32_MIN has no positive counterpart.
  if (length < -static_cast<std::int32_t>(kChunkSize) || length > static_cast<std::int32_t>(kChunkSize)) {
    CannotRead();
  }
  return length;
}

std::optional<RawChunk> ArchiveScanner::ReadRawChunk(ChunkBytes buffer) {
  const std::int32_t length = ReadChunkLength();
  if (length == 0) {
    return std::nullopt;
  }
  const auto size = static_cast<std::size_t>(length < 0 ? -length : length);
  RawChunk chunk{length, std::move(buffer)};
  chunk.data.clear();
  chunk.data.reserve(size);  // filled from the buffer as it comes, not cleared first
  ReadAppending(chunk.data, size);
  return chunk;
}

bool ArchiveScanner::SkipChunk() {
  const std::int32_t length = ReadChunkLength();
  if (length == 0) {
    return false;
  }
  Skip(static_cast<std::size_t>(length < 0 ? -length : length));
  return true;
}

BlockEnd ArchiveScanner::ReadBlock(const std::function<bool(std::span<const std::uint8_t>)>& onChunk) {
  ReadBlockMarker();
  while (const auto chunk = ReadRawChunk()) {
    const DecodedChunk decoded = inflater_.Decode(*chunk);
    if (!decoded.ok) {
      return BlockEnd::InflateFailed;
    }
    if (!onChunk(decoded.data)) {
      return BlockEnd::Stopped;
    }
  }
  return BlockEnd::EndWord;
}

bool ArchiveScanner::AtEnd() {
  return Fill() == 0;
}

void ArchiveScanner::SkipTo(std::uint64_t offset) {
  if (offset < Offset()) {
    CannotRead();
  }
  Skip(static_cast<std::size_t>(offset - Offset()));
}

void ArchiveScanner::SwitchVolume(std::unique_ptr<platform::FileReader> volume) {
  owned_ = std::move(volume);
  source_ = owned_.get();
  begin_ = end_ = 0;
  bufferOffset_ = 0;
}

}  // namespace sw::backup
