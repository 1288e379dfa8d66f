#include "support/archive_decoder.h"

#include <zlib.h>

#include <cstring>
#include <stdexcept>

namespace sw::test {
namespace {

class Cursor {
 public:
  explicit Cursor(const std::vector<Bytes>& volumes) : volumes_(volumes) {}

  std::int32_t Int32() {
    const Bytes b = Take(4);
    return static_cast<std::int32_t>(b[0] | b[1] << 8U | b[2] << 16U | static_cast<std::uint32_t>(b[3]) << 24U);
  }

  Bytes Take(std::size_t count) {
    const Bytes& v = volumes_.at(volume_);
    if (v.size() - offset_ < count) {
      throw std::runtime_error("archive ends early");
    }
    Bytes out(v.begin() + static_cast<std::ptrdiff_t>(offset_),
              v.begin() + static_cast<std::ptrdiff_t>(offset_ + count));
    offset_ += count;
    return out;
  }

  std::string Text(std::int32_t length) {
    const Bytes b = Take(static_cast<std::size_t>(length));
    return {b.begin(), b.end()};
  }

  void NextVolume() {
    if (offset_ != volumes_.at(volume_).size()) {
      throw std::runtime_error("bytes after a volume switch");
    }
    ++volume_;
    offset_ = 0;
    if (volume_ >= volumes_.size()) {
      throw std::runtime_error("missing volume");
    }
  }

  [[nodiscard]] bool AtEndOfLastVolume() const {
    return volume_ + 1 == volumes_.size() && offset_ == volumes_[volume_].size();
  }

 private:
  const std::vector<Bytes>& volumes_;
  std::size_t volume_ = 0;
  std::size_t offset_ = 0;
};

void DecodeBlock(Cursor& cursor, DecodedEntry& entry) {
  const Bytes marker = cursor.Take(4);
  if (std::memcmp(marker.data(), "EC2\0", 4) != 0) {
    throw std::runtime_error("no block marker");
  }
  std::vector<std::int32_t>& lengths = entry.blocks.emplace_back();
  for (std::int32_t length = cursor.Int32(); length != 0; length = cursor.Int32()) {
    lengths.push_back(length);
    if (length < 0) {
      const Bytes raw = cursor.Take(static_cast<std::size_t>(-static_cast<std::int64_t>(length)));
      entry.data.insert(entry.data.end(), raw.begin(), raw.end());
      continue;
    }
    const Bytes stream = cursor.Take(static_cast<std::size_t>(length));
    Bytes out(16384);
    uLongf produced = out.size();
    if (uncompress(out.data(), &produced, stream.data(), stream.size()) != Z_OK) {
      throw std::runtime_error("a chunk is no complete zlib stream of at most 16 KiB");
    }
    entry.data.insert(entry.data.end(), out.begin(), out.begin() + static_cast<std::ptrdiff_t>(produced));
  }
}

}  // namespace

DecodedArchive DecodeArchive(const std::vector<Bytes>& volumes) {
  Cursor cursor(volumes);
  DecodedArchive archive;
  archive.title = cursor.Text(cursor.Int32());
  archive.totalBytes = cursor.Int32();
  archive.fileCount = cursor.Int32();
  for (std::int32_t length = cursor.Int32(); length != 0; length = cursor.Int32()) {
    std::string name = cursor.Text(length);
    if (name.starts_with("NEXT:DISK")) {
      if (archive.entries.empty()) {
        throw std::runtime_error("volume switch before any entry");
      }
      archive.switches.push_back(name);
      cursor.NextVolume();
      DecodeBlock(cursor, archive.entries.back());
      continue;
    }
    DecodedEntry& entry = archive.entries.emplace_back();
    entry.name = std::move(name);
    entry.date = cursor.Int32();
    DecodeBlock(cursor, entry);
  }
  if (!cursor.AtEndOfLastVolume()) {
    throw std::runtime_error("bytes after the end marker");
  }
  return archive;
}

}  // namespace sw::test
