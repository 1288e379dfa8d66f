#pragma once
// Reads an archive record by record, trusting nothing: every length is checked against what
// the format allows before anything is allocated or read, so a damaged or hostile archive
// ends in an ArchiveFault ("Cannot read archive" or "Invalid archive type"), never in a
// crash or a huge allocation. Used by Restore and by the listing.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

#include "backup/chunk_codec.h"
#include "platform/file_system.h"

namespace sw::backup {

inline constexpr const char* kCannotReadArchive = "Cannot read archive";
inline constexpr const char* kInvalidArchiveType = "Invalid archive type";

class ArchiveFault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ArchiveHeader {
  std::string title;  // 8-bit text as stored
  std::int32_t totalBytes = 0;
  std::int32_t fileCount = 0;
};

struct ArchiveRecord {
  enum class Kind { End, Entry, VolumeSwitch };
  Kind kind = Kind::End;
  std::string name;       // Entry: the stored name, 8-bit text as stored
  std::int32_t date = 0;  // Entry: DOS date and time
  std::string digits;     // VolumeSwitch: the next volume's three digits
};

enum class BlockEnd {
  EndWord,        // the block ended normally
  Stopped,        // the chunk callback asked to stop
  InflateFailed,  // a chunk did not decompress
};

class ArchiveScanner {
 public:
  // Reads from `source`, which stays the caller's.
  explicit ArchiveScanner(platform::FileReader& source);
  // Reads from a volume file of its own.
  explicit ArchiveScanner(std::unique_ptr<platform::FileReader> volume);
  ~ArchiveScanner();

  ArchiveHeader ReadHeader();
  // The next entry, volume switch or end marker.
  ArchiveRecord ReadRecord();

  // The pieces of a data block: its marker ("Invalid archive type" when wrong), then its
  // chunks until the end word (nullopt, or false for SkipChunk).
  void ReadBlockMarker();
  // The next chunk (read into `buffer`, an empty one with room for a chunk, when given).
  std::optional<RawChunk> ReadRawChunk(ChunkBytes buffer = {});
  bool SkipChunk();

  // Decodes the data block that follows; `onChunk` gets each chunk's file bytes and returns
  // whether to go on.
  BlockEnd ReadBlock(const std::function<bool(std::span<const std::uint8_t>)>& onChunk);

  // Whether the current volume has no byte left (after the end marker: nothing follows it).
  [[nodiscard]] bool AtEnd();

  // Where the next byte comes from, counted from the start of the current volume.
  [[nodiscard]] std::uint64_t Offset() const { return bufferOffset_ + begin_; }
  // Reads on from `offset` of the current volume, which must not lie behind Offset().
  void SkipTo(std::uint64_t offset);

  // Goes on reading from the next volume.
  void SwitchVolume(std::unique_ptr<platform::FileReader> volume);

 private:
  std::int32_t ReadInt32();
  // The next chunk's length, checked against what a chunk can hold; 0 at the end word.
  std::int32_t ReadChunkLength();
  void ReadExactly(std::span<std::uint8_t> out);
  // Appends the next `count` bytes to `out`, which has room reserved for them.
  void ReadAppending(ChunkBytes& out, std::size_t count);
  std::string ReadText(std::int32_t length, std::size_t maximum);
  void Skip(std::size_t count);
  std::size_t Fill();

  std::unique_ptr<platform::FileReader> owned_;
  platform::FileReader* source_;
  Bytes buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::uint64_t bufferOffset_ = 0;  // the volume's offset of buffer_[0]
  ChunkInflater inflater_;
};

}  // namespace sw::backup
