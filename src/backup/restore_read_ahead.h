#pragma once
// Reads an archive ahead of the restore that writes it: records, the ends of data blocks and
// chunks, the chunks decompressed on worker threads while the restore writes earlier files.
// The restore still takes everything in archive order and decides on each entry only when
// the one before it is written, so an entry's restore mode sees the files written before it.
// A damaged spot found while reading ahead is raised only when the restore reaches it, once
// everything before it has been written, as a reader without look-ahead would.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backup/archive_scanner.h"
#include "backup/chunk_codec.h"
#include "core/ordered_pipeline.h"

namespace sw::backup {

// Reads the rest of a data block a second time, from a reader of its own, to learn how many
// file bytes it holds before the first of them is written. Each chunk but the last holds a
// full 16 KiB of the file (the component fills every chunk it can); the last one is
// decompressed to count its bytes.
class BlockSizeScout {
 public:
  explicit BlockSizeScout(std::unique_ptr<platform::FileReader> volume);
  // The file bytes of the chunks from `offset` of the volume to the block's end word;
  // nullopt when that cannot be read or lies behind what the scout read before.
  std::optional<std::uint64_t> RestOfBlock(std::uint64_t offset);

 private:
  ArchiveScanner scanner_;
  ChunkInflater inflater_;
};

// Decodes a run of chunks on one of the pipeline's threads: a chunk takes about as long to
// decompress as handing it from one thread to another does, so they go in runs.
class BatchInflater {
 public:
  explicit BatchInflater(ChunkBuffers* buffers) : inflater_(buffers) {}
  std::vector<DecodedChunk> operator()(std::vector<RawChunk>&& run);

 private:
  ChunkInflater inflater_;
};

// What the restore gets next from a data block.
enum class ChunkStep {
  Decoded,   // a chunk's file bytes (or, with `ok` false, a chunk that does not decompress)
  Skipped,   // a chunk stepped over without being decompressed
  BlockEnd,  // the block's end word
};

class RestoreReadAhead {
 public:
  // With `speculate` every entry's chunks are decompressed as soon as they are read, before
  // the restore has decided on the entry: right when it restores every entry (an entry it
  // passes over after all costs only the decompression). Without it an entry's data waits for
  // BeginBlock, and an entry passed over is stepped over without decompressing it.
  RestoreReadAhead(ArchiveScanner& scanner, unsigned threads, bool speculate);
  ~RestoreReadAhead();
  RestoreReadAhead(const RestoreReadAhead&) = delete;
  RestoreReadAhead& operator=(const RestoreReadAhead&) = delete;

  // The next entry, volume switch or end marker. Throws the ArchiveFault found there.
  ArchiveRecord NextRecord();
  // Whether the data block after the record just read (an entry's, or after a volume switch
  // the one that continues the interrupted entry) is to be written (true) or passed over.
  void BeginBlock(bool decode);
  // The next step through the current block; `chunk` receives a decoded chunk. What it held
  // from the call before is done with, and its buffer is used again.
  ChunkStep NextChunk(DecodedChunk& chunk);
  // The file bytes the current block holds, known before its first byte is written: counted
  // exactly when the whole block is within the look-ahead, else from what `scout` (called
  // only then; it may return null) reads of the rest. Nullopt when neither can tell.
  std::optional<std::uint64_t> BlockSize(const std::function<BlockSizeScout*()>& scout);

 private:
  enum class Parse { Record, Marker, Chunks, Waiting, Halted };
  struct Token {
    enum class Kind { Record, Chunk, Skipped, BlockEnd, Fault };
    Kind kind;
    ArchiveRecord record;     // Record
    std::int32_t length = 0;  // Chunk: the stored length word
    std::string fault;        // Fault: the message to raise
  };

  // Reads on while the look-ahead has room, and hands what it read to the pipeline.
  void FillAhead();
  void ParseOne();
  void SubmitRun();
  // Moves the next run's decoded chunks to the end of ready_.
  void TakeRun();
  // The token at the front, reading ahead for it; a grammar the archive breaks is a fault.
  Token& Front();
  [[noreturn]] void Raise(const Token& token);
  DecodedChunk TakeResult();

  ArchiveScanner& scanner_;
  bool speculate_;
  ChunkBuffers buffers_;  // before the pipeline, whose threads use it
  OrderedPipeline<std::vector<RawChunk>, std::vector<DecodedChunk>, BatchInflater> decoder_;
  std::vector<RawChunk> run_;  // chunks read, not yet handed to the pipeline
  std::deque<Token> tokens_;
  // Decoded chunks taken from the pipeline, in order: the results of the first Chunk tokens.
  std::deque<DecodedChunk> ready_;
  Parse parse_ = Parse::Record;
  bool decodeBlock_ = false;  // Chunks: decode the block being read, or step over it
  bool discard_ = false;      // the restore passes over the current block's decoded chunks
};

}  // namespace sw::backup
