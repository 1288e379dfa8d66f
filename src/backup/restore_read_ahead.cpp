#include "backup/restore_read_ahead.h"

#include "backup/archive_format.h"

namespace sw::backup {
namespace {

// Chunks decompressed together on one thread, and the runs in flight: 2 MiB of file bytes,
// enough to keep the threads busy across many small files.
constexpr std::size_t kRun = 8;
constexpr std::size_t kWindow = 16;
// How far a block is decoded ahead to count its bytes exactly: 8 MiB of file bytes. A
// larger file is counted by the scout.
constexpr std::size_t kMaxHeld = 512;
constexpr std::size_t kMaxTokens = 4096;
// Items read per look-ahead step, so the restore gets back to the window in between.
constexpr int kParseBatch = 256;

std::uint64_t FileBytesOf(std::int32_t length) {
  return length < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(length)) : kChunkSize;
}

}  // namespace

BlockSizeScout::BlockSizeScout(std::unique_ptr<platform::FileReader> volume) : scanner_(std::move(volume)) {}

std::optional<std::uint64_t> BlockSizeScout::RestOfBlock(std::uint64_t offset) {
  try {
    scanner_.SkipTo(offset);
    std::uint64_t total = 0;
    std::optional<RawChunk> last;
    while (auto chunk = scanner_.ReadRawChunk()) {
      if (last) {
        total += FileBytesOf(last->length);
      }
      last = std::move(chunk);
    }
    if (last && last->length < 0) {
      total += FileBytesOf(last->length);
    } else if (last) {
      const DecodedChunk decoded = inflater_.Decode(*last);
      if (!decoded.ok) {
        return std::nullopt;
      }
      total += decoded.data.size();
    }
    return total;
  } catch (const ArchiveFault&) {
    return std::nullopt;
  }
}

std::vector<DecodedChunk> BatchInflater::operator()(std::vector<RawChunk>&& run) {
  std::vector<DecodedChunk> decoded;
  decoded.reserve(run.size());
  for (RawChunk& chunk : run) {
    decoded.push_back(inflater_(std::move(chunk)));
  }
  return decoded;
}

RestoreReadAhead::RestoreReadAhead(ArchiveScanner& scanner, unsigned threads, bool speculate)
    : scanner_(scanner),
      speculate_(speculate),
      decoder_(threads, [this] { return std::make_unique<BatchInflater>(&buffers_); }, kWindow) {}

RestoreReadAhead::~RestoreReadAhead() = default;

void RestoreReadAhead::FillAhead() {
  for (int i = 0; i < kParseBatch; ++i) {
    if (parse_ == Parse::Waiting || parse_ == Parse::Halted || tokens_.size() >= kMaxTokens ||
        (parse_ == Parse::Chunks && decodeBlock_ && decoder_.Full())) {
      break;
    }
    try {
      ParseOne();
    } catch (const ArchiveFault& fault) {
      tokens_.push_back(Token{Token::Kind::Fault, {}, 0, fault.what()});
      parse_ = Parse::Halted;
    }
  }
  SubmitRun();  // nothing read waits: the restore may need it next
}

void RestoreReadAhead::SubmitRun() {
  if (!run_.empty()) {
    decoder_.Submit(std::move(run_));
    run_.clear();
    run_.reserve(kRun);
  }
}

void RestoreReadAhead::TakeRun() {
  std::vector<DecodedChunk> run = decoder_.Take();
  for (DecodedChunk& chunk : run) {
    ready_.push_back(std::move(chunk));
  }
}

void RestoreReadAhead::ParseOne() {
  switch (parse_) {
    case Parse::Record: {
      ArchiveRecord record = scanner_.ReadRecord();
      if (record.kind == ArchiveRecord::Kind::End) {
        parse_ = Parse::Halted;
      } else if (record.kind == ArchiveRecord::Kind::VolumeSwitch) {
        parse_ = Parse::Waiting;  // for the next volume
      } else if (speculate_ && record.name != kFileListName) {
        parse_ = Parse::Marker;
        decodeBlock_ = true;
      } else {
        parse_ = Parse::Waiting;  // for the restore's decision
      }
      tokens_.push_back(Token{Token::Kind::Record, std::move(record), 0, {}});
      break;
    }
    case Parse::Marker:
      scanner_.ReadBlockMarker();
      parse_ = Parse::Chunks;
      break;
    case Parse::Chunks:
      if (decodeBlock_) {
        auto chunk = scanner_.ReadRawChunk(buffers_.Take());
        if (!chunk) {
          tokens_.push_back(Token{Token::Kind::BlockEnd, {}, 0, {}});
          parse_ = Parse::Record;
          break;
        }
        const std::int32_t length = chunk->length;
        run_.push_back(std::move(*chunk));
        if (run_.size() == kRun) {
          SubmitRun();
        }
        tokens_.push_back(Token{Token::Kind::Chunk, {}, length, {}});
      } else if (scanner_.SkipChunk()) {
        tokens_.push_back(Token{Token::Kind::Skipped, {}, 0, {}});
      } else {
        tokens_.push_back(Token{Token::Kind::BlockEnd, {}, 0, {}});
        parse_ = Parse::Record;
      }
      break;
    case Parse::Waiting:
    case Parse::Halted: break;
  }
}

RestoreReadAhead::Token& RestoreReadAhead::Front() {
  FillAhead();
  if (tokens_.empty()) {
    throw ArchiveFault(kCannotReadArchive);  // asked for more than the archive's order gives
  }
  return tokens_.front();
}

void RestoreReadAhead::Raise(const Token& token) {
  throw ArchiveFault(token.fault);
}

DecodedChunk RestoreReadAhead::TakeResult() {
  if (ready_.empty()) {
    TakeRun();
  }
  DecodedChunk chunk = std::move(ready_.front());
  ready_.pop_front();
  return chunk;
}

ArchiveRecord RestoreReadAhead::NextRecord() {
  Token& token = Front();
  if (token.kind == Token::Kind::Fault) {
    Raise(token);
  }
  if (token.kind != Token::Kind::Record) {
    throw ArchiveFault(kCannotReadArchive);
  }
  ArchiveRecord record = std::move(token.record);
  tokens_.pop_front();
  return record;
}

void RestoreReadAhead::BeginBlock(bool decode) {
  if (parse_ == Parse::Waiting && tokens_.empty()) {
    parse_ = Parse::Marker;
    decodeBlock_ = decode;
    discard_ = false;
    return;
  }
  discard_ = !decode;  // read ahead already: decoded, and dropped when not wanted
}

ChunkStep RestoreReadAhead::NextChunk(DecodedChunk& chunk) {
  buffers_.Give(std::move(chunk.data));
  Token& token = Front();
  switch (token.kind) {
    case Token::Kind::Fault: Raise(token);
    case Token::Kind::Record: throw ArchiveFault(kCannotReadArchive);
    case Token::Kind::BlockEnd:
      tokens_.pop_front();
      discard_ = false;
      return ChunkStep::BlockEnd;
    case Token::Kind::Skipped: tokens_.pop_front(); return ChunkStep::Skipped;
    case Token::Kind::Chunk: break;
  }
  tokens_.pop_front();
  chunk = TakeResult();
  return discard_ ? ChunkStep::Skipped : ChunkStep::Decoded;
}

std::optional<std::uint64_t> RestoreReadAhead::BlockSize(const std::function<BlockSizeScout*()>& scout) {
  for (;;) {
    FillAhead();
    std::size_t chunks = 0;
    std::optional<Token::Kind> after;  // what follows the block's chunks in view
    for (const Token& token : tokens_) {
      if (token.kind != Token::Kind::Chunk) {
        after = token.kind;
        break;
      }
      ++chunks;
    }
    if (after && *after != Token::Kind::BlockEnd) {
      return std::nullopt;  // a damaged spot, or a block passed over
    }
    const std::size_t holdable = after ? chunks : std::min(chunks, kMaxHeld);
    while (ready_.size() < holdable) {
      TakeRun();
    }
    if (!after && ready_.size() < kMaxHeld) {
      continue;  // room again for the look-ahead to read on
    }
    // The decoded chunks of this block (ready_ may run on into the next ones).
    const std::size_t decoded = std::min(chunks, ready_.size());
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < decoded; ++i) {
      if (!ready_[i].ok) {
        return std::nullopt;
      }
      bytes += ready_[i].data.size();
    }
    if (after) {
      return bytes;
    }
    for (std::size_t i = decoded; i < chunks; ++i) {
      bytes += FileBytesOf(tokens_[i].length);
    }
    // The block goes on beyond the look-ahead, which reads it on from here.
    BlockSizeScout* reader = scout();
    const auto rest = reader != nullptr ? reader->RestOfBlock(scanner_.Offset()) : std::nullopt;
    return rest ? std::optional<std::uint64_t>(bytes + *rest) : std::nullopt;
  }
}

}  // namespace sw::backup
